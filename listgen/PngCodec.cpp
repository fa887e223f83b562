#include "listgen/PngCodec.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/RegularFile.h"

#include <png.h>

namespace htmlimglist {
namespace {

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

// Rows to read between looks at the cancel flag.
constexpr int kRowsPerCancelCheck = 16;
// Ancillary chunks libpng keeps at most, and the most memory one may take.
constexpr png_uint_32 kMaxCachedChunks = 128;
constexpr png_alloc_size_t kMaxChunkBytes = 1024 * 1024;

// Working memory of one decode, owned by the caller of the trap.
struct PngScratch {
    RowReducer reducer;
    std::vector<uint8_t> row;    // one row, for a source read row by row
    std::vector<uint8_t> image;  // the whole picture, for an interlaced source
};

bool Cancelled(const Reduction& how, int64_t reads) {
    return how.cancel != nullptr && reads % kRowsPerCancelCheck == 0 && how.cancel->load();
}

// Feeds the reducer the rows it asks for. A row-by-row source is read in
// order; rows the reducer skips must still be inflated, so they are read
// into the same buffer and dropped. An interlaced source is read whole,
// pass after pass, then handed over.
template <class Convert>
bool FeedRows(png_structp png, PngTrap& trap, int64_t H, std::size_t rowBytes, int passes,
              const Reduction& how, PngScratch& scratch, DecodeReport& report, Convert convert) {
    RowReducer& reducer = scratch.reducer;
    int64_t reads = 0;
    if (passes == 1) {
        scratch.row.resize(rowBytes);
        uint8_t* row = scratch.row.data();
        int64_t next = 0;  // the row png_read_row gives next
        for (int64_t want; (want = reducer.NextRow()) >= 0;) {
            for (; next <= want; ++next) {
                if (Cancelled(how, ++reads)) {
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
    scratch.image.resize(rowBytes * std::size_t(H));
    uint8_t* image = scratch.image.data();
    for (int pass = 0; pass < passes; ++pass) {
        for (int64_t y = 0; y < H; ++y) {
            if (Cancelled(how, ++reads)) {
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
bool DecodeBody(png_structp png, png_infop info, PngTrap& trap, int width, int height, const Reduction& how,
                PngScratch& scratch, DecodeReport& report) {
    png_read_info(png, info);
    const int64_t W = png_get_image_width(png, info), H = png_get_image_height(png, info);
    report.sourceWidth = int(W);
    report.sourceHeight = int(H);
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (W <= 0 || H <= 0 || W * H > kMaxPngSourcePixels || (interlaced && W * H > kMaxInterlacedPngPixels)) {
        std::snprintf(trap.message, sizeof trap.message, "%ssource of %lld x %lld pixels refused",
                      interlaced ? "interlaced " : "", (long long)W, (long long)H);
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
    if (!scratch.reducer.Start(W, H, width, height, how, channels)) {
        std::snprintf(trap.message, sizeof trap.message, "no pixels to make");
        return false;
    }
    if (channels == 3) {
        return FeedRows(png, trap, H, rowBytes, passes, how, scratch, report,
                        [](const uint8_t* p, uint8_t* rgb) { rgb[0] = p[0], rgb[1] = p[1], rgb[2] = p[2]; });
    }
    // Transparency over white.
    return FeedRows(png, trap, H, rowBytes, passes, how, scratch, report, [](const uint8_t* p, uint8_t* rgb) {
        const unsigned a = p[3], white = 255 * (255 - a) + 127;
        rgb[0] = uint8_t((p[0] * a + white) / 255);
        rgb[1] = uint8_t((p[1] * a + white) / 255);
        rgb[2] = uint8_t((p[2] * a + white) / 255);
    });
}

// The trap: nothing here changes between setjmp and a jump back to it.
bool Decode(png_structp png, png_infop info, PngTrap& trap, int width, int height, const Reduction& how,
            PngScratch& scratch, DecodeReport& report) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    return DecodeBody(png, info, trap, width, height, how, scratch, report);
}

bool DecodeFrom(PngSource& source, int width, int height, Bitmap& out, DecodeReport& report, const Reduction& how) {
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
    png_set_user_limits(png, kMaxPngWidth, PNG_UINT_31_MAX);
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
    // IDAT, IEND); text, colour profiles, gamma and the rest are stepped over.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    bool ok = false;
    try {
        PngScratch scratch;
        ok = Decode(png, info, trap, width, height, how, scratch, report);
        if (ok) out = scratch.reducer.Finish();
    } catch (const std::bad_alloc&) {
        std::snprintf(trap.message, sizeof trap.message, "out of memory");
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    report.warnings = trap.warnings;
    if (!ok) report.error = trap.message[0] != '\0' ? trap.message : "decode failed";
    return ok;
}

}  // namespace

bool DecodePngReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report,
                      const Reduction& how) {
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    r = DecodeReport{};
    // Only a regular file: the path may name a FIFO or a device by now.
    std::FILE* file = OpenRegularStream(path);
    if (file == nullptr) {
        r.error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    PngSource source{file, nullptr, 0, 0};
    const bool ok = DecodeFrom(source, width, height, out, r, how);
    std::fclose(file);
    return ok;
}

bool DecodePngBytesReduced(std::string_view bytes, int width, int height, Bitmap& out, DecodeReport* report,
                           const Reduction& how) {
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    r = DecodeReport{};
    PngSource source{nullptr, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
    return DecodeFrom(source, width, height, out, r, how);
}

}  // namespace htmlimglist
