// Probe and page building over a folder of 10,000 small files, warm cache.
// Reports files per second; the goal is at least 60,000 on the reference
// 2-core machine.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "listgen/FolderListWriter.h"

namespace {

using namespace htmlimglist;

std::string BigEndian16(int v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }

std::string Jpeg(int w, int h) {
    std::string app0 = std::string("\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 18);
    std::string sof = std::string("\xFF\xC0\x00\x11\x08", 5) + BigEndian16(h) + BigEndian16(w) +
                      std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    return std::string("\xFF\xD8", 2) + app0 + sof + std::string(2000, '\x3C') + std::string("\xFF\xD9", 2);
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

class Folder {
public:
    explicit Folder(int files) {
        char pattern[] = "/tmp/htmlimglist-bench-XXXXXX";
        path_ = mkdtemp(pattern);
        for (int i = 0; i < files; ++i) {
            std::string name = path_ + "/file" + std::to_string(100000 + i);
            std::ofstream out;
            switch (i % 5) {
                case 0:
                case 1: out.open(name + ".jpg", std::ios::binary); out << Jpeg(4000 - i % 7, 3000); break;
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

void BM_ProbeAndBuildPage(benchmark::State& state) {
    const int files = int(state.range(0));
    Folder folder(files);
    GenerationOptions options;
    options.DisplayFileSize = options.DisplayDateTime = options.DisplayTime = options.ImageInfo = true;
    RunView view;
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder.path());
    for (auto _ : state) {
        writer.MakeList(kFullSizeList, 6, 200);
        if (!writer.LastPageSaved()) state.SkipWithError("page not saved");
    }
    state.counters["files_per_second"] =
        benchmark::Counter(double(files) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProbeAndBuildPage)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
