// HEIF: two entries, HEIC (HEVC-coded) and AVIF (AV1-coded), sharing one
// probe (HeifBoxes) and one decoder on libheif.
//
// libheif decodes the primary image with its transformations (irot, imir,
// clap) applied, so the picture it gives is already upright: a HEIF's EXIF
// orientation repeats what irot says and is never applied again (the header
// keeps orientation 1). Our own probe runs on the bytes before libheif sees
// them; a picture above 2^26 pixels is refused from it. libheif's side limit
// is set as well, and its decode runs with our cancel flag looked at before
// and after it and between the rows handed to the reducer.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "listgen/formats/FormatEntries.h"
#include "listgen/formats/HeifBoxes.h"
#include "listgen/formats/WideGamutProfile.h"
#include "platform/RegularFile.h"

#include <libheif/heif.h>

namespace htmlimglist {
namespace {

constexpr int64_t kMaxSourcePixels = int64_t(1) << 26;
// libheif's own limit, on each side of every image in the file (tiles
// included); the pixel limit above is the one that counts for the primary.
constexpr int kMaxSide = 1 << 15;
// libheif's tile threads: none of its own, since the run's workers already
// decode several files at once.
constexpr int kDecodingThreads = 0;
// A decoded picture whose sides differ from its header's is still taken when
// its aspect ratio is within 1 part in this many of the header's.
constexpr int64_t kShapeTolerance = 50;

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

bool Fail(DecodeReport& report, std::string why) {
    report.error = std::move(why);
    return false;
}

bool Cancelled(const DecodeControl& control, DecodeReport& report) {
    if (!control.Cancelled()) return false;
    report.aborted = true;
    report.error = "aborted";
    return true;
}

// libheif reads a file through these, so that only the boxes and the coded
// data it needs are read, never the whole file.
struct FileReader {
    int fd;
    int64_t size;
    int64_t position = 0;

    static int64_t Position(void* self) { return static_cast<FileReader*>(self)->position; }
    static int Read(void* data, size_t n, void* self) {
        auto& r = *static_cast<FileReader*>(self);
        auto* out = static_cast<char*>(data);
        for (size_t done = 0; done < n;) {
            const ssize_t got = pread(r.fd, out + done, n - done, off_t(r.position));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return 1;
            done += size_t(got);
            r.position += got;
        }
        return 0;
    }
    static int Seek(int64_t position, void* self) {
        auto& r = *static_cast<FileReader*>(self);
        if (position < 0 || position > r.size) return 1;
        r.position = position;
        return 0;
    }
    static heif_reader_grow_status WaitForSize(int64_t target, void* self) {
        return target > static_cast<FileReader*>(self)->size ? heif_reader_grow_status_size_beyond_eof
                                                              : heif_reader_grow_status_size_reached;
    }
};

constexpr heif_reader kFileReader = {1, FileReader::Position, FileReader::Read, FileReader::Seek,
                                     FileReader::WaitForSize};

// One pixel of 16-bit little-endian samples holding `bits` bits, scaled to
// 8 bits with rounding, alpha (when there) laid over white.
struct DeepPixel {
    uint32_t max;  // 2^bits - 1
    bool alpha;

