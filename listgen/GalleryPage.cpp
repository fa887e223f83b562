#include "listgen/GalleryPage.h"

#include <algorithm>

#include "listgen/GalleryAssets.h"
#include "platform/Sha256.h"
#include "platform/TextEncoding.h"

namespace htmlimglist {
namespace {

// The viewer's accessible names, in the language of the run's messages.
struct ViewerTexts {
    const char* previous;
    const char* next;
    const char* close;
};
constexpr ViewerTexts kJapaneseTexts = {"前の画像", "次の画像", "閉じる"};
constexpr ViewerTexts kEnglishTexts = {"Previous image", "Next image", "Close"};

bool IsUnreserved(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
           b == '_' || b == '~';
}

bool IsControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

void AppendText(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0 || IsControl(cp)) {
            out += "&#65533;";
        } else if (cp == '&') {
            out += "&amp;";
        } else if (cp == '<') {
            out += "&lt;";
        } else if (cp == '>') {
            out += "&gt;";
        } else if (cp == '"') {
            out += "&quot;";
        } else {
            out.append(text, i, length);
        }
        i += length == 0 ? 1 : length;
    }
}

void AppendUrl(std::string& out, const std::vector<std::string>& segments) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t k = 0; k < segments.size(); ++k) {
        if (k > 0) out += '/';
        for (unsigned char b : segments[k]) {
            if (IsUnreserved(b)) {
                out += char(b);
            } else {
                out += '%';
                out += kHex[b >> 4];
                out += kHex[b & 15];
            }
        }
    }
}

void AppendNumber(std::string& out, int64_t value) { out += std::to_string(value); }

// The style block's text: the page's own sizes, then the fixed style.
std::string StyleText(int32_t cellWidth, int32_t maxColumns) {
    std::string style = ":root { --cell: ";
    AppendNumber(style, cellWidth);
    style += "px; --cols: ";
    AppendNumber(style, maxColumns);
    style += "; }\n";
    style += kGalleryCss;
    return style;
}

// The script never changes, so neither does its hash.
const std::string& ScriptHash() {
    static const std::string hash = CspHashSource(kGalleryScript);
    return hash;
}

void AppendHead(std::string& out, const GalleryDocument& document, const std::string& style) {
    out += "<!DOCTYPE html>\n<html lang=\"";
    AppendText(out, document.lang);
    out += "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"generator\" content=\"htmlimglist\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           // Only the page's own style and script, its images and videos:
           // nothing from elsewhere, no plug-ins, no forms, no other base.
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
           "media-src 'self'; style-src '";
    out += CspHashSource(style);
    out += "'; script-src '";
    out += ScriptHash();
    out += "'; base-uri 'none'; form-action 'none'\">\n<title>";
    AppendText(out, document.title);
    out += "</title>\n<style>";
    out += style;
    out += "</style>\n</head>\n";
}

void AppendHeader(std::string& out, const GalleryDocument& document) {
    out += "<header>\n<h1>";
    AppendText(out, document.title);
    out += "</h1>\n";
    if (!document.folderLine.empty()) {
        out += "<p>";
        AppendText(out, document.folderLine);
        out += "</p>\n";
    }
    if (!document.links.empty()) {
        out += "<nav>";
        for (const GalleryLink& link : document.links) {
            out += "<a href=\"";
            AppendUrl(out, link.segments);
            out += "\">";
            AppendText(out, link.text);
            out += "</a>";
        }
        out += "</nav>\n";
    }
    out += "</header>\n";
}

// One cell. The first row loads at once; every later image only when the
// browser is about to scroll to it.
void AppendCell(std::string& out, const GalleryCell& cell, std::size_t number, bool firstRow) {
    out += "<li id=\"";
    AppendNumber(out, int64_t(number));
    out += cell.video ? "\" class=\"v\"><a href=\"" : "\"><a href=\"";
    AppendUrl(out, cell.href);
    if (!cell.view.empty() && cell.view != cell.href) {
        out += "\" data-view=\"";
        AppendUrl(out, cell.view);
    }
    out += "\"><img src=\"";
    AppendUrl(out, cell.src);
    out += "\" alt=\"";
    AppendText(out, cell.name);
    out += "\" width=\"";
    AppendNumber(out, std::max(cell.width, 1));
    out += "\" height=\"";
    AppendNumber(out, std::max(cell.height, 1));
    out += firstRow ? "\" decoding=\"async\">" : "\" loading=\"lazy\" decoding=\"async\">";
    if (cell.video) {
        out += "<span class=\"d\">";
        AppendText(out, cell.duration);
        out += "</span>";
    }
    out += "</a>";
    if (!cell.info.empty() || !cell.live.empty()) {
        out += "<p>";
        for (const std::string& line : cell.info) {
            out += "<span>";
            AppendText(out, line);
            out += "</span>";
        }
        if (!cell.live.empty()) {
            out += "<a href=\"";
            AppendUrl(out, cell.live);
            out += "\">Live</a>";
        }
        out += "</p>";
    }
    out += "</li>\n";
}

// The viewer, closed until the script opens it: a bar with the count, the
// name, the link to the image itself and the close button, the picture
// between the step buttons.
void AppendViewer(std::string& out, const ViewerTexts& texts) {
    out += "<dialog id=\"v\" aria-labelledby=\"vn\">\n"
           "<div class=\"bar\"><span id=\"vc\"></span><span id=\"vn\"></span><a id=\"vo\">original</a>"
           "<button type=\"button\" id=\"vx\" aria-label=\"";
    out += texts.close;
    out += "\"><svg viewBox=\"0 0 24 24\" aria-hidden=\"true\"><path d=\"M6 6l12 12M18 6L6 18\"/></svg></button></div>\n"
           "<button type=\"button\" id=\"vp\" class=\"nav\" aria-label=\"";
    out += texts.previous;
    out += "\"><svg viewBox=\"0 0 24 24\" aria-hidden=\"true\"><path d=\"M15 5l-7 7 7 7\"/></svg></button>\n"
           "<div class=\"stage\"><img id=\"vi\" alt=\"\" hidden><video id=\"vv\" controls playsinline "
           "preload=\"metadata\" hidden></video></div>\n"
           "<button type=\"button\" id=\"vq\" class=\"nav\" aria-label=\"";
    out += texts.next;
    out += "\"><svg viewBox=\"0 0 24 24\" aria-hidden=\"true\"><path d=\"M9 5l7 7-7 7\"/></svg></button>\n"
           "</dialog>\n";
}

}  // namespace

std::string GalleryUrl(const std::vector<std::string>& segments) {
    std::string out;
    AppendUrl(out, segments);
    return out;
}

std::string GalleryText(std::string_view text) {
    std::string out;
    AppendText(out, text);
    return out;
}

std::string WriteGalleryPage(const GalleryDocument& document) {
    const int32_t cellWidth = std::max(document.cellWidth, 1);
    const int32_t maxColumns = std::max(document.maxColumns, 1);
    std::string out;
    out.reserve(16384 + document.cells.size() * 256);
    AppendHead(out, document, StyleText(cellWidth, maxColumns));
    out += "<body>\n";
    AppendHeader(out, document);
    out += "<main>\n<ul id=\"g\">\n";
    for (std::size_t i = 0; i < document.cells.size(); ++i) {
        AppendCell(out, document.cells[i], i + 1, i < std::size_t(maxColumns));
    }
    out += "</ul>\n</main>\n";
    AppendViewer(out, document.lang == "ja" ? kJapaneseTexts : kEnglishTexts);
    out += "<script>";
    out += kGalleryScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

}  // namespace htmlimglist
