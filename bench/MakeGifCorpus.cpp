// Writes animated GIFs for the benchmarks, with the test GIF builder's LZW
// encoder:
//   htmlimglist-makegifcorpus photo FOLDER COUNT FRAMES WIDTH HEIGHT [PREFIX]
//       COUNT files PREFIX0001.gif ... (PREFIX: ANIM_; the content depends
//       on it too) of FRAMES photo-like frames each:
//       drifting colour fields with sensor-like noise, 256 colours, so the
//       LZW data are about as large as a real animation's (the decoder has
//       work to do in every frame).
//   htmlimglist-makegifcorpus flat FILE FRAMES WIDTH HEIGHT
//       One file of FRAMES frames of one colour each: tiny on disk, huge in
//       pixels (a 2000 x 2000 frame is 4 KB of LZW data), the shape of a
//       hostile file that costs a reader that decodes every frame its
//       pixels in memory and time. With millions of 1 x 1 frames (23 bytes
//       each) it is the other hostile shape: it costs a reader that keeps a
//       record per frame its memory.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "gif/GifBuilder.h"

namespace {

using namespace htmlimglist;
using namespace htmlimglist::test;

// 8 levels of red and green, 4 of blue.
std::vector<TGIFColor> Palette332() {
    std::vector<TGIFColor> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back({uint8_t((i >> 5) * 255 / 7), uint8_t(((i >> 2) & 7) * 255 / 7), uint8_t((i & 3) * 255 / 3)});
    return colours;
}

uint8_t Index332(double r, double g, double b) {
    auto level = [](double v, int levels) {
        int l = int(std::lround(v / 255.0 * (levels - 1)));
        return l < 0 ? 0 : l >= levels ? levels - 1 : l;
    };
    return uint8_t(level(r, 8) << 5 | level(g, 8) << 2 | level(b, 4));
}

bool Write(const std::string& path, const Bytes& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

int MakePhotos(const std::string& folder, int count, int frames, int width, int height, const std::string& prefix) {
    unsigned prefixSeed = 0;
    for (char c : prefix) prefixSeed = prefixSeed * 131u + static_cast<unsigned char>(c);
    for (int n = 0; n < count; ++n) {
        std::mt19937 rng(unsigned(n) * 7919u + 17u + prefixSeed);
        std::normal_distribution<double> noise(0.0, 10.0);
        GifBuilder gif;
        gif.Header(width, height, Palette332()).Application("NETSCAPE2.0", {{1, 0, 0}});
        for (int f = 0; f < frames; ++f) {
            const double t = n * 0.7 + prefixSeed % 97 + f * 0.05;
            FrameRecipe frame;
            frame.width = width;
            frame.height = height;
            frame.minCodeSize = 8;
            frame.pixels.resize(std::size_t(width) * std::size_t(height));
            for (int y = 0; y < height; ++y) {
                const double fy = double(y) / height;
                for (int x = 0; x < width; ++x) {
                    const double fx = double(x) / width;
                    const double shade = 0.5 + 0.5 * std::sin(fx * 7 + fy * 5 + t) * std::cos(fy * 6 - fx * 3 - t);
                    const double r = 60 + 150 * shade + 40 * fy + noise(rng);
                    const double g = 90 + 100 * (1 - shade) + 30 * std::sin(fx * 11 + t) + noise(rng);
                    const double b = 140 - 80 * fy + 50 * shade + noise(rng);
                    frame.pixels[std::size_t(y) * width + x] = Index332(r, g, b);
                }
            }
            gif.GraphicControl(false, 0, 1, 4).Frame(frame);
        }
        gif.Trailer();
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.gif", prefix.c_str(), n + 1);
        if (!Write(folder + "/" + name, gif.bytes())) return 1;
    }
    return 0;
}

int MakeFlat(const std::string& path, int frames, int width, int height) {
    // Every frame has the same data: encode it once.
    FrameRecipe frame;
    frame.width = width;
    frame.height = height;
    const Bytes data = SubBlocks(LzwCodes(std::vector<uint8_t>(std::size_t(width) * std::size_t(height), 1), 2));
    GifBuilder gif;
    gif.Header(width, height, kRgbw).Application("NETSCAPE2.0", {{1, 0, 0}});
    for (int f = 0; f < frames; ++f) gif.GraphicControl(false, 0, 1, 4).Descriptor(frame).Raw({2}).Raw(data);
    gif.Trailer();
    return Write(path, gif.bytes()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "photo" && (argc == 7 || argc == 8))
        return MakePhotos(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                          argc == 8 ? argv[7] : "ANIM_");
    if (mode == "flat" && argc == 6)
        return MakeFlat(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    std::fprintf(stderr,
                 "usage: %s photo FOLDER COUNT FRAMES WIDTH HEIGHT [PREFIX]\n"
                 "       %s flat FILE FRAMES WIDTH HEIGHT\n",
                 argv[0], argv[0]);
    return 2;
}
