#include "listgen/FolderListWriter.h"

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

#include "listgen/FitImageSize.h"
#include "listgen/PageOwner.h"
#include "listgen/copies/ReducedImagePipeline.h"
#include "platform/AtomicFile.h"
#include "platform/Directory.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/TextEncoding.h"

namespace htmlimglist {
namespace {
constexpr std::chrono::seconds kStaleTemporaryAge{60};

}  // namespace


// Shows what the reduced image maker does on the run's view: each copy as
// the preview, and a copy that could not be saved as a message.
class FolderListWriter::CopyReporter final : public CopyObserver {
public:
    explicit CopyReporter(RunView& view) : view_(view) {}
    void CopyMade(const Bitmap& picture) override { view_.ShowPreview(picture); }
    void CopyNotSaved(const std::string& path, const std::string& reason) override {
        view_.BringToFront();
        view_.ShowMessage(RunMessage{RunMessageId::SaveFailed, path, reason});
    }
    void CopyOverLimit(const std::string& path, const std::string& reason) override {
        view_.BringToFront();
        view_.ShowMessage(RunMessage{RunMessageId::CopyOverLimit, path, reason});
    }

private:
    RunView& view_;
};

FolderListWriter::FolderListWriter(const GenerationOptions& options, RunView& view)
    : options_(options), view_(view), copyReporter_(std::make_unique<CopyReporter>(view)) {
    SetReducedImageJobs(DefaultJobs());
}

FolderListWriter::~FolderListWriter() = default;

void FolderListWriter::SetReducedImageMaker(ReducedImageMaker* maker) {
    reducedImages_ = maker != nullptr ? maker : pipeline_.get();
}

void FolderListWriter::SetReducedImageJobs(int jobs) {
    const bool usingPipeline = reducedImages_ == nullptr || reducedImages_ == pipeline_.get();
    pipeline_ = std::make_unique<ReducedImagePipeline>(*copyReporter_, jobs, &abortCommand_);
    if (usingPipeline) reducedImages_ = pipeline_.get();
}

ProbeOptions FolderListWriter::Listed() const {
    // The conditions are read as each file is probed: the window changes
    // them in place between runs of the same writer.
    return ProbeOptions{.moreImageTypes = options_.MoreImageTypes, .dateTaken = options_.SortOrder == 1,
                        .videos = options_.ListVideos};
}

const FolderListWriter::CellPlan& FolderListWriter::PlanAt(std::size_t index) {
    CellPlan& p = plans_[index];
    if (p.probed) return p;
    p.probed = true;
    const DirEntry& file = files_[index];
    if (!source_.Open(JoinPath(selectedFolder_, file.name))) return p;
    p.image = ProbeImage(source_, Listed());
    if (!p.image) {
        // Begins like an image but is not one by its format's rules.
        if (const auto why = SniffLookalike(source_, Listed())) view_.NotListed(selectedFolder_, file.name, *why);
        source_.Close();
        return p;
    }
    source_.Close();
    // A format no browser shows is listed only through its reduced copy.
    if (const auto why = p.image->format->WithoutCopies(); why && !options_.MakeSmallImage) {
        view_.NotListed(selectedFolder_, file.name, *why);
        p.image.reset();
        return p;
    }
    const ImageHeader& header = p.image->header;
    const bool turned = options_.AutoRotate && SwapsSides(header.orientation);
    p.shownWidth = turned ? header.height : header.width;
    p.shownHeight = turned ? header.width : header.height;
    p.fit = FitImageSize(p.shownWidth, p.shownHeight, page_.maxSize,
                         options_.ZoomImage ? Zoom::EnlargeSmaller : Zoom::KeepSmaller);
    if (page_.reduced) PlanCopyOf(index);
    return p;
}

void FolderListWriter::PlanCopyOf(std::size_t index) {
    CellPlan& p = plans_[index];
    const DirEntry& file = files_[index];
    CopySite site;
    site.dest = JoinPath(state_.ParentFolder, file.name);
    site.source = JoinPath(selectedFolder_, file.name);
    site.sourceFolderName = state_.SubFolderName;
    site.sourceName = file.name;
    site.sourceSize = file.size;
    site.sourceMtimeNs = file.mtimeNs;
    site.width = p.fit.width;
    site.height = p.fit.height;
    site.autoRotate = options_.AutoRotate;
    site.smoothReduce = options_.SmoothReduce;
    site.colourProfile = p.image->header.colourProfile;
    site.surelyCreate = options_.ImageSurelyCreate;
    // A copy made before records existed was fitted by the stored size.
    const FittedSize stored = FitImageSize(p.image->header.width, p.image->header.height, page_.maxSize,
                                           options_.ZoomImage ? Zoom::EnlargeSmaller : Zoom::KeepSmaller);
    site.oldWidth = stored.width;
    site.oldHeight = stored.height;
    p.copy = PlanCopy(site);
}

ReducedImageRequest FolderListWriter::CopyRequest(std::size_t index) const {
    const CellPlan& p = plans_[index];
    ReducedImageRequest request;
    request.kind = p.image->Kind();
    request.sourcePath = JoinPath(selectedFolder_, files_[index].name);
    request.target.width = p.fit.width;
    request.target.height = p.fit.height;
    request.target.orientation = options_.AutoRotate ? p.image->header.orientation : kOrientationAsStored;
    request.target.smooth = options_.SmoothReduce;
    request.record = p.copy.record;
    return request;
}

void FolderListWriter::FillAhead() {
    while (ahead_ < files_.size() && reducedImages_->WantsMore()) {
        const CellPlan& p = PlanAt(ahead_);
        if (p.image && p.copy.plan == CopyPlan::Make) reducedImages_->Prefetch(CopyRequest(ahead_));
        ++ahead_;
    }
}

void FolderListWriter::SortFiles() {
    // Every file is probed now, in name order, so that its date is known.
    struct Key {
        std::string date;  // "YYYY:MM:DD HH:MM:SS", local time
        int64_t time = 0;  // nanoseconds
        std::size_t index = 0;
    };
    std::vector<Key> keys(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const CellPlan& plan = PlanAt(i);
        keys[i].index = i;
        keys[i].time = files_[i].mtimeNs;
        if (options_.SortOrder != 1) continue;
        // The date taken; a file without one by its own time, read the same
        // way (the camera's clock is local time too).
        if (plan.image && !plan.image->header.dateTaken.empty()) {
            keys[i].date = plan.image->header.dateTaken;
        } else {
            struct tm local {};
            const time_t t = files_[i].mtime;
            localtime_r(&t, &local);
            keys[i].date = Format("%04d:%02d:%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        }
    }
    // Ties keep the order by name the listing gave.
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        return options_.SortOrder == 1 ? a.date < b.date : a.time < b.time;
    });
    std::vector<DirEntry> files;
    std::vector<CellPlan> plans;
    files.reserve(files_.size());
    plans.reserve(plans_.size());
    for (const Key& key : keys) {
        files.push_back(std::move(files_[key.index]));
        plans.push_back(std::move(plans_[key.index]));
    }
    files_ = std::move(files);
    plans_ = std::move(plans);
}

namespace {

// A video this short beside a still of its base name is the still's Live
// Photo (an iPhone's are about three seconds).
constexpr int64_t kLivePhotoMs = 4000;

// The name without its last extension, ASCII letters lower-cased.
std::string BaseName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return LowerAscii(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
}

}  // namespace

void FolderListWriter::PairLivePhotos() {
    std::map<std::string, std::size_t> stills;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const CellPlan& plan = PlanAt(i);
        if (plan.image && !plan.image->header.video) stills.emplace(BaseName(files_[i].name), i);
    }
    for (std::size_t i = 0; i < files_.size(); ++i) {
        CellPlan& plan = plans_[i];
        if (!plan.image || !plan.image->header.video) continue;
        const int64_t duration = plan.image->header.durationMs;
        const auto still = stills.find(BaseName(files_[i].name));
        if (duration < 0 || duration >= kLivePhotoMs || still == stills.end()) continue;
        plans_[still->second].live = files_[i].name;
        plan.image.reset();
        ++counts_.livePaired;
    }
}

