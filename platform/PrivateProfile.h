// Reading and writing one entry of an INI ("private profile") file, the way
// the settings files that users carry between machines expect:
//
//   [Section]        section names and keys match without regard to ASCII case
//   Key = value      blanks around keys and values are ignored on reading
//   Key="value"      a value in matching double quotes is read without them
//   ; comment        kept as it is, like every line a write does not change
//
// Lines end in CR LF; reading accepts plain LF too. Nothing is cached: every
// call opens, reads (and for a write, replaces) the file and closes it again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace htmlimglist {

// The result buffer every caller of the system hands to a read: a read gives
// back at most this many bytes less one (the buffer's terminating zero).
inline constexpr std::size_t kProfileBufferSize = 256;

// The text stored for key in section of the file at path. Returns
// defaultText when the file, the section or the key does not exist, and empty
// text for a key present with an empty value. The result, stored text or
// default alike, is cut to bufferSize - 1 bytes, and at a zero byte, since
// callers treat it as a zero-terminated string. Anything at path that is not
// a regular file (a folder, a FIFO, a device), a path the platform cannot
// name, and a file that cannot be read all count as a missing file.
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
// platform cannot name, a folder that cannot be written, or a section, key or
// value that could not be read back as written (empty section or key, line
// breaks or zero bytes anywhere, "]" in a section name, "=" in a key, a key
// starting with "[" or ";").
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

}  // namespace htmlimglist
