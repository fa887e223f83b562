// Probe and page building over a folder of 10,000 small files, warm cache.
// Half the JPEGs carry a camera's Exif segment (12 to 30 KB, orientations
// 1 to 8), so the figure includes reading the orientation. Reports files
// per second; the goal is at least 60,000 on the reference 2-core machine.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/FolderListWriter.h"

namespace {

using namespace htmlimglist;

std::string BigEndian16(int v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }

std::string BigEndian32(uint32_t v) { return BigEndian16(int(v >> 16)) + BigEndian16(int(v & 0xFFFF)); }

// One big-endian IFD: the entries (tag, type, count, 4-byte value field),
// then the link to the next IFD.
struct Ifd {
    std::string entries;
    int count = 0;
    void Add(int tag, int type, uint32_t n, const std::string& value) {
        entries += BigEndian16(tag) + BigEndian16(type) + BigEndian32(n) + value;
        ++count;
    }
    std::size_t Size() const { return 2 + entries.size() + 4; }
    std::string Bytes(uint32_t next) const { return BigEndian16(count) + entries + BigEndian32(next); }
};

// An APP1 segment laid out as a camera writes it: IFD0 (make, model,
// orientation, resolution, date, link to the Exif IFD), the Exif IFD with a
// maker note, IFD1 with a thumbnail; about size bytes in all.
std::string CameraExif(int orientation, std::size_t size) {
    enum { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };
    const std::string make = "CAMERA\0\0", model = "PHONE 12 PRO\0\0\0\0", date = "2024:05:17 10:22:41\0";
    const std::string rational = BigEndian32(72) + BigEndian32(1);
    const std::size_t thumbnailSize = size / 2, makerNoteSize = size - thumbnailSize - 600;
    Ifd ifd0, exif, ifd1;
    // Offsets count from the TIFF header; IFD0 follows it at 8, its values
    // after it, then the Exif IFD, the maker note, IFD1 and the thumbnail.
    const uint32_t ifd0At = 8, values = ifd0At + 2 + 10 * 12 + 4;
    const uint32_t makeAt = values, modelAt = makeAt + uint32_t(make.size()), dateAt = modelAt + uint32_t(model.size());
    const uint32_t xAt = dateAt + uint32_t(date.size()), yAt = xAt + 8, exifAt = yAt + 8;
    const uint32_t exifSize = 2 + 4 * 12 + 4, noteAt = exifAt + exifSize;
    const uint32_t ifd1At = noteAt + uint32_t(makerNoteSize), thumbAt = ifd1At + 2 + 3 * 12 + 4;
    ifd0.Add(0x010F, kAscii, uint32_t(make.size()), BigEndian32(makeAt));
    ifd0.Add(0x0110, kAscii, uint32_t(model.size()), BigEndian32(modelAt));
    ifd0.Add(0x0112, kShort, 1, BigEndian16(orientation) + BigEndian16(0));
    ifd0.Add(0x011A, kRational, 1, BigEndian32(xAt));
    ifd0.Add(0x011B, kRational, 1, BigEndian32(yAt));
    ifd0.Add(0x0128, kShort, 1, BigEndian16(2) + BigEndian16(0));
    ifd0.Add(0x0131, kAscii, 4, "1.0\0");
    ifd0.Add(0x0132, kAscii, uint32_t(date.size()), BigEndian32(dateAt));
    ifd0.Add(0x0213, kShort, 1, BigEndian16(1) + BigEndian16(0));
    ifd0.Add(0x8769, kLong, 1, BigEndian32(exifAt));
    exif.Add(0x829A, kRational, 1, BigEndian32(xAt));
    exif.Add(0x8827, kShort, 1, BigEndian16(100) + BigEndian16(0));
    exif.Add(0x9003, kAscii, uint32_t(date.size()), BigEndian32(dateAt));  // DateTimeOriginal
    exif.Add(0x927C, kUndefined, uint32_t(makerNoteSize), BigEndian32(noteAt));
    ifd1.Add(0x0103, kShort, 1, BigEndian16(6) + BigEndian16(0));
    ifd1.Add(0x0201, kLong, 1, BigEndian32(thumbAt));
    ifd1.Add(0x0202, kLong, 1, BigEndian32(uint32_t(thumbnailSize)));
    std::string tiff = "MM" + BigEndian16(42) + BigEndian32(ifd0At) + ifd0.Bytes(ifd1At) + make + model + date +
                       rational + rational + exif.Bytes(0) + std::string(makerNoteSize, '\x21') + ifd1.Bytes(0) +
                       "\xFF\xD8" + std::string(thumbnailSize - 4, '\x42') + "\xFF\xD9";
    const std::string data = std::string("Exif\0\0", 6) + tiff;
    return std::string("\xFF\xE1", 2) + BigEndian16(int(data.size()) + 2) + data;
}

std::string Jpeg(int w, int h, const std::string& app1 = "") {
    std::string app0 = std::string("\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 18);
    std::string sof = std::string("\xFF\xC0\x00\x11\x08", 5) + BigEndian16(h) + BigEndian16(w) +
                      std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    return std::string("\xFF\xD8", 2) + app1 + app0 + sof + std::string(2000, '\x3C') + std::string("\xFF\xD9", 2);
}

std::string Gif(int w, int h) {
    std::string s = "GIF89a";
    s += char(w & 0xFF);
    s += char(w >> 8);
    s += char(h & 0xFF);
    s += char(h >> 8);
    s += std::string("\xF7\x00\x00", 3) + std::string(768, '\x10') + std::string(600, '\x01');
    s += std::string("\x00\x3B", 2);
    return s;
}

// A phone's motion photo: the JPEG with an XMP packet that gives the length
// of the video appended to it.
std::string MotionPhoto(int w, int h, std::size_t videoSize) {
    const std::string packet =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\" "
        "GCamera:MicroVideo=\"1\" GCamera:MicroVideoOffset=\"" + std::to_string(videoSize) +
        "\"/></rdf:RDF></x:xmpmeta>";
    const std::string data = std::string("http://ns.adobe.com/xap/1.0/", 29) + packet;
    const std::string app1 = std::string("\xFF\xE1", 2) + BigEndian16(int(data.size()) + 2) + data;
    return Jpeg(w, h, app1) + std::string(videoSize, '\x4D');
}

class Folder {
public:
    // withTrailers: one file in ten has bytes after its JPEG part, which
    // MoreImageTypes accounts for: a motion photo's video (alternately
    // shorter and longer than the 64 KiB the probe reads at the end) or
    // zero padding.
    Folder(int files, const std::string& prefix, bool withTrailers = false) {
        char pattern[] = "/tmp/htmlimglist-bench-XXXXXX";
        path_ = mkdtemp(pattern);
        for (int i = 0; i < files; ++i) {
            std::string name = path_ + "/" + prefix + std::to_string(100000 + i);
            std::ofstream out;
            switch (i % 5) {
                case 0:
                    out.open(name + ".jpg", std::ios::binary);
                    if (withTrailers && i % 20 == 5) {
                        out << MotionPhoto(4000, 3000, i % 40 == 5 ? 20000 : 70000);
                    } else if (withTrailers && i % 20 == 15) {
                        out << Jpeg(4000, 3000) << std::string(512, '\0');
                    } else {
                        out << Jpeg(4000 - i % 7, 3000);
                    }
                    break;
                case 1:
                    out.open(name + ".jpg", std::ios::binary);
                    out << Jpeg(4000 - i % 7, 3000, CameraExif(i / 5 % 8 + 1, 12000 + std::size_t(i) * 37 % 18000));
                    break;
                case 2: out.open(name + ".gif", std::ios::binary); out << Gif(640, 480); break;
                case 3: out.open(name + ".txt", std::ios::binary); out << "notes " << i; break;
                default: out.open(name + ".dat", std::ios::binary); out << std::string(3000, char(i)); break;
            }
        }
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void ProbeAndBuildPage(benchmark::State& state, const std::string& prefix, bool moreImageTypes = false,
                       int32_t pageStyle = 0, int32_t sortOrder = 0) {
    const int files = int(state.range(0));
    Folder folder(files, prefix, moreImageTypes);
    ChGetImgSize probe;
    int32_t width, height;
    if (!probe.GetJpegSize(folder.path() + "/" + prefix + "100006.jpg", width, height) || probe.Orientation != 2) {
        state.SkipWithError("the Exif segments are not read");
        return;
    }
    probe.AcceptDeclaredTrailers = true;
    for (const char* name : {"100005.jpg", "100015.jpg", "100025.jpg"}) {
        if (moreImageTypes && !probe.GetJpegSize(folder.path() + "/" + prefix + name, width, height)) {
            state.SkipWithError("the JPEGs with trailing bytes are not recognised");
            return;
        }
    }
    GenerationOptions options;
    options.DisplayFileSize = options.DisplayDateTime = options.DisplayTime = options.ImageInfo = true;
    options.MoreImageTypes = moreImageTypes;
    options.PageStyle = pageStyle;
    options.SortOrder = sortOrder;
    RunView view;
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder.path());
    for (auto _ : state) {
        if (!writer.MakeList(kFullSizeList, 6, 200).saved()) state.SkipWithError("page not saved");
    }
    state.counters["files_per_second"] =
        benchmark::Counter(double(files) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ProbeAndBuildPage(benchmark::State& state) { ProbeAndBuildPage(state, "file"); }
BENCHMARK(BM_ProbeAndBuildPage)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same folder with Japanese names (kanji, kana, a wave dash and a blank),
// so every name goes through the CP932 conversion of links and text.
void BM_ProbeAndBuildPageJapaneseNames(benchmark::State& state) {
    ProbeAndBuildPage(state, "\xE6\x97\x85\xE8\xA1\x8C\xE3\x81\xAE\xE5\x86\x99\xE7\x9C\x9F\xE3\x80\x9C ");
}
BENCHMARK(BM_ProbeAndBuildPageJapaneseNames)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// MoreImageTypes on, over the same mix with one file in ten carrying a
// motion photo's video or padding after its JPEG part.
void BM_ProbeAndBuildPageMoreImageTypes(benchmark::State& state) { ProbeAndBuildPage(state, "file", true); }
BENCHMARK(BM_ProbeAndBuildPageMoreImageTypes)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The gallery page (PageStyle=1) over the same mix.
void BM_ProbeAndBuildPageGallery(benchmark::State& state) { ProbeAndBuildPage(state, "file", false, 1); }
BENCHMARK(BM_ProbeAndBuildPageGallery)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// By the date each photo was taken (SortOrder=1): the camera photos' Exif
// IFD is read for DateTimeOriginal, and every file is probed before the
// page is laid out.
void BM_ProbeAndBuildPageByDateTaken(benchmark::State& state) { ProbeAndBuildPage(state, "file", false, 0, 1); }
BENCHMARK(BM_ProbeAndBuildPageByDateTaken)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
