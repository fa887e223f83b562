// What the HEIF decoder owns: its pixels equal libheif's own full decode
// (transformations applied, alpha over white, deep samples scaled to 8 bits
// with rounding) sampled at each pixel's centre, across irot, imir, clap,
// grids, alpha and 10/12-bit files of the shared corpus; the smooth road
// comes close to the exact area average of that decode; a HEIF's EXIF
// orientation is never applied on top of irot.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "listgen/formats/Registry.h"
#include "support/BoxReference.h"
#include "support/Decoding.h"

#include <libheif/heif.h>

namespace htmlimglist {
namespace {

using namespace test;

const std::string kCorpus = HTMLIMGLIST_CORPUS;

// libheif's full decode of the primary image, upright, put through the
// formula every decoder uses: deep samples scaled to 8 bits with rounding,
// then alpha laid over white, rounded to nearest.
Bitmap Reference(const std::string& path) {
    std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
    heif_image_handle* handle = nullptr;
    if (heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
        return {};
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    heif_image* image = nullptr;
    const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    const heif_error error = heif_decode_image(handle, &image, heif_colorspace_RGB, chroma, nullptr);
    heif_image_handle_release(handle);
    if (error.code != heif_error_Ok) return {};
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    const int max = deep ? (1 << heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved)) - 1 : 255;
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int v[4] = {0, 0, 0, 255};
            for (int k = 0; k < channels; ++k) {
                const uint8_t* s = plane + y * stride + (x * channels + k) * (deep ? 2 : 1);
                const int sample = deep ? s[0] | s[1] << 8 : s[0];
                v[k] = (sample * 255 + max / 2) / max;
            }
            for (int k = 0; k < 3; ++k) out.Row(y)[3 * x + k] = uint8_t((v[k] * v[3] + 255 * (255 - v[3]) + 127) / 255);
        }
    }
    heif_image_release(image);
    return out;
}

struct CorpusFile {
    const char* path;  // under the shared corpus
    ImageKind kind;
};

constexpr CorpusFile kFiles[] = {
    {"heic-valid/derived-rgb8-128-irot90.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-irot180.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-irot270.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-imir0.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-imir1.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-irot90-then-imir0.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-clap-96x64.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-128-clap-then-irot90.heif", ImageKind::Heic},
    {"heic-valid/derived-rgb8-29x100-grid-irot270.heif", ImageKind::Heic},
    {"heic-valid/its-IMG_2927.heic", ImageKind::Heic},  // an iPhone grid, irot and EXIF orientation 6
    {"heic-valid/pillowheif-RGBA_8__128x128.heif", ImageKind::Heic},
    {"heic-valid/pillowheif-RGB_10__128x128.heif", ImageKind::Heic},
    {"heic-valid/pillowheif-RGBA_10__29x100.heif", ImageKind::Heic},
    {"heic-valid/pillowheif-L_12__29x100.heif", ImageKind::Heic},
    {"avif-valid/linku-kimono.mirror-vertical.rotate270.crop.avif", ImageKind::Avif},
    {"avif-valid/linku-fox.profile0.10bpc.yuv420.avif", ImageKind::Avif},
    {"avif-valid/linku-plum-blossom-small.profile0.8bpc.yuv420.alpha-full.avif", ImageKind::Avif},
    {"avif-valid/libavif-sofa_grid1x5_420.avif", ImageKind::Avif},
};

class HeifCorpusTest : public testing::TestWithParam<CorpusFile> {};

TEST_P(HeifCorpusTest, NearestPixelsEqualLibheifsFullDecodeAndSmoothComesClose) {
    const std::string path = kCorpus + "/" + GetParam().path;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << kCorpus;
    const auto probed = ProbeImageFile(path, ProbeOptions::Everything());
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->Kind(), GetParam().kind);
    // libheif turns the picture by irot; the EXIF orientation is not applied again.
    EXPECT_EQ(probed->header.orientation, 1);
    const Bitmap full = Reference(path);
    ASSERT_FALSE(full.Empty());
    ASSERT_EQ(full.Width(), probed->header.width);
    ASSERT_EQ(full.Height(), probed->header.height);
    const int w = full.Width(), h = full.Height();
    const std::pair<int, int> sizes[] = {{(w + 2) / 3, (h + 2) / 3}, {37, 23}, {1, 1}, {w, h}};
    for (auto [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Bitmap nearest, smooth;
        DecodeReport report;
        ASSERT_TRUE(DecodeScaled(GetParam().kind, FromFile(path), width, height, nearest, &report)) << report.error;
        Bitmap expected(width, height);
        expected.StretchDraw(Rect{0, 0, width, height}, full);
        EXPECT_TRUE(SamePixels(nearest, expected));
        ASSERT_TRUE(DecodeScaled(GetParam().kind, FromFile(path), width, height, smooth, &report, 1, true));
        if (width <= w && height <= h) {
            EXPECT_GE(Psnr(smooth, BoxAverageReference(full, width, height)), 34.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HeifCorpusTest, testing::ValuesIn(kFiles),
                         [](const testing::TestParamInfo<CorpusFile>& info) {
                             std::string name = std::filesystem::path(info.param.path).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// A layered AV1 picture whose ispe names its smallest layer (360 x 182)
// comes out of libheif at its largest (1436 x 730): the same picture, so it
// still gets its copy, with the header's size reported.
TEST(HeifFormatTest, ALayeredPictureDecodedLargerThanItsHeaderStillGetsItsCopy) {
    const std::string path = kCorpus + "/avif-valid/avifxiph-quebec_3layer_op2.avif";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << kCorpus;
    Bitmap out;
    DecodeReport report;
    ASSERT_TRUE(DecodeScaled(ImageKind::Avif, FromFile(path), 200, 101, out, &report)) << report.error;
    EXPECT_EQ(out.Width(), 200);
    EXPECT_EQ(report.sourceWidth, 360);
    EXPECT_EQ(report.sourceHeight, 182);
}

// Files libheif cannot take (the probe sees a sane picture) fail with a
// reason; a picture over 2^26 pixels is refused from its header, however
// large a decoder would find it.
TEST(HeifFormatTest, RefusalsKeepTheirReasons) {
    const struct {
        const char* path;
        ImageKind kind;
    } cases[] = {
        {"heic-malformed/derived-rgb8-128-ispe-100000x100000.heif", ImageKind::Heic},
        {"heic-valid/pillowheif-200MP.heic", ImageKind::Heic},
        {"heic-malformed/derived-rgb8-128-iloc-offset-past-eof.heif", ImageKind::Heic},
        {"heic-malformed/derived-rgb8_150_128-exif-tiff-offset-huge.heic", ImageKind::Heic},
        {"avif-valid/linku-star-8bpc.avifs", ImageKind::Avif},
    };
    for (const auto& c : cases) {
        const std::string path = kCorpus + "/" + c.path;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << kCorpus;
        SCOPED_TRACE(c.path);
        Bitmap out;
        DecodeReport report;
        if (!DecodeScaled(c.kind, FromFile(path), 40, 30, out, &report)) {
            EXPECT_FALSE(report.error.empty());
        }
    }
    Bitmap out;
    DecodeReport report;
    const std::string huge = kCorpus + "/heic-valid/pillowheif-200MP.heic";
    EXPECT_FALSE(DecodeScaled(ImageKind::Heic, FromFile(huge), 40, 30, out, &report));
    EXPECT_EQ(report.error, "source of 12240 x 16320 pixels refused");
}

}  // namespace
}  // namespace htmlimglist
