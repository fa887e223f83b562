#include "support/WebpFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include <webp/encode.h>
#include <webp/mux.h>

#include "support/Fixtures.h"

namespace htmlimglist::test {
namespace {

std::vector<uint8_t> Picture(int width, int height, bool alpha, int seed) {
    std::vector<uint8_t> rgba(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = rgba.data() + (std::size_t(y) * width + x) * 4;
            const double fx = double(x) / width, fy = double(y) / height;
            const double texture = 20 * std::sin(x * 0.9 + seed) * std::cos(y * 0.7 - seed);
            p[0] = uint8_t(std::clamp(40 + 180 * fx + texture, 0.0, 255.0));
            p[1] = uint8_t(std::clamp(200 - 150 * fy + texture, 0.0, 255.0));
            p[2] = uint8_t(std::clamp(90 + 100 * std::sin(fx * 7 + fy * 5 + seed), 0.0, 255.0));
            // Clear at the top left, opaque at the bottom right, in between elsewhere.
            p[3] = alpha ? uint8_t(std::clamp((fx + fy - 0.4) * 255, 0.0, 255.0)) : 255;
        }
    }
    return rgba;
}

// A still WebP (RIFF, VP8 or VP8L, or VP8X with ALPH and VP8).
std::string Encode(int width, int height, const WebpRecipe& recipe, int seed) {
    WebPConfig config;
    if (!WebPConfigInit(&config)) throw std::runtime_error("WebPConfigInit");
    config.lossless = recipe.lossless;
    config.quality = float(recipe.quality);
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) throw std::runtime_error("WebPPictureInit");
    picture.width = width;
    picture.height = height;
    picture.use_argb = recipe.lossless;
    const std::vector<uint8_t> rgba = Picture(width, height, recipe.alpha, seed);
    if (!WebPPictureImportRGBA(&picture, rgba.data(), width * 4)) throw std::runtime_error("import");
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    std::string bytes(reinterpret_cast<const char*>(writer.mem), writer.size);
    WebPMemoryWriterClear(&writer);
    if (!ok) throw std::runtime_error("WebPEncode");
    return bytes;
}

WebPData Data(const std::string& bytes) { return WebPData{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}; }

}  // namespace

std::string MakeWebp(const WebpRecipe& recipe) {
    const bool animated = recipe.frames > 1;
    if (!animated && recipe.orientation == 0) return Encode(recipe.width, recipe.height, recipe, recipe.seed);

    WebPMux* mux = WebPMuxNew();
    if (mux == nullptr) throw std::runtime_error("WebPMuxNew");
    std::vector<std::string> frames;  // must live until the file is assembled
    if (animated) {
        // An opaque background colour that a decoder must not paint: the
        // first frame is composited onto a transparent canvas.
        WebPMuxAnimParams params{0xFF2040C0u, 0};
        WebPMuxSetAnimationParams(mux, &params);
        WebPMuxSetCanvasSize(mux, recipe.width, recipe.height);
        for (int i = 0; i < recipe.frames; ++i) {
            const bool first = i == 0 && recipe.frameWidth > 0;
            const int w = first ? recipe.frameWidth : recipe.width, h = first ? recipe.frameHeight : recipe.height;
            frames.push_back(Encode(w, h, recipe, recipe.seed + i));
            WebPMuxFrameInfo info{};
            info.bitstream = Data(frames.back());
            info.x_offset = first ? recipe.frameX : 0;
            info.y_offset = first ? recipe.frameY : 0;
            info.duration = 100;
            info.id = WEBP_CHUNK_ANMF;
            info.dispose_method = WEBP_MUX_DISPOSE_NONE;
            info.blend_method = WEBP_MUX_BLEND;
            if (WebPMuxPushFrame(mux, &info, 1) != WEBP_MUX_OK) throw std::runtime_error("WebPMuxPushFrame");
        }
    } else {
        frames.push_back(Encode(recipe.width, recipe.height, recipe, recipe.seed));
        const WebPData image = Data(frames.back());
        if (WebPMuxSetImage(mux, &image, 1) != WEBP_MUX_OK) throw std::runtime_error("WebPMuxSetImage");
    }
    if (recipe.orientation != 0) {
        ExifRecipe exifRecipe;
        exifRecipe.orientation = recipe.orientation;
        std::string exif = ExifData(exifRecipe);  // starts "Exif\0\0"
        if (!recipe.exifIdentifier) exif.erase(0, 6);
        const WebPData data = Data(exif);
        if (WebPMuxSetChunk(mux, "EXIF", &data, 1) != WEBP_MUX_OK) throw std::runtime_error("WebPMuxSetChunk");
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    const WebPMuxError error = WebPMuxAssemble(mux, &assembled);
    WebPMuxDelete(mux);
    if (error != WEBP_MUX_OK) throw std::runtime_error("WebPMuxAssemble");
    std::string bytes(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    return bytes;
}

std::string LittleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

std::string WebpChunk(const std::string& code, const std::string& payload, int64_t sizeField) {
    const uint32_t size = sizeField >= 0 ? uint32_t(sizeField) : uint32_t(payload.size());
    return code + LittleEndian(size, 4) + payload + std::string(payload.size() % 2, '\0');
}

std::string WebpRiff(const std::string& chunks, int64_t sizeChange) {
    return "RIFF" + LittleEndian(uint32_t(4 + chunks.size() + sizeChange), 4) + "WEBP" + chunks;
}

}  // namespace htmlimglist::test
