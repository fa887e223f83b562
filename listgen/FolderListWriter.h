// Makes the HTML page of one folder: every file the header probe recognises
// as JPEG or GIF gets a cell in a bordered table, a fixed number per row.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "listgen/ChGetImgSize.h"
#include "listgen/FitImageSize.h"
#include "listgen/GenerationOptions.h"
#include "listgen/CopyPlan.h"
#include "listgen/LineListStr.h"
#include "listgen/ListResult.h"
#include "listgen/ReducedImageMaker.h"
#include "listgen/RunView.h"
#include "platform/Directory.h"
#include "platform/FileTime.h"

namespace htmlimglist {

// The writer's state; every field a page uses is set again at its start.
struct RunState {
    int32_t ImageNumber = 1;      // number printed in the next cell
    int32_t ColumnIndex = 0;      // cells already in the current row
    bool AbortRequested = false;  // seen at the pump; tested after every cell
    std::string ParentFolder;     // selected folder cut at its last "/"
    std::string SubFolderName;    // selected folder's own name (reduced lists)
    LineEntry* TableEntry = nullptr;
    LineEntry* TableEndEntry = nullptr;
    LineEntry* RowEntry = nullptr;
    LineEntry* BottomEntry = nullptr;
    FileDateTime FileDate;
};

// Names for MakeList's first argument.
inline constexpr bool kReducedList = true;
inline constexpr bool kFullSizeList = false;

class FolderListWriter {
public:
    FolderListWriter(const GenerationOptions& options, RunView& view);

    // The folder to list: an absolute path without a trailing "/" (the root
    // is "/").
    void SetSelectedFolder(const std::string& path) { selectedFolder_ = path; }
    const std::string& SelectedFolder() const { return selectedFolder_; }

    // Where reduced copies come from; by default a pipeline of worker
    // threads that decodes and encodes ahead of the page (null: back to it).
    void SetReducedImageMaker(ReducedImageMaker* maker);
    // Worker threads of the default pipeline (at least 1).
    void SetReducedImageJobs(int jobs);

    // Writes one page. Full-size mode puts it into the selected folder;
    // reduced mode puts it, and a reduced copy of every image, into the
    // parent folder. The page is saved after an abort too. A page that would
    // replace one of the images (or its reduced copy), or anything that is
    // not a regular file, is refused before anything is made.
    ListResult MakeList(bool reduced, int32_t columns, int32_t maxSize);

    // Replaces where finished pages go (tests keep them in memory); by
    // default SaveLines writes them to their files.
    using PageSaver = std::function<bool(const std::string& path, const std::string& text)>;
    void SetPageSaver(PageSaver saver) { pageSaver_ = std::move(saver); }

    // The abort command, the one place an abort is given: safe to call from
    // any thread (and a signal handler may set AbortCommand()) at any time.
    // The writer takes it into State().AbortRequested at its once-per-file
    // pump and ends the page after the next cell; a reduced copy being made
    // when it comes is dropped, and its cell with it. It stays given until
    // ClearAbortCommand.
    void RequestAbort() { abortCommand_.store(true); }
    void ClearAbortCommand() { abortCommand_.store(false); }
    std::atomic<bool>& AbortCommand() { return abortCommand_; }

    RunState& State() { return state_; }
    const RunState& State() const { return state_; }

private:
    // What the probe found out about one file of the page, kept so that the
    // files ahead of the page can be probed once for the pipeline.
    struct Probed {
        bool known = false;
        bool image = false;
        ImageKind kind = ImageKind::Jpeg;
        int32_t width = 0;        // as stored
        int32_t height = 0;
        int orientation = 1;      // EXIF orientation that turns it upright
        std::string typeText;     // JpegType or GifVersion
        bool animated = false;
        CopyPlan plan = CopyPlan::Skip;  // reduced mode: what happens at the copy's path
        std::string record;       // reduced mode: the record a copy made now carries
        int32_t shownWidth = 0;   // upright when AutoRotate turns it, else as stored
        int32_t shownHeight = 0;
        FittedSize fit;           // the size on the page and of the reduced copy
    };
    struct Image;

    const Probed& ProbeAt(std::size_t index, bool reduced, int32_t maxSize);
    void FillAhead(bool reduced, int32_t maxSize);
    void LayFrame();
    void AddFolderLines(bool reduced);
    // Tells the view about a file that begins like a JPEG or GIF but that the
    // probe did not recognise; source_ is still open on it.
    void ReportLookalike(const std::string& name);
    ReducedImageRequest CopyRequest(std::size_t index) const;
    void PlanCopyOf(std::size_t index, int32_t maxSize);
    // Why the page may not be written at pagePath (empty: it may).
    std::string PageRefusal(bool reduced, int32_t maxSize, const std::string& pagePath);
    // False when the abort command dropped the image's reduced copy; the
    // cell is then not written.
    bool AddCell(bool reduced, int32_t columns, const Image& image);
    void Insert(LineEntry* before, std::string_view text);

    const GenerationOptions& options_;
    RunView& view_;
    ReducedImageMaker* reducedImages_ = nullptr;
    std::unique_ptr<ReducedImageMaker> pipeline_;
    ChGetImgSize probe_;
    FileProbeSource source_;
    std::vector<DirEntry> files_;
    std::vector<Probed> probed_;
    std::size_t ahead_ = 0;  // next file the pipeline has not been told about
    std::string selectedFolder_;
    RunState state_;
    struct PageCounts {
        int32_t cells = 0, copiesMade = 0, copiesKept = 0, copiesNotMade = 0;
    } counts_;
    TLineListStr lines_;
    PageSaver pageSaver_;
    std::atomic<bool> abortCommand_{false};
};

}  // namespace htmlimglist