    uint8_t Scale(const uint8_t* sample) const {
        const uint32_t v = std::min<uint32_t>(uint32_t(sample[0]) | uint32_t(sample[1]) << 8, max);
        return uint8_t((v * 255 + max / 2) / max);
    }
    void operator()(const uint8_t* p, uint8_t* rgb) const {
        uint8_t rgba[4] = {Scale(p), Scale(p + 2), Scale(p + 4), uint8_t(alpha ? Scale(p + 6) : 255)};
        RgbaOverWhite(rgba, rgb);
    }
};

// Hands the decoded, upright picture's rows to the reducer.
bool Reduce(const heif_image* image, bool alpha, int bits, const ReduceTarget& target, const DecodeControl& control,
            Bitmap& out, DecodeReport& report) {
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    if (pixels == nullptr || width < 1 || height < 1) return Fail(report, "no picture decoded");
    const bool deep = bits > 8;
    const int bytesPerPixel = (alpha ? 4 : 3) * (deep ? 2 : 1);
    RowReducer reducer;
    if (!reducer.Start(width, height, target, bytesPerPixel)) return Fail(report, "cannot reduce to that size");
    const DeepPixel deepPixel{(1u << bits) - 1, alpha};
    int rows = 0;
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        if (++rows % kRowsPerCancelCheck == 0 && Cancelled(control, report)) return false;
        const uint8_t* row = pixels + std::ptrdiff_t(y) * stride;
        if (deep) {
            reducer.Take(row, deepPixel);
        } else if (alpha) {
            reducer.Take(row, RgbaOverWhite);
        } else {
            reducer.Take(row, CopyRgb);
        }
    }
    if (Cancelled(control, report)) return false;
    out = reducer.Finish();
    return true;
}

// The primary image's ICC profile as it stands; else, for a colour
// description by numbers with P3 or BT.2020 primaries, the matching profile.
std::string ColourProfileOf(const heif_image_handle* handle) {
    std::string profile(heif_image_handle_get_raw_color_profile_size(handle), '\0');
    if (!profile.empty() && int64_t(profile.size()) <= kMaxColourProfileBytes &&
        heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
        return profile;
    // libheif hands the numbers out even when it refuses one of them (an
    // unknown primaries code, say): they are freed either way.
    heif_color_profile_nclx* numbers = nullptr;
    const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &numbers);
    profile.clear();
    if (error.code == heif_error_Ok && numbers != nullptr) profile = WideGamutProfile(numbers->color_primaries);
    if (numbers != nullptr) heif_nclx_color_profile_free(numbers);
    return profile;
}

bool DecodeWith(heif_context* context, const HeifHeader& header, const ReduceTarget& target,
                const DecodeControl& control, Bitmap& out, DecodeReport& report) {
    heif_image_handle* rawHandle = nullptr;
    heif_error error = heif_context_get_primary_image_handle(context, &rawHandle);
    if (error.code != heif_error_Ok) return Fail(report, std::string("no primary image: ") + error.message);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    report.colourProfile = ColourProfileOf(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const int bits = heif_image_handle_get_luma_bits_per_pixel(handle.get());
    const bool deep = bits > 8;
    const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    if (Cancelled(control, report)) return false;
    // What libheif holds while it decodes: the coded picture's planes (at
    // most 4:4:4, two bytes a sample when deep) and the RGB(A) picture made
    // from them, taken from the budget the decodes running at once share.
    BudgetLease lease;
    const int64_t pixels = int64_t(header.width) * header.height, sampleBytes = deep ? 2 : 1;
    if (!control.Reserve(pixels * sampleBytes * (4 + (alpha ? 4 : 3)), lease, report)) return false;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image* rawImage = nullptr;
    error = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, chroma, options.get());
    const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    if (error.code != heif_error_Ok || !image) return Fail(report, std::string("cannot decode: ") + error.message);
    if (Cancelled(control, report)) return false;
    // libheif must have decoded the picture the probe saw. A layered AV1
    // picture may come out at its largest layer's size where ispe names a
    // smaller layer's: the same picture, taken when its shape agrees and it
    // is within the pixel limit.
    const int64_t width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int64_t height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (width != header.width || height != header.height) {
        const int64_t across = width * header.height, down = height * header.width;
        if (width < 1 || height < 1 || width * height > control.PixelLimit(kMaxSourcePixels) ||
            std::abs(across - down) * kShapeTolerance > std::max(across, down))
            return Fail(report, "picture of another size than its header says");
    }
    const int decodedBits = deep ? heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) : 8;
    if (decodedBits < 8 || decodedBits > 16) return Fail(report, "unsupported sample depth");
    return Reduce(image.get(), alpha, decodedBits, target, control, out, report);
}

