// The gallery page: a UTF-8 HTML5 page that lays a folder's images out in a
// responsive grid and opens them in a viewer. One file: its style and script
// are inline (listgen/gallery/gallery.css and gallery.js, built into the
// program), and a Content-Security-Policy names both by hash, so the page
// loads nothing but its own images and videos. Without the script every
// cell is still a plain link to its image.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace htmlimglist {

// A header link: Prev, Next, or the link to the other list.
struct GalleryLink {
    std::vector<std::string> segments;  // relative path, one entry per segment ("..", "00002", "index.html")
    std::string text;
};

struct GalleryCell {
    std::string name;                   // the file name as the file system gives it (any bytes): alt text, viewer caption
    std::vector<std::string> href;      // the cell link's target: the full-size image, or a video
    std::vector<std::string> src;       // the image shown in the cell: the image itself, a reduced copy, a video's poster
    std::vector<std::string> view;      // what the viewer shows when not href (a copy of a format browsers cannot show)
    int32_t width = 1, height = 1;      // the fitted size: the img's width and height attributes
    std::vector<std::string> info;      // plain-text lines under the image, already worded by the caller
    bool video = false;                 // a video's poster: a badge in the cell, <video controls> in the viewer
    std::string duration;               // a video's length, "0:42"; shown in its badge
    std::vector<std::string> live;      // a Live Photo's short video, linked from the still's cell as "Live"
};

struct GalleryDocument {
    std::string lang = "ja";            // "ja" or "en": the language of the run's messages
    std::string title;                  // the folder name
    std::string folderLine;             // "Folder Name: 00001"; empty: none
    std::vector<GalleryLink> links;     // the series links and the link to the other list, in order
    int32_t cellWidth = 200;            // the cells' width in CSS pixels (the list's size limit)
    int32_t maxColumns = 6;             // columns on a wide screen (the list's column count)
    std::vector<GalleryCell> cells;
};

// How every gallery page begins, and the line in its head that says this
// tool wrote it.
inline constexpr std::string_view kGalleryPageStart = "<!DOCTYPE html>\n";
inline constexpr std::string_view kGalleryGenerator = "<meta name=\"generator\" content=\"htmlimglist\">";

// The whole page, UTF-8 with LF line ends.
std::string WriteGalleryPage(const GalleryDocument& document);

// A relative URL from path segments, joined by "/": every byte outside
// RFC 3986's unreserved set (A-Z a-z 0-9 - . _ ~) is percent-encoded, a "/"
// inside a segment too, and bytes that are not UTF-8 as themselves, so the
// link names the file's very bytes. A ":" is encoded as well, so a first
// segment such as "javascript:x.jpg" is never read as a scheme. The result
// needs no HTML escaping.
std::string GalleryUrl(const std::vector<std::string>& segments);

// Text for the page, in content and in quoted attribute values: & < > "
// as entities; a byte that is not part of well-formed UTF-8, a control
// character (C0, DEL) and a C1 control (U+0080 to U+009F) as "&#65533;".
std::string GalleryText(std::string_view text);

}  // namespace htmlimglist
