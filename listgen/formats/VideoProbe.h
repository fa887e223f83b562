// The bounded probes of the two video containers a phone or camera writes:
// ISO base media files (MP4, MOV, 3GP) and Matroska (WebM). Each walks the
// container's own structure far enough to find the first video track's
// displayed size and the duration, checks every length against what holds
// it, stops after a fixed number of boxes or elements, and never asks for
// more than kVideoProbeReadLimit bytes of the file in all. Nothing here
// decodes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "listgen/formats/ImageFormat.h"
#include "listgen/formats/ProbeSource.h"

namespace htmlimglist {

// What a probe found.
enum class VideoProbeResult {
    NotThisFormat,  // not the container's signature (or, for ISO files, no video brand)
    Video,          // the header is filled in
    NoVideoTrack,   // a whole container with no video in it (sound only, say)
    Damaged,        // the container's start, but what follows is cut short, inconsistent or past the caps
};

// Bytes a probe asks of its source, in all, and how many reads it makes.
inline constexpr int64_t kVideoProbeReadLimit = int64_t(1) << 20;
inline constexpr int kVideoProbeMaxReads = 1024;

// A source that gives each probe at most kVideoProbeReadLimit bytes in at
// most kVideoProbeMaxReads reads; a read past either gets nothing, which the
// walks treat as a file cut short.
class BoundedProbeReads {
public:
    explicit BoundedProbeReads(ProbeSource& source) : source_(source) {}

    int64_t Size() const { return source_.Size(); }
    // True when all n bytes at offset arrived.
    bool ReadExactly(int64_t offset, void* buffer, std::size_t n);
    int64_t BytesRead() const { return bytes_; }

private:
    ProbeSource& source_;
    int64_t bytes_ = 0;
    int reads_ = 0;
};

// ISO base media: an "ftyp" box first, whose brands name a video file and
// none of the still-image (HEIF, AVIF) brands; then the top-level boxes up
// to "moov", wherever it lies (a file written without moving it to the
// front has it after the media data), and in it the first track whose
// handler is "vide": "tkhd" (size and matrix) and "mdhd" (duration). The
// type text is "MOV" for the QuickTime brand, "MP4" otherwise.
VideoProbeResult ProbeIsoBmffVideo(ProbeSource& source, ImageHeader& header);

// Matroska: an EBML header whose DocType is "webm" or "matroska", then the
// Segment's Info (duration) and Tracks (the first video track's pixel size,
// and its display size when given). The type text is "WebM".
VideoProbeResult ProbeMatroskaVideo(ProbeSource& source, ImageHeader& header);

// Either container.
VideoProbeResult ProbeVideo(ProbeSource& source, ImageHeader& header);

// The EXIF orientation (1 to 8) that shows what a transformation matrix of
// an ISO file shows: a, b, c and d as the file stores them (16.16 fixed
// point), a point (x, y) of the picture going to (a x + c y, b x + d y).
// Only the eight turns and mirrorings that keep the picture's axes are told
// apart; any other matrix counts as 1.
int OrientationOfMatrix(int32_t a, int32_t b, int32_t c, int32_t d);

}  // namespace htmlimglist
