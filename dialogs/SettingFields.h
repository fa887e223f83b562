// How the settings dialog reads its edit boxes back into the option record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace htmlimglist {

// Leading-number conversion of an edit box's text: leading white space
// (space, tab, LF, VT, FF, CR), one optional "+" or "-", then ASCII digits up
// to the first other character; no digit gives 0. Accumulated in 32 bits
// without a range check: a longer number gives the low 32 bits of its value
// read as signed. Full-width digits and spaces are other characters.
int32_t EditBoxNumber(std::string_view text);

// Longest list name the dialog stores: the settings file takes 255 bytes of
// text, the record 259.
inline constexpr std::size_t kMaxStoredListNameBytes = 255;

// utf8 cut to at most maxBytes bytes, at a character boundary: a character
// that would not fit whole is left out, never split.
std::string CutAtCharacterBoundary(std::string_view utf8, std::size_t maxBytes = kMaxStoredListNameBytes);

}  // namespace htmlimglist
