// PNG: recognised by its signature and IHDR, then a walk over the chunk
// headers up to the first IDAT for the animation control (acTL) and EXIF
// (eXIf) chunks; decoded row by row on libpng, with only a few rows held at
// a time (an interlaced picture is held whole), straight to a reduced copy.
//
// Layout: 8-byte signature, then chunks of
//   length (4 bytes, big-endian, at most 2^31 - 1), type (4 ASCII letters),
//   data (length bytes), CRC (4 bytes).
// IHDR's data: width (4), height (4), bit depth, colour type, compression,
// filter, interlace (1 byte each).
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/Exif.h"
#include "listgen/formats/FormatEntries.h"
#include "platform/RegularFile.h"

#include <png.h>

namespace htmlimglist {
namespace {


constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int64_t kChunkHeader = 8;  // length and type
constexpr int64_t kChunkCrc = 4;
constexpr uint32_t kIhdrLength = 13;
constexpr uint32_t kMaxLength = 0x7FFFFFFF;
// Chunks walked before the first IDAT. Real files have a handful (text,
// colour profile, physical size); past this many the walk stops and the
// picture is taken as still and unturned, so a file of millions of tiny
// chunks costs a few reads.
constexpr int kMaxChunksWalked = 1000;
bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Which colour types allow which bit depths.
bool SaneDepth(uint8_t depth, uint8_t colourType) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;  // grey
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;                 // palette
        case 2: case 4: case 6: return depth == 8 || depth == 16;  // RGB, grey + alpha, RGBA
        default: return false;
    }
}

bool ProbePng(ProbeSource& source, const ProbeOptions& options, ImageHeader& header) {
    const int64_t size = source.Size();
    uint8_t head[sizeof kSignature + kChunkHeader + kIhdrLength];
    if (size < int64_t(sizeof head) + kChunkCrc) return false;
    if (source.ReadAt(0, head, sizeof head) != sizeof head) return false;
    if (std::memcmp(head, kSignature, sizeof kSignature) != 0) return false;
    const uint8_t* ihdr = head + sizeof kSignature;
    if (BigEndian32(ihdr) != kIhdrLength || std::memcmp(ihdr + 4, "IHDR", 4) != 0) return false;
    const uint8_t* fields = ihdr + kChunkHeader;
    const uint32_t width = BigEndian32(fields), height = BigEndian32(fields + 4);
    if (width < 1 || width > kMaxLength || height < 1 || height > kMaxLength) return false;
    if (!SaneDepth(fields[8], fields[9]) || fields[10] != 0 || fields[11] != 0 || fields[12] > 1) return false;

    bool animated = false;
    int orientation = 1;
    bool exifSeen = false, profile = false;
    int64_t at = int64_t(sizeof head) + kChunkCrc;
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        uint8_t chunk[kChunkHeader];
        if (at + kChunkHeader > size || source.ReadAt(at, chunk, sizeof chunk) != sizeof chunk) return false;
        const uint32_t length = BigEndian32(chunk);
        const uint8_t* type = chunk + 4;
        if (length > kMaxLength || !std::all_of(type, type + 4, IsLetter)) return false;
        if (at + kChunkHeader + int64_t(length) + kChunkCrc > size) return false;
        if (std::memcmp(type, "IDAT", 4) == 0) break;
        // An end before any picture data: nothing to show.
        if (std::memcmp(type, "IEND", 4) == 0) return false;
        if (std::memcmp(type, "acTL", 4) == 0) animated = true;
        // The profile, deflated: a name, its compression method, the data.
        if (std::memcmp(type, "iCCP", 4) == 0) profile = length <= kMaxColourProfileBytes;
        if (std::memcmp(type, "eXIf", 4) == 0 && !exifSeen) {
            exifSeen = true;
            ExifFacts facts = ReadExifFacts(source, at + kChunkHeader, length, ExifLayout::Bare, options.dateTaken);
            orientation = facts.orientation;
            header.dateTaken = std::move(facts.dateTaken);
        }
        at += kChunkHeader + int64_t(length) + kChunkCrc;
    }
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.animated = animated;
    header.orientation = orientation;
    header.colourProfile = profile;
    header.typeText = "PNG";
    return true;
}


// libpng reports fatal errors through the error function, which must not
// return: it jumps back to the trap set in the one function that drives the
// decoder. Everything with a destructor belongs to that function's caller,
// so the jump skips none.
struct PngTrap {
    int warnings;
    char message[200];
};

