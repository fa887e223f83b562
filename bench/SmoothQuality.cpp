// How close reduced copies come to the exact area average of the full
// picture, on a folder of JPEG photos (bench/peers.sh's corpus):
//   htmlimglist-smooth-quality FOLDER [MAXPIXEL [VIPS_FOLDER]]
// For each set of files (the name up to its first '_') it prints the PSNR
// against that reference of copies by the nearest pixel and by area average
// (before and after the quality 75 encoding a copy gets) and, when
// VIPS_FOLDER holds vipsthumbnail's output (NAME.jpg, read back, compared at
// the same size), of that too; and the decode time per file of both ways.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "listgen/FitImageSize.h"
#include "listgen/copies/JpegEncoder.h"
#include "listgen/reduce/AreaAverage.h"
#include "support/Decoding.h"

using namespace htmlimglist;
using namespace htmlimglist::test;
namespace fs = std::filesystem;

namespace {

struct ErrorSum {
    double squares = 0;
    double samples = 0;
    void Add(const Bitmap& a, const Bitmap& b) {
        for (int y = 0; y < a.Height(); ++y) {
            const uint8_t* p = a.Row(y);
            const uint8_t* q = b.Row(y);
            for (int k = 0; k < 3 * a.Width(); ++k) {
                const double d = double(p[k]) - double(q[k]);
                squares += d * d;
            }
        }
        samples += 3.0 * a.Width() * a.Height();
    }
    double Psnr() const {
        if (samples == 0) return NAN;
        return squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * samples / squares);
    }
};

struct SetFigures {
    int files = 0;
    ErrorSum nearest, smooth, smoothEncoded, vips;
    double nearestSeconds = 0, smoothSeconds = 0;
};

bool SameSize(const Bitmap& a, const Bitmap& b) { return a.Width() == b.Width() && a.Height() == b.Height(); }

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [MAXPIXEL [VIPS_FOLDER]]\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    const int maxPixel = argc > 2 ? std::atoi(argv[2]) : 200;
    const fs::path vipsFolder = argc > 3 ? fs::path(argv[3]) : fs::path();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".JPG" || ext == ".jpg" || ext == ".jpeg")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());

    std::map<std::string, SetFigures> sets;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        SetFigures& set = sets[name.substr(0, name.find('_'))];
        const DecodeInput input = FromFile(file.string());
        Bitmap full;
        if (!DecodeFull(ImageKind::Jpeg, input, full)) {
            std::fprintf(stderr, "%s: cannot decode\n", name.c_str());
            continue;
        }
        const FittedSize fit = FitImageSize(full.Width(), full.Height(), maxPixel, Zoom::KeepSmaller);
        AreaAverager reference;
        if (!reference.Start(full.Width(), full.Height(), fit.width, fit.height)) continue;
        for (int y = 0; y < full.Height(); ++y) reference.AddRow(full.Row(y));
        full = Bitmap();

        Bitmap nearest, smooth;
        auto start = std::chrono::steady_clock::now();
        DecodeScaled(ImageKind::Jpeg, input, fit.width, fit.height, nearest);
        set.nearestSeconds += Seconds(start);
        start = std::chrono::steady_clock::now();
        DecodeScaled(ImageKind::Jpeg, input, fit.width, fit.height, smooth, nullptr, 1, true);
        set.smoothSeconds += Seconds(start);
        std::string encoded;
        Bitmap smoothEncoded;
        EncodeJpeg(smooth, kCopyQuality, encoded);
        DecodeFull(ImageKind::Jpeg, FromBytes(encoded), smoothEncoded);

        ++set.files;
        set.nearest.Add(nearest, reference.Result());
        set.smooth.Add(smooth, reference.Result());
        set.smoothEncoded.Add(smoothEncoded, reference.Result());
        if (!vipsFolder.empty()) {
            Bitmap vips;
            const fs::path thumb = vipsFolder / (file.stem().string() + ".jpg");
            if (DecodeFull(ImageKind::Jpeg, FromFile(thumb.string()), vips) && SameSize(vips, reference.Result()))
                set.vips.Add(vips, reference.Result());
        }
    }

    std::printf("PSNR (dB) against the exact area average of the full decode, MaxPixel %d\n", maxPixel);
    std::printf("%-8s %6s %9s %9s %12s %9s %12s %12s\n", "set", "files", "nearest", "smooth", "smooth+q75",
                "vips", "nearest_ms", "smooth_ms");
    for (const auto& [label, set] : sets) {
        if (set.files == 0) continue;
        std::printf("%-8s %6d %9.2f %9.2f %12.2f %9.2f %12.1f %12.1f\n", label.c_str(), set.files,
                    set.nearest.Psnr(), set.smooth.Psnr(), set.smoothEncoded.Psnr(), set.vips.Psnr(),
                    1000 * set.nearestSeconds / set.files, 1000 * set.smoothSeconds / set.files);
    }
    return 0;
}
