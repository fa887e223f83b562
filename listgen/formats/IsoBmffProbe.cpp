// The probe of ISO base media files (MP4, MOV, 3GP) for their first video
// track, and the read bounds every video probe shares.
//
// A file is a sequence of boxes:
//   size (32 bits, big-endian; 1: a 64-bit size follows the type; 0: the
//        box runs to the end of the file), type (four characters), payload
// and some boxes hold boxes. The ones read here:
//   ftyp                major brand, minor version, compatible brands (4 bytes each)
//   moov                the movie: mvhd (its time scale and duration) and traks
//     trak              one track: tkhd, mdia
//       tkhd            version 0: 20 bytes of times and ids, version 1: 32;
//                       then 8 reserved, layer, group, volume, 2 reserved,
//                       the 3 x 3 matrix (36 bytes), width and height (16.16)
//       mdia            mdhd, hdlr, minf
//         mdhd          version 0: creation, modification, time scale,
//                       duration (4 bytes each); version 1: 8, 8, 4, 8
//         hdlr          4 bytes of version and flags, 4 reserved, the handler
//                       ("vide" for video)
//         minf/stbl/stsd  sample descriptions: a visual one holds the coded
//                       width and height (16 bits each, 24 bytes in)
// Every box must fit inside what holds it; the media data ("mdat") is
// stepped over by its size and never read.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <string_view>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/IsoBox.h"
#include "listgen/formats/VideoProbe.h"

