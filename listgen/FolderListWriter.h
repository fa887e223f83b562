// Makes the HTML page of one folder: every file the format registry
// recognises (JPEG and GIF; with MoreImageTypes PNG, WebP, HEIC, AVIF and JPEGs with
// declared trailing data too) gets a cell in a bordered table, a fixed
// number per row. Reduced copies are asked of a ReducedImageMaker.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listgen/FitImageSize.h"
#include "listgen/GalleryPage.h"
#include "listgen/GenerationOptions.h"
#include "listgen/LineListStr.h"
#include "listgen/ListResult.h"
#include "listgen/RunView.h"
#include "listgen/copies/CopyPlan.h"
#include "listgen/copies/ReducedImageMaker.h"
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

// One page a run writes: the main list (reduced, in the parent folder, when
// reduced copies are made) or the list of full-size images, with its cells
// per row and its size limit.
struct PageSpec {
    bool reduced = false;
    int32_t columns = 6;
    int32_t maxSize = 200;

    // The main list of a run with these conditions, and its list of
    // full-size images.
    static PageSpec MainList(const GenerationOptions& options) {
        return {options.MakeSmallImage, options.MaxColumn, options.MaxPixel};
    }
    static PageSpec FullSizeList(const GenerationOptions& options) {
        return {false, options.SubImageColmn, options.SubImageMaxSize};
    }
};

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

    // The language of the run's messages, "ja" or "en": a gallery page
    // (PageStyle=1) is written in it.
    void SetPageLanguage(std::string language) { pageLanguage_ = std::move(language); }

    // Writes one page. Full-size mode puts it into the selected folder;
    // reduced mode puts it, and a reduced copy of every image, into the
    // parent folder. The page is saved after an abort too. A page that would
    // replace one of the images (or its reduced copy), or anything that is
    // not a regular file, is refused before anything is made.
    ListResult MakeList(const PageSpec& page);
    ListResult MakeList(bool reduced, int32_t columns, int32_t maxSize) {
        return MakeList(PageSpec{reduced, columns, maxSize});
    }

    ~FolderListWriter();

    // Replaces where finished pages go (tests keep them in memory); by
    // default each is written to its file atomically.
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
    // What a cell and its copy need of one file, settled when the file is
    // first probed, so that a copy made ahead of the page and its cell
    // agree.
    struct CellPlan {
        bool probed = false;
        std::optional<ProbedImage> image;  // none: not an image this run lists
        int32_t shownWidth = 0;            // upright when AutoRotate turns it, else as stored
        int32_t shownHeight = 0;
        FittedSize fit;                    // the size on the page and of the reduced copy
        PlannedCopy copy;                  // reduced lists: what happens at the copy's path
        std::string live;                  // a still's Live Photo video, linked from its cell
    };
    // One recognised image of the folder, as its cell needs it.
    struct Image {
        std::size_t index;
        const DirEntry& file;
        const CellPlan& plan;
    };
    class CopyReporter;
    // What became of a cell's copy, as the cell needs to know.
    enum class CopyResult {
        Shown,          // the reduced list shows the copy (made, kept, or not made for a fault)
        OriginalShown,  // no copy of its own was made for a limit or a clash: the cell shows the original
        Dropped,        // the abort command dropped it, and the cell with it
    };
    // What a cell shows: the picture (as path segments), its size on the
    // page and whether the table page gives that size, the link's target.
    struct CellContent {
        std::vector<std::string> src;
        FittedSize fit;
        bool sized = false;
        std::vector<std::string> href;
        std::vector<std::string> live;  // a Live Photo's video; empty: none
    };
    // Makes the cell's copy when it is due, reporting what is kept or not
    // made; called at the cell, in page order.
    CopyResult SettleCopy(const Image& image);
    CellContent ContentOf(const Image& image, CopyResult copy) const;
    void AddTableCell(const Image& image, const CellContent& content);
    void AddGalleryCell(const Image& image, const CellContent& content);

    ProbeOptions Listed() const;
    const CellPlan& PlanAt(std::size_t index);
    // Puts the files in the order SortOrder asks for (by name they are
    // already), probing every one of them first.
    void SortFiles();
    // Gives each listed still the short video of its base name (a Live
    // Photo's), which then gets no cell of its own.
    void PairLivePhotos();
    bool Gallery() const { return options_.PageStyle == 1; }
    void StartGallery();
    void FillAhead();
    void LayFrame();
    void AddFolderLines();
    void PlanCopyOf(std::size_t index);
    ReducedImageRequest CopyRequest(std::size_t index) const;
    // Why the page may not be written at pagePath (nothing: it may).
    struct PageRefusal {
        PageObstacle obstacle;
        std::string why;
    };
    std::optional<PageRefusal> RefusalAt(const std::string& pagePath);
    // False when the abort command dropped the image's reduced copy; the
    // cell is then not written.
    bool AddCell(const Image& image);
    void Insert(LineEntry* before, std::string_view text);

    const GenerationOptions& options_;
    RunView& view_;
    std::unique_ptr<CopyReporter> copyReporter_;
    ReducedImageMaker* reducedImages_ = nullptr;
    std::unique_ptr<ReducedImageMaker> pipeline_;
    FileProbeSource source_;
    PageSpec page_;
    std::vector<DirEntry> files_;
    std::vector<CellPlan> plans_;
    std::size_t ahead_ = 0;  // next file the pipeline has not been told about
    std::string selectedFolder_;
    RunState state_;
    struct PageCounts {
        int32_t cells = 0, copiesMade = 0, copiesKept = 0, copiesNotMade = 0, livePaired = 0;
    } counts_;
    TLineListStr lines_;
    GalleryDocument gallery_;
    std::string pageLanguage_ = "ja";
    PageSaver pageSaver_;
    std::atomic<bool> abortCommand_{false};
};

}  // namespace htmlimglist
