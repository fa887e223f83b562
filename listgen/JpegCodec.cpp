#include "listgen/JpegCodec.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "listgen/AreaAverage.h"
#include "listgen/Orientation.h"
#include "listgen/UprightSampler.h"
#include "platform/RegularFile.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace htmlimglist {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the trap set in the one function that drives the codec.
// That function holds only plain objects, so nothing is skipped by the jump.
struct ErrorTrap {
    jpeg_error_mgr manager;
    jmp_buf jump;
    int warnings;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void TrapError(j_common_ptr codec) {
    auto* trap = reinterpret_cast<ErrorTrap*>(codec->err);
    (*codec->err->format_message)(codec, trap->message);
    std::longjmp(trap->jump, 1);
}

// Warnings (corrupt data, premature end) are counted, never printed.
extern "C" void CountMessage(j_common_ptr codec, int level) {
    if (level < 0) ++reinterpret_cast<ErrorTrap*>(codec->err)->warnings;
}

void InitTrap(ErrorTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = TrapError;
    trap.manager.emit_message = CountMessage;
    trap.warnings = 0;
    trap.message[0] = '\0';
}

// Stops sources whose scan count shows they only mean to burn time.
struct ScanLimit {
    jpeg_progress_mgr manager;
};

extern "C" void CheckScans(j_common_ptr codec) {
    if (codec->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(codec);
        if (d->input_scan_number > kMaxJpegScans) {
            // JERR_NOTIMPL would read oddly; a custom text through the trap.
            auto* trap = reinterpret_cast<ErrorTrap*>(codec->err);
            std::snprintf(trap->message, sizeof trap->message, "more than %d scans", kMaxJpegScans);
            std::longjmp(trap->jump, 1);
        }
    }
}


// A file source with a large buffer. libjpeg-turbo's Huffman decoder takes
// its fast path only while at least 512 bytes stay in the buffer; with the
// stock 4 KiB stdio source one read in eight went the slow way.
constexpr std::size_t kSourceBufferBytes = 256 * 1024;

struct FileSource {
    jpeg_source_mgr manager;
    FILE* file;
    JOCTET* buffer;
    bool started;
};

extern "C" void InitFileSource(j_decompress_ptr codec) {
    reinterpret_cast<FileSource*>(codec->src)->started = false;
}

extern "C" boolean FillFileSource(j_decompress_ptr codec) {
    auto* source = reinterpret_cast<FileSource*>(codec->src);
    std::size_t got = std::fread(source->buffer, 1, kSourceBufferBytes, source->file);
    if (got == 0) {
        if (!source->started) ERREXIT(codec, JERR_INPUT_EMPTY);
        // A cut file: warn and end it with an end-of-image marker, as the
        // stock source does, so the rows that arrived are still used.
        WARNMS(codec, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = got;
    source->started = true;
    return TRUE;
}

extern "C" void SkipFileSource(j_decompress_ptr codec, long count) {
    auto* source = reinterpret_cast<FileSource*>(codec->src);
    while (count > 0) {
        if (count <= long(source->manager.bytes_in_buffer)) {
            source->manager.next_input_byte += count;
            source->manager.bytes_in_buffer -= std::size_t(count);
            return;
        }
        count -= long(source->manager.bytes_in_buffer);
        FillFileSource(codec);
    }
}

extern "C" void TermFileSource(j_decompress_ptr) {}

void AttachFileSource(jpeg_decompress_struct& codec, FILE* file) {
    auto common = reinterpret_cast<j_common_ptr>(&codec);
    auto* source = static_cast<FileSource*>((*codec.mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(FileSource)));
    source->buffer = static_cast<JOCTET*>((*codec.mem->alloc_large)(common, JPOOL_PERMANENT, kSourceBufferBytes));
    source->file = file;
    source->started = false;
    source->manager.init_source = InitFileSource;
    source->manager.fill_input_buffer = FillFileSource;
    source->manager.skip_input_data = SkipFileSource;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = TermFileSource;
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = nullptr;
    codec.src = &source->manager;
}

enum class Sampling { Full, Scaled };

// Rows to read between looks at the cancel flag.
constexpr int kRowsPerCancelCheck = 16;

// Rows the smooth road asks libjpeg for at once, and the most memory they
// may take.
constexpr JDIMENSION kRowsPerRead = 16;
constexpr std::size_t kRowBufferBytes = 1024 * 1024;

// The decode every road shares: RGB out (CMYK and YCCK as inks, converted
// here), block smoothing, ISLOW, bounded memory. Fancy upsampling stays on:
// without it the merged upsampler is used, and skipping rows then returns
// wrong rows on 4:2:0 sources. True for a CMYK or YCCK source.
bool SetDecodeParameters(jpeg_decompress_struct& codec) {
    const bool cmyk = codec.jpeg_color_space == JCS_CMYK || codec.jpeg_color_space == JCS_YCCK;
    codec.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    codec.do_block_smoothing = TRUE;
    codec.do_fancy_upsampling = TRUE;
    codec.dct_method = JDCT_ISLOW;
    codec.mem->max_memory_to_use = kMaxJpegDecoderMemory;
    return cmyk;
}

// The smooth road, after the header: decodes at the smallest DCT scale
// (N/8) that still gives at least twice width x height, the size in the
// stored orientation, or at full scale when none does, area-averages the
// rows as they come and turns the small result upright. The scaled inverse
// DCT keeps only each block's low frequencies, so the picture handed to the
// box average is already free of what would alias, and nearly all the work
// left is entropy decoding. Block smoothing and fancy upsampling stay on,
// as in a full decode, at no cost where it matters: block smoothing acts
// only on progressive files whose scans stopped early, and below 8/8 libjpeg
// brings 2:1 subsampled chroma to size in its inverse DCT, so no upsampling
// runs at all; at full scale the fancy upsampler keeps the result equal to
// averaging the full decode.
bool DecodeAveraged(jpeg_decompress_struct& codec, ErrorTrap& trap, int width, int height, int orientation,
                    const Reduction& how, AreaAverager& averager, Bitmap& out, DecodeReport& report) {
    const bool cmyk = SetDecodeParameters(codec);
    codec.scale_denom = 8;
    for (unsigned n = 1; n <= 8; ++n) {
        codec.scale_num = n;
        jpeg_calc_output_dimensions(&codec);
        if (int64_t(codec.output_width) >= 2 * int64_t(width) && int64_t(codec.output_height) >= 2 * int64_t(height))
            break;
    }
    jpeg_start_decompress(&codec);

    const int64_t decodedWidth = codec.output_width, decodedHeight = codec.output_height;
    if (!averager.Start(decodedWidth, decodedHeight, width, height)) {
        std::snprintf(trap.message, sizeof trap.message, "cannot average %lld x %lld to %d x %d",
                      (long long)decodedWidth, (long long)decodedHeight, width, height);
        return false;
    }
    const bool inverted = cmyk && codec.saw_Adobe_marker;
    const JDIMENSION rowBytes = JDIMENSION(decodedWidth) * JDIMENSION(codec.output_components);
    const JDIMENSION rowCount = std::clamp<JDIMENSION>(JDIMENSION(kRowBufferBytes / rowBytes), 1, kRowsPerRead);
    auto common = reinterpret_cast<j_common_ptr>(&codec);
    JSAMPARRAY rows = (*codec.mem->alloc_sarray)(common, JPOOL_IMAGE, rowBytes, rowCount);
    JSAMPARRAY rgb = cmyk ? (*codec.mem->alloc_sarray)(common, JPOOL_IMAGE, JDIMENSION(decodedWidth) * 3, 1) : nullptr;

    while (codec.output_scanline < codec.output_height) {
        if (how.cancel != nullptr && how.cancel->load()) {
            report.aborted = true;
            std::snprintf(trap.message, sizeof trap.message, "aborted");
            return false;
        }
        const JDIMENSION got = jpeg_read_scanlines(&codec, rows, rowCount);
        if (got == 0) return false;
        for (JDIMENSION r = 0; r < got; ++r) {
            const JSAMPLE* row = rows[r];
            if (cmyk) {
                for (int64_t x = 0; x < decodedWidth; ++x) CmykPixelToRgb(row + 4 * x, inverted, rgb[0] + 3 * x);
                row = rgb[0];
            }
            averager.AddRow(row);
        }
    }
    jpeg_abort_decompress(&codec);
    out = orientation == kOrientationAsStored ? std::move(averager.Result())
                                              : TurnUpright(averager.Result(), orientation);
    return true;
}

// Working memory of one decode. It belongs to the caller of the error trap,
// so that a jump out of libjpeg skips no destructor.
struct DecodeScratch {
    AreaAverager averager;   // smooth road
    UprightSampler sampler;  // nearest road
};

// Everything after the source is attached: header, checks, decode, sampling.
// A libjpeg error leaves through the trap set by Decode below.
bool DecodeBody(jpeg_decompress_struct& codec, ErrorTrap& trap, Sampling sampling, int width, int height,
                const Reduction& how, DecodeScratch& scratch, Bitmap& out, DecodeReport& report) {
    jpeg_read_header(&codec, TRUE);
    report.sourceWidth = int(codec.image_width);
    report.sourceHeight = int(codec.image_height);
    const int64_t W = codec.image_width, H = codec.image_height;
    if (W <= 0 || H <= 0 || W * H > kMaxJpegSourcePixels) {
        std::snprintf(trap.message, sizeof trap.message, "source of %lld x %lld pixels refused", (long long)W,
                      (long long)H);
        return false;
    }
    const int orientation = sampling == Sampling::Full ? kOrientationAsStored : SaneOrientation(how.orientation);
    if (sampling == Sampling::Full) width = int(W), height = int(H);
    if (width <= 0 || height <= 0) {
        std::snprintf(trap.message, sizeof trap.message, "no pixels to make");
        return false;
    }
    if (sampling == Sampling::Scaled) {
        const StoredCopy copy = StoredCopyOf(W, H, width, height, how);
        if (copy.averaged)
            return DecodeAveraged(codec, trap, copy.width, copy.height, orientation, how, scratch.averager, out, report);
    }

    const bool cmyk = SetDecodeParameters(codec);
    jpeg_start_decompress(&codec);

    const bool inverted = cmyk && codec.saw_Adobe_marker;
    const int components = codec.output_components;
    JSAMPARRAY row = (*codec.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&codec), JPOOL_IMAGE,
                                                JDIMENSION(W) * JDIMENSION(components), 1);
    UprightSampler& sampler = scratch.sampler;
    sampler.Start(W, H, width, height, orientation, components);
    int reads = 0;
    for (int64_t want; (want = sampler.NextRow()) >= 0;) {
        if (how.cancel != nullptr && ++reads % kRowsPerCancelCheck == 0 && how.cancel->load()) {
            report.aborted = true;
            std::snprintf(trap.message, sizeof trap.message, "aborted");
            return false;
        }
        if (want > int64_t(codec.output_scanline)) {
            JDIMENSION skip = JDIMENSION(want - int64_t(codec.output_scanline));
            if (jpeg_skip_scanlines(&codec, skip) != skip) return false;
        }
        if (jpeg_read_scanlines(&codec, row, 1) != 1) return false;
        if (cmyk) {
            sampler.Take(row[0], [inverted](const uint8_t* p, uint8_t* rgb) { CmykPixelToRgb(p, inverted, rgb); });
        } else {
            sampler.Take(row[0], [](const uint8_t* p, uint8_t* rgb) { rgb[0] = p[0], rgb[1] = p[1], rgb[2] = p[2]; });
        }
    }
    out = std::move(sampler.Result());
    // The rows below the last one used are never decoded.
    jpeg_abort_decompress(&codec);
    return true;
}

// The trap: nothing here changes between setjmp and a jump back to it.
bool Decode(jpeg_decompress_struct& codec, ErrorTrap& trap, Sampling sampling, int width, int height,
            const Reduction& how, DecodeScratch& scratch, Bitmap& out, DecodeReport& report) {
    if (setjmp(trap.jump) != 0) return false;
    return DecodeBody(codec, trap, sampling, width, height, how, scratch, out, report);
}

bool DecodeWith(const JpegInput& input, Sampling sampling, int width, int height, const Reduction& how,
                Bitmap& out, DecodeReport* report) {
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    r = DecodeReport{};

    FILE* file = nullptr;
    if (input.bytes.empty()) {
        // Only a regular file: it may have been replaced by a FIFO or a
        // device since it was probed.
        file = OpenRegularStream(input.path);
        if (file == nullptr) {
            r.error = "cannot open " + input.path + ": " + std::strerror(errno);
            return false;
        }
    }
    ErrorTrap trap;
    InitTrap(trap);
    ScanLimit scans{};
    scans.manager.progress_monitor = CheckScans;
    jpeg_decompress_struct codec;
    codec.err = &trap.manager;
    jpeg_create_decompress(&codec);
    codec.progress = &scans.manager;
    if (file != nullptr) {
        AttachFileSource(codec, file);
    } else {
        jpeg_mem_src(&codec, reinterpret_cast<const unsigned char*>(input.bytes.data()),
                     static_cast<unsigned long>(input.bytes.size()));
    }
    DecodeScratch scratch;
    const bool ok = Decode(codec, trap, sampling, width, height, how, scratch, out, r);
    jpeg_destroy_decompress(&codec);
    if (file != nullptr) std::fclose(file);
    r.warnings = trap.warnings;
    if (!ok) r.error = trap.message[0] != '\0' ? trap.message : "decode failed";
    return ok;
}

bool Encode(jpeg_compress_struct& codec, ErrorTrap& trap, const Bitmap& picture, int quality,
            std::string_view comment) {
    if (setjmp(trap.jump) != 0) return false;
    codec.image_width = JDIMENSION(picture.Width());
    codec.image_height = JDIMENSION(picture.Height());
    codec.input_components = 3;
    codec.in_color_space = JCS_RGB;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, quality, TRUE);
    jpeg_start_compress(&codec, TRUE);
    if (!comment.empty()) {
        jpeg_write_marker(&codec, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    }
    while (codec.next_scanline < codec.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.Row(int(codec.next_scanline)));
        jpeg_write_scanlines(&codec, &row, 1);
    }
    jpeg_finish_compress(&codec);
    return true;
}

}  // namespace

