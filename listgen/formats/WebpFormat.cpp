// WebP: recognised by its RIFF header and first chunk; decoded by libwebp
// (the first frame of an animation, found with its demuxer) as RGBA into a
// buffer of ours, whose size comes from the header and is checked before it
// is taken; the rows are laid over white and handed to a RowReducer.
//
// A WebP file is a RIFF container:
//   0  "RIFF", size (32-bit little-endian: the bytes after these 8), "WEBP"
//  12  chunks: four-character code, 32-bit little-endian payload size,
//      payload, one pad byte when the size is odd
// The first chunk says what the file holds:
//   "VP8 "  a lossy picture: 3-byte frame tag, start code 9D 01 2A, then
//           width and height, 16 bits each, whose top 2 bits are a scale
//   "VP8L"  a lossless picture: signature 0x2F, then 14 bits width - 1,
//           14 bits height - 1, 1 bit alpha, 3 bits version (0)
//   "VP8X"  the extended format: flags, 3 reserved bytes, then canvas
//           width - 1 and height - 1, 24 bits each; ANIM, EXIF and other
//           chunks follow
// Every length is checked against what the file holds before it is used.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/Exif.h"
#include "listgen/formats/FormatEntries.h"
#include "platform/RegularFile.h"

#include <webp/decode.h>
#include <webp/demux.h>

