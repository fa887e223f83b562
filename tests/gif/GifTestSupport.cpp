#include "GifTestSupport.h"

#include "gif/GIFException.h"
#include "gif/GIFMemoryStream.h"

namespace htmlimglist::test {

Loaded Load(const Bytes& bytes, TGIFFrameLoad frames) {
    Loaded result;
    result.image->OnWarning = [log = result.log](const TPersistent*, TGIFSeverity, const std::string& message) {
        log->push_back(message);
    };
    TGIFMemoryStream stream(bytes);
    try {
        result.image->LoadFromStream(stream, frames);
    } catch (const GIFException& e) {
        result.error = e.what();
    }
    result.positionAfter = stream.Position();
    return result;
}

std::vector<uint8_t> Indices(const TGIFSubImage& frame) {
    std::vector<uint8_t> out;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) out.push_back(frame.PixelIndex(x, y));
    return out;
}

FrameRecipe Recipe(int width, int height, std::vector<uint8_t> pixels, int minCodeSize) {
    FrameRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.pixels = std::move(pixels);
    recipe.minCodeSize = minCodeSize;
    return recipe;
}

}  // namespace htmlimglist::test