void FolderListWriter::Insert(LineEntry* before, std::string_view text) {
    // A line that cannot be added for want of memory is simply missing.
    lines_.InsertLine(before, text);
}

FolderListWriter::CopyResult FolderListWriter::SettleCopy(const Image& image) {
    const std::string dest = JoinPath(state_.ParentFolder, image.file.name);
    auto say = [&](RunMessageId id) {
        view_.BringToFront();
        view_.ShowMessage(RunMessage{id, dest, {}});
    };
    switch (image.plan.copy.plan) {
        case CopyPlan::Make:
            switch (reducedImages_->MakeReducedImage(CopyRequest(image.index), dest)) {
                case CopyOutcome::Aborted: return CopyResult::Dropped;
                case CopyOutcome::Written: ++counts_.copiesMade; return CopyResult::Shown;
                case CopyOutcome::NotMade:
                case CopyOutcome::SaveFailed: ++counts_.copiesNotMade; return CopyResult::Shown;
                case CopyOutcome::OverLimit: ++counts_.copiesNotMade; return CopyResult::OriginalShown;
            }
            break;
        case CopyPlan::KeepFresh:
        case CopyPlan::Keep: ++counts_.copiesKept; return CopyResult::Shown;
        case CopyPlan::KeepNotACopy:
            ++counts_.copiesNotMade;
            say(RunMessageId::NotACopy);
            return CopyResult::Shown;
        case CopyPlan::KeepOthers:
            ++counts_.copiesNotMade;
            say(RunMessageId::CopyOfOtherFolder);
            return CopyResult::OriginalShown;
        case CopyPlan::TooLarge:
            ++counts_.copiesNotMade;
            say(RunMessageId::CopyTooLarge);
            return CopyResult::OriginalShown;
        case CopyPlan::Skip: break;
    }
    return CopyResult::Shown;
}

