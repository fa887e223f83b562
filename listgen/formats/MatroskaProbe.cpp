// The probe of Matroska and WebM files for their first video track.
//
// The file is a tree of EBML elements: an ID (1 to 4 bytes, the count of
// leading zero bits of its first byte saying how many more follow, the
// marker bit kept), a size (1 to 8 bytes, coded alike, the marker bit
// dropped; all value bits set means "unknown": the element runs until its
// parent ends or a sibling of its parent begins), then the data. The ones
// read here:
//   EBML header 1A45DFA3   DocType 4282 ("webm" or "matroska")
//   Segment 18538067       everything else
//     Info 1549A966        TimestampScale 2AD7B1 (nanoseconds a tick,
//                          1000000 unless given), Duration 4489 (a float
//                          of 4 or 8 bytes, in ticks)
//     Tracks 1654AE6B      TrackEntry AE: TrackType 83 (1 is video), Video E0:
//                          PixelWidth B0, PixelHeight BA, DisplayWidth 54B0,
//                          DisplayHeight 54BA, DisplayUnit 54B2 (0 pixels,
//                          3 an aspect ratio)
//     Cluster 1F43B675     the media data, stepped over by its size
// Every element must fit inside its parent. A file cut short inside its
// clusters still has its Info and Tracks and is taken as it is, as players
// take it.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/VideoProbe.h"

namespace htmlimglist {
namespace {

constexpr uint32_t kEbmlHeader = 0x1A45DFA3;
constexpr uint32_t kDocType = 0x4282;
constexpr uint32_t kSegment = 0x18538067;
constexpr uint32_t kInfo = 0x1549A966;
constexpr uint32_t kTimestampScale = 0x2AD7B1;
constexpr uint32_t kDuration = 0x4489;
constexpr uint32_t kTracks = 0x1654AE6B;
constexpr uint32_t kTrackEntry = 0xAE;
constexpr uint32_t kTrackType = 0x83;
constexpr uint32_t kVideo = 0xE0;
constexpr uint32_t kPixelWidth = 0xB0;
constexpr uint32_t kPixelHeight = 0xBA;
constexpr uint32_t kDisplayWidth = 0x54B0;
constexpr uint32_t kDisplayHeight = 0x54BA;
constexpr uint32_t kDisplayUnit = 0x54B2;
constexpr uint32_t kCluster = 0x1F43B675;
// The Segment's children: an element of unknown size inside one of them
// ends where the next of these begins.
constexpr uint32_t kSegmentChildren[] = {0x114D9B74 /* SeekHead */, kInfo,      kTracks,   kCluster,
                                         0x1C53BB6B /* Cues */,     0x1941A469 /* Attachments */,
                                         0x1043A770 /* Chapters */, 0x1254C367 /* Tags */};
constexpr uint64_t kTrackTypeVideo = 1;
constexpr uint64_t kDisplayUnitPixels = 0;
constexpr uint64_t kDisplayUnitAspectRatio = 3;
// Elements looked at in all, at every level; the EBML header's size, and
// the DocType's.
constexpr int kMaxElements = 4096;
constexpr int64_t kMaxEbmlHeaderSize = 4096;
constexpr int64_t kMaxDocTypeSize = 32;
// The end given to an element whose parent is the file, before it is held
// to the file's length.
constexpr int64_t kNoEnd = INT64_MAX / 2;

bool IsSegmentChild(uint32_t id) {
    for (uint32_t child : kSegmentChildren) {
        if (id == child) return true;
    }
    return false;
}

struct Element {
    uint32_t id = 0;
    int64_t dataAt = 0;
    int64_t end = 0;  // the parent's end when the size is unknown
    bool unknownSize = false;

