// Path pieces as the lists and runs use them. Paths are absolute, use "/" and
// carry no trailing "/" except the root itself.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist {

// Everything before the last "/" ("/pics/00012" -> "/pics", "/pics" -> "",
// "/" -> ""); the whole path when it holds none.
std::string CutAtLastSeparator(std::string_view path);

// Everything after the last "/" ("/pics/00012" -> "00012", "/" -> ""); empty
// when the path holds none.
std::string NameAfterLastSeparator(std::string_view path);

// Joins a folder and a name with one "/" (the root "/" and the empty parent of
// a top-level folder both give "/name").
std::string JoinPath(std::string_view folder, std::string_view name);

// Number of "/" in path: "/" gives 1, "/a/00001" gives 2.
int PathDepth(std::string_view path);

// Makes path absolute against the current folder and removes ".", ".." and
// repeated or trailing separators, without resolving symlinks.
std::string AbsolutePath(std::string_view path);

}  // namespace htmlimglist
