// WebP to a reduced copy: libwebp decodes the picture (the first frame of an
// animation, found with its demuxer) as RGBA into a buffer of ours, whose
// size comes from the header and is checked before it is taken; the rows
// are laid over white and handed to a RowReducer.
#include "listgen/WebpCodec.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/RegularFile.h"

#include <webp/decode.h>
#include <webp/demux.h>

namespace htmlimglist {
namespace {

constexpr int kBytesPerPixel = 4;  // RGBA
// Bytes of the file read before its header is looked at: enough for the
// header of nearly every file, so that a picture over the limit is refused
// before the rest is read.
constexpr std::size_t kFirstRead = 64 * 1024;
constexpr uint64_t kMetadataAllowance = 1024 * 1024;
// Bytes read from the file, and bytes handed to the decoder, between looks
// at the cancel flag.
constexpr std::size_t kReadPiece = 1024 * 1024;
constexpr std::size_t kDecodePiece = 64 * 1024;
constexpr int kRowsPerCancelCheck = 16;
constexpr int64_t kRiffHeaderSize = 12;  // "RIFF", size, "WEBP"

bool Cancelled(const Reduction& how, DecodeReport& report) {
    if (how.cancel == nullptr || !how.cancel->load()) return false;
    report.aborted = true;
    report.error = "aborted";
    return true;
}

bool Fail(DecodeReport& report, std::string why) {
    report.error = std::move(why);
    return false;
}

// False, with the reason, when a picture of this size is over the limit.
bool WithinLimit(int64_t width, int64_t height, int64_t maxPixels, DecodeReport& report) {
    if (width > 0 && height > 0 && width * height <= maxPixels) return true;
    return Fail(report, "source of " + std::to_string(width) + " x " + std::to_string(height) + " pixels refused");
}

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct DecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

// The bitstream to decode and where it lies on the canvas.
struct Frame {
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Decodes the frame into rgba (frame.width x frame.height, allocated here
// once the size is checked), feeding libwebp's incremental decoder a piece
// at a time so that the cancel flag is looked at while it works.
bool DecodeFrame(const Frame& frame, const Reduction& how, std::vector<uint8_t>& rgba, DecodeReport& report) {
    const std::size_t stride = std::size_t(frame.width) * kBytesPerPixel;
    try {
        rgba.assign(stride * std::size_t(frame.height), 0);
    } catch (const std::bad_alloc&) {
        return Fail(report, "out of memory");
    }
    WebPDecBuffer output;
    if (!WebPInitDecBuffer(&output)) return Fail(report, "libwebp version mismatch");
    output.colorspace = MODE_RGBA;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = rgba.data();
    output.u.RGBA.stride = int(stride);
    output.u.RGBA.size = rgba.size();
    std::unique_ptr<WebPIDecoder, DecoderDeleter> decoder(WebPINewDecoder(&output));
    if (!decoder) return Fail(report, "out of memory");
    for (std::size_t given = 0;;) {
        if (Cancelled(how, report)) return false;
        given = std::min(frame.size, given + kDecodePiece);
        // The data stay where they are; each call hands over a longer part.
        const VP8StatusCode status = WebPIUpdate(decoder.get(), frame.data, given);
        if (status == VP8_STATUS_OK) break;
        if (status != VP8_STATUS_SUSPENDED) return Fail(report, "damaged picture data");
        if (given == frame.size) return Fail(report, "picture data cut short");
    }
    if (Cancelled(how, report)) return false;
    int lastRow = 0, decodedWidth = 0, decodedHeight = 0, decodedStride = 0;
    if (WebPIDecGetRGB(decoder.get(), &lastRow, &decodedWidth, &decodedHeight, &decodedStride) == nullptr ||
        decodedWidth != frame.width || decodedHeight != frame.height || lastRow != frame.height)
        return Fail(report, "picture of another size than its header says");
    return true;
}

// A pixel of non-premultiplied RGBA laid over white, rounded to nearest.
void OverWhite(const uint8_t* p, uint8_t* rgb) {
    const unsigned a = p[3];
    for (int k = 0; k < 3; ++k) rgb[k] = uint8_t((p[k] * a + 255 * (255 - a) + 127) / 255);
}

// Hands the canvas rows the reducer asks for: the frame's rows where it
// lies, transparent (so white) around it.
bool Reduce(const Frame& frame, const std::vector<uint8_t>& rgba, int64_t canvasWidth, int64_t canvasHeight,
            int width, int height, const Reduction& how, Bitmap& out, DecodeReport& report) {
    RowReducer reducer;
    if (!reducer.Start(canvasWidth, canvasHeight, width, height, how, kBytesPerPixel))
        return Fail(report, "cannot reduce to that size");
    const std::size_t stride = std::size_t(frame.width) * kBytesPerPixel;
    const bool whole = frame.x == 0 && frame.y == 0 && frame.width == canvasWidth && frame.height == canvasHeight;
    // Columns of the frame that lie on the canvas.
    const int64_t left = std::min<int64_t>(frame.x, canvasWidth);
    const int64_t right = std::min<int64_t>(int64_t(frame.x) + frame.width, canvasWidth);
    std::vector<uint8_t> canvasRow(whole ? 0 : std::size_t(canvasWidth) * kBytesPerPixel);
    int rows = 0;
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        if (++rows % kRowsPerCancelCheck == 0 && Cancelled(how, report)) return false;
        const uint8_t* row;
        if (whole) {
            row = rgba.data() + std::size_t(y) * stride;
        } else {
            std::fill(canvasRow.begin(), canvasRow.end(), 0);
            const int64_t frameRow = y - frame.y;
            if (frameRow >= 0 && frameRow < frame.height && right > left)
                std::copy_n(rgba.data() + std::size_t(frameRow) * stride, std::size_t(right - left) * kBytesPerPixel,
                            canvasRow.begin() + std::ptrdiff_t(left) * kBytesPerPixel);
            row = canvasRow.data();
        }
        reducer.Take(row, OverWhite);
    }
    if (Cancelled(how, report)) return false;
    out = reducer.Finish();
    return true;
}

// The first frame of an animation: its bitstream and place, from the
// demuxer, which checks the whole file's structure first.
bool FindFirstFrame(const WebPData& whole, std::unique_ptr<WebPDemuxer, DemuxDeleter>& demux, Frame& frame,
                    DecodeReport& report) {
    // Partial: only the first frame need be there (the bytes read may stop
    // short of the later frames).
    WebPDemuxState state;
    demux.reset(WebPDemuxPartial(&whole, &state));
    if (!demux || state == WEBP_DEMUX_PARSE_ERROR) return Fail(report, "damaged animation");
    WebPIterator iterator;
    if (!WebPDemuxGetFrame(demux.get(), 1, &iterator)) return Fail(report, "animation without frames");
    if (!iterator.complete) {
        WebPDemuxReleaseIterator(&iterator);
        return Fail(report, "the first frame is cut short");
    }
    // The payload points into the file's bytes, which outlive it.
    frame.data = iterator.fragment.bytes;
    frame.size = iterator.fragment.size;
    frame.x = iterator.x_offset;
    frame.y = iterator.y_offset;
    WebPDemuxReleaseIterator(&iterator);
    return true;
}

}  // namespace

bool DecodeWebpBytesReduced(std::string_view bytes, int width, int height, Bitmap& out, DecodeReport* report,
                            const Reduction& how, int64_t maxPixels) {
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    r = DecodeReport{};
    if (Cancelled(how, r)) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK) return Fail(r, "not a readable WebP header");
    r.sourceWidth = features.width;
    r.sourceHeight = features.height;
    if (!WithinLimit(features.width, features.height, maxPixels, r)) return false;
    if (width <= 0 || height <= 0) return Fail(r, "no pixels to make");

