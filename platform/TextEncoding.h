// Names from the file system (UTF-8) turned into the page's text (Shift_JIS,
// code page 932), and the escaping that keeps a name from breaking the page.
//
// A browser reads a shift_jis page with the CP932 table. A character is
// written as its CP932 bytes only where those bytes read back as the same
// character; everything else is written so that the browser still gets the
// character (in text) or the file's own bytes (in a link).
#pragma once

#include <initializer_list>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace htmlimglist {

bool IsValidUtf8(std::string_view s);

// Length of the UTF-8 sequence starting at s[i] and its code point in cp; 0
// when the bytes there are not a well-formed sequence (overlong forms,
// surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, uint32_t& cp);

// UTF-8 to CP932 for the page's text. Written as "&#N;" with the code point:
// a character CP932 lacks or whose CP932 bytes read back as another character
// (U+301C WAVE DASH, U+00A5 YEN SIGN, ...), and C0 controls and DEL, so no
// line of a page holds a bare CR or LF. A C1 control (U+0080 to U+009F),
// whose reference a browser reads as a windows-1252 character, and each byte
// that is not part of a well-formed UTF-8 sequence become "&#65533;" (U+FFFD).
std::string Utf8ToCp932(std::string_view utf8);

// For text between tags and inside attribute values: & < > " as entities.
std::string EscapeHtmlText(std::string_view s);

// The ASCII part of a link: % # ? \ | and control bytes percent-encoded, then
// & < > " as entities. Blanks and non-ASCII bytes stay as they are.
std::string EscapeHtmlUrl(std::string_view s);

// What a name becomes as the page's text: escaped and converted.
std::string PageText(std::string_view utf8Name);

// What one path segment becomes inside an href or src value: the ASCII part
// as EscapeHtmlUrl; a character as its CP932 bytes when they read back as the
// same character, as its UTF-8 bytes percent-encoded when they read back as
// another one (and for C1 controls), as "&#N;" when CP932 lacks it (the
// browser turns that into the character, and the URL into its UTF-8 bytes);
// each byte that is not well-formed UTF-8 percent-encoded.
std::string PageUrl(std::string_view utf8Segment);

// A whole relative href or src value: the segments through PageUrl, joined by
// '/'. A first segment holding ':' gets "./" in front, so that the browser
// does not take it for a scheme ("javascript:", "C:"). A blank at the very
// start or end of the value is written "%20", as the browser strips it there.
std::string PageHref(std::initializer_list<std::string_view> segments);
std::string PageHref(const std::vector<std::string>& segments);

}  // namespace htmlimglist
