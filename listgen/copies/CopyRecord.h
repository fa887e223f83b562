// The record a reduced copy carries of what it was made from: one JPEG COM
// segment right after the JFIF APP0 segment, ASCII, under 400 bytes:
//
//   htmlimglist 2 dir=00001 src=IMG_0001.jpg size=3145728
//       mtime=1700000000123456789 fit=200x150 AutoRotate=1 SmoothReduce=0
//
// (one line, fields separated by single blanks), followed by " ICC=1" when
// the copy carries its source's colour profile. "2" is the format version;
// dir is the name of the source's folder (the copies of several folders
// share their parent, so two folders may each hold an IMG_0001.jpg); src is
// the source's file name. Both are written with every byte outside "!" to
// "~", and "%" itself, as %XX; a name too long for the segment keeps its
// first part and a hash of the whole name after "~". Then come the source's
// size in bytes and modification time in nanoseconds, the copy's size, and
// every condition that changes a copy's pixels. Version 1, written before,
// had no dir. A copy of a source without a profile has no ICC field; one of
// a source with a profile that was made before copies kept profiles lacks
// it, so its record no longer matches and it is made again, once.
//
// A copy is fresh while its record equals the one its source and the run's
// conditions give now; any other record means a stale copy, made from another
// state of the source or under other conditions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace htmlimglist {

inline constexpr int kCopyRecordVersion = 2;
// Every record begins with these bytes.
inline constexpr std::string_view kCopyRecordPrefix = "htmlimglist ";
// A record is shorter than this.
inline constexpr std::size_t kMaxCopyRecordBytes = 400;
// Bytes of a copy read to find its record: the SOI, the JFIF APP0 segment
// and the COM segment fit well inside.
inline constexpr std::size_t kCopyRecordReadBytes = 512;

struct CopyRecord {
    std::string folder;   // the source's folder's name as written in the record (encoded)
    std::string source;   // the name as written in the record (encoded)
    int64_t sourceSize = 0;
    int64_t sourceMtimeNs = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool autoRotate = false;
    bool smoothReduce = false;
    bool colourProfile = false;  // the copy carries its source's ICC profile

    bool operator==(const CopyRecord&) const = default;
};

// The name as a record writes it.
std::string EncodeRecordName(std::string_view fileName);

// The record's text (what goes into the COM segment).
std::string FormatCopyRecord(const CopyRecord& record);

// Reads a record's text; nothing when it is not a record of this version in
// exactly the form FormatCopyRecord writes.
std::optional<CopyRecord> ParseCopyRecord(std::string_view text);

// The folder a record names, encoded; nothing for a record that names none
// (one of version 1) or is no record of ours in the form it is written.
std::optional<std::string> RecordedFolder(std::string_view text);

// What the first bytes of a file say about a record: none (no JPEG, or no
// COM segment of ours right after the APP0 segment), or the segment's text
// (which may still fail to parse).
std::optional<std::string_view> FindCopyRecordText(std::string_view head);

}  // namespace htmlimglist
