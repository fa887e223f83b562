// A file name as a page writes it, read back as a browser reads the page:
// glibc's CP932 (which reads every character the writer emits as a browser
// does), then character references, then (for a link) the URL's path as
// UTF-8 with percent escapes. A link must name the file's own bytes; the text
// must show the name, with U+FFFD for each byte that is not UTF-8 and for each
// C1 control (a browser reads &#128; to &#159; through windows-1252). Neither
// may hold a control byte or a bare quote or angle bracket, and a link holds
// no '|' (a drive letter to a URL parser after a first letter). The gallery
// page's UTF-8 forms of the name keep the same promises: its text shows the
// name with U+FFFD also for control characters, its URL holds only
// unreserved bytes and escapes, and decodes to the name's bytes.
#include <iconv.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "listgen/GalleryPage.h"
#include "platform/TextEncoding.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Utf8(uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += char(cp);
    } else if (cp < 0x800) {
        s += char(0xC0 | cp >> 6), s += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += char(0xE0 | cp >> 12), s += char(0x80 | ((cp >> 6) & 0x3F)), s += char(0x80 | (cp & 0x3F));
    } else {
        s += char(0xF0 | cp >> 18), s += char(0x80 | ((cp >> 12) & 0x3F));
        s += char(0x80 | ((cp >> 6) & 0x3F)), s += char(0x80 | (cp & 0x3F));
    }
    return s;
}

std::string FromCp932(std::string_view page) {
    static iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string out(page.size() * 3, '\0');
    char* in = const_cast<char*>(page.data());
    std::size_t inLeft = page.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    Check(iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0);
    out.resize(out.size() - outLeft);
    return out;
}

// The references the writer emits: the four markup entities and &#N;.
std::string ResolveReferences(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const std::size_t end = s.find(';', i);
        Check(end != std::string_view::npos);
        const std::string_view ref = s.substr(i + 1, end - i - 1);
        if (ref == "amp") out += '&';
        else if (ref == "lt") out += '<';
        else if (ref == "gt") out += '>';
        else if (ref == "quot") out += '"';
        else {
            Check(ref.size() > 1 && ref[0] == '#');
            uint32_t cp = 0;
            for (char d : ref.substr(1)) {
                Check(d >= '0' && d <= '9' && cp < 0x110000);
                cp = cp * 10 + uint32_t(d - '0');
            }
            out += Utf8(cp);
        }
        i = end;
    }
    return out;
}

std::string PercentDecode(std::string_view s) {
    auto hex = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            Check(i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
                  std::isxdigit(static_cast<unsigned char>(s[i + 2])));
            out += char(hex(s[i + 1]) << 4 | hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The name with each byte that starts no well-formed UTF-8 sequence, and each
// C1 control (U+0080 to U+009F, "\xC2\x80" to "\xC2\x9F"), as U+FFFD.
std::string Shown(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = 1;
        while (n <= 4 && i + n <= name.size() && !htmlimglist::IsValidUtf8(name.substr(i, n))) ++n;
        const bool c1 = n == 2 && i + 2 <= name.size() && static_cast<unsigned char>(name[i]) == 0xC2 &&
                        static_cast<unsigned char>(name[i + 1]) < 0xA0;
        if (c1) {
            out += "\xEF\xBF\xBD";
            i += n;
        } else if (n <= 4 && i + n <= name.size()) {
            out += name.substr(i, n);
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// Shown(name) with each control character (C0, DEL, C1) as U+FFFD, as the
// gallery page shows it.
std::string ShownInGallery(std::string_view name) {
    const std::string shown = Shown(name);
    std::string out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto b = static_cast<unsigned char>(shown[i]);
        const bool c1 = b == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) <= 0x9F;
        if (b < 0x20 || b == 0x7F || c1) {
            out += "\xEF\xBF\xBD";
            i += c1 ? 1 : 0;
        } else {
            out += shown[i];
        }
    }
    return out;
}

bool HasBareMarkupOrControl(std::string_view page) {
    for (char c : page) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '"' || c == '<' || c == '>') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    const std::string_view name(reinterpret_cast<const char*>(data), size < 255 ? size : 255);

    const std::string text = PageText(name);
    Check(!HasBareMarkupOrControl(text));
    Check(ResolveReferences(FromCp932(text)) == Shown(name));

    const std::string galleryText = GalleryText(name);
    Check(!HasBareMarkupOrControl(galleryText));
    Check(ResolveReferences(galleryText) == ShownInGallery(name));
    const std::string galleryUrl = GalleryUrl({std::string(name)});
    for (char c : galleryUrl) {
        Check(std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("-._~%", c)));
    }
    Check(PercentDecode(galleryUrl) == name);

    if (name.find('/') != std::string_view::npos) return 0;  // a path segment holds no '/'
    const std::string href = PageHref({name});
    Check(!HasBareMarkupOrControl(href));
    Check(href.empty() || (href.front() != ' ' && href.back() != ' '));
    const bool colon = name.find(':') != std::string_view::npos;
    Check(href.substr(0, href.find('/')).find(':') == std::string::npos);
    // Non-ASCII characters reach the path as their UTF-8 bytes, which the
    // page's text already is once read; escapes then give bytes back.
    const std::string path = ResolveReferences(FromCp932(href));
    for (char c : path) Check(c != '#' && c != '?' && c != '\\' && c != '|');
    Check(PercentDecode(path) == (colon ? "./" : "") + std::string(name));
    return 0;
}
