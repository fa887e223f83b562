// The two styles of page the writer can write: the table page's lines,
// built around anchors in the line list, and the gallery page's cells,
// written out whole when the page is done. Both show what ContentOf settled
// for a cell.
#include <string>
#include <vector>

#include "listgen/FolderListWriter.h"
#include "listgen/PageOwner.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/TextEncoding.h"

namespace htmlimglist {
void FolderListWriter::LayFrame() {
    lines_.ClearLines();
    LineEntry* last = nullptr;
    auto append = [&](std::string_view text) {
        LineEntry* added = lines_.AppendLine(text, last);
        if (added != nullptr) last = added;
        return added;
    };
    for (std::string_view line : kTablePageFrame) append(line);
    state_.TableEntry = append("<table BORDER CELLSPACING=0 CELLPADDING=0 >");
    state_.TableEndEntry = append("</table>");
    state_.BottomEntry = append("&nbsp;");
    append("</body>");
    append("</html>");
    state_.ColumnIndex = 0;
}

void FolderListWriter::AddFolderLines() {
    const bool reduced = page_.reduced;
    const std::string folderName = NameAfterLastSeparator(selectedFolder_);
    if (selectedFolder_.find('/') != std::string::npos) {
        Insert(state_.TableEntry, std::string(kFolderLine) + PageText(folderName));
    }
    if (!options_.NextPrevIndex) return;

    const int64_t n = LeadingNumber(folderName);
    const bool twoLevel = options_.MakeSmallImage && options_.MakeSmallImageAndOrgImageList && !reduced;
    auto link = [&](long long number, const char* text) {
        const std::string folder = Format("%05lld", number);
        const std::string href = twoLevel ? PageHref({"..", "..", folder, folder, options_.HTMLListName})
                                          : PageHref({"..", folder, options_.HTMLListName});
        return "<a href=\"" + href + "\">" + text + "</a>";
    };
    std::string line = "<br>";
    if (n > 0) line += link(n - 1, "Prev") + " / ";
    line += link(n + 1, "Next");
    if (options_.MakeSmallImage && options_.MakeSmallImageAndOrgImageList && reduced) {
        line += " / <a href=\"" + PageHref({folderName, options_.HTMLListName}) + "\">Large</a>";
    }
    Insert(state_.TableEntry, line);
    Insert(state_.BottomEntry, line);
}

void FolderListWriter::AddTableCell(const Image& image, const CellContent& content) {
    const ImageHeader& header = image.plan.image->header;
    const std::string displayName = LowerAscii(image.file.name);
    if (state_.ColumnIndex == 0) {
        Insert(state_.TableEndEntry, "<tr>");
        state_.RowEntry = lines_.InsertLine(state_.TableEndEntry, "</tr>");
    }
    LineEntry* row = state_.RowEntry;
    Insert(row, "<td>");
    Insert(row, "<center>");
    std::string number = Format("(%d) ", state_.ImageNumber);
    if (options_.ImageInfo) number += EscapeHtmlText(header.typeText);
    Insert(row, number);
    if (options_.ImageInfo && (header.animated || header.video)) Insert(row, header.video ? "<br>Video" : "<br>Animation");

    const std::string src = PageHref(content.src);
    if (content.sized) {
        Insert(row, Format("<br><img SRC=\"%s\" NOSAVE height=%d width=%d>", src.c_str(), content.fit.height,
                           content.fit.width));
    } else {
        Insert(row, "<br><img SRC=\"" + src + "\" NOSAVE>");
    }
    Insert(row, "<br><a href=\"" + PageHref(content.href) + "\">" + PageText(displayName) + "</a>");
    // A video's play mark and length, drawn by the page over no picture.
    if (header.video) {
        std::string mark = PageText("\u25B6");
        if (header.durationMs >= 0) mark += " " + FormatDuration(header.durationMs);
        Insert(row, "<br>" + mark);
    }
    if (!content.live.empty()) Insert(row, "<br><a href=\"" + PageHref(content.live) + "\">Live</a>");

    if (options_.DisplayImageSize) {
        Insert(row, Format("<br>(%dx%d)", image.plan.shownWidth, image.plan.shownHeight));
    }
    if (options_.DisplayFileSize) Insert(row, "<br>" + FormatThousands(image.file.size) + "Byte");
    if (options_.DisplayDateTime) {
        const FileDateTime& d = state_.FileDate;
        std::string line = Format("<br>%d/%d/%d", d.year, d.month, d.day);
        if (options_.DisplayTime) line += Format("<br>%02d:%02d:%02d", d.hour, d.minute, d.second);
        Insert(row, line);
    }
    Insert(row, "</center>");
    Insert(row, "</td>");

    ++state_.ColumnIndex;
    if (state_.ColumnIndex >= page_.columns) state_.ColumnIndex = 0;
}

void FolderListWriter::StartGallery() {
    gallery_ = GalleryDocument{};
    gallery_.lang = pageLanguage_;
    const std::string folderName = NameAfterLastSeparator(selectedFolder_);
    gallery_.title = folderName;
    if (selectedFolder_.find('/') != std::string::npos) gallery_.folderLine = std::string(kFolderLine) + folderName;
    gallery_.cellWidth = page_.maxSize;
    gallery_.maxColumns = page_.columns;
    // The series links as the table page has them, and between the two
    // lists of a reduced run, each way.
    if (options_.NextPrevIndex) {
        const int64_t n = LeadingNumber(folderName);
        const bool twoLevel = options_.MakeSmallImage && options_.MakeSmallImageAndOrgImageList && !page_.reduced;
        auto link = [&](long long number, const char* text) {
            const std::string folder = Format("%05lld", number);
            gallery_.links.push_back(
                {twoLevel ? std::vector<std::string>{"..", "..", folder, folder, options_.HTMLListName}
                          : std::vector<std::string>{"..", folder, options_.HTMLListName},
                 text});
        };
        if (n > 0) link(n - 1, "Prev");
        link(n + 1, "Next");
    }
    if (options_.MakeSmallImage && options_.MakeSmallImageAndOrgImageList) {
        if (page_.reduced) {
            gallery_.links.push_back({{folderName, options_.HTMLListName}, "Large"});
        } else {
            gallery_.links.push_back({{"..", options_.HTMLListName}, "Small"});
        }
    }
}

void FolderListWriter::AddGalleryCell(const Image& image, const CellContent& content) {
    const CellPlan& plan = image.plan;
    const ImageHeader& header = plan.image->header;
    GalleryCell cell;
    cell.name = image.file.name;
    cell.href = content.href;
    cell.src = content.src;
    // A picture browsers cannot show opens in the viewer as its copy; a
    // video plays in it.
    if (plan.image->format->WithoutCopies() && !header.video) cell.view = content.src;
    cell.video = header.video;
    if (header.video && header.durationMs >= 0) cell.duration = FormatDuration(header.durationMs);
    cell.live = content.live;
    cell.width = content.fit.width;
    cell.height = content.fit.height;
    cell.info.push_back(Format("(%d)", state_.ImageNumber));
    if (options_.ImageInfo) {
        cell.info.push_back(header.typeText);
        if (header.animated || header.video) cell.info.push_back(header.video ? "Video" : "Animation");
    }
    if (options_.DisplayImageSize) cell.info.push_back(Format("%dx%d", plan.shownWidth, plan.shownHeight));
    if (options_.DisplayFileSize) cell.info.push_back(FormatThousands(image.file.size) + "Byte");
    if (options_.DisplayDateTime) {
        const FileDateTime& d = state_.FileDate;
        std::string date = Format("%d/%d/%d", d.year, d.month, d.day);
        if (options_.DisplayTime) date += Format(" %02d:%02d:%02d", d.hour, d.minute, d.second);
        cell.info.push_back(date);
    }
    gallery_.cells.push_back(std::move(cell));
}

}  // namespace htmlimglist
