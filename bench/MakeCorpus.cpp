// Writes photo-like JPEG files for the reduced-image benchmark: smooth
// gradients, soft shapes and sensor-like noise, so the entropy-coded data
// are about as large as a camera's.
//   htmlimglist-makecorpus FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s FOLDER COUNT WIDTH HEIGHT [QUALITY] [PREFIX]\n", argv[0]);
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
