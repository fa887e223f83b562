// Loading the creation conditions from settings files of 1 MiB (the largest
// accepted) and from one of 10 MiB (refused). The goal is under 0.1 s and
// 16 MB per 1 MiB load. Reports seconds per load and the process's peak
// resident memory while the case ran (VmHWM, reset before each case), which
// includes the program itself.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "listgen/SettingsFile.h"
#include "profile/TProfile.h"

namespace {

using namespace htmlimglist;

constexpr std::size_t kMiB = 1048576;

// The settings the window writes: every condition, its placement, RunDir.
const char* const kRealSection =
    "[Parameters]\r\nHTMLListName=index.html\r\nMaxPixel=200\r\nMaxColumn=6\r\nMakeSmallImage=1\r\n"
    "NextPrevIndex=0\r\nDisplayImageSize=1\r\nDisplayFileSize=0\r\nContinueMaked=0\r\n"
    "ImageSurelyCreate=0\r\nImageInfo=0\r\nMakeSmallImageAndOrgImageList=1\r\nSubImageColmn=2\r\n"
    "SubImageMaxSize=640\r\nDisplayDateTime=0\r\nDisplayTime=0\r\nWindowLeft=308\r\nWindowTop=107\r\n"
    "WindowHeight=460\r\nWindowWidth=630\r\nSplitterPosition=140\r\nRunDir=/home/user/pictures/00005\r\n";

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/htmlimglist-settings-bench-XXXXXX";
        if (mkdtemp(pattern) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

const TempFolder& Folder() {
    static TempFolder folder;
    return folder;
}

// Writes a file of exactly size bytes, a line at a time from line(i), then
// tail (or as much of it as fits), padded with line ends: never more than a
// line in memory, so the figures below are the load's alone.
std::string MakeFile(const std::string& name, std::size_t size, const std::function<std::string(int)>& line,
                     const std::string& tail = "") {
    const std::string path = Folder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::size_t written = 0;
    const std::size_t body = size > tail.size() ? size - tail.size() : 0;
    for (int i = 0;; ++i) {
        const std::string text = line(i);
        if (text.empty() || written + text.size() > body) break;
        out << text;
        written += text.size();
    }
    out << std::string(body - written, '\n') << tail.substr(0, size - body);
    return path;
}

// Peak resident set of the process, in bytes, since the last reset.
double PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

void LoadConditions(benchmark::State& state, const std::string& path) {
    TProfile profile;
    profile.SetFileName(path);
    profile.SetSection(kSettingsSection);
    ResetPeakResident();
    for (auto _ : state) {
        GenerationOptions options;
        LoadFromProfile(options, profile);
        benchmark::DoNotOptimize(options);
    }
    state.counters["s_per_load"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["peak_MB"] = PeakResidentBytes() / 1e6;
}

// 1 MiB of blank lines: no entry at all, every condition takes its default.
void BM_LoadBlankLines1MiB(benchmark::State& state) {
    static const std::string path = MakeFile("blank.INI", kMiB, [](int) { return std::string("\r\n"); });
    LoadConditions(state, path);
}

// The window's real settings after 1 MiB of other programs' sections, so
// every lookup passes them all.
void BM_LoadPadded1MiB(benchmark::State& state) {
    static const std::string path = MakeFile(
        "padded.INI", kMiB,
        [](int i) {
            char text[96];
            if (i % 20 == 0) std::snprintf(text, sizeof text, "\r\n[Other program %d]\r\n", i / 20);
            else std::snprintf(text, sizeof text, "SomeSetting%02d=value number %d\r\n", i % 20, i);
            return std::string(text);
        },
        kRealSection);
    LoadConditions(state, path);
}

// The most key lines 1 MiB can hold ("a=" and LF), in the settings section.
void BM_LoadDenseKeys1MiB(benchmark::State& state) {
    static const std::string path = MakeFile("dense.INI", kMiB, [](int i) {
        return std::string(i == 0 ? "[Parameters]\n" : "a=\n");
    });
    LoadConditions(state, path);
}

// 10 MiB of blank lines: refused by its size.
void BM_LoadBlankLines10MiB(benchmark::State& state) {
    static const std::string path = MakeFile("blank10.INI", 10 * kMiB, [](int) { return std::string("\r\n"); });
    LoadConditions(state, path);
}

BENCHMARK(BM_LoadBlankLines1MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPadded1MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDenseKeys1MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBlankLines10MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
