// Names from the file system (UTF-8) turned into the page's text (Shift_JIS,
// code page 932), and the escaping that keeps a name from breaking the page.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist {

bool IsValidUtf8(std::string_view s);

// UTF-8 to CP932. A character CP932 lacks becomes "&#N;" with its code point.
// Text that is not valid UTF-8 is returned as its raw bytes.
std::string Utf8ToCp932(std::string_view utf8);

// For text between tags and inside attribute values: & < > " as entities.
std::string EscapeHtmlText(std::string_view s);

// For href and src values: % # ? \ and control bytes percent-encoded, then
// & < > " as entities. Blanks and non-ASCII bytes stay as they are.
std::string EscapeHtmlUrl(std::string_view s);

// The two combined with the conversion: what a name becomes on the page.
inline std::string PageText(std::string_view utf8Name) { return Utf8ToCp932(EscapeHtmlText(utf8Name)); }
inline std::string PageUrl(std::string_view utf8Name) { return Utf8ToCp932(EscapeHtmlUrl(utf8Name)); }

}  // namespace htmlimglist