    int64_t Size() const { return end - dataAt; }
};

struct Walk {
    BoundedProbeReads in;
    int elements = 0;
};

// A variable-length number at `at`: its length (1 to maxLength), and its
// value with (an ID) or without (a size) the marker bit; false when the
// first byte has no marker bit within maxLength or the bytes are not there.
bool ReadVint(Walk& walk, int64_t at, int64_t end, int maxLength, bool keepMarker, uint64_t& value, int& length,
              bool& allOnes) {
    uint8_t bytes[8];
    if (at >= end || !walk.in.ReadExactly(at, bytes, 1) || bytes[0] == 0) return false;
    length = std::countl_zero(bytes[0]) + 1;
    if (length > maxLength || at + length > end) return false;
    if (length > 1 && !walk.in.ReadExactly(at + 1, bytes + 1, std::size_t(length - 1))) return false;
    const uint8_t marker = uint8_t(0x80 >> (length - 1));
    value = keepMarker ? bytes[0] : bytes[0] & (marker - 1);
    allOnes = (bytes[0] & (marker - 1)) == marker - 1;
    for (int i = 1; i < length; ++i) {
        value = value << 8 | bytes[i];
        allOnes = allOnes && bytes[i] == 0xFF;
    }
    return true;
}

// The element whose ID starts at `at`; false when it cannot be read, the
// count of elements is spent, or it does not fit before parentEnd.
bool ReadElement(Walk& walk, int64_t at, int64_t parentEnd, Element& element) {
    if (++walk.elements > kMaxElements) return false;
    uint64_t id, size;
    int idLength, sizeLength;
    bool allOnes;
    if (!ReadVint(walk, at, parentEnd, 4, true, id, idLength, allOnes)) return false;
    if (!ReadVint(walk, at + idLength, parentEnd, 8, false, size, sizeLength, allOnes)) return false;
    element.id = uint32_t(id);
    element.dataAt = at + idLength + sizeLength;
    element.unknownSize = allOnes;
    if (allOnes) {
        element.end = parentEnd;
        return true;
    }
    if (size > uint64_t(parentEnd - element.dataAt)) return false;
    element.end = element.dataAt + int64_t(size);
    return true;
}

// An unsigned integer element (0 to 8 bytes).
bool ReadUnsigned(Walk& walk, const Element& element, uint64_t& value) {
    uint8_t bytes[8];
    if (element.unknownSize || element.Size() > 8) return false;
    if (!walk.in.ReadExactly(element.dataAt, bytes, std::size_t(element.Size()))) return false;
    value = 0;
    for (int64_t i = 0; i < element.Size(); ++i) value = value << 8 | bytes[i];
    return true;
}

// A float element (0, 4 or 8 bytes).
bool ReadFloat(Walk& walk, const Element& element, double& value) {
    uint8_t bytes[8];
    if (element.unknownSize || (element.Size() != 0 && element.Size() != 4 && element.Size() != 8)) return false;
    if (!walk.in.ReadExactly(element.dataAt, bytes, std::size_t(element.Size()))) return false;
    if (element.Size() == 0) {
        value = 0;
    } else if (element.Size() == 4) {
        value = std::bit_cast<float>(BigEndian32(bytes));
    } else {
        value = std::bit_cast<double>(BigEndian64(bytes));
    }
    return true;
}

// Walks the children of parent, calling visit(child) for each; an element
// of unknown size that is not the Segment ends where a Segment child
// begins. Returns where the walk ended (-1 when a child did not fit or
// visit failed).
template <class Visit>
int64_t WalkChildren(Walk& walk, const Element& parent, Visit&& visit) {
    int64_t at = parent.dataAt;
    while (at < parent.end) {
        Element child;
        if (!ReadElement(walk, at, parent.end, child)) return -1;
        if (parent.unknownSize && parent.id != kSegment && IsSegmentChild(child.id)) return at;
        if (!visit(child)) return -1;
        // A child of unknown size that was not walked cannot be stepped over.
        if (child.unknownSize) return -1;
        at = child.end;
    }
    return at;
}

// A video track's sizes.
struct VideoSizes {
    uint64_t pixelWidth = 0, pixelHeight = 0, displayWidth = 0, displayHeight = 0, displayUnit = kDisplayUnitPixels;
};

// What the walk of the Segment found.
struct Found {
    bool info = false;
    uint64_t timestampScale = 1000000;
    double duration = -1;
    bool tracks = false;
    bool video = false;
    VideoSizes sizes;
};

bool ReadVideo(Walk& walk, const Element& video, VideoSizes& found) {
    return WalkChildren(walk, video, [&](const Element& e) {
        switch (e.id) {
            case kPixelWidth: return ReadUnsigned(walk, e, found.pixelWidth);
            case kPixelHeight: return ReadUnsigned(walk, e, found.pixelHeight);
            case kDisplayWidth: return ReadUnsigned(walk, e, found.displayWidth);
            case kDisplayHeight: return ReadUnsigned(walk, e, found.displayHeight);
            case kDisplayUnit: return ReadUnsigned(walk, e, found.displayUnit);
            default: return true;
        }
    }) >= 0;
}

bool ReadTrackEntry(Walk& walk, const Element& entry, Found& found) {
    uint64_t type = 0;
    VideoSizes sizes;
    const bool whole = WalkChildren(walk, entry, [&](const Element& e) {
        if (e.id == kTrackType) return ReadUnsigned(walk, e, type);
        if (e.id == kVideo) return ReadVideo(walk, e, sizes);
        return true;
    }) >= 0;
    if (!whole) return false;
    if (type == kTrackTypeVideo && sizes.pixelWidth > 0 && sizes.pixelHeight > 0) {
        found.video = true;
        found.sizes = sizes;
    }
    return true;
}

// The displayed size: the display size in pixels when given, the pixel
// size stretched to the given aspect ratio, or the pixel size.
void DisplayedSize(const VideoSizes& found, int64_t& width, int64_t& height) {
    width = int64_t(found.pixelWidth);
    height = int64_t(found.pixelHeight);
    if (found.displayUnit == kDisplayUnitPixels) {
        if (found.displayWidth > 0) width = int64_t(found.displayWidth);
        if (found.displayHeight > 0) height = int64_t(found.displayHeight);
    } else if (found.displayUnit == kDisplayUnitAspectRatio && found.displayWidth > 0 && found.displayHeight > 0) {
        width = int64_t(std::llround(double(found.pixelHeight) * double(found.displayWidth) /
                                     double(found.displayHeight)));
    }
}

}  // namespace

VideoProbeResult ProbeMatroskaVideo(ProbeSource& source, ImageHeader& header) {
    Walk walk{BoundedProbeReads(source)};
    const int64_t size = source.Size();
    Element ebml;
    if (!ReadElement(walk, 0, kNoEnd, ebml) || ebml.id != kEbmlHeader) return VideoProbeResult::NotThisFormat;
    if (ebml.unknownSize || ebml.Size() > kMaxEbmlHeaderSize) return VideoProbeResult::NotThisFormat;
    // A file cut short inside its header is read up to its end: damaged,
    // unless what arrived names another DocType.
    const bool cut = ebml.end > size;
    ebml.end = std::min(ebml.end, size);
    std::string docType;
    const int64_t headerEnd = WalkChildren(walk, ebml, [&](const Element& e) {
        if (e.id != kDocType) return true;
        if (e.Size() > kMaxDocTypeSize) return false;
        docType.resize(std::size_t(e.Size()));
        return walk.in.ReadExactly(e.dataAt, docType.data(), docType.size());
    });
    // Strings may be padded with zero bytes.
    docType.erase(std::find(docType.begin(), docType.end(), '\0'), docType.end());
    const bool ours = docType == "webm" || docType == "matroska";
    if (cut) return ours || docType.empty() ? VideoProbeResult::Damaged : VideoProbeResult::NotThisFormat;
    if (headerEnd < 0 || !ours) return VideoProbeResult::NotThisFormat;
    header.typeText = "WebM";

    // The Segment follows the header, perhaps after Void elements. It may
    // claim more than the file holds: a file cut short inside its media
    // data is read up to its end.
    Element segment;
    for (int64_t at = ebml.end;; at = segment.end) {
        if (!ReadElement(walk, at, kNoEnd, segment)) return VideoProbeResult::Damaged;
        if (segment.id == kSegment) break;
        if (segment.unknownSize || segment.end > size) return VideoProbeResult::Damaged;
    }
    segment.end = std::min(segment.end, size);

    Found found;
    bool damaged = false;
    for (int64_t at = segment.dataAt; at < segment.end && !(found.info && found.tracks);) {
        Element child;
        if (!ReadElement(walk, at, segment.end, child)) {
            damaged = true;
            break;
        }
        int64_t next = child.end;
        if (child.id == kInfo) {
            found.info = true;
            next = WalkChildren(walk, child, [&](const Element& e) {
                if (e.id == kTimestampScale) return ReadUnsigned(walk, e, found.timestampScale);
                if (e.id == kDuration) return ReadFloat(walk, e, found.duration);
                return true;
            });
        } else if (child.id == kTracks) {
            found.tracks = true;
            next = WalkChildren(walk, child, [&](const Element& e) {
                return e.id != kTrackEntry || found.video || ReadTrackEntry(walk, e, found);
            });
        } else if (child.id == kCluster && found.tracks) {
            break;  // the media data: the Info, when there is one, came before it
        } else if (child.unknownSize) {
            next = -1;  // cannot be stepped over
        }
        if (next < 0) {
            damaged = true;
            break;
        }
        at = next;
    }
    if (!found.video) return found.tracks && !damaged ? VideoProbeResult::NoVideoTrack : VideoProbeResult::Damaged;

    int64_t width, height;
    DisplayedSize(found.sizes, width, height);
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return VideoProbeResult::Damaged;
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.durationMs = -1;
    const double ms = found.duration * double(found.timestampScale) / 1e6;
    if (found.duration >= 0 && std::isfinite(ms) && ms < 9.0e15) header.durationMs = std::llround(ms);
    header.video = true;
    return VideoProbeResult::Video;
}

}  // namespace htmlimglist