FolderListWriter::CellContent FolderListWriter::ContentOf(const Image& image, CopyResult copy) const {
    const CellPlan& plan = image.plan;
    const std::string& name = image.file.name;
    CellContent content;
    content.fit = plan.fit;
    if (page_.reduced && copy == CopyResult::OriginalShown) {
        // No copy of its own to show: the cell shows the full-size image as
        // the list of full-size images does.
        content.src = {state_.SubFolderName, name};
        content.fit = FitImageSize(plan.shownWidth, plan.shownHeight, options_.SubImageMaxSize,
                                   options_.ZoomImage ? Zoom::EnlargeSmaller : Zoom::KeepSmaller);
        content.sized = !content.fit.unscaled;
    } else if (page_.reduced) {
        // The copy is made at the fitted size even when the image keeps its
        // own size on the page.
        content.src = {name};
        content.sized = false;
    } else if (plan.image->format->WithoutCopies()) {
        // A picture browsers cannot show is shown by its reduced copy, in
        // the parent folder, in the list of full-size images too.
        content.src = {"..", name};
        content.sized = true;
    } else {
        content.src = {name};
        content.sized = !content.fit.unscaled;
    }
    // A reduced list links each copy to its full-size image in the folder.
    content.href = page_.reduced ? std::vector<std::string>{state_.SubFolderName, name} : std::vector<std::string>{name};
    if (!plan.live.empty()) {
        content.live = page_.reduced ? std::vector<std::string>{state_.SubFolderName, plan.live}
                                     : std::vector<std::string>{plan.live};
    }
    return content;
}

bool FolderListWriter::AddCell(const Image& image) {
    const CellPlan& plan = image.plan;
    const std::string sizeText = FormatThousands(image.file.size);
    view_.ShowStatus(image.file.name, plan.shownWidth, plan.shownHeight, sizeText);
    view_.ShowTitle(LowerAscii(image.file.name));

    const CopyResult copy = page_.reduced ? SettleCopy(image) : CopyResult::Shown;
    if (copy == CopyResult::Dropped) return false;
    ++counts_.cells;
    const CellContent content = ContentOf(image, copy);
    if (Gallery()) {
        AddGalleryCell(image, content);
    } else {
        AddTableCell(image, content);
    }
    ++state_.ImageNumber;
    return true;
}

