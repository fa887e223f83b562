#include "platform/TextEncoding.h"

#include <iconv.h>

#include <atomic>
#include <charconv>
#include <cstdint>

namespace htmlimglist {
namespace {

// What CP932 makes of one character.
struct Cp932Char {
    enum class Kind : uint8_t {
        Missing,         // CP932 has no code for it
        Same,            // its bytes read back as the character itself
        ComesBackOther,  // its bytes read back as another character (or as nothing)
    };
    Kind kind = Kind::Missing;
    uint8_t size = 0;
    char bytes[2] = {};
};

// Both directions of glibc's CP932, one pair per thread: opening a converter
// costs far more than converting a character. For each of the 9,269
// characters glibc's CP932 round-trips, a browser's shift_jis decoder reads
// the bytes as glibc does (checked against Chromium's TextDecoder); glibc's
// one-way mappings (U+301C to 0x8160, U+00A5 to 0x5C, the language tags to
// nothing, ...) are what the round trip catches.
class Cp932Codec {
public:
    Cp932Codec() : encode_(iconv_open("CP932", "UTF-8")), decode_(iconv_open("UTF-8", "CP932")) {}
    ~Cp932Codec() {
        if (encode_ != Failed()) iconv_close(encode_);
        if (decode_ != Failed()) iconv_close(decode_);
    }
    Cp932Codec(const Cp932Codec&) = delete;
    Cp932Codec& operator=(const Cp932Codec&) = delete;

    bool Usable() const { return encode_ != Failed() && decode_ != Failed(); }

    Cp932Char Classify(std::string_view utf8Char) {
        Cp932Char c;
        char encoded[8];
        std::size_t size;
        if (!Convert(encode_, utf8Char, encoded, size)) return c;
        c.kind = Cp932Char::Kind::ComesBackOther;
        char decoded[8];
        std::size_t decodedSize;
        if (size > sizeof c.bytes || !Convert(decode_, std::string_view(encoded, size), decoded, decodedSize) ||
            std::string_view(decoded, decodedSize) != utf8Char) {
            return c;
        }
        c.kind = Cp932Char::Kind::Same;
        c.size = uint8_t(size);
        for (std::size_t k = 0; k < size; ++k) c.bytes[k] = encoded[k];
        return c;
    }

private:
    static iconv_t Failed() { return reinterpret_cast<iconv_t>(-1); }

    static bool Convert(iconv_t cd, std::string_view in, char (&out)[8], std::size_t& size) {
        char* from = const_cast<char*>(in.data());
        std::size_t fromLeft = in.size();
        char* to = out;
        std::size_t toLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || fromLeft != 0) return false;
        size = std::size_t(to - out);
        return true;
    }

    iconv_t encode_;
    iconv_t decode_;
};

// CP932 codes characters of the Basic Multilingual Plane only, so the answers
// for those are kept here, shared by all threads, as each character is first
// met (0: not yet known; otherwise bit 31 set, the kind, the size and the
// bytes). Two threads meeting the same new character store the same value.
std::atomic<uint32_t> gBmpAnswers[0x10000];

uint32_t Pack(const Cp932Char& c) {
    return 0x80000000u | uint32_t(c.kind) << 24 | uint32_t(c.size) << 16 |
           uint32_t(static_cast<unsigned char>(c.bytes[0])) << 8 | static_cast<unsigned char>(c.bytes[1]);
}

Cp932Char Unpack(uint32_t packed) {
    Cp932Char c;
    c.kind = Cp932Char::Kind((packed >> 24) & 0x7F);
    c.size = uint8_t((packed >> 16) & 0xFF);
    c.bytes[0] = char((packed >> 8) & 0xFF);
    c.bytes[1] = char(packed & 0xFF);
    return c;
}

Cp932Char LookUpCp932(uint32_t cp, std::string_view utf8Char) {
    const bool kept = cp < 0x10000;
    if (kept) {
        const uint32_t packed = gBmpAnswers[cp].load(std::memory_order_relaxed);
        if (packed != 0) return Unpack(packed);
    }
    thread_local Cp932Codec codec;
    if (!codec.Usable()) return {};
    const Cp932Char c = codec.Classify(utf8Char);
    if (kept) gBmpAnswers[cp].store(Pack(c), std::memory_order_relaxed);
    return c;
}

bool IsControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }
bool IsC1Control(uint32_t cp) { return cp >= 0x80 && cp <= 0x9F; }

constexpr std::string_view kReplacementReference = "&#65533;";  // U+FFFD

void AppendReference(std::string& out, uint32_t cp) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, cp).ptr;
    out += "&#";
    out.append(digits, end);
    out += ';';
}

void AppendPercent(std::string& out, unsigned char b) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

// & < > " as entities; false for any other byte.
bool AppendMarkupEntity(std::string& out, char c) {
    switch (c) {
        case '&': out += "&amp;"; return true;
        case '<': out += "&lt;"; return true;
        case '>': out += "&gt;"; return true;
        case '"': out += "&quot;"; return true;
        default: return false;
    }
}

