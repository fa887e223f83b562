#include "listgen/FolderListWriter.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "listgen/CopyRecord.h"
#include "listgen/FitImageSize.h"
#include "listgen/Orientation.h"
#include "listgen/ReducedImagePipeline.h"
#include "platform/AtomicFile.h"
#include "platform/Directory.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/TextEncoding.h"

namespace htmlimglist {
namespace {
constexpr std::chrono::seconds kStaleTemporaryAge{60};
}  // namespace

// One recognised image of the folder, as its cell needs it.
struct FolderListWriter::Image {
    std::size_t index;
    const DirEntry& file;
    const Probed& probed;
};

FolderListWriter::FolderListWriter(const GenerationOptions& options, RunView& view)
    : options_(options), view_(view) {
    SetReducedImageJobs(DefaultJobs());
}

void FolderListWriter::SetReducedImageMaker(ReducedImageMaker* maker) {
    reducedImages_ = maker != nullptr ? maker : pipeline_.get();
}

void FolderListWriter::SetReducedImageJobs(int jobs) {
    const bool usingPipeline = reducedImages_ == nullptr || reducedImages_ == pipeline_.get();
    pipeline_ = std::make_unique<ReducedImagePipeline>(view_, jobs, &abortCommand_);
    if (usingPipeline) reducedImages_ = pipeline_.get();
}

const FolderListWriter::Probed& FolderListWriter::ProbeAt(std::size_t index, bool reduced, int32_t maxSize) {
    Probed& p = probed_[index];
    if (p.known) return p;
    p.known = true;
    const DirEntry& file = files_[index];
    const std::string path = JoinPath(selectedFolder_, file.name);
    if (!source_.Open(path)) return p;
    // The conditions are read as each file is probed: the window changes
    // them in place between runs of the same writer.
    probe_.AcceptDeclaredTrailers = options_.MoreImageTypes;
    if (probe_.GetJpegSize(source_, p.width, p.height)) {
        p.kind = ImageKind::Jpeg;
        p.typeText = probe_.JpegType;
        p.orientation = probe_.Orientation;
    } else if (probe_.GetGifSize(source_, p.width, p.height)) {
        p.kind = ImageKind::Gif;
        p.typeText = probe_.GifVersion;
    } else if (options_.MoreImageTypes && probe_.GetPngSize(source_, p.width, p.height)) {
        p.kind = ImageKind::Png;
        p.typeText = "PNG";
        p.orientation = probe_.Orientation;
    } else if (options_.MoreImageTypes && probe_.GetWebpSize(source_, p.width, p.height)) {
        p.kind = ImageKind::Webp;
        p.typeText = "WebP";
        p.orientation = probe_.Orientation;
    } else {
        ReportLookalike(file.name);
        source_.Close();
        return p;
    }
    source_.Close();
    p.image = true;
    p.animated = probe_.AnimationId[0] != '\0';
    const bool turned = options_.AutoRotate && SwapsSides(p.orientation);
    p.shownWidth = turned ? p.height : p.width;
    p.shownHeight = turned ? p.width : p.height;
    p.fit = FitImageSize(p.shownWidth, p.shownHeight, maxSize,
                         options_.ZoomImage ? Zoom::EnlargeSmaller : Zoom::KeepSmaller);
    if (reduced) PlanCopyOf(index, maxSize);
    return p;
}

void FolderListWriter::PlanCopyOf(std::size_t index, int32_t maxSize) {
    // Settled here, once, so that a copy made ahead of the page and the
    // cell agree.
    Probed& p = probed_[index];
    const DirEntry& file = files_[index];
    CopyRecord record;
    record.source = EncodeRecordName(file.name);
    record.sourceSize = file.size;
    record.sourceMtimeNs = file.mtimeNs;
    record.width = p.fit.width;
    record.height = p.fit.height;
    record.autoRotate = options_.AutoRotate;
    record.smoothReduce = options_.SmoothReduce;
    p.record = FormatCopyRecord(record);

    CopySite site;
    site.dest = JoinPath(state_.ParentFolder, file.name);
    site.source = JoinPath(selectedFolder_, file.name);
    site.record = p.record;
    site.surelyCreate = options_.ImageSurelyCreate;
    site.width = p.fit.width;
    site.height = p.fit.height;
    // A copy made before records existed was fitted by the stored size.
    const FittedSize stored =
        FitImageSize(p.width, p.height, maxSize, options_.ZoomImage ? Zoom::EnlargeSmaller : Zoom::KeepSmaller);
    site.oldWidth = stored.width;
    site.oldHeight = stored.height;
    p.plan = PlanCopy(site);
}

void FolderListWriter::ReportLookalike(const std::string& name) {
    unsigned char head[6] = {}, tail[2] = {};
    const std::size_t got = source_.ReadAt(0, head, sizeof head);
    const bool jpeg = got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    const bool gif = got == 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0);
    if (!jpeg && !gif) return;
    const bool ended = source_.ReadAt(source_.Size() - 2, tail, 2) == 2 &&
                       (jpeg ? tail[0] == 0xFF && tail[1] == 0xD9 : tail[0] == 0x00 && tail[1] == 0x3B);
    view_.NotListed(selectedFolder_, name, ended ? NotListedReason::NoSize : NotListedReason::NoEndMarker);
}

