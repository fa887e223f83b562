// Replacing a file so that readers and crashes only ever see the old or the
// new content, never half of it.
#pragma once

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

}  // namespace htmlimglist
