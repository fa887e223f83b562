#include "support/HeifFixtures.h"

#include <cstdint>

#include <libheif/heif.h>

namespace htmlimglist::test {
namespace {

heif_error Append(heif_context*, const void* data, size_t size, void* out) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// A photo-like gradient with some texture, every sample in [0, max].
int Sample(const HeifRecipe& r, int x, int y, int channel, int max) {
    const int base[3] = {x * max / (r.width > 1 ? r.width - 1 : 1), y * max / (r.height > 1 ? r.height - 1 : 1),
                         ((x + y) * 7 * r.seed) % (max + 1)};
    return (base[channel] + ((x * 13 + y * 29 + channel * 5 + r.seed) % 9) * (max / 255 + 1)) % (max + 1);
}

}  // namespace

// x265 keeps a few kilobytes of its encoder's tables to the end of the
// process; the sanitizer build's leak check (also when ctest lists the
// tests) is not about them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

std::string MakeHeif(const HeifRecipe& r) {
    const bool deep = r.bits > 8;
    const heif_chroma chroma = deep ? (r.alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (r.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* image = nullptr;
    if (heif_image_create(r.width, r.height, heif_colorspace_RGB, chroma, &image).code != heif_error_Ok) return {};
    heif_image_add_plane(image, heif_channel_interleaved, r.width, r.height, r.bits);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int channels = r.alpha ? 4 : 3, max = (1 << r.bits) - 1;
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int v = c == 3 ? x * max / (r.width > 1 ? r.width - 1 : 1) : Sample(r, x, y, c, max);
                uint8_t* at = plane + y * stride + (x * channels + c) * (deep ? 2 : 1);
                if (deep) {
                    at[0] = uint8_t(v & 0xFF), at[1] = uint8_t(v >> 8);
                } else {
                    at[0] = uint8_t(v);
                }
            }
        }
    }
    if (!r.icc.empty()) heif_image_set_raw_color_profile(image, "prof", r.icc.data(), r.icc.size());

    std::string out;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, r.av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
            .code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 90);
        if (r.av1) heif_encoder_set_parameter(encoder, "speed", "9");
        else heif_encoder_set_parameter(encoder, "preset", "ultrafast");
        heif_writer writer{1, Append};
        if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code != heif_error_Ok ||
            heif_context_write(context, &writer, &out).code != heif_error_Ok)
            out.clear();
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    heif_image_release(image);
    return out;
}

}  // namespace htmlimglist::test