void AppendUrlAscii(std::string& out, char c) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '%' || c == '#' || c == '?' || c == '\\' || c == '|' || IsControl(b)) {
        AppendPercent(out, b);
    } else if (!AppendMarkupEntity(out, c)) {
        out += c;
    }
}

// Printable ASCII that the text or a link takes as it is.
bool PlainInText(unsigned char b) { return b >= 0x20 && b < 0x7F && b != '&' && b != '<' && b != '>' && b != '"'; }
// A "|" is percent-encoded wherever it stands: after a letter at the start
// of a link ("C|/x.jpg") a URL parser takes the two for a drive letter.
bool PlainInUrl(unsigned char b) {
    return PlainInText(b) && b != '%' && b != '#' && b != '?' && b != '\\' && b != '|';
}

// Walks a name as runs of plain bytes (appended as they are), other ASCII
// bytes, well-formed non-ASCII characters and bytes that belong to no
// well-formed sequence.
template <typename Plain, typename Ascii, typename Character, typename Stray>
void AppendPieces(std::string& out, std::string_view s, Plain plain, Ascii ascii, Character character, Stray stray) {
    uint32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (plain(b)) {
            std::size_t end = i + 1;
            while (end < s.size() && plain(static_cast<unsigned char>(s[end]))) ++end;
            out.append(s.data() + i, end - i);
            i = end;
        } else if (b < 0x80) {
            ascii(s[i]);
            ++i;
        } else if (const std::size_t n = DecodeUtf8(s, i, cp); n != 0) {
            character(s.substr(i, n), cp);
            i += n;
        } else {
            stray(b);
            ++i;
        }
    }
}

void AppendText(std::string& out, std::string_view s, bool escapeMarkup) {
    AppendPieces(
        out, s, PlainInText,
        [&](char c) {
            if (escapeMarkup && AppendMarkupEntity(out, c)) return;
            if (IsControl(static_cast<unsigned char>(c))) {
                AppendReference(out, static_cast<unsigned char>(c));
            } else {
                out += c;
            }
        },
        [&](std::string_view utf8Char, uint32_t cp) {
            // A browser reads "&#128;" to "&#159;" through the windows-1252
            // table ("&#128;" is the euro sign): a C1 control has no
            // reference that shows as itself, so it shows as U+FFFD.
            if (IsC1Control(cp)) {
                out += kReplacementReference;
                return;
            }
            const Cp932Char c = IsControl(cp) ? Cp932Char{} : LookUpCp932(cp, utf8Char);
            if (c.kind == Cp932Char::Kind::Same) {
                out.append(c.bytes, c.size);
            } else {
                AppendReference(out, cp);
            }
        },
        [&](unsigned char) { out += kReplacementReference; });
}

void AppendUrl(std::string& out, std::string_view s) {
    AppendPieces(
        out, s, PlainInUrl, [&](char c) { AppendUrlAscii(out, c); },
        [&](std::string_view utf8Char, uint32_t cp) {
            // A C1 control as "&#N;" would be read through the windows-1252
            // table (&#128; is the euro sign).
            const Cp932Char c = IsControl(cp) ? Cp932Char{Cp932Char::Kind::ComesBackOther} : LookUpCp932(cp, utf8Char);
            switch (c.kind) {
                case Cp932Char::Kind::Same: out.append(c.bytes, c.size); break;
                case Cp932Char::Kind::ComesBackOther:
                    for (char b : utf8Char) AppendPercent(out, static_cast<unsigned char>(b));
                    break;
                case Cp932Char::Kind::Missing: AppendReference(out, cp); break;
            }
        },
        [&](unsigned char b) { AppendPercent(out, b); });
}

}  // namespace

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
    std::string out;
    out.reserve(utf8.size());
    AppendText(out, utf8, false);
    return out;
}

std::string EscapeHtmlText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (!AppendMarkupEntity(out, c)) out += c;
    }
    return out;
}

std::string EscapeHtmlUrl(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x80) {
            AppendUrlAscii(out, c);
        } else {
            out += c;
        }
    }
    return out;
}

std::string PageText(std::string_view utf8Name) {
    std::string out;
    out.reserve(utf8Name.size());
    AppendText(out, utf8Name, true);
    return out;
}

std::string PageUrl(std::string_view utf8Segment) {
    std::string out;
    out.reserve(utf8Segment.size());
    AppendUrl(out, utf8Segment);
    return out;
}

namespace {

template <class Segments>
std::string HrefOf(const Segments& segments) {
    std::string out;
    bool first = true;
    for (std::string_view segment : segments) {
        if (!first) out += '/';
        AppendUrl(out, segment);
        // Nothing the encoding writes holds ':' (CP932 trail bytes start at
        // 0x40), so the segment's own colons are the ones that matter.
        if (first && segment.find(':') != std::string_view::npos) out.insert(0, "./");
        first = false;
    }
    if (!out.empty() && out.front() == ' ') out.replace(0, 1, "%20");
    if (!out.empty() && out.back() == ' ') out.replace(out.size() - 1, 1, "%20");
    return out;
}

}  // namespace

std::string PageHref(std::initializer_list<std::string_view> segments) { return HrefOf(segments); }
std::string PageHref(const std::vector<std::string>& segments) { return HrefOf(segments); }

}  // namespace htmlimglist
