// Writes photo-like JPEG files for the reduced-image benchmark: smooth
// gradients, soft shapes and sensor-like noise, so the entropy-coded data
// are about as large as a camera's. With --orientation the files carry an
// Exif segment with that orientation, as a camera writes a photo taken on
// its side (the browser test uses one).
//   htmlimglist-makecorpus [--orientation N] FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// The data of an APP1 segment: "Exif\0\0", a little-endian TIFF header and
// IFD0 holding only the orientation (tag 0x0112, SHORT, count 1).
std::string ExifWithOrientation(int orientation) {
    const unsigned char data[] = {
        'E', 'x', 'i', 'f', 0, 0,                // identifier
        'I', 'I', 42, 0, 8, 0, 0, 0,             // byte order, 42, IFD0 at 8
        1, 0,                                    // one entry
        0x12, 0x01, 3, 0, 1, 0, 0, 0,            // orientation, SHORT, count 1
        (unsigned char)orientation, 0, 0, 0,     // its value, left-justified
        0, 0, 0, 0,                              // no next IFD
    };
    return std::string(reinterpret_cast<const char*>(data), sizeof data);
}

}  // namespace

int main(int argc, char** argv) {
    int orientation = 0;
    if (argc > 2 && std::strcmp(argv[1], "--orientation") == 0) {
        orientation = std::atoi(argv[2]);
        if (orientation < 1 || orientation > 8) {
            std::fprintf(stderr, "%s: --orientation takes 1 to 8\n", argv[0]);
            return 2;
        }
        argv += 2;
        argc -= 2;
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s [--orientation N] FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const int quality = argc > 5 ? std::atoi(argv[5]) : 90;
    const std::string prefix = argc > 6 ? argv[6] : "IMG_";
    std::vector<JSAMPLE> row(std::size_t(width) * 3);
    for (int n = 0; n < count; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.JPG", prefix.c_str(), n + 1);
        const std::string path = folder + "/" + name;
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            std::perror(path.c_str());
            return 1;
        }
        jpeg_compress_struct c;
        jpeg_error_mgr e;
        c.err = jpeg_std_error(&e);
        jpeg_create_compress(&c);
        jpeg_stdio_dest(&c, out);
        c.image_width = JDIMENSION(width);
        c.image_height = JDIMENSION(height);
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);  // 4:2:0
        jpeg_set_quality(&c, quality, TRUE);
        jpeg_start_compress(&c, TRUE);
        if (orientation != 0) {
            const std::string exif = ExifWithOrientation(orientation);
            jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                              unsigned(exif.size()));
        }
        std::mt19937 rng(unsigned(n) * 7919u + 17u);
        std::normal_distribution<float> noise(0.0f, 6.0f);
        const double phase = n * 0.7;
        for (int y = 0; y < height; ++y) {
            const double fy = double(y) / height;
            for (int x = 0; x < width; ++x) {
                const double fx = double(x) / width;
                const double hill = 0.6 + 0.08 * std::sin(fx * 9 + phase) + 0.04 * std::sin(fx * 31 + phase * 2);
                const double shade = 0.5 + 0.5 * std::sin(fx * 40 + fy * 25 + phase) * std::cos(fy * 17 - fx * 5);
                double r, g, b;
                if (fy < hill) {  // sky with clouds
                    r = 90 + 100 * fy + 40 * shade;
                    g = 140 + 60 * fy + 30 * shade;
                    b = 220 - 40 * fy + 20 * shade;
                } else {  // textured ground
                    r = 70 + 60 * shade + 30 * std::sin(x * 0.31 + y * 0.17);
                    g = 110 + 50 * shade + 25 * std::cos(x * 0.23 - y * 0.29);
                    b = 40 + 30 * shade;
                }
                JSAMPLE* p = row.data() + std::size_t(x) * 3;
                const double v[3] = {r + noise(rng), g + noise(rng), b + noise(rng)};
                for (int k = 0; k < 3; ++k) p[k] = JSAMPLE(v[k] < 0 ? 0 : v[k] > 255 ? 255 : v[k]);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&c, rows, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        std::fclose(out);
    }
    return 0;
}
