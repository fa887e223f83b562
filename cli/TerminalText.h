// Text from file names made safe for a terminal: a name may hold escape
// sequences that would set the window title or clear the screen.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist {

// Control characters (C0, DEL and C1) and bytes that are not valid UTF-8
// become \xNN, one per byte (ESC is \x1b, a C1 character such as U+0085
// its two bytes \xc2\x85); everything else stays as it is.
std::string ForTerminal(std::string_view text);

}  // namespace htmlimglist