namespace htmlimglist {
namespace {


constexpr int64_t kRiffHeaderSize = 12;   // "RIFF", size, "WEBP"
constexpr int64_t kChunkHeaderSize = 8;   // code, size
constexpr int64_t kVp8HeaderSize = 10;    // frame tag, start code, width, height
constexpr int64_t kVp8lHeaderSize = 5;    // signature, 32 bits of sizes, alpha and version
constexpr int64_t kVp8xPayloadSize = 10;  // flags, reserved, canvas width and height
constexpr uint8_t kVp8StartCode[3] = {0x9D, 0x01, 0x2A};
constexpr uint8_t kVp8lSignature = 0x2F;
// VP8X flags (first byte of its payload).
constexpr uint8_t kAnimationFlag = 0x02;
constexpr uint8_t kIccFlag = 0x20;
constexpr uint8_t kExifFlag = 0x08;
// Chunks walked after VP8X in search of the EXIF chunk, which writers put
// after the picture (after every frame of an animation). Each costs one
// small read; a file with more is probed without its orientation.
constexpr int kMaxChunksWalked = 65536;

bool ReadExactly(ProbeSource& source, int64_t at, void* buffer, std::size_t n) {
    return source.ReadAt(at, buffer, n) == n;
}

struct Chunk {
    char code[4];
    int64_t payloadAt;  // offset of the payload
    int64_t size;       // payload bytes, without the pad byte
};

// The chunk whose header starts at offset; false when the header or the
// payload does not fit before end.
bool ReadChunk(ProbeSource& source, int64_t at, int64_t end, Chunk& chunk) {
    uint8_t header[kChunkHeaderSize];
    if (at + kChunkHeaderSize > end || !ReadExactly(source, at, header, sizeof header)) return false;
    std::memcpy(chunk.code, header, 4);
    chunk.payloadAt = at + kChunkHeaderSize;
    chunk.size = int64_t(LittleEndian32(header + 4));
    return chunk.size <= end - chunk.payloadAt;
}

bool Is(const Chunk& chunk, const char (&code)[5]) { return std::memcmp(chunk.code, code, 4) == 0; }

// A lossy frame header: a key frame (bit 0 of the tag clear) of a known
// profile, shown, whose first partition fits in the chunk, with the start
// code and a size that is not zero. libwebp asks the same of a file before
// it decodes it.
bool ReadVp8(ProbeSource& source, const Chunk& chunk, ImageHeader& header) {
    uint8_t frame[kVp8HeaderSize];
    if (chunk.size < kVp8HeaderSize || !ReadExactly(source, chunk.payloadAt, frame, sizeof frame)) return false;
    const uint32_t tag = LittleEndian24(frame);
    const bool keyFrame = (tag & 1) == 0;
    const uint32_t profile = (tag >> 1) & 7, shown = (tag >> 4) & 1, firstPartition = tag >> 5;
    if (!keyFrame || profile > 3 || !shown || int64_t(firstPartition) >= chunk.size) return false;
    if (std::memcmp(frame + 3, kVp8StartCode, sizeof kVp8StartCode) != 0) return false;
    header.width = int32_t(LittleEndian16(frame + 6) & 0x3FFF);  // the top 2 bits are the scale
    header.height = int32_t(LittleEndian16(frame + 8) & 0x3FFF);
    return header.width > 0 && header.height > 0;
}

bool ReadVp8l(ProbeSource& source, const Chunk& chunk, ImageHeader& header) {
    uint8_t head[kVp8lHeaderSize];
    if (chunk.size < kVp8lHeaderSize || !ReadExactly(source, chunk.payloadAt, head, sizeof head)) return false;
    if (head[0] != kVp8lSignature) return false;
    const uint32_t bits = LittleEndian32(head + 1);
    if ((bits >> 29) != 0) return false;  // version
    header.width = int32_t(bits & 0x3FFF) + 1;
    header.height = int32_t((bits >> 14) & 0x3FFF) + 1;
    return true;
}

// Walks the chunks after VP8X to the first EXIF chunk. A length that runs
// past the end stops the walk: the orientation is then left at 1 and no date
// is known, as for a damaged EXIF chunk, and the picture itself stays listed.
ExifFacts FindExif(ProbeSource& source, int64_t at, int64_t end, bool wantDate) {
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        Chunk chunk;
        if (!ReadChunk(source, at, end, chunk)) break;
        if (Is(chunk, "EXIF"))
            return ReadExifFacts(source, chunk.payloadAt, uint64_t(chunk.size), ExifLayout::EitherForm, wantDate);
        at = chunk.payloadAt + chunk.size + (chunk.size & 1);
    }
    return {};
}

bool ReadVp8x(ProbeSource& source, const Chunk& chunk, int64_t end, bool wantDate, ImageHeader& header) {
    uint8_t payload[kVp8xPayloadSize];
    // libwebp takes a VP8X chunk of exactly this size only.
    if (chunk.size != kVp8xPayloadSize || !ReadExactly(source, chunk.payloadAt, payload, sizeof payload)) return false;
    const uint8_t flags = payload[0];
    header.width = int32_t(LittleEndian24(payload + 4)) + 1;
    header.height = int32_t(LittleEndian24(payload + 7)) + 1;
    header.animated = (flags & kAnimationFlag) != 0;
    // The ICCP chunk comes right after VP8X.
    Chunk profile;
    header.colourProfile = (flags & kIccFlag) != 0 && ReadChunk(source, chunk.payloadAt + chunk.size, end, profile) &&
                           Is(profile, "ICCP") && profile.size <= kMaxColourProfileBytes;
    if ((flags & kExifFlag) != 0) {
        ExifFacts facts = FindExif(source, chunk.payloadAt + chunk.size, end, wantDate);
        header.orientation = facts.orientation;
        header.dateTaken = std::move(facts.dateTaken);
    }
    return true;
}

bool ProbeWebp(ProbeSource& source, const ProbeOptions& options, ImageHeader& header) {
    uint8_t riff[kRiffHeaderSize];
    if (!ReadExactly(source, 0, riff, sizeof riff)) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WEBP", 4) != 0) return false;
    // The RIFF size counts from "WEBP" on; bytes after it are not read.
    const int64_t end = 8 + int64_t(LittleEndian32(riff + 4));
    if (end > source.Size()) return false;
    Chunk first;
    if (!ReadChunk(source, kRiffHeaderSize, end, first)) return false;
    bool ok = false;
    if (Is(first, "VP8 ")) {
        ok = ReadVp8(source, first, header);
    } else if (Is(first, "VP8L")) {
        ok = ReadVp8l(source, first, header);
    } else if (Is(first, "VP8X")) {
        ok = ReadVp8x(source, first, end, options.dateTaken, header);
    }
    header.typeText = "WebP";
    return ok;
}


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
// Pictures (the canvas of an animation) above this many pixels are refused
// from their header, before any pixel memory is taken: the decode holds the
// whole picture as RGBA, and libwebp holds a lossless one once more.
constexpr int64_t kMaxSourcePixels = int64_t(1) << 26;

bool Cancelled(const DecodeControl& control, DecodeReport& report) {
    if (!control.Cancelled()) return false;
    report.aborted = true;
    report.error = "aborted";
    return true;
}

bool Fail(DecodeReport& report, std::string why) {
    report.error = std::move(why);
    return false;
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
bool DecodeFrame(const Frame& frame, const DecodeControl& control, std::vector<uint8_t>& rgba, DecodeReport& report) {
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
        if (Cancelled(control, report)) return false;
        given = std::min(frame.size, given + kDecodePiece);
        // The data stay where they are; each call hands over a longer part.
        const VP8StatusCode status = WebPIUpdate(decoder.get(), frame.data, given);
        if (status == VP8_STATUS_OK) break;
        if (status != VP8_STATUS_SUSPENDED) return Fail(report, "damaged picture data");
        if (given == frame.size) return Fail(report, "picture data cut short");
    }
    if (Cancelled(control, report)) return false;
    int lastRow = 0, decodedWidth = 0, decodedHeight = 0, decodedStride = 0;
    if (WebPIDecGetRGB(decoder.get(), &lastRow, &decodedWidth, &decodedHeight, &decodedStride) == nullptr ||
        decodedWidth != frame.width || decodedHeight != frame.height || lastRow != frame.height)
        return Fail(report, "picture of another size than its header says");
    return true;
}

// Hands the canvas rows the reducer asks for: the frame's rows where it
// lies, transparent (so white) around it.
bool Reduce(const Frame& frame, const std::vector<uint8_t>& rgba, int64_t canvasWidth, int64_t canvasHeight,
            const ReduceTarget& target, const DecodeControl& control, Bitmap& out, DecodeReport& report) {
    RowReducer reducer;
    if (!reducer.Start(canvasWidth, canvasHeight, target, kBytesPerPixel))
        return Fail(report, "cannot reduce to that size");
    const std::size_t stride = std::size_t(frame.width) * kBytesPerPixel;
    const bool whole = frame.x == 0 && frame.y == 0 && frame.width == canvasWidth && frame.height == canvasHeight;
    // Columns of the frame that lie on the canvas.
    const int64_t left = std::min<int64_t>(frame.x, canvasWidth);
    const int64_t right = std::min<int64_t>(int64_t(frame.x) + frame.width, canvasWidth);
    std::vector<uint8_t> canvasRow(whole ? 0 : std::size_t(canvasWidth) * kBytesPerPixel);
    int rows = 0;
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        if (++rows % kRowsPerCancelCheck == 0 && Cancelled(control, report)) return false;
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
        reducer.Take(row, RgbaOverWhite);
    }
    if (Cancelled(control, report)) return false;
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

// The ICC profile of an extended file: the payload of its ICCP chunk, which
// comes right after VP8X.
std::string_view ColourProfileOf(std::string_view bytes) {
    MemoryProbeSource source(bytes);
    Chunk vp8x, profile;
    if (!ReadChunk(source, kRiffHeaderSize, int64_t(bytes.size()), vp8x) || !Is(vp8x, "VP8X") ||
        !ReadChunk(source, vp8x.payloadAt + vp8x.size + (vp8x.size & 1), int64_t(bytes.size()), profile) ||
        !Is(profile, "ICCP") || profile.size > kMaxColourProfileBytes)
        return {};
    return bytes.substr(std::size_t(profile.payloadAt), std::size_t(profile.size));
}

bool DecodeBytes(std::string_view bytes, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                 DecodeReport& r) {
    if (Cancelled(control, r)) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK) return Fail(r, "not a readable WebP header");
    r.sourceWidth = features.width;
    r.sourceHeight = features.height;
    if (!control.WithinPixelLimit(features.width, features.height, kMaxSourcePixels, r)) return false;
    if (target.width <= 0 || target.height <= 0) return Fail(r, "no pixels to make");

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
    if (!control.WithinPixelLimit(frame.width, frame.height, kMaxSourcePixels, r)) return false;

