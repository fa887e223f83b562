#include "cli/TerminalText.h"

#include <cstdint>
#include <cstdio>

#include "platform/TextEncoding.h"

namespace htmlimglist {
namespace {

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
        const std::size_t length = DecodeUtf8(text, i, cp);
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
