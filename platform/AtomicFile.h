// Replacing a file so that readers and crashes only ever see the old or the
// new content, never half of it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace htmlimglist {

enum class Durability { Flush, NoFlush };

// Writes data to a hidden temporary file beside path and renames it over
// path. The new file gets the old file's permission bits, or the usual ones
// (0666 less the umask) when there was none. On any failure the temporary file
// is removed, whatever stood at path is left untouched, and the result is
// false with errno describing the failure. Flush waits for the data to reach
// the disk before the rename.
bool WriteFileAtomically(const std::string& path, std::string_view data,
                         Durability durability = Durability::Flush);

// The hidden name the temporary file for a target named targetName gets:
// "." + the first 200 bytes of targetName + ".htmlimglist-" + 16 random
// lower-case hex digits + ".tmp". The fixed tag and the random part are our
// mark: a user's own ".backup.2024.12.01.tmp" never looks like it. Each call
// gives a new name.
std::string TemporaryFileName(std::string_view targetName);

// True exactly for names of the form TemporaryFileName makes: a leading ".",
// a name part of 1 to 200 bytes, then ".htmlimglist-", exactly 16 digits
// 0-9a-f and ".tmp".
bool IsTemporaryFileName(std::string_view name);

// Removes what an interrupted write left behind in folder (not in the folders
// below it): regular files, never a symlink or a folder, whose names pass
// IsTemporaryFileName and whose last write is more than olderThan ago, so
// that a write still going on in another process is left alone. Returns how
// many were removed; a folder that cannot be read removes nothing.
int RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds olderThan);

}  // namespace htmlimglist
