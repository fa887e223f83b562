// GIF decoding speed: a noisy 2000 x 2000 single frame with 256 colours (the
// LZW worst case) and a 100-frame 200 x 200 animation with every frame
// decoded, loaded from memory; megapixels per second, the goal for the
// single frame being at least 100 on the reference 2-core machine. And what
// a reduced copy costs: a 90-frame 480 x 360 animation loaded (later frames
// only walked) and its first frame drawn at 200 x 150. And a file of
// 400,000 tiny frames loaded and freed, and loaded for its first frame
// alone as a reduced copy loads it.
#include <benchmark/benchmark.h>

#include <random>
#include <span>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFMemoryStream.h"
#include "gif/GifBuilder.h"

namespace {

using namespace htmlimglist;
using namespace htmlimglist::test;

std::vector<TGIFColor> Palette256() {
    std::vector<TGIFColor> colors;
    for (int i = 0; i < 256; ++i) colors.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    return colors;
}

Bytes MakeGif(int width, int height, int frames, int colours) {
    std::mt19937 rng(42);
    GifBuilder gif;
    gif.Header(width, height, Palette256());
    for (int f = 0; f < frames; ++f) {
        FrameRecipe frame;
        frame.width = width;
        frame.height = height;
        frame.minCodeSize = 8;
        frame.pixels.resize(std::size_t(width) * std::size_t(height));
        for (auto& p : frame.pixels) p = uint8_t(rng() % unsigned(colours));
        if (frames > 1) gif.GraphicControl(false, 0, 1, 5);
        gif.Frame(frame);
    }
    gif.Trailer();
    return gif.bytes();
}

void Decode(benchmark::State& state, const Bytes& bytes, double pixels) {
    for (auto _ : state) {
        TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
        TGIFImage image;
        image.LoadFromStream(stream);
        // Later frames decode on first use: ask for each one's pixels.
        for (int i = 1; i < image.Images().Count(); ++i) image.Images().SubImage(i).LoadPixels();
        benchmark::DoNotOptimize(image.Images().Count());
    }
    state.counters["Mpixel_per_second"] =
        benchmark::Counter(pixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_SingleFrame2000(benchmark::State& state) {
    static const Bytes bytes = MakeGif(2000, 2000, 1, 256);
    Decode(state, bytes, 2000.0 * 2000.0);
}
BENCHMARK(BM_SingleFrame2000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Animation100Frames(benchmark::State& state) {
    static const Bytes bytes = MakeGif(200, 200, 100, 64);
    Decode(state, bytes, 100.0 * 200.0 * 200.0);
}
BENCHMARK(BM_Animation100Frames)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Animation90FramesFirstFrameReduced(benchmark::State& state) {
    static const Bytes bytes = MakeGif(480, 360, 90, 256);
    for (auto _ : state) {
        TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
        TGIFImage image;
        image.LoadFromStream(stream);
        Bitmap target(200, 150, kWhite);
        image.Draw(target, Rect{0, 0, 200, 150});
        benchmark::DoNotOptimize(target.Row(0));
    }
    state.counters["MB_per_second"] =
        benchmark::Counter(double(bytes.size()) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Animation90FramesFirstFrameReduced)->Unit(benchmark::kMillisecond)->UseRealTime();

// 400,000 frames of 1 x 1 pixel (9 MB).
const Bytes& TinyFrames() {
    static const Bytes bytes = [] {
        GifBuilder gif;
        gif.Header(1, 1, Palette256());
        FrameRecipe frame;
        frame.width = frame.height = 1;
        frame.pixels = {7};
        for (int f = 0; f < 400000; ++f) gif.GraphicControl(false, 0, 1, 5).Frame(frame);
        gif.Trailer();
        return gif.bytes();
    }();
    return bytes;
}

// Loaded, then freed. Freeing must take time linear in the number of frames.
void BM_LoadAndFree400000Frames(benchmark::State& state) {
    const Bytes& bytes = TinyFrames();
    for (auto _ : state) {
        TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
        TGIFImage image;
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Images().Count());
        image.Clear();
    }
}
BENCHMARK(BM_LoadAndFree400000Frames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Loaded for the first frame alone and drawn: each later frame is walked
// and freed at once.
void BM_FirstFrameOf400000Frames(benchmark::State& state) {
    const Bytes& bytes = TinyFrames();
    for (auto _ : state) {
        TGIFMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
        TGIFImage image;
        image.LoadFromStream(stream, TGIFFrameLoad::flFirstFrame);
        Bitmap target(1, 1, kWhite);
        image.Draw(target, Rect{0, 0, 1, 1});
        benchmark::DoNotOptimize(target.Row(0));
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(400000.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstFrameOf400000Frames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