    // A still picture is the whole file; an animation's first frame is
    // composited onto a transparent canvas, which it may not fill.
    Frame frame{data, bytes.size()};
    std::unique_ptr<WebPDemuxer, DemuxDeleter> demux;
    if (features.has_animation && !FindFirstFrame(WebPData{data, bytes.size()}, demux, frame, r)) return false;
    WebPBitstreamFeatures frameFeatures;
    if (WebPGetFeatures(frame.data, frame.size, &frameFeatures) != VP8_STATUS_OK)
        return Fail(r, "not a readable frame header");
    frame.width = frameFeatures.width;
    frame.height = frameFeatures.height;
    if (!WithinLimit(frame.width, frame.height, maxPixels, r)) return false;

    std::vector<uint8_t> rgba;
    if (!DecodeFrame(frame, how, rgba, r)) return false;
    return Reduce(frame, rgba, features.width, features.height, width, height, how, out, r);
}

namespace {

// Reads from the file until bytes holds `want` bytes or the file ends, a
// piece at a time, looking at the cancel flag between pieces.
bool ReadUpTo(int fd, std::size_t want, std::string& bytes, const Reduction& how, DecodeReport& report) {
    while (bytes.size() < want) {
        if (Cancelled(how, report)) return false;
        const std::size_t have = bytes.size(), piece = std::min(want - have, kReadPiece);
        bytes.resize(have + piece);
        ssize_t got;
        do {
            got = pread(fd, bytes.data() + have, piece, off_t(have));
        } while (got < 0 && errno == EINTR);
        if (got < 0) return Fail(report, std::string("cannot read: ") + std::strerror(errno));
        bytes.resize(have + std::size_t(got));
        if (got == 0) break;
    }
    return true;
}

}  // namespace

bool DecodeWebpReduced(const std::string& path, int width, int height, Bitmap& out, DecodeReport* report,
                       const Reduction& how) {
    DecodeReport local;
    DecodeReport& r = report != nullptr ? *report : local;
    r = DecodeReport{};
    // Only a regular file: it may have been replaced by a FIFO or a device
    // since it was probed.
    struct stat info;
    UniqueFd fd = OpenRegularFile(path, &info);
    if (!fd) return Fail(r, "cannot open " + path + ": " + std::strerror(errno));
    const std::size_t fileSize = std::size_t(info.st_size);
    std::string bytes;
    if (!ReadUpTo(fd.get(), std::min(fileSize, kFirstRead), bytes, how, r)) return false;
    // Only a RIFF container, as the probe found it; its size bounds what is
    // read, since bytes after it are not the picture's.
    if (bytes.size() < kRiffHeaderSize || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WEBP", 4) != 0)
        return Fail(r, "not a WebP file");
    const auto* size = reinterpret_cast<const uint8_t*>(bytes.data() + 4);
    const uint64_t riffSize = uint64_t(size[0]) | uint64_t(size[1]) << 8 | uint64_t(size[2]) << 16 |
                              uint64_t(size[3]) << 24;
    const std::size_t end = std::size_t(std::min<uint64_t>(fileSize, 8 + riffSize));
    if (bytes.size() > end) bytes.resize(end);
    // A header already in hand that is over the limit is refused before the
    // rest of the file is read.
    WebPBitstreamFeatures features;
    std::size_t need = end;
    if (WebPGetFeatures(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &features) == VP8_STATUS_OK) {
        if (!WithinLimit(features.width, features.height, kMaxWebpSourcePixels, r)) {
            r.sourceWidth = features.width;
            r.sourceHeight = features.height;
            return false;
        }
        // A picture's data (or an animation's first frame) is never larger
        // than its pixels take uncompressed, and then some; what may come
        // before it (ICC, XMP, EXIF chunks) gets a megabyte. A small picture
        // with a huge RIFF size is not read whole.
        need = std::size_t(
            std::min<uint64_t>(end, kMetadataAllowance + 8 * uint64_t(features.width) * uint64_t(features.height)));
    }
    if (!ReadUpTo(fd.get(), need, bytes, how, r)) return false;
    return DecodeWebpBytesReduced(bytes, width, height, out, &r, how);
}

}  // namespace htmlimglist
