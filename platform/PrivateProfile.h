// Reading and writing one entry of an INI ("private profile") file, the way
// the settings files that users carry between machines expect:
//
//   [Section]        section names and keys match without regard to ASCII case
//   Key = value      blanks around keys and values are ignored on reading
//   Key="value"      a value in matching double quotes is read without them
//   ; comment        kept as it is, like every line a write does not change
//
// Lines end in CR LF; reading accepts plain LF too. The one-entry read and
// write cache nothing: every call opens, reads (and for a write, replaces) the
// file and closes it again. ProfileSnapshot reads a file once and answers
// many reads from it, by the same rules.
//
// A settings file holds a few dozen short lines. A file over
// kMaxProfileFileBytes is refused, for reading and for writing alike, so that
// whatever stray large file a path names is never read whole, let alone once
// per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace htmlimglist {

// The result buffer every caller of the system hands to a read: a read gives
// back at most this many bytes less one (the buffer's terminating zero).
inline constexpr std::size_t kProfileBufferSize = 256;

// The largest file the reads and writes here accept: 1 MiB.
inline constexpr std::size_t kMaxProfileFileBytes = 1048576;

// What reading a whole profile file found.
enum class ProfileFileStatus {
    Loaded,      // read in full
    Missing,     // nothing stands at the path
    TooLarge,    // a regular file over kMaxProfileFileBytes
    Unreadable,  // not a regular file (a folder, a FIFO, a device), a path the
                 // platform cannot name, or a file the system would not read
};

// The text stored for key in section of the file at path. Returns
// defaultText when the file, the section or the key does not exist, and empty
// text for a key present with an empty value. The result, stored text or
// default alike, is cut to bufferSize - 1 bytes, and at a zero byte, since
// callers treat it as a zero-terminated string. Anything at path that is not
// a regular file (a folder, a FIFO, a device), a path the platform cannot
// name, a file that cannot be read and a file over kMaxProfileFileBytes all
// count as a missing file.
std::string ReadPrivateProfileString(std::string_view section, std::string_view key,
                                     std::string_view defaultText, std::size_t bufferSize,
                                     const std::string& path);

// Sets key in section of the file at path to value, creating the file, the
// section and the key as needed. An existing key gets its value replaced on
// its own line; every other line stays byte for byte as it was. The file is
// replaced atomically (temporary file and rename), so a crash or a full disk
// leaves either the old or the new file; a path that is a symlink to a regular
// file has its target replaced. Returns false, leaving the file untouched,
// when the write is refused: a path that is not a regular file or that the
// platform cannot name, a file that cannot be read, a file over
// kMaxProfileFileBytes or one that the write would take over it, a folder
// that cannot be written, or a section, key or
// value that could not be read back as written (empty section or key, line
// breaks or zero bytes anywhere, "]" in a section name, "=" in a key, a key
// starting with "[" or ";").
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

// One reading of a profile file that answers any number of reads. The file
// is opened, read and split into lines once; each read then looks through
// the key lines only, by the rules and with the results of
// ReadPrivateProfileString on the file as it was when it was read.
class ProfileSnapshot {
public:
    // Reads the file at path. Whatever is not Loaded answers every read with
    // its default, as ReadPrivateProfileString does.
    explicit ProfileSnapshot(const std::string& path);

    ProfileFileStatus Status() const { return status_; }
    // Why the file was not loaded, for a user: the system's reason ("No such
    // file or directory", "Permission denied", "Is a directory"), "not a
    // regular file", or the file's size for TooLarge. Empty when Loaded.
    const std::string& Reason() const { return reason_; }

    // ReadPrivateProfileString(section, key, defaultText, bufferSize, path).
    std::string Read(std::string_view section, std::string_view key, std::string_view defaultText,
                     std::size_t bufferSize) const;

private:
    // A key line inside a section, by its offset and the offset of the
    // section's header line in content_; the hashes of both names (ASCII
    // letters folded) let a read skip every other line without parsing it.
    struct Entry {
        uint32_t sectionHash;
        uint32_t keyHash;
        uint32_t sectionLine;
        uint32_t keyLine;
    };

    void Index();

    ProfileFileStatus status_ = ProfileFileStatus::Missing;
    std::string reason_;
    std::string content_;
    std::vector<Entry> entries_;  // in file order: the first match wins
};

}  // namespace htmlimglist