ReducedImageRequest FolderListWriter::CopyRequest(std::size_t index) const {
    const Probed& p = probed_[index];
    ReducedImageRequest request;
    request.kind = p.kind;
    request.sourcePath = JoinPath(selectedFolder_, files_[index].name);
    request.width = p.fit.width;
    request.height = p.fit.height;
    request.orientation = options_.AutoRotate ? p.orientation : kOrientationAsStored;
    request.smooth = options_.SmoothReduce;
    request.record = p.record;
    return request;
}

void FolderListWriter::FillAhead(bool reduced, int32_t maxSize) {
    while (ahead_ < files_.size() && reducedImages_->WantsMore()) {
        const Probed& p = ProbeAt(ahead_, reduced, maxSize);
        if (p.image && p.plan == CopyPlan::Make) reducedImages_->Prefetch(CopyRequest(ahead_));
        ++ahead_;
    }
}

void FolderListWriter::Insert(LineEntry* before, std::string_view text) {
    // A line that cannot be added for want of memory is simply missing.
    lines_.InsertLine(before, text);
}

void FolderListWriter::LayFrame() {
    lines_.ClearLines();
    LineEntry* last = nullptr;
    auto append = [&](std::string_view text) {
        LineEntry* added = lines_.AppendLine(text, last);
        if (added != nullptr) last = added;
        return added;
    };
    append("<html>");
    append("<head>");
    append("   <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    append("   <meta name=\"GENERATOR\" content=\"Rokuza Ver2.00\">");
    append("</head>");
    append("<body>");
    state_.TableEntry = append("<table BORDER CELLSPACING=0 CELLPADDING=0 >");
    state_.TableEndEntry = append("</table>");
    state_.BottomEntry = append("&nbsp;");
    append("</body>");
    append("</html>");
    state_.ColumnIndex = 0;
}

