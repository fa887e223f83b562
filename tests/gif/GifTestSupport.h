// Loading built bytes and looking at the result, for the GIF tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "GifBuilder.h"
#include "gif/GIFImage.h"

namespace htmlimglist::test {

struct Loaded {
    std::unique_ptr<TGIFImage> image = std::make_unique<TGIFImage>();
    // Shared with the image's warning handler, which outlives moves of this.
    std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
    const std::vector<std::string>& warnings() const { return *log; }
    std::string error;          // the GIFException's text, empty when none
    int64_t positionAfter = 0;  // of the stream, after the load
};

// Loads bytes from a memory stream, collecting warnings and the error.
Loaded Load(const Bytes& bytes, TGIFFrameLoad frames = TGIFFrameLoad::flAllFrames);
// Every pixel index of a frame, rows top to bottom.
std::vector<uint8_t> Indices(const TGIFSubImage& frame);
// A frame recipe of width x height indices with the given pixels.
FrameRecipe Recipe(int width, int height, std::vector<uint8_t> pixels, int minCodeSize = 2);

}  // namespace htmlimglist::test
