// Writes photo-like JPEG files for the reduced-image benchmark: smooth
// gradients, soft shapes and sensor-like noise, so the entropy-coded data
// are about as large as a camera's. With --orientation the files carry an
// Exif segment with that orientation, as a camera writes a photo taken on
// its side (the browser test uses one). With --png-alpha the same pictures
// are written as PNG files whose alpha fades from opaque at the centre to
// clear at the corners, with --webp as lossy WebP files (the browser test
// uses one of each).
//   htmlimglist-makecorpus [--orientation N | --png-alpha | --webp] FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>

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

enum class Format { Jpeg, PngAlpha, Webp };

// Row y of picture n as RGB, the same for every format.
struct Noise {
    explicit Noise(int n) : rng(unsigned(n) * 7919u + 17u) {}
    std::mt19937 rng;
    std::normal_distribution<float> sample{0.0f, 6.0f};
    float operator()() { return sample(rng); }
};

void PictureRow(int n, int y, int width, int height, Noise& noise, unsigned char* row) {
    const double phase = n * 0.7;
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
        unsigned char* p = row + std::size_t(x) * 3;
        const double v[3] = {r + noise(), g + noise(), b + noise()};
        for (int k = 0; k < 3; ++k) p[k] = (unsigned char)(v[k] < 0 ? 0 : v[k] > 255 ? 255 : v[k]);
    }
}

bool WriteJpeg(FILE* out, int n, int width, int height, int quality, int orientation) {
    std::vector<JSAMPLE> row(std::size_t(width) * 3);
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
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()), unsigned(exif.size()));
    }
    Noise noise(n);
    for (int y = 0; y < height; ++y) {
        PictureRow(n, y, width, height, noise, row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

// Opaque at the centre, clear at the corners.
unsigned char Fade(int x, int y, int width, int height) {
    const double dx = (x + 0.5) / width - 0.5, dy = (y + 0.5) / height - 0.5;
    const double d = std::sqrt(dx * dx + dy * dy) / std::sqrt(0.5);
    return (unsigned char)std::clamp(255.0 * (1.4 - 1.6 * d), 0.0, 255.0);
}

// libpng leaves through longjmp on an error: this function holds only
// plain objects, so nothing is skipped by the jump.
bool WritePngRows(FILE* out, int n, int width, int height, unsigned char* rgb, unsigned char* rgba) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Noise noise(n);
    for (int y = 0; y < height; ++y) {
        PictureRow(n, y, width, height, noise, rgb);
        for (int x = 0; x < width; ++x) {
            std::copy_n(rgb + 3 * std::size_t(x), 3, rgba + 4 * std::size_t(x));
            rgba[4 * std::size_t(x) + 3] = Fade(x, y, width, height);
        }
        png_write_row(png, rgba);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WritePngAlpha(FILE* out, int n, int width, int height) {
    std::vector<unsigned char> rgb(std::size_t(width) * 3), rgba(std::size_t(width) * 4);
    return WritePngRows(out, n, width, height, rgb.data(), rgba.data());
}

bool WriteWebp(FILE* out, int n, int width, int height, int quality) {
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    Noise noise(n);
    for (int y = 0; y < height; ++y) PictureRow(n, y, width, height, noise, rgb.data() + std::size_t(y) * width * 3);
    uint8_t* webp = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), width, height, width * 3, float(quality), &webp);
    const bool ok = size > 0 && std::fwrite(webp, 1, size, out) == size;
    WebPFree(webp);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int orientation = 0;
    Format format = Format::Jpeg;
    if (argc > 2 && std::strcmp(argv[1], "--orientation") == 0) {
        orientation = std::atoi(argv[2]);
        if (orientation < 1 || orientation > 8) {
            std::fprintf(stderr, "%s: --orientation takes 1 to 8\n", argv[0]);
            return 2;
        }
        argv += 2;
        argc -= 2;
    } else if (argc > 1 && (std::strcmp(argv[1], "--png-alpha") == 0 || std::strcmp(argv[1], "--webp") == 0)) {
        format = argv[1][2] == 'p' ? Format::PngAlpha : Format::Webp;
        argv += 1;
        argc -= 1;
    }
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s [--orientation N | --png-alpha | --webp] FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]\n",
                     argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const int quality = argc > 5 ? std::atoi(argv[5]) : 90;
    const std::string prefix = argc > 6 ? argv[6] : "IMG_";
    const char* extension = format == Format::Jpeg ? "JPG" : format == Format::PngAlpha ? "png" : "webp";
    for (int n = 0; n < count; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.%s", prefix.c_str(), n + 1, extension);
        const std::string path = folder + "/" + name;
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            std::perror(path.c_str());
            return 1;
        }
        bool ok = true;
        switch (format) {
            case Format::Jpeg: ok = WriteJpeg(out, n, width, height, quality, orientation); break;
            case Format::PngAlpha: ok = WritePngAlpha(out, n, width, height); break;
            case Format::Webp: ok = WriteWebp(out, n, width, height, quality); break;
        }
        if (std::fclose(out) != 0 || !ok) {
            std::fprintf(stderr, "%s: could not write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
