// Writes a HEIC file of one colour whose colr box gives Display P3
// primaries as numbers (nclx), for the browser check that a reduced copy
// keeps the colours: the copy then carries a P3 profile.
//   htmlimglist-make-p3 FILE R G B
#include <cstdio>
#include <cstdlib>
#include <string>

#include <libheif/heif.h>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s FILE R G B\n", argv[0]);
        return 2;
    }
    constexpr int kSide = 64;
    const int colour[3] = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
    heif_image* image = nullptr;
    heif_image_create(kSide, kSide, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, kSide, kSide, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            for (int c = 0; c < 3; ++c) plane[y * stride + 3 * x + c] = uint8_t(colour[c]);
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, 12);             // Display P3
    heif_nclx_color_profile_set_transfer_characteristics(nclx, 13);  // sRGB's curve
    heif_nclx_color_profile_set_matrix_coefficients(nclx, 6);        // BT.601
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(image, nclx);

    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_error error = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    if (error.code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 95);
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->output_nclx_profile = nclx;
        // libheif leaves nclx out by default, for old macOS viewers.
        options->macOS_compatibility_workaround_no_nclx_profile = 0;
        error = heif_context_encode_image(context, image, encoder, options, nullptr);
        heif_encoding_options_free(options);
        heif_encoder_release(encoder);
    }
    if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, argv[1]);
    heif_context_free(context);
    heif_nclx_color_profile_free(nclx);
    heif_image_release(image);
    if (error.code != heif_error_Ok) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.message);
        return 1;
    }
    return 0;
}
