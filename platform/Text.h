// Small byte-string helpers shared by every layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace htmlimglist {

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Only A-Z become a-z; every other byte, including the bytes of multi-byte
// characters, stays as it is.
std::string LowerAscii(std::string_view s);

// Whole number with digits grouped in threes by ",": 1234567 -> "1,234,567".
std::string FormatThousands(int64_t value);
// A length of time as players show it, the seconds cut off: m:ss, or
// h:mm:ss from an hour on ("0:42", "1:02:05").
std::string FormatDuration(int64_t milliseconds);

// Reads a number from the leading characters of text the way the folder
// numbering does: leading blanks, an optional sign, then digits up to the
// first non-digit; 0 when there are none. Saturates instead of overflowing.
int32_t LeadingNumber(std::string_view text);

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace htmlimglist