extern "C" void TrapPngError(png_structp png, png_const_charp message) {
    auto* trap = static_cast<PngTrap*>(png_get_error_ptr(png));
    std::snprintf(trap->message, sizeof trap->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, extra data) are counted, never printed.
extern "C" void CountPngWarning(png_structp png, png_const_charp) {
    ++static_cast<PngTrap*>(png_get_error_ptr(png))->warnings;
}

// Where the bytes come from: a file, or a block of memory.
struct PngSource {
    std::FILE* file;
    const uint8_t* bytes;
    std::size_t size;
    std::size_t at;
};

extern "C" void ReadPngSource(png_structp png, png_bytep data, std::size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->file != nullptr) {
        if (std::fread(data, 1, length, source->file) != length) png_error(png, "the file ends early");
        return;
    }
    if (source->size - source->at < length) png_error(png, "the data ends early");
    std::memcpy(data, source->bytes + source->at, length);
    source->at += length;
}

// Sources above this many pixels are refused before decoding starts.
constexpr int64_t kMaxSourcePixels = int64_t(1) << 30;
// An interlaced source is held whole while its passes arrive, so it is
// refused above this many pixels (256 MiB as RGBA).
constexpr int64_t kMaxInterlacedPixels = int64_t(1) << 26;
// Rows are held a few at a time, inside libpng and here; this width keeps
// them to a few tens of MiB even at 16 bits per channel.
constexpr uint32_t kMaxWidth = uint32_t(1) << 20;
// Ancillary chunks libpng keeps at most, and the most memory one may take.
constexpr png_uint_32 kMaxCachedChunks = 128;
constexpr png_alloc_size_t kMaxChunkBytes = 1024 * 1024;

// Working memory of one decode, owned by the caller of the trap.
struct PngScratch {
    RowReducer reducer;
    std::vector<uint8_t> row;    // one row, for a source read row by row
    std::vector<uint8_t> image;  // the whole picture, for an interlaced source
    BudgetLease lease;           // what the whole picture takes of the shared budget
};

bool Cancelled(const DecodeControl& control, int64_t reads) {
    return reads % kRowsPerCancelCheck == 0 && control.Cancelled();
}

// Feeds the reducer the rows it asks for. A row-by-row source is read in
// order; rows the reducer skips must still be inflated, so they are read
// into the same buffer and dropped. An interlaced source is read whole,
// pass after pass, then handed over.
template <class Convert>
bool FeedRows(png_structp png, PngTrap& trap, int64_t H, std::size_t rowBytes, int passes,
              const DecodeControl& control, PngScratch& scratch, DecodeReport& report, Convert convert) {
    RowReducer& reducer = scratch.reducer;
    int64_t reads = 0;
    if (passes == 1) {
        scratch.row.resize(rowBytes);
        uint8_t* row = scratch.row.data();
        int64_t next = 0;  // the row png_read_row gives next
        for (int64_t want; (want = reducer.NextRow()) >= 0;) {
            for (; next <= want; ++next) {
                if (Cancelled(control, ++reads)) {
                    report.aborted = true;
                    std::snprintf(trap.message, sizeof trap.message, "aborted");
                    return false;
                }
                png_read_row(png, row, nullptr);
            }
            reducer.Take(row, convert);
        }
        return true;
    }
    if (!control.Reserve(int64_t(rowBytes) * H, scratch.lease, report)) return false;
    scratch.image.resize(rowBytes * std::size_t(H));
    uint8_t* image = scratch.image.data();
    for (int pass = 0; pass < passes; ++pass) {
        for (int64_t y = 0; y < H; ++y) {
            if (Cancelled(control, ++reads)) {
                report.aborted = true;
                std::snprintf(trap.message, sizeof trap.message, "aborted");
                return false;
            }
            png_read_row(png, image + std::size_t(y) * rowBytes, nullptr);
        }
    }
    for (int64_t want; (want = reducer.NextRow()) >= 0;) reducer.Take(image + std::size_t(want) * rowBytes, convert);
    return true;
}

