// Writes PNGs for the benchmarks with libpng (RGB, 8 bits, zlib's default
// level and libpng's default filters, as screen-capture tools save them):
//   htmlimglist-makepngcorpus screens FOLDER COUNT WIDTH HEIGHT [PREFIX]
//       COUNT files PREFIX0001.png ... (PREFIX: SCREEN_; the content
//       depends on it too) that look like screenshots: a desktop gradient,
//       flat windows with title bars, lines of text-like glyphs with hard
//       edges, a few photo-like gradient panels.
//   htmlimglist-makepngcorpus flat FILE WIDTH HEIGHT
//       One file of one colour: small on disk, huge in pixels, for the
//       memory check of a reduced run.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), pixels_(std::size_t(w) * std::size_t(h) * 3) {}
    int Width() const { return w_; }
    int Height() const { return h_; }
    uint8_t* Row(int y) { return pixels_.data() + std::size_t(y) * std::size_t(w_) * 3; }
    void Put(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
        uint8_t* p = Row(y) + 3 * std::size_t(x);
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
    void Fill(int x0, int y0, int w, int h, Rgb c) {
        for (int y = std::max(0, y0); y < std::min(h_, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(w_, x0 + w); ++x) Put(x, y, c);
    }

private:
    int w_, h_;
    std::vector<uint8_t> pixels_;
};

Rgb RandomPastel(std::mt19937& random) {
    std::uniform_int_distribution<int> d(200, 255);
    return {uint8_t(d(random)), uint8_t(d(random)), uint8_t(d(random))};
}

// A line of text: glyphs of a few strokes each, 1 or 2 pixels wide, with
// word gaps, in a dark colour on the window's flat background.
void TextLine(Canvas& c, std::mt19937& random, int x0, int y0, int width, int size, Rgb ink) {
    std::uniform_int_distribution<int> strokes(2, 4), word(3, 9), shape(0, 5);
    int x = x0;
    while (x < x0 + width - size) {
        const int letters = word(random);
        for (int l = 0; l < letters && x < x0 + width - size; ++l, x += size * 2 / 3 + 1) {
            const int n = strokes(random);
            for (int s = 0; s < n; ++s) {
                switch (shape(random)) {
                    case 0: c.Fill(x, y0, 1 + size / 12, size, ink); break;                           // stem
                    case 1: c.Fill(x, y0 + size / 3, size / 2, 1 + size / 12, ink); break;            // bar
                    case 2: c.Fill(x + size / 2 - 1, y0 + size / 3, 1 + size / 12, size * 2 / 3, ink); break;
                    case 3: c.Fill(x, y0 + size - 1 - size / 12, size / 2, 1 + size / 12, ink); break;  // base
                    case 4:  // a diagonal, anti-aliased at its edge
                        for (int i = 0; i < size * 2 / 3; ++i) {
                            c.Put(x + i / 2, y0 + size / 3 + i, ink);
                            c.Put(x + i / 2 + 1, y0 + size / 3 + i, {uint8_t((ink.r + 255) / 2), uint8_t((ink.g + 255) / 2), uint8_t((ink.b + 255) / 2)});
                        }
                        break;
                    default: c.Fill(x + 1, y0 + size / 6, size / 3, 1 + size / 12, ink); break;
                }
            }
        }
        x += size;  // the gap between words
    }
}

void Screen(Canvas& c, std::mt19937& random) {
    // The desktop: a diagonal two-colour gradient.
    const Rgb a = {uint8_t(random() % 80), uint8_t(60 + random() % 100), uint8_t(120 + random() % 120)};
    const Rgb b = {uint8_t(random() % 200), uint8_t(random() % 120), uint8_t(random() % 90)};
    for (int y = 0; y < c.Height(); ++y) {
        uint8_t* row = c.Row(y);
        for (int x = 0; x < c.Width(); ++x) {
            const double t = double(x + y) / double(c.Width() + c.Height());
            row[3 * x] = uint8_t(a.r + (b.r - a.r) * t);
            row[3 * x + 1] = uint8_t(a.g + (b.g - a.g) * t);
            row[3 * x + 2] = uint8_t(a.b + (b.b - a.b) * t);
        }
    }
    // Windows: a title bar, a flat body with lines of text, sometimes a
    // photo-like panel (smooth colour fields with fine noise).
    const int windows = 2 + int(random() % 3);
    for (int w = 0; w < windows; ++w) {
        const int ww = c.Width() / 3 + int(random() % unsigned(c.Width() / 2));
        const int wh = c.Height() / 3 + int(random() % unsigned(c.Height() / 2));
        const int wx = int(random() % unsigned(c.Width() - ww + 1)), wy = int(random() % unsigned(c.Height() - wh + 1));
        const Rgb body = RandomPastel(random);
        c.Fill(wx - 1, wy - 1, ww + 2, wh + 2, {90, 90, 90});
        c.Fill(wx, wy, ww, wh, body);
        c.Fill(wx, wy, ww, 28, {uint8_t(40 + random() % 60), uint8_t(60 + random() % 60), uint8_t(120 + random() % 100)});
        TextLine(c, random, wx + 10, wy + 8, ww / 3, 12, {255, 255, 255});
        const bool panel = random() % 2 == 0;
        const int textWidth = panel ? ww / 2 - 20 : ww - 20;
        const int size = 10 + int(random() % 6);
        for (int y = wy + 40; y + size < wy + wh - 10; y += size + 6)
            TextLine(c, random, wx + 10, y, textWidth, size, {uint8_t(random() % 60), uint8_t(random() % 60), uint8_t(random() % 60)});
        if (panel) {
            std::normal_distribution<double> noise(0, 4);
            const int px = wx + ww / 2, py = wy + 40, pw = ww / 2 - 10, ph = wh - 50;
            for (int y = py; y < py + ph; ++y) {
                for (int x = px; x < px + pw; ++x) {
                    const double u = double(x - px) / pw, v = double(y - py) / ph;
                    auto clamp = [](double d) { return uint8_t(std::clamp(d, 0.0, 255.0)); };
                    c.Put(x, y, {clamp(200 * u + 30 + noise(random)), clamp(180 * v + 40 + noise(random)),
                                 clamp(120 * (1 - u * v) + 60 + noise(random))});
                }
            }
        }
    }
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>* flatRow, Canvas* canvas) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, flatRow != nullptr ? flatRow->data() : canvas->Row(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: htmlimglist-makepngcorpus screens FOLDER COUNT WIDTH HEIGHT [PREFIX]\n"
                 "       htmlimglist-makepngcorpus flat FILE WIDTH HEIGHT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "flat" && argc == 5) {
        const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
        if (width < 1 || height < 1) return Usage();
        std::vector<uint8_t> row(std::size_t(width) * 3);
        for (std::size_t i = 0; i < row.size(); i += 3) row[i] = 40, row[i + 1] = 120, row[i + 2] = 200;
        return WritePng(argv[2], width, height, &row, nullptr) ? 0 : 1;
    }
    if (mode != "screens" || argc < 6) return Usage();
    const std::string folder = argv[2];
    const int count = std::atoi(argv[3]), width = std::atoi(argv[4]), height = std::atoi(argv[5]);
    const std::string prefix = argc > 6 ? argv[6] : "SCREEN_";
    if (count < 1 || width < 64 || height < 64) return Usage();
    for (int i = 1; i <= count; ++i) {
        std::mt19937 random(unsigned(i) * 7919u + unsigned(std::hash<std::string>{}(prefix)));
        Canvas canvas(width, height);
        Screen(canvas, random);
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.png", prefix.c_str(), i);
        if (!WritePng(folder + "/" + name, width, height, nullptr, &canvas)) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