void FolderListWriter::AddFolderLines(bool reduced) {
    const std::string folderName = NameAfterLastSeparator(selectedFolder_);
    if (selectedFolder_.find('/') != std::string::npos) {
        Insert(state_.TableEntry, "Folder Name: " + PageText(folderName));
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

bool FolderListWriter::AddCell(bool reduced, int32_t columns, const Image& image) {
    const std::string& name = image.file.name;
    const std::string sizeText = FormatThousands(image.file.size);
    view_.ShowStatus(name, image.probed.shownWidth, image.probed.shownHeight, sizeText);
    const std::string displayName = LowerAscii(name);
    view_.ShowTitle(displayName);

    // The copy is made at the fitted size even when the image keeps its own
    // size on the page.
    const std::string dest = JoinPath(state_.ParentFolder, name);
    if (reduced) {
        switch (image.probed.plan) {
            case CopyPlan::Make:
                switch (reducedImages_->MakeReducedImage(CopyRequest(image.index), dest)) {
                    case CopyOutcome::Aborted: return false;
                    case CopyOutcome::Written: ++counts_.copiesMade; break;
                    case CopyOutcome::NotMade:
                    case CopyOutcome::SaveFailed: ++counts_.copiesNotMade; break;
                }
                break;
            case CopyPlan::KeepFresh:
            case CopyPlan::Keep: ++counts_.copiesKept; break;
            case CopyPlan::KeepNotACopy:
                ++counts_.copiesNotMade;
                view_.BringToFront();
                view_.ShowMessage(RunMessage{RunMessageId::NotACopy, dest, {}});
                break;
            case CopyPlan::Skip: break;
        }
    }
    ++counts_.cells;

    if (state_.ColumnIndex == 0) {
        Insert(state_.TableEndEntry, "<tr>");
        state_.RowEntry = lines_.InsertLine(state_.TableEndEntry, "</tr>");
    }
    LineEntry* row = state_.RowEntry;
    Insert(row, "<td>");
    Insert(row, "<center>");
    std::string number = Format("(%d) ", state_.ImageNumber);
    if (options_.ImageInfo) number += EscapeHtmlText(image.probed.typeText);
    Insert(row, number);
    if (options_.ImageInfo && image.probed.animated) Insert(row, "<br>Animation");

    const FittedSize& fit = image.probed.fit;
    const std::string src = PageHref({name});
    if (reduced || fit.unscaled) {
        Insert(row, "<br><img SRC=\"" + src + "\" NOSAVE>");
    } else {
        Insert(row, Format("<br><img SRC=\"%s\" NOSAVE height=%d width=%d>", src.c_str(), fit.height, fit.width));
    }

    // A reduced list links each copy to its full-size image in the folder.
    const std::string href = reduced ? PageHref({state_.SubFolderName, name}) : src;
    Insert(row, "<br><a href=\"" + href + "\">" + PageText(displayName) + "</a>");

    if (options_.DisplayImageSize) {
        Insert(row, Format("<br>(%dx%d)", image.probed.shownWidth, image.probed.shownHeight));
    }
    if (options_.DisplayFileSize) Insert(row, "<br>" + sizeText + "Byte");
    if (options_.DisplayDateTime) {
        const FileDateTime& d = state_.FileDate;
        std::string line = Format("<br>%d/%d/%d", d.year, d.month, d.day);
        if (options_.DisplayTime) line += Format("<br>%02d:%02d:%02d", d.hour, d.minute, d.second);
        Insert(row, line);
    }
    Insert(row, "</center>");
    Insert(row, "</td>");
    ++state_.ImageNumber;

    ++state_.ColumnIndex;
    if (state_.ColumnIndex >= columns) state_.ColumnIndex = 0;
    return true;
}

std::string FolderListWriter::PageRefusal(bool reduced, int32_t maxSize, const std::string& pagePath) {
    // In reduced mode every image's copy goes where a page of its name
    // would: the two would replace each other.
    for (std::size_t i = 0; reduced && i < files_.size(); ++i) {
        if (files_[i].name == options_.HTMLListName && ProbeAt(i, reduced, maxSize).image)
            return "it would replace the reduced copy of " + files_[i].name;
    }
    switch (KindOfPath(pagePath)) {
        case PathKind::Missing: return {};
        case PathKind::Folder: return "a folder of that name is in the way";
        case PathKind::Other: return "something that is not a regular file is in the way";
        case PathKind::File: break;
    }
    // A page never replaces an image, whether or not it is listed here.
    int32_t width, height;
    FileProbeSource file;
    if (file.Open(pagePath) && (probe_.GetJpegSize(file, width, height) || probe_.GetGifSize(file, width, height)))
        return "it would replace the image " + NameAfterLastSeparator(pagePath);
    return {};
}

ListResult FolderListWriter::MakeList(bool reduced, int32_t columns, int32_t maxSize) {
    state_.AbortRequested = false;
    state_.ImageNumber = 1;
    counts_ = PageCounts{};
    if (reduced) state_.SubFolderName = NameAfterLastSeparator(selectedFolder_);
    state_.ParentFolder = CutAtLastSeparator(selectedFolder_);
    ListResult result;
    result.folder = selectedFolder_;
    result.pagePath = JoinPath(reduced ? state_.ParentFolder : selectedFolder_, options_.HTMLListName);

    if (!ListFolder(selectedFolder_, FolderEntries::FilesOnly, files_)) {
        // Writing an empty page here would replace a good one because of a
        // passing fault (permissions, a vanished network folder).
        result.status = PageStatus::FolderUnreadable;
        result.why = "the folder cannot be read";
        return result;
    }
    probed_.assign(files_.size(), Probed{});
    ahead_ = 0;
    result.why = PageRefusal(reduced, maxSize, result.pagePath);
    if (!result.why.empty()) {
        result.status = PageStatus::Refused;
        files_.clear();
        probed_.clear();
        return result;
    }

    // A page or copy interrupted by a kill leaves its temporary file; a
    // minute on, no write of ours can still be using it.
    RemoveStaleTemporaryFiles(reduced ? state_.ParentFolder : selectedFolder_, kStaleTemporaryAge);

    LayFrame();
    AddFolderLines(reduced);

    const int32_t count = int32_t(std::min<std::size_t>(files_.size(), INT32_MAX));
    view_.StartGauge(count);

    int32_t index = 0;
    for (; index < count; ++index) {
        view_.Pump();
        if (abortCommand_.load()) state_.AbortRequested = true;

        const Probed& probed = ProbeAt(std::size_t(index), reduced, maxSize);
        if (!probed.image) continue;
        if (reduced) FillAhead(reduced, maxSize);

        const DirEntry& file = files_[std::size_t(index)];
        state_.FileDate = LocalFileDateTime(file.mtime);
        if (!AddCell(reduced, columns, Image{std::size_t(index), file, probed})) {
            // Stopped while its copy was being made: the image is dropped
            // as if the abort had come before it.
            state_.AbortRequested = true;
            break;
        }
        view_.SetGaugeProgress(index);
        if (state_.AbortRequested) break;
    }
    // Copies made ahead of an aborted page are thrown away unwritten.
    reducedImages_->DiscardAhead();
    view_.SetGaugeProgress(index);

    errno = 0;
    const bool saved = pageSaver_ ? pageSaver_(result.pagePath, lines_.Text()) : lines_.SaveLines(result.pagePath);
    result.status = saved ? PageStatus::Saved : PageStatus::NotSaved;
    if (!saved) result.why = errno != 0 ? std::strerror(errno) : "the page could not be written";
    result.aborted = state_.AbortRequested;
    result.cells = counts_.cells;
    result.copiesMade = counts_.copiesMade;
    result.copiesKept = counts_.copiesKept;
    result.copiesNotMade = counts_.copiesNotMade;
    lines_.ClearLines();
    files_.clear();
    probed_.clear();
    state_.TableEntry = state_.TableEndEntry = state_.RowEntry = state_.BottomEntry = nullptr;
    return result;
}

}  // namespace htmlimglist
