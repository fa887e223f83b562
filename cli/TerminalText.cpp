#include "cli/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace htmlimglist {
namespace {

// Length of the well-formed UTF-8 sequence at text[i] (overlong forms,
// surrogates and values above U+10FFFF refused), and its code point; 0 when
// the bytes there are not one.
std::size_t SequenceAt(std::string_view text, std::size_t i, uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t length;
    uint32_t least;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    for (unsigned char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
    }
}

}  // namespace

std::string ForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const std::size_t length = SequenceAt(text, i, cp);
        if (length == 0) {
            AppendEscaped(out, text.substr(i, 1));
            i += 1;
            continue;
        }
        const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
        if (control) {
            AppendEscaped(out, text.substr(i, length));
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

}  // namespace htmlimglist