bool DecodeHeif(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                DecodeReport& report) {
    if (Cancelled(control, report)) return false;
    // Our probe first: libheif sees only files whose boxes are sane.
    UniqueFd fd;
    struct stat info {};
    HeifHeader header;
    if (input.bytes.empty()) {
        FileProbeSource file;
        if (!file.Open(input.path)) return Fail(report, "cannot open " + input.path + ": " + std::strerror(errno));
        header = ProbeHeifBoxes(file);
        // The same file, opened again only now that it is known to be one.
        fd = OpenRegularFile(input.path, &info);
        if (!fd) return Fail(report, "cannot open " + input.path + ": " + std::strerror(errno));
    } else {
        MemoryProbeSource bytes(input.bytes);
        header = ProbeHeifBoxes(bytes);
    }
    if (header.verdict != HeifVerdict::Recognised) return Fail(report, "not a HEIF file libheif decodes");
    report.sourceWidth = header.width;
    report.sourceHeight = header.height;
    if (!control.WithinPixelLimit(header.width, header.height, kMaxSourcePixels, report)) return false;
    if (target.width <= 0 || target.height <= 0) return Fail(report, "no pixels to make");

    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context) return Fail(report, "out of memory");
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heif_context_set_max_decoding_threads(context.get(), kDecodingThreads);
    FileReader reader{fd.get(), int64_t(info.st_size)};
    const heif_error error =
        input.bytes.empty()
            ? heif_context_read_from_reader(context.get(), &kFileReader, &reader, nullptr)
            : heif_context_read_from_memory_without_copy(context.get(), input.bytes.data(), input.bytes.size(), nullptr);
    if (error.code != heif_error_Ok) return Fail(report, std::string("cannot read: ") + error.message);
    return DecodeWith(context.get(), header, target, control, out, report);
}


bool ProbeAs(HeifFamily family, ProbeSource& source, ImageHeader& header) {
    const HeifHeader heif = ProbeHeifBoxes(source);
    if (heif.verdict != HeifVerdict::Recognised || heif.family != family) return false;
    header.width = heif.width;
    header.height = heif.height;
    header.animated = heif.animated;
    header.colourProfile = heif.colourProfile;
    header.typeText = family == HeifFamily::Heic ? "HEIC" : "AVIF";
    return true;
}
bool ProbeAsHeic(ProbeSource& source, const ProbeOptions&, ImageHeader& header) {
    return ProbeAs(HeifFamily::Heic, source, header);
}
bool ProbeAsAvif(ProbeSource& source, const ProbeOptions&, ImageHeader& header) {
    return ProbeAs(HeifFamily::Avif, source, header);
}

// Either entry tells for both: a damaged file is damaged whatever its
// coding, and another coding leaves no size the tool can show.
std::optional<NotListedReason> SniffHeif(ProbeSource& source) {
    switch (ProbeHeifBoxes(source).verdict) {
        case HeifVerdict::Damaged: return NotListedReason::Damaged;
        case HeifVerdict::OtherCoding: return NotListedReason::NoSize;
        default: return std::nullopt;
    }
}

}  // namespace

// Browsers show AVIF as it is; HEIC only through a reduced copy.
const ImageFormat& HeicFormat() {
    static const FunctionEntry entry({ImageKind::Heic, FormatGroup::MoreImageTypes, ProbeAsHeic, SniffHeif, DecodeHeif,
                                      NotListedReason::HeicNeedsCopies});
    return entry;
}

const ImageFormat& AvifFormat() {
    static const FunctionEntry entry(
        {ImageKind::Avif, FormatGroup::MoreImageTypes, ProbeAsAvif, SniffHeif, DecodeHeif});
    return entry;
}

}  // namespace htmlimglist