namespace htmlimglist {

bool BoundedProbeReads::ReadExactly(int64_t offset, void* buffer, std::size_t n) {
    if (offset < 0 || reads_ >= kVideoProbeMaxReads || bytes_ + int64_t(n) > kVideoProbeReadLimit) return false;
    ++reads_;
    bytes_ += int64_t(n);
    return source_.ReadAt(offset, buffer, n) == n;
}

int OrientationOfMatrix(int32_t a, int32_t b, int32_t c, int32_t d) {
    // Where the picture's x axis and y axis go, each as one of the four
    // directions; the eight turns and mirrorings send them to two different
    // axes.
    struct Axis {
        bool toY;   // onto the shown y axis (else the x axis)
        bool back;  // the opposite way
    };
    auto axis = [](int32_t onX, int32_t onY, Axis& out) {
        const int64_t ax = std::abs(int64_t(onX)), ay = std::abs(int64_t(onY));
        if (ax == ay) return false;  // no length, or not along an axis
        out.toY = ay > ax;
        out.back = (out.toY ? onY : onX) < 0;
        return true;
    };
    Axis x, y;
    if (!axis(a, b, x) || !axis(c, d, y) || x.toY == y.toY) return 1;
    if (!x.toY) {
        if (!x.back) return y.back ? 4 : 1;
        return y.back ? 3 : 2;
    }
    // The picture's x axis goes down or up the shown picture: a quarter turn
    // or a mirroring along a diagonal.
    if (!x.back) return y.back ? 6 : 5;
    return y.back ? 7 : 8;
}

namespace {

// Boxes looked at in all (at every level), and top-level boxes walked in
// search of moov. Real files have a handful of top-level boxes and a few
// dozen inside moov per track; an endless chain of empty boxes ends here.
constexpr int kMaxBoxes = 4096;
constexpr int kMaxTopLevelBoxes = 64;
// Compatible brands read from ftyp; a real one names a handful.
constexpr int kMaxBrands = 64;

using Brand = std::array<char, 4>;

// Brands of files with moving pictures. Sound-only files share some of
// them ("isom", "mp42"); they are told apart by their tracks.
constexpr std::string_view kVideoBrands[] = {
    "isom", "iso2", "iso3", "iso4", "iso5", "iso6", "iso7", "iso8", "iso9", "mp41", "mp42", "avc1",
    "qt  ", "M4V ", "M4VH", "M4VP", "mmp4", "MSNV", "f4v ", "dash", "XAVC", "hvc1", "3g2a", "3g2b",
    "3g2c", "CAEP", "caqv", "NDAS", "nvr1",
};
// Brand prefixes of the 3GPP families (3gp4 ... 3gp9, 3ge6 ... and so on).
constexpr std::string_view kVideoBrandPrefixes[] = {"3gp", "3ge", "3gg", "3gr", "3gs"};
// Brands of still images and image sequences in the same container (HEIF,
// HEIC, AVIF): those files are pictures, never videos.
constexpr std::string_view kStillBrands[] = {
    "mif1", "mif2", "msf1", "miaf", "heic", "heix", "heim", "heis", "hevc", "hevx",
    "hevm", "hevs", "avif", "avis", "avio", "MA1A", "MA1B", "jpeg", "jpgs", "avci",
};

bool BrandIn(const Brand& brand, std::span<const std::string_view> list) {
    const std::string_view b(brand.data(), brand.size());
    return std::find(list.begin(), list.end(), b) != list.end();
}

bool IsVideoBrand(const Brand& brand) {
    if (BrandIn(brand, kVideoBrands)) return true;
    const std::string_view b(brand.data(), brand.size());
    return std::any_of(std::begin(kVideoBrandPrefixes), std::end(kVideoBrandPrefixes),
                       [&](std::string_view prefix) { return b.substr(0, prefix.size()) == prefix; });
}

using Box = IsoBox;

// The walk's state: its reads and how many boxes it has seen.
struct Walk {
    BoundedProbeReads in;
    int boxes = 0;
};

// The box whose header starts at `at`; false when the header cannot be read,
// the count of boxes is spent, or the box does not fit before parentEnd.
bool ReadBox(Walk& walk, int64_t at, int64_t parentEnd, Box& box) {
    if (++walk.boxes > kMaxBoxes) return false;
    return ReadIsoBox([&](int64_t offset, void* buffer, std::size_t n) { return walk.in.ReadExactly(offset, buffer, n); },
                      at, parentEnd, box);
}

// What the first video track says, as far as it was read.
struct Track {
    bool video = false;  // hdlr says "vide"
    bool haveTkhd = false;
    uint32_t width = 0, height = 0;  // tkhd, 16.16
    int32_t matrix[4] = {0x10000, 0, 0, 0x10000};  // a, b, c, d
    uint32_t timeScale = 0;
    uint64_t duration = 0;
    bool haveDuration = false;
    uint32_t codedWidth = 0, codedHeight = 0;  // stsd
};

// Reads a full box's version and the fields after its 4 bytes of version
// and flags into `fields` (up to its size); false when they are not there.
template <std::size_t N>
bool ReadFullBox(Walk& walk, const Box& box, std::size_t version0Size, std::size_t version1Size, uint8_t& version,
                 std::array<uint8_t, N>& fields) {
    uint8_t head[4];
    if (box.PayloadSize() < 4 || !walk.in.ReadExactly(box.payload, head, 4)) return false;
    version = head[0];
    const std::size_t need = version == 0 ? version0Size : version1Size;
    if (version > 1 || need > N || box.PayloadSize() - 4 < int64_t(need)) return false;
    return walk.in.ReadExactly(box.payload + 4, fields.data(), need);
}

bool ReadTkhd(Walk& walk, const Box& box, Track& track) {
    std::array<uint8_t, 92> f;
    uint8_t version;
    if (!ReadFullBox(walk, box, 80, 92, version, f)) return false;
    const std::size_t matrixAt = (version == 0 ? 20 : 32) + 16;
    for (int i = 0; i < 2; ++i) {
        track.matrix[2 * i] = int32_t(BigEndian32(f.data() + matrixAt + 12 * i));
        track.matrix[2 * i + 1] = int32_t(BigEndian32(f.data() + matrixAt + 12 * i + 4));
    }
    track.width = BigEndian32(f.data() + matrixAt + 36);
    track.height = BigEndian32(f.data() + matrixAt + 40);
    track.haveTkhd = true;
    return true;
}

// mdhd and mvhd begin alike: times, then the time scale and the duration.
bool ReadTimes(Walk& walk, const Box& box, uint32_t& timeScale, uint64_t& duration) {
    std::array<uint8_t, 28> f;
    uint8_t version;
    if (!ReadFullBox(walk, box, 16, 28, version, f)) return false;
    if (version == 0) {
        timeScale = BigEndian32(f.data() + 8);
        duration = BigEndian32(f.data() + 12);
        if (duration == 0xFFFFFFFFu) duration = UINT64_MAX;  // unknown
    } else {
        timeScale = BigEndian32(f.data() + 16);
        duration = BigEndian64(f.data() + 20);
    }
    return true;
}

bool ReadHdlr(Walk& walk, const Box& box, Track& track) {
    std::array<uint8_t, 8> f;
    uint8_t version;
    if (!ReadFullBox(walk, box, 8, 8, version, f)) return false;
    track.video = std::memcmp(f.data() + 4, "vide", 4) == 0;
    return true;
}

// The first sample description's coded size, when it is a visual one.
bool ReadStsd(Walk& walk, const Box& box, Track& track) {
    std::array<uint8_t, 4> count;
    uint8_t version;
    if (!ReadFullBox(walk, box, 4, 4, version, count)) return false;
    if (BigEndian32(count.data()) == 0) return true;
    Box entry;
    if (!ReadBox(walk, box.payload + 8, box.end, entry)) return false;
    // 6 reserved, data reference index, 16 bytes of versions and reserved,
    // then width and height.
    uint8_t visual[28];
    if (entry.PayloadSize() < int64_t(sizeof visual)) return true;  // not a visual entry
    if (!walk.in.ReadExactly(entry.payload, visual, sizeof visual)) return false;
    track.codedWidth = BigEndian16(visual + 24);
    track.codedHeight = BigEndian16(visual + 26);
    return true;
}

// Walks the boxes of a container box, calling visit(box) for each; false
// when one does not fit or visit fails.
template <class Visit>
bool WalkChildren(Walk& walk, const Box& parent, int64_t skip, Visit&& visit) {
    for (int64_t at = parent.payload + skip; at < parent.end;) {
        Box box;
        if (!ReadBox(walk, at, parent.end, box) || !visit(box)) return false;
        at = box.end;
    }
    return true;
}

bool ReadTrak(Walk& walk, const Box& trak, Track& track) {
    return WalkChildren(walk, trak, 0, [&](const Box& box) {
        if (box.Is("tkhd")) return ReadTkhd(walk, box, track);
        if (!box.Is("mdia")) return true;
        return WalkChildren(walk, box, 0, [&](const Box& inner) {
            if (inner.Is("mdhd")) {
                track.haveDuration = ReadTimes(walk, inner, track.timeScale, track.duration);
                return track.haveDuration;
            }
            if (inner.Is("hdlr")) return ReadHdlr(walk, inner, track);
            if (!inner.Is("minf")) return true;
            return WalkChildren(walk, inner, 0, [&](const Box& minf) {
                if (!minf.Is("stbl")) return true;
                return WalkChildren(walk, minf, 0, [&](const Box& stbl) {
                    return !stbl.Is("stsd") || ReadStsd(walk, stbl, track);
                });
            });
        });
    });
}

// Milliseconds of duration units at timeScale units a second; -1 when
// unknown.
int64_t Milliseconds(uint64_t duration, uint32_t timeScale) {
    if (timeScale == 0 || duration == UINT64_MAX) return -1;
    const long double ms = (long double)duration * 1000.0L / timeScale;
    return ms < 9.0e15L ? int64_t(std::llround(ms)) : -1;
}

// The 16.16 side rounded to whole pixels.
int64_t Side(uint32_t fixed) { return (int64_t(fixed) + 0x8000) >> 16; }

VideoProbeResult ReadMoov(Walk& walk, const Box& moov, ImageHeader& header) {
    uint32_t movieScale = 0;
    uint64_t movieDuration = 0;
    bool fragmented = false;
    Track found;
    bool haveVideo = false;
    const bool whole = WalkChildren(walk, moov, 0, [&](const Box& box) {
        if (box.Is("mvhd")) return ReadTimes(walk, box, movieScale, movieDuration);
        if (box.Is("mvex")) fragmented = true;
        if (!box.Is("trak") || haveVideo) return true;
        Track track;
        if (!ReadTrak(walk, box, track)) return false;
        if (track.video && track.haveTkhd) {
            found = track;
            haveVideo = true;
        }
        return true;
    });
    // A track read whole stands even when a later box is damaged.
    if (!haveVideo) return whole ? VideoProbeResult::NoVideoTrack : VideoProbeResult::Damaged;

    int64_t width = Side(found.width), height = Side(found.height);
    if (width < 1 || height < 1) {  // some writers leave tkhd's size at zero
        width = found.codedWidth;
        height = found.codedHeight;
    }
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return VideoProbeResult::Damaged;
    const int orientation = OrientationOfMatrix(found.matrix[0], found.matrix[1], found.matrix[2], found.matrix[3]);
    const bool swapped = orientation >= 5;
    header.width = int32_t(swapped ? height : width);
    header.height = int32_t(swapped ? width : height);
    header.durationMs = found.haveDuration ? Milliseconds(found.duration, found.timeScale)
                                           : Milliseconds(movieDuration, movieScale);
    // A fragmented file's movie box says 0: its length is in the fragments.
    if (fragmented && header.durationMs == 0) header.durationMs = -1;
    header.video = true;
    return VideoProbeResult::Video;
}

}  // namespace

VideoProbeResult ProbeIsoBmffVideo(ProbeSource& source, ImageHeader& header) {
    Walk walk{BoundedProbeReads(source)};
    const int64_t size = source.Size();
    Box ftyp;
    if (!ReadBox(walk, 0, size, ftyp)) {
        // A file cut short inside its ftyp box: a damaged video when the
        // major brand that arrived is a video one.
        uint8_t head[12];
        Brand major;
        if (!walk.in.ReadExactly(0, head, sizeof head) || std::memcmp(head + 4, "ftyp", 4) != 0 ||
            BigEndian32(head) <= uint64_t(size))
            return VideoProbeResult::NotThisFormat;
        std::memcpy(major.data(), head + 8, 4);
        return IsVideoBrand(major) && !BrandIn(major, kStillBrands) ? VideoProbeResult::Damaged
                                                                     : VideoProbeResult::NotThisFormat;
    }
    if (!ftyp.Is("ftyp") || ftyp.PayloadSize() < 8) return VideoProbeResult::NotThisFormat;
    const int64_t brands = std::min<int64_t>(1 + (ftyp.PayloadSize() - 8) / 4, kMaxBrands);
    bool video = false;
    Brand major{};
    for (int64_t i = 0; i < brands; ++i) {
        Brand brand;
        // The major brand, then (after the minor version) the compatible ones.
        if (!walk.in.ReadExactly(ftyp.payload + (i == 0 ? 0 : 4 + 4 * i), brand.data(), 4)) {
            return VideoProbeResult::NotThisFormat;
        }
        if (BrandIn(brand, kStillBrands)) return VideoProbeResult::NotThisFormat;
        if (i == 0) major = brand;
        video = video || IsVideoBrand(brand);
    }
    if (!video) return VideoProbeResult::NotThisFormat;
    // The QuickTime brand as the major one is a MOV; anything else an MP4.
    header.typeText = major == Brand{'q', 't', ' ', ' '} ? "MOV" : "MP4";

    int64_t at = ftyp.end;
    for (int walked = 0; walked < kMaxTopLevelBoxes && at < size; ++walked) {
        Box box;
        if (!ReadBox(walk, at, size, box)) return VideoProbeResult::Damaged;
        if (box.Is("moov")) return ReadMoov(walk, box, header);
        at = box.end;  // past mdat and the rest, unread
    }
    // No movie box: a recording cut before it was written, or past the caps.
    return VideoProbeResult::Damaged;
}

VideoProbeResult ProbeVideo(ProbeSource& source, ImageHeader& header) {
    const VideoProbeResult iso = ProbeIsoBmffVideo(source, header);
    if (iso != VideoProbeResult::NotThisFormat) return iso;
    return ProbeMatroskaVideo(source, header);
}

}  // namespace htmlimglist
