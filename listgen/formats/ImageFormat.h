// One image format as the rest of the tool sees it: how its files are
// recognised by their bytes, what their header says, how a file that only
// begins like one is told apart, and how it is decoded straight to a reduced
// picture. Every format is one entry of the registry (Registry.h); nothing
// outside this folder knows a format by name.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "listgen/formats/MemoryBudget.h"
#include "listgen/formats/ProbeSource.h"
#include "listgen/reduce/RowReducer.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// The formats, numbered as a run has always counted them (JPEG kind 1, GIF
// kind 2).
enum class ImageKind : int { Jpeg = 1, Gif = 2, Png = 3, Webp = 4, Heic = 5, Avif = 6, Video = 7 };

// The condition under which a run lists a format's files.
enum class FormatGroup {
    Always,          // JPEG and GIF
    MoreImageTypes,  // the condition of that name
    Videos,          // ListVideos
};

// What a probe is asked to recognise.
struct ProbeOptions {
    // MoreImageTypes: the formats of that group, and JPEGs whose bytes after
    // the end-of-image marker the file itself accounts for.
    bool moreImageTypes = false;
    // Read the date a photo was taken where the format's EXIF data has it
    // (for SortOrder=1; it costs a look past IFD0).
    bool dateTaken = false;
    // ListVideos: MP4, MOV and WebM files.
    bool videos = false;

    bool Lists(FormatGroup group) const {
        switch (group) {
            case FormatGroup::Always: return true;
            case FormatGroup::MoreImageTypes: return moreImageTypes;
            case FormatGroup::Videos: return videos;
        }
        return false;
    }
    // Everything the registry knows, as the checks of what a page may
    // replace ask for it.
    static ProbeOptions Everything() { return ProbeOptions{true, false, true}; }
};

// What a header probe reads.
struct ImageHeader {
    int32_t width = 0;   // as stored; a video's as displayed, its rotation and pixel shape applied
    int32_t height = 0;
    // EXIF orientation (1 to 8) that turns the stored picture upright; 1
    // without EXIF data.
    int orientation = 1;
    // The type text a cell shows: the last APP0/APP1 identifier of a JPEG
    // with "1" or "2" for its process, the six signature bytes of a GIF,
    // "PNG", "WebP", "HEIC", "AVIF", "MP4", "MOV" or "WebM".
    std::string typeText;
    // The "Animation" mark: a looping GIF, an animated PNG or WebP, a HEIF
    // image sequence or a HEIF file of several pictures.
    bool animated = false;
    // The file carries a colour profile its reduced copy keeps: an ICC
    // profile of at most kMaxColourProfileBytes, or a HEIF colour
    // description with wide-gamut primaries (see DecodeReport).
    bool colourProfile = false;
    // When asked for: the date the photo was taken, "YYYY:MM:DD HH:MM:SS"
    // as its EXIF data gives it; empty when there is none.
    std::string dateTaken;
    // A video: the "Video" mark instead, and its duration in milliseconds
    // (-1 for a picture, and for a video whose container gives none).
    bool video = false;
    int64_t durationMs = -1;
};

// ICC profiles larger than this are not copied (a real one is a few KiB; a
// camera's with lookup tables, some hundred).
inline constexpr int64_t kMaxColourProfileBytes = 1024 * 1024;

// Why a file that begins like an image got no cell.
enum class NotListedReason {
    NoEndMarker,      // its last bytes are not the end marker: cut short, or bytes follow it
    NoSize,           // its header gives no size the probe reads (another JPEG process, say)
    Damaged,          // its signature is right but what follows is not (a cut or damaged PNG, say)
    HeicNeedsCopies,  // browsers cannot show it; listed only with reduced copies
    VideoNeedsCopies,  // a video, in a run without reduced copies: its cell shows a poster copy
};

// Where a decoder reads from: a file (read as a stream, so that a large
// source is never held whole) or bytes in memory.
struct DecodeInput {
    std::string path;        // used when bytes is empty
    std::string_view bytes;
};

struct DecodeReport {
    int sourceWidth = 0;
    int sourceHeight = 0;
    int warnings = 0;        // corrupt-data warnings; the picture is still used
    bool aborted = false;    // the cancel flag stopped the decode
    bool overLimit = false;  // refused for its size: too many pixels, or more memory than the decodes may share
    std::string error;       // why a decode failed
    // The source's ICC profile, unchanged, for the copy to carry: from a
    // JPEG's APP2 ICC_PROFILE segments, PNG's iCCP (inflated), WebP's ICCP,
    // HEIF's colr (prof, rICC; for nclx with P3 or BT.2020 primaries the
    // matching profile). Empty when there is none, or it is over
    // kMaxColourProfileBytes.
    std::string colourProfile;
};

// What bounds a decode.
struct DecodeControl {
    // When set, the decode stops soon after the flag turns true and fails
    // with DecodeReport::aborted.
    const std::atomic<bool>* cancel = nullptr;
    // Sources above this many pixels are refused before their pixels are
    // decoded; 0 leaves the format's own limit, a smaller number lowers it.
    int64_t maxPixels = 0;
    // The memory this decode shares with the others running at once; none:
    // only the format's own bounds apply.
    MemoryBudget* budget = nullptr;

    bool Cancelled() const { return cancel != nullptr && cancel->load(); }
    // The limit that applies, given the format's own.
    int64_t PixelLimit(int64_t formatLimit) const {
        return maxPixels > 0 && maxPixels < formatLimit ? maxPixels : formatLimit;
    }
    // Refuses a source of width x height over the pixel limit, with the
    // report's reason; true when it is within.
    bool WithinPixelLimit(int64_t width, int64_t height, int64_t formatLimit, DecodeReport& report) const;
    // Holds bytes of the shared budget in lease for as long as it lives,
    // waiting for the others when need be. False, with the report's reason,
    // when they are more than the whole budget or the wait was cancelled.
    bool Reserve(int64_t bytes, BudgetLease& lease, DecodeReport& report) const;
};


class ImageFormat {
public:
    virtual ~ImageFormat() = default;

    virtual ImageKind Kind() const = 0;
    virtual FormatGroup Group() const = 0;

    // True, with the header, when the bytes are a file of this format by
    // its own rules. Reads only what the header needs; never decodes.
    virtual bool Probe(ProbeSource& source, const ProbeOptions& options, ImageHeader& header) const = 0;

    // For a file that no format recognised: why it got no cell, when it
    // begins like a file of this format.
    virtual std::optional<NotListedReason> Sniff(ProbeSource& source) const = 0;

    // For a format browsers cannot show as an image: why its files get no
    // cell unless reduced copies are made (a page then shows the copy).
    // Nothing for a format browsers show as it is.
    virtual std::optional<NotListedReason> WithoutCopies() const { return std::nullopt; }

    // Decodes the picture (the first frame or default image of an
    // animation) and reduces it to the target. False, with the report's
    // error, when the source cannot be read or decoded, is over the limit,
    // or was cancelled; out is then unspecified.
    virtual bool DecodeReduced(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control,
                               Bitmap& out, DecodeReport& report) const = 0;
};

}  // namespace htmlimglist
