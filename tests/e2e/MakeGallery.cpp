// Writes a gallery page for a folder of files, for the browser checks, the
// benchmark and the README's pictures, until the command-line tool writes
// such pages itself. Every JPEG, GIF, PNG and WebP in the folder (recognised
// by its bytes) gets a cell fitted to the cell width, upright by its EXIF
// orientation, with "(N)", "WxH" and "N,NNNByte" under it. Videos (.webm,
// .mp4, .mov) follow two naming rules:
//   NAME.jpg + NAME.webm       the still's Live video, linked from its cell;
//   CLIP.webm + CLIP.webm.jpg  a video cell whose poster is the JPEG.
// A file NAME.view.jpg beside NAME is what the viewer shows for NAME.
// Posters and view copies get no cell of their own. The page's links are
// the files' names, so it belongs in FOLDER.
//   htmlimglist-make-gallery [--lang ja|en] [--cell N] [--columns N]
//                            [--link TEXT=PATH]... --out PAGE FOLDER
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "listgen/FitImageSize.h"
#include "listgen/GalleryPage.h"
#include "listgen/formats/Registry.h"
#include "platform/Directory.h"
#include "platform/Path.h"
#include "platform/Text.h"

using namespace htmlimglist;

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Stem(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsVideo(const std::string& name) {
    const std::string lower = LowerAscii(name);
    return EndsWith(lower, ".webm") || EndsWith(lower, ".mp4") || EndsWith(lower, ".mov");
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (std::size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
        segments.push_back(path.substr(start, slash - start));
    }
    segments.push_back(path.substr(start));
    return segments;
}

// Width and height of an image file as shown upright; false for anything else.
bool UprightSize(const std::string& path, int32_t& width, int32_t& height) {
    const auto probed = ProbeImageFile(path, ProbeOptions::Everything());
    if (!probed) return false;
    width = probed->header.width;
    height = probed->header.height;
    if (SwapsSides(probed->header.orientation)) std::swap(width, height);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: htmlimglist-make-gallery [--lang ja|en] [--cell N] [--columns N] [--link TEXT=PATH]... "
                 "--out PAGE FOLDER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    GalleryDocument document;
    std::string out;
    std::string folder;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--lang" && hasValue) {
            document.lang = argv[++i];
        } else if (arg == "--cell" && hasValue) {
            document.cellWidth = std::atoi(argv[++i]);
        } else if (arg == "--columns" && hasValue) {
            document.maxColumns = std::atoi(argv[++i]);
        } else if (arg == "--link" && hasValue) {
            const std::string link = argv[++i];
            const auto equals = link.find('=');
            if (equals == std::string::npos) return Usage();
            document.links.push_back({Segments(link.substr(equals + 1)), link.substr(0, equals)});
        } else if (arg == "--out" && hasValue) {
            out = argv[++i];
        } else if (folder.empty() && !arg.empty() && arg[0] != '-') {
            folder = arg;
        } else {
            return Usage();
        }
    }
    if (out.empty() || folder.empty()) return Usage();

    std::vector<DirEntry> entries;
    if (!ListFolder(folder, FolderEntries::FilesOnly, entries)) {
        std::fprintf(stderr, "htmlimglist-make-gallery: cannot list %s\n", folder.c_str());
        return 1;
    }
    std::set<std::string> names;
    for (const DirEntry& entry : entries) names.insert(entry.name);
    std::map<std::string, std::string> videoByStem;
    for (const DirEntry& entry : entries) {
        if (IsVideo(entry.name)) videoByStem[Stem(entry.name)] = entry.name;
    }
    auto isHelperFile = [&](const std::string& name) {
        return (EndsWith(name, ".view.jpg") && names.count(name.substr(0, name.size() - 9))) ||
               (EndsWith(name, ".jpg") && IsVideo(name.substr(0, name.size() - 4)) &&
                names.count(name.substr(0, name.size() - 4)));
    };

    const std::string base = folder.substr(folder.rfind('/') + 1);
    document.title = base;
    document.folderLine = "Folder Name: " + base;
    const std::string outName = out.substr(out.rfind('/') + 1);
    for (const DirEntry& entry : entries) {
        const std::string& name = entry.name;
        if (name == outName || isHelperFile(name)) continue;
        GalleryCell cell;
        cell.name = name;
        cell.href = {name};
        int32_t width = 0, height = 0;
        if (IsVideo(name)) {
            const std::string poster = name + ".jpg";
            // A still's Live video has no cell of its own.
            if (UprightSize(JoinPath(folder, Stem(name) + ".jpg"), width, height) ||
                !UprightSize(JoinPath(folder, poster), width, height)) {
                continue;
            }
            cell.src = {poster};
            cell.video = true;
        } else if (UprightSize(JoinPath(folder, name), width, height)) {
            cell.src = {name};
            if (names.count(name + ".view.jpg")) cell.view = {name + ".view.jpg"};
            const auto live = videoByStem.find(Stem(name));
            if (live != videoByStem.end() && live->second != name) cell.live = {live->second};
        } else {
            continue;
        }
        const FittedSize fit = FitImageSize(width, height, document.cellWidth, Zoom::KeepSmaller);
        cell.width = fit.width;
        cell.height = fit.height;
        cell.info = {Format("(%zu)", document.cells.size() + 1), Format("%dx%d", width, height),
                     FormatThousands(entry.size) + "Byte"};
        document.cells.push_back(std::move(cell));
    }

    std::ofstream page(out, std::ios::binary | std::ios::trunc);
    page << WriteGalleryPage(document);
    if (!page.flush()) {
        std::fprintf(stderr, "htmlimglist-make-gallery: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