void CmykPixelToRgb(const uint8_t* p, bool inverted, uint8_t* rgb) {
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    rgb[0] = uint8_t((c * k + 127) / 255);
    rgb[1] = uint8_t((m * k + 127) / 255);
    rgb[2] = uint8_t((y * k + 127) / 255);
}

bool DecodeJpegScaled(const JpegInput& input, int width, int height, Bitmap& out, DecodeReport* report,
                      const Reduction& how) {
    return DecodeWith(input, Sampling::Scaled, width, height, how, out, report);
}

bool DecodeJpegFull(const JpegInput& input, Bitmap& out, DecodeReport* report) {
    return DecodeWith(input, Sampling::Full, 0, 0, Reduction{}, out, report);
}

bool EncodeJpeg(const Bitmap& picture, int quality, std::string& out, std::string_view comment) {
    out.clear();
    if (picture.Empty()) return false;
    ErrorTrap trap;
    InitTrap(trap);
    jpeg_compress_struct codec;
    codec.err = &trap.manager;
    jpeg_create_compress(&codec);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&codec, &buffer, &size);
    const bool ok = Encode(codec, trap, picture, quality, comment);
    jpeg_destroy_compress(&codec);
    if (ok && buffer != nullptr) out.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return ok && !out.empty();
}

}  // namespace htmlimglist
