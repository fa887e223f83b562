// Videos for the tests: short clips made by Debian's ffmpeg program at test
// time (a test pattern, a few frames a second, key frames at fixed
// distances), frames decoded by the same program as the reference, and
// ISO box and EBML element trees built in code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Bitmap.h"

namespace htmlimglist::test {

struct ClipRecipe {
    int width = 64;
    int height = 48;
    int rate = 10;          // frames a second
    int frames = 30;
    int keyEvery = 15;      // frames from one key frame to the next
    std::string codec = "h264";      // "h264" or "vp9" (odd sizes: VP9 only)
    std::string container = "mp4";   // "mp4", "mov" or "webm"
    bool faststart = true;  // the movie box before the media data (MP4, MOV)
    int rotate = 0;         // the rotation the container records, in degrees
};

// The clip's bytes, made once per recipe in a process; empty (with a
// failure recorded) when ffmpeg cannot make it.
const std::string& Clip(const ClipRecipe& recipe);

// Frame `index` (counted from 0 in presentation order) of the clip at path
// as ffmpeg itself shows it: decoded, turned by the display matrix, then
// converted to RGB. width x height is the shown size.
Bitmap FfmpegFrame(const std::string& path, int index, int width, int height);

// Big-endian numbers as bytes.
std::string Be16(uint32_t value);
std::string Be32(uint32_t value);
std::string Be64(uint64_t value);

// An ISO box: size, type, payload; a full box puts version and flags first.
std::string Box(std::string_view type, std::string_view payload);
std::string FullBox(std::string_view type, int version, std::string_view payload);

// The boxes of a small ISO video file, each field as a recipe gives it.
struct IsoRecipe {
    std::string major = "isom";
    std::string compatible = "isomiso2avc1mp41";
    int handlerTracks = 1;   // traks before the video one, with a sound handler
    uint32_t width = 64 << 16, height = 48 << 16;  // tkhd, 16.16
    int32_t matrix[4] = {0x10000, 0, 0, 0x10000};  // a, b, c, d
    int tkhdVersion = 0;
    uint32_t timeScale = 1000;
    uint64_t duration = 3000;
    int mdhdVersion = 0;
    std::string handler = "vide";
    uint16_t codedWidth = 64, codedHeight = 48;  // the sample entry's
    bool moovLast = false;   // the media data before the movie box
    std::size_t mediaBytes = 16;
};
std::string IsoTrak(const IsoRecipe& recipe, std::string_view handler);
std::string IsoVideo(const IsoRecipe& recipe);

// An EBML element with its size in the fewest bytes; EbmlUnknownSize has a
// size of all ones (eight bytes).
std::string EbmlId(uint32_t id);
std::string Ebml(uint32_t id, std::string_view data);
std::string EbmlUnknownSize(uint32_t id, std::string_view data);
std::string EbmlUnsigned(uint32_t id, uint64_t value);
std::string EbmlFloat(uint32_t id, double value);

// The elements of a small Matroska file.
struct MatroskaRecipe {
    std::string docType = "webm";
    uint64_t trackType = 1;  // 1 video, 2 sound
    uint64_t pixelWidth = 64, pixelHeight = 48;
    uint64_t displayWidth = 0, displayHeight = 0;  // 0: left out
    int64_t displayUnit = -1;                      // -1: left out
    double duration = 3000;                        // ticks; negative: left out
    uint64_t timestampScale = 1000000;
    bool tracksFirst = false;     // Tracks before Info
    bool unknownSegmentSize = false;
    bool unknownTracksSize = false;
    std::size_t clusterBytes = 16;
};
std::string MatroskaVideo(const MatroskaRecipe& recipe);

}  // namespace htmlimglist::test
