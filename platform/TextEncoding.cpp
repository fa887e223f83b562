#include "platform/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace htmlimglist {
namespace {

// Length of the UTF-8 sequence starting at s[i] and its code point; 0 when
// the bytes there are not a well-formed sequence (overlong forms, surrogates
// and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, uint32_t& cp) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    std::size_t len;
    uint32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// One converter per thread: opening one costs far more than converting a name.
class Cp932Converter {
public:
    Cp932Converter() : cd_(iconv_open("CP932", "UTF-8")) {}
    ~Cp932Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    // Converts one character; false when CP932 has no code for it.
    bool Convert(std::string_view ch, std::string& out) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        char buf[8];
        char* in = const_cast<char*>(ch.data());
        std::size_t inLeft = ch.size();
        char* o = buf;
        std::size_t outLeft = sizeof buf;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return false;
        out.append(buf, std::size_t(o - buf));
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool IsValidUtf8(std::string_view s) {
    uint32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = DecodeUtf8(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8) || !IsValidUtf8(utf8)) return std::string(utf8);
    thread_local Cp932Converter converter;
    std::string out;
    out.reserve(utf8.size());
    uint32_t cp;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = DecodeUtf8(utf8, i, cp);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (!converter.Convert(utf8.substr(i, n), out)) {
            out += "&#" + std::to_string(cp) + ";";
        }
        i += n;
    }
    return out;
}

std::string EscapeHtmlText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string EscapeHtmlUrl(std::string_view s) {
    std::string encoded;
    encoded.reserve(s.size());
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (c == '%' || c == '#' || c == '?' || c == '\\' || b < 0x20 || b == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            encoded += hex;
        } else {
            encoded += c;
        }
    }
    return EscapeHtmlText(encoded);
}

}  // namespace htmlimglist