std::optional<FolderListWriter::PageRefusal> FolderListWriter::RefusalAt(const std::string& pagePath) {
    // In reduced mode every image's copy goes where a page of its name
    // would: the two would replace each other.
    for (std::size_t i = 0; page_.reduced && i < files_.size(); ++i) {
        if (files_[i].name == options_.HTMLListName && PlanAt(i).image)
            return PageRefusal{PageObstacle::CopyName, "it would replace the reduced copy of " + files_[i].name};
    }
    // A link, even one that leads nowhere, is never replaced by a file of
    // ours, nor written through.
    if (IsSymbolicLink(pagePath)) return PageRefusal{PageObstacle::NotAFile, "a symbolic link of that name is in the way"};
    switch (KindOfPath(pagePath)) {
        case PathKind::Missing: return std::nullopt;
        case PathKind::Folder: return PageRefusal{PageObstacle::NotAFile, "a folder of that name is in the way"};
        case PathKind::Other:
            return PageRefusal{PageObstacle::NotAFile, "something that is not a regular file is in the way"};
        case PathKind::File: break;
    }
    // A page never replaces an image, of any format the tool knows, listed
    // here or not, nor a file that only begins like one.
    FileProbeSource file;
    if (!file.Open(pagePath))
        return PageRefusal{PageObstacle::ForeignFile, "it cannot be read to see what it is"};
    if (ProbeImage(file, ProbeOptions::Everything()) || SniffLookalike(file, ProbeOptions::Everything()))
        return PageRefusal{PageObstacle::Image, "it would replace the image " + NameAfterLastSeparator(pagePath)};
    // Nor anything but a page this tool wrote for this folder: the shared
    // parent may hold another folder's reduced list, a web folder a page of
    // the user's own.
    switch (OwnerOfPage(file, NameAfterLastSeparator(selectedFolder_))) {
        case PageOwner::ThisFolder: return std::nullopt;
        case PageOwner::OtherFolder:
            return PageRefusal{PageObstacle::OtherFolderPage, "the page of another folder is in the way"};
        case PageOwner::NotOurs: break;
    }
    return PageRefusal{PageObstacle::ForeignFile, "a file this tool did not write is in the way"};
}

ListResult FolderListWriter::MakeList(const PageSpec& page) {
    page_ = page;
    const bool reduced = page.reduced;
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
    plans_.assign(files_.size(), CellPlan{});
    ahead_ = 0;
    if (options_.SortOrder != 0) SortFiles();
    if (options_.ListVideos) PairLivePhotos();
    if (const auto refusal = RefusalAt(result.pagePath)) {
        result.status = PageStatus::Refused;
        result.obstacle = refusal->obstacle;
        result.why = refusal->why;
        files_.clear();
        plans_.clear();
        return result;
    }

    // A page or copy interrupted by a kill leaves its temporary file; a
    // minute on, no write of ours can still be using it.
    RemoveStaleTemporaryFiles(reduced ? state_.ParentFolder : selectedFolder_, kStaleTemporaryAge);

    if (Gallery()) {
        StartGallery();
    } else {
        LayFrame();
        AddFolderLines();
    }

    const int32_t count = int32_t(std::min<std::size_t>(files_.size(), INT32_MAX));
    view_.StartGauge(count);

    int32_t index = 0;
    for (; index < count; ++index) {
        view_.Pump();
        if (abortCommand_.load()) state_.AbortRequested = true;

        const CellPlan& plan = PlanAt(std::size_t(index));
        if (!plan.image) continue;
        if (reduced) FillAhead();

        const DirEntry& file = files_[std::size_t(index)];
        state_.FileDate = LocalFileDateTime(file.mtime);
        if (!AddCell(Image{std::size_t(index), file, plan})) {
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
    const std::string text = Gallery() ? WriteGalleryPage(gallery_) : lines_.Text();
    const bool saved = pageSaver_ ? pageSaver_(result.pagePath, text) : WriteFileAtomically(result.pagePath, text);
    result.status = saved ? PageStatus::Saved : PageStatus::NotSaved;
    if (!saved) result.why = errno != 0 ? std::strerror(errno) : "the page could not be written";
    result.aborted = state_.AbortRequested;
    result.cells = counts_.cells;
    result.copiesMade = counts_.copiesMade;
    result.copiesKept = counts_.copiesKept;
    result.copiesNotMade = counts_.copiesNotMade;
    result.livePaired = counts_.livePaired;
    lines_.ClearLines();
    gallery_ = GalleryDocument{};
    files_.clear();
    plans_.clear();
    state_.TableEntry = state_.TableEndEntry = state_.RowEntry = state_.BottomEntry = nullptr;
    return result;
}

}  // namespace htmlimglist
