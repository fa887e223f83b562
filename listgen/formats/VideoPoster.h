// A video's poster frame, decoded with FFmpeg's libraries and reduced like
// any picture: the first key frame at or after 1 s (at a tenth of the
// duration for clips shorter than 10 s), turned as its display matrix says,
// its rows handed to a RowReducer.
#pragma once

#include <chrono>
#include <cstdint>

#include "listgen/formats/ImageFormat.h"

namespace htmlimglist {

// What bounds one poster's decode: an open, a read or a decode still going
// after `time`, or reading more than `readBytes` of the file, ends it.
struct VideoPosterBounds {
    std::chrono::milliseconds time{5000};
    int64_t readBytes = int64_t(64) << 20;
};

// Frames above this many pixels are refused before they are decoded.
inline constexpr int64_t kMaxVideoFramePixels = int64_t(1) << 26;

// The time of the poster frame, in milliseconds from the start, for a clip
// of durationMs (-1 when unknown): the key frame taken is the first at or
// after it.
int64_t PosterTimeMs(int64_t durationMs);

// Decodes the poster frame of the video at input and reduces it to target
// (its orientation applied after the video's own turn). False, with the
// report's error, when the file cannot be opened or holds no frame to
// show, the frame is over the pixel limit, the bounds ran out, or the
// cancel flag stopped it (report.aborted). report.sourceWidth and
// sourceHeight give the frame's displayed size.
bool DecodeVideoPoster(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control,
                       const VideoPosterBounds& bounds, Bitmap& out, DecodeReport& report);

}  // namespace htmlimglist