// Everything after the source is attached: header, checks, transforms,
// rows. A libpng error leaves through the trap set by Decode below.
bool DecodeBody(png_structp png, png_infop info, PngTrap& trap, const ReduceTarget& target,
                const DecodeControl& control, PngScratch& scratch, DecodeReport& report) {
    png_read_info(png, info);
    // libpng inflates the profile and checks its header; one that does not
    // pass, or inflates past the chunk limit, is dropped with a warning.
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &profileLength) != 0 && profile != nullptr &&
        profileLength <= kMaxColourProfileBytes)
        report.colourProfile.assign(reinterpret_cast<const char*>(profile), profileLength);
    const int64_t W = png_get_image_width(png, info), H = png_get_image_height(png, info);
    report.sourceWidth = int(W);
    report.sourceHeight = int(H);
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (!control.WithinPixelLimit(W, H, interlaced ? kMaxInterlacedPixels : kMaxSourcePixels, report)) {
        if (interlaced) report.error = "interlaced " + report.error;
        return false;
    }
    // To 8-bit RGB or RGBA: palette to RGB, grey below 8 bits widened,
    // tRNS to an alpha channel, 16 bits scaled to 8 with rounding
    // ((v·255 + 32767) / 65535), grey to RGB. Gamma and colour space
    // chunks are not applied: the samples are taken as they stand, as most
    // viewers show them.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
        rowBytes != std::size_t(channels) * std::size_t(W)) {
        std::snprintf(trap.message, sizeof trap.message, "unexpected row layout");
        return false;
    }
    if (!scratch.reducer.Start(W, H, target, channels)) {
        std::snprintf(trap.message, sizeof trap.message, "no pixels to make");
        return false;
    }
    if (channels == 3) {
        return FeedRows(png, trap, H, rowBytes, passes, control, scratch, report, CopyRgb);
    }
    // Transparency over white.
    return FeedRows(png, trap, H, rowBytes, passes, control, scratch, report, RgbaOverWhite);
}

// The trap: nothing here changes between setjmp and a jump back to it.
bool Decode(png_structp png, png_infop info, PngTrap& trap, const ReduceTarget& target,
            const DecodeControl& control, PngScratch& scratch, DecodeReport& report) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    return DecodeBody(png, info, trap, target, control, scratch, report);
}

bool DecodeFrom(PngSource& source, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                DecodeReport& report) {
    PngTrap trap{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &trap, TrapPngError, CountPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        report.error = "out of memory";
        return false;
    }
    png_set_read_fn(png, &source, ReadPngSource);
    // Limits, before any pixel data is read.
    png_set_user_limits(png, kMaxWidth, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    // Damage to a critical chunk ends the decode; a damaged ancillary chunk
    // is dropped with a warning, and so are libpng's benign errors, as
    // browsers do.
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_WARN_DISCARD);
    png_set_benign_errors(png, 1);
    // The zlib stream's own checksum over the inflated rows took a tenth of
    // the decode; the IDAT CRCs already guard the same bytes.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    // Only the chunks that make the picture are read (IHDR, PLTE, tRNS,
    // IDAT, IEND), and the colour profile a copy carries (iCCP); text,
    // gamma and the rest are stepped over.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    static constexpr png_byte kProfileChunk[] = "iCCP";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kProfileChunk, 1);

    bool ok = false;
    try {
        PngScratch scratch;
        ok = Decode(png, info, trap, target, control, scratch, report);
        if (ok) out = scratch.reducer.Finish();
    } catch (const std::bad_alloc&) {
        std::snprintf(trap.message, sizeof trap.message, "out of memory");
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    report.warnings = trap.warnings;
    if (!ok && report.error.empty()) report.error = trap.message[0] != '\0' ? trap.message : "decode failed";
    return ok;
}

bool DecodePng(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
               DecodeReport& report) {
    if (!input.bytes.empty()) {
        PngSource source{nullptr, reinterpret_cast<const uint8_t*>(input.bytes.data()), input.bytes.size(), 0};
        return DecodeFrom(source, target, control, out, report);
    }
    // Only a regular file: the path may name a FIFO or a device by now.
    std::FILE* file = OpenRegularStream(input.path);
    if (file == nullptr) {
        report.error = "cannot open " + input.path + ": " + std::strerror(errno);
        return false;
    }
    PngSource source{file, nullptr, 0, 0};
    const bool ok = DecodeFrom(source, target, control, out, report);
    std::fclose(file);
    return ok;
}

// A PNG signature that the probe refused: the file is damaged or cut short.
std::optional<NotListedReason> SniffPng(ProbeSource& source) {
    uint8_t signature[sizeof kSignature];
    if (source.ReadAt(0, signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    return NotListedReason::Damaged;
}

}  // namespace

const ImageFormat& PngFormat() {
    static const FunctionEntry entry({ImageKind::Png, FormatGroup::MoreImageTypes, ProbePng, SniffPng, DecodePng});
    return entry;
}

}  // namespace htmlimglist