    // The frame as RGBA, and as much again that libwebp may hold while it
    // decodes a lossless one.
    const int64_t pixelBytes = int64_t(frame.width) * frame.height * kBytesPerPixel;
    BudgetLease lease;
    if (!control.Reserve(frameFeatures.format == 2 ? 2 * pixelBytes : pixelBytes, lease, r)) return false;
    std::vector<uint8_t> rgba;
    if (!DecodeFrame(frame, control, rgba, r)) return false;
    r.colourProfile = ColourProfileOf(bytes);
    return Reduce(frame, rgba, features.width, features.height, target, control, out, r);
}

// Reads from the file until bytes holds `want` bytes or the file ends, a
// piece at a time, looking at the cancel flag between pieces.
bool ReadUpTo(int fd, std::size_t want, std::string& bytes, const DecodeControl& control, DecodeReport& report) {
    while (bytes.size() < want) {
        if (Cancelled(control, report)) return false;
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

bool DecodeWebp(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                DecodeReport& r) {
    if (!input.bytes.empty()) return DecodeBytes(input.bytes, target, control, out, r);
    const std::string& path = input.path;
    // Only a regular file: it may have been replaced by a FIFO or a device
    // since it was probed.
    struct stat info;
    UniqueFd fd = OpenRegularFile(path, &info);
    if (!fd) return Fail(r, "cannot open " + path + ": " + std::strerror(errno));
    const std::size_t fileSize = std::size_t(info.st_size);
    std::string bytes;
    if (!ReadUpTo(fd.get(), std::min(fileSize, kFirstRead), bytes, control, r)) return false;
    // Only a RIFF container, as the probe found it; its size bounds what is
    // read, since bytes after it are not the picture's.
    if (bytes.size() < kRiffHeaderSize || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WEBP", 4) != 0)
        return Fail(r, "not a WebP file");
    const uint64_t riffSize = LittleEndian32(reinterpret_cast<const uint8_t*>(bytes.data() + 4));
    const std::size_t end = std::size_t(std::min<uint64_t>(fileSize, 8 + riffSize));
    if (bytes.size() > end) bytes.resize(end);
    // A header already in hand that is over the limit is refused before the
    // rest of the file is read.
    WebPBitstreamFeatures features;
    std::size_t need = end;
    if (WebPGetFeatures(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &features) == VP8_STATUS_OK) {
        if (!control.WithinPixelLimit(features.width, features.height, kMaxSourcePixels, r)) {
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
    if (!ReadUpTo(fd.get(), need, bytes, control, r)) return false;
    return DecodeBytes(bytes, target, control, out, r);
}

// A RIFF WEBP header that the probe refused: the file is damaged or cut
// short.
std::optional<NotListedReason> SniffWebp(ProbeSource& source) {
    uint8_t riff[kRiffHeaderSize];
    if (!ReadExactly(source, 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WEBP", 4) != 0)
        return std::nullopt;
    return NotListedReason::Damaged;
}

}  // namespace

const ImageFormat& WebpFormat() {
    static const FunctionEntry entry(
        {ImageKind::Webp, FormatGroup::MoreImageTypes, ProbeWebp, SniffWebp, DecodeWebp});
    return entry;
}

}  // namespace htmlimglist
