// JPEG: recognised by ChGetImgSize's marker walk, decoded by libjpeg-turbo
// straight to a reduced picture. Only the source rows that the nearest
// pixel uses are fully decoded (jpeg_skip_scanlines steps over the rest);
// an averaged copy is decoded at the smallest DCT scale that still gives
// twice its size.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "listgen/formats/ChGetImgSize.h"
#include "listgen/formats/FormatEntries.h"
#include "listgen/formats/LibjpegTrap.h"
#include "listgen/reduce/AreaAverage.h"
#include "listgen/reduce/Orientation.h"
#include "listgen/reduce/UprightSampler.h"
#include "platform/RegularFile.h"

#include <jerror.h>

namespace htmlimglist {
namespace {

// Sources above this many pixels are refused before decoding starts.
constexpr int64_t kMaxSourcePixels = int64_t(1) << 30;
// Progressive sources with more scans than this are stopped, and so are
// those whose scans times pixels pass the second bound: each scan of a
// progressive file walks every block of the picture once more, so the two
// together bound the work whatever the scans hold (a 12000 x 12000 file of
// 999 nearly empty scans took 26 s before).
constexpr int kMaxScans = 1000;
constexpr int64_t kMaxScanPixels = int64_t(1) << 33;
// APP2, where an ICC profile is kept (in parts of up to 65519 bytes).
constexpr int kIccMarker = JPEG_APP0 + 2;
// Working memory libjpeg may take for one decode (progressive sources keep
// all their coefficients); what it keeps is also taken from the budget the
// decodes running at once share.
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;

// libjpeg calls its progress monitor for every iMCU row of every pass,
// including each scan of a progressive file read in jpeg_start_decompress:
// the place to hear the cancel flag and to stop files whose scans only
// mean to burn time.
struct ProgressWatch {
    jpeg_progress_mgr manager;
    const DecodeControl* control;
    DecodeReport* report;
};

extern "C" void WatchProgress(j_common_ptr codec) {
    if (!codec->is_decompressor) return;
    auto* watch = reinterpret_cast<ProgressWatch*>(codec->progress);
    auto& trap = *reinterpret_cast<LibjpegTrap*>(codec->err);
    if (watch->control->Cancelled()) {
        watch->report->aborted = true;
        FailThroughTrap(trap, "aborted");
    }
    auto* d = reinterpret_cast<j_decompress_ptr>(codec);
    const int64_t pixels = int64_t(d->image_width) * int64_t(d->image_height);
    if (d->input_scan_number > kMaxScans || d->input_scan_number * pixels > kMaxScanPixels) {
        watch->report->overLimit = true;
        FailThroughTrap(trap, "too many scans for its size");
    }
}

// The coefficients a progressive decode keeps for the whole picture
// (libjpeg's whole-image buffer: every block of every component, 64
// two-byte coefficients each); a sequential decode keeps a few rows.
int64_t CoefficientBytes(const jpeg_decompress_struct& codec) {
    if (!codec.progressive_mode) return 0;
    int64_t bytes = 0;
    for (int c = 0; c < codec.num_components; ++c) {
        const jpeg_component_info& comp = codec.comp_info[c];
        const int64_t across = (int64_t(comp.width_in_blocks) + comp.h_samp_factor - 1) / comp.h_samp_factor *
                               comp.h_samp_factor;
        const int64_t down = (int64_t(comp.height_in_blocks) + comp.v_samp_factor - 1) / comp.v_samp_factor *
                             comp.v_samp_factor;
        bytes += across * down * DCTSIZE2 * int64_t(sizeof(JCOEF));
    }
    return bytes;
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

// Rows an averaged copy asks libjpeg for at once, and the most memory they
// may take.
constexpr JDIMENSION kRowsPerRead = 16;
constexpr std::size_t kRowBufferBytes = 1024 * 1024;

// The decode both ways of reducing share: RGB out (CMYK and YCCK as inks, converted
// here), block smoothing, ISLOW, bounded memory. Fancy upsampling stays on:
// without it the merged upsampler is used, and skipping rows then returns
// wrong rows on 4:2:0 sources. True for a CMYK or YCCK source.
bool SetDecodeParameters(jpeg_decompress_struct& codec) {
    const bool cmyk = codec.jpeg_color_space == JCS_CMYK || codec.jpeg_color_space == JCS_YCCK;
    codec.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    codec.do_block_smoothing = TRUE;
    codec.do_fancy_upsampling = TRUE;
    codec.dct_method = JDCT_ISLOW;
    codec.mem->max_memory_to_use = kMaxDecoderMemory;
    return cmyk;
}

// An averaged copy, after the header: decodes at the smallest DCT scale
// (N/8) that still gives at least twice the copy's size in the stored
// orientation, or at full scale when none does, averages the rows as they
// come and turns the small result upright. The scaled inverse DCT keeps
// only each block's low frequencies, so the picture handed to the box
// average is already free of what would alias, and nearly all the work left
// is entropy decoding. Block smoothing and fancy upsampling stay on, as in a
// full decode, at no cost where it matters: block smoothing acts only on
// progressive files whose scans stopped early, and below 8/8 libjpeg brings
// 2:1 subsampled chroma to size in its inverse DCT, so no upsampling runs at
// all; at full scale the fancy upsampler keeps the result equal to
// averaging the full decode.
bool DecodeAveraged(jpeg_decompress_struct& codec, LibjpegTrap& trap, const StoredCopy& copy, int orientation,
                    const DecodeControl& control, AreaAverager& averager, Bitmap& out, DecodeReport& report) {
    const bool cmyk = SetDecodeParameters(codec);
    codec.scale_num = unsigned(DctScaleNumerator(codec.image_width, codec.image_height, copy.width, copy.height));
    codec.scale_denom = 8;
    jpeg_start_decompress(&codec);

    const int64_t decodedWidth = codec.output_width, decodedHeight = codec.output_height;
    if (!averager.Start(decodedWidth, decodedHeight, copy.width, copy.height)) {
        std::snprintf(trap.message, sizeof trap.message, "cannot average %lld x %lld to %d x %d",
                      (long long)decodedWidth, (long long)decodedHeight, copy.width, copy.height);
        return false;
    }
    const bool inverted = cmyk && codec.saw_Adobe_marker;
    const JDIMENSION rowBytes = JDIMENSION(decodedWidth) * JDIMENSION(codec.output_components);
    const JDIMENSION rowCount = std::clamp<JDIMENSION>(JDIMENSION(kRowBufferBytes / rowBytes), 1, kRowsPerRead);
    auto common = reinterpret_cast<j_common_ptr>(&codec);
    JSAMPARRAY rows = (*codec.mem->alloc_sarray)(common, JPOOL_IMAGE, rowBytes, rowCount);
    JSAMPARRAY rgb = cmyk ? (*codec.mem->alloc_sarray)(common, JPOOL_IMAGE, JDIMENSION(decodedWidth) * 3, 1) : nullptr;

    while (codec.output_scanline < codec.output_height) {
        if (control.Cancelled()) {
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
    AreaAverager averager;   // an averaged copy
    UprightSampler sampler;  // a copy by the nearest pixel
    BudgetLease lease;       // the memory taken from the shared budget
};

// Everything after the source is attached: header, checks, decode, sampling.
// A libjpeg error leaves through the trap set by Decode below.
bool DecodeBody(jpeg_decompress_struct& codec, LibjpegTrap& trap, const ReduceTarget& target,
                const DecodeControl& control, DecodeScratch& scratch, Bitmap& out, DecodeReport& report) {
    jpeg_read_header(&codec, TRUE);
    // The ICC profile, its parts put together in order (libjpeg checks
    // their numbers); the copy carries it unchanged.
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    if (jpeg_read_icc_profile(&codec, &profile, &profileLength)) {
        if (profileLength <= kMaxColourProfileBytes)
            report.colourProfile.assign(reinterpret_cast<const char*>(profile), profileLength);
        std::free(profile);
    }
    report.sourceWidth = int(codec.image_width);
    report.sourceHeight = int(codec.image_height);
    const int64_t W = codec.image_width, H = codec.image_height;
    if (!control.WithinPixelLimit(W, H, kMaxSourcePixels, report)) return false;
    if (!control.Reserve(CoefficientBytes(codec), scratch.lease, report)) return false;
    const int orientation = SaneOrientation(target.orientation);
    if (target.width <= 0 || target.height <= 0) {
        std::snprintf(trap.message, sizeof trap.message, "no pixels to make");
        return false;
    }
    const StoredCopy copy = StoredCopyOf(W, H, target);
    if (copy.averaged) return DecodeAveraged(codec, trap, copy, orientation, control, scratch.averager, out, report);

    const bool cmyk = SetDecodeParameters(codec);
    jpeg_start_decompress(&codec);

    const bool inverted = cmyk && codec.saw_Adobe_marker;
    const int components = codec.output_components;
    JSAMPARRAY row = (*codec.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&codec), JPOOL_IMAGE,
                                                JDIMENSION(W) * JDIMENSION(components), 1);
    UprightSampler& sampler = scratch.sampler;
    sampler.Start(W, H, target.width, target.height, orientation, components);
    int reads = 0;
    for (int64_t want; (want = sampler.NextRow()) >= 0;) {
        if (reads++ % kRowsPerCancelCheck == 0 && control.Cancelled()) {
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
            sampler.Take(row[0], CopyRgb);
        }
    }
    out = std::move(sampler.Result());
    // The rows below the last one used are never decoded.
    jpeg_abort_decompress(&codec);
    return true;
}

// The trap: nothing here changes between setjmp and a jump back to it.
bool Decode(jpeg_decompress_struct& codec, LibjpegTrap& trap, const ReduceTarget& target,
            const DecodeControl& control, DecodeScratch& scratch, Bitmap& out, DecodeReport& report) {
    if (setjmp(trap.jump) != 0) return false;
    return DecodeBody(codec, trap, target, control, scratch, out, report);
}

bool DecodeJpeg(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                DecodeReport& report) {
    FILE* file = nullptr;
    if (input.bytes.empty()) {
        // Only a regular file: it may have been replaced by a FIFO or a
        // device since it was probed.
        file = OpenRegularStream(input.path);
        if (file == nullptr) {
            report.error = "cannot open " + input.path + ": " + std::strerror(errno);
            return false;
        }
    }
    LibjpegTrap trap;
    InitLibjpegTrap(trap);
    ProgressWatch watch{};
    watch.manager.progress_monitor = WatchProgress;
    watch.control = &control;
    watch.report = &report;
    jpeg_decompress_struct codec;
    codec.err = &trap.manager;
    jpeg_create_decompress(&codec);
    codec.progress = &watch.manager;
    jpeg_save_markers(&codec, kIccMarker, 0xFFFF);
    if (file != nullptr) {
        AttachFileSource(codec, file);
    } else {
        jpeg_mem_src(&codec, reinterpret_cast<const unsigned char*>(input.bytes.data()),
                     static_cast<unsigned long>(input.bytes.size()));
    }
    DecodeScratch scratch;
    const bool ok = Decode(codec, trap, target, control, scratch, out, report);
    jpeg_destroy_decompress(&codec);
    if (file != nullptr) std::fclose(file);
    report.warnings = trap.warnings;
    if (!ok && report.error.empty()) report.error = trap.message[0] != '\0' ? trap.message : "decode failed";
    return ok;
}

constexpr unsigned char kJpegStart[3] = {0xFF, 0xD8, 0xFF};
constexpr unsigned char kJpegEnd[2] = {0xFF, 0xD9};

bool ProbeJpeg(ProbeSource& source, const ProbeOptions& options, ImageHeader& header) {
    ChGetImgSize probe;
    probe.AcceptDeclaredTrailers = options.moreImageTypes;
    probe.ReadDateTaken = options.dateTaken;
    if (!probe.GetJpegSize(source, header.width, header.height)) return false;
    header.typeText = probe.JpegType;
    header.orientation = probe.Orientation;
    header.colourProfile = probe.IccProfileBytes > 0 && probe.IccProfileBytes <= kMaxColourProfileBytes;
    header.dateTaken = std::move(probe.DateTaken);
    return true;
}

// A file that starts with SOI and a marker: cut short or followed by more
// bytes when it does not end with EOI, of another process (or otherwise
// unreadable to the marker walk) when it does.
std::optional<NotListedReason> SniffJpeg(ProbeSource& source) {
    unsigned char head[3], tail[2];
    if (source.ReadAt(0, head, 3) != 3 || std::memcmp(head, kJpegStart, 3) != 0) return std::nullopt;
    const bool ended = source.ReadAt(source.Size() - 2, tail, 2) == 2 && std::memcmp(tail, kJpegEnd, 2) == 0;
    return ended ? NotListedReason::NoSize : NotListedReason::NoEndMarker;
}

}  // namespace

const ImageFormat& JpegFormat() {
    static const FunctionEntry entry({ImageKind::Jpeg, FormatGroup::Always, ProbeJpeg, SniffJpeg, DecodeJpeg});
    return entry;
}

}  // namespace htmlimglist
