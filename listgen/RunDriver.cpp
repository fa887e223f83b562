#include "listgen/RunDriver.h"

#include <climits>

#include "platform/Directory.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace htmlimglist {
namespace {

// Something of that name exists for the series when the search would find
// it: a folder, or a regular file (dot names never occur: the names are
// numbers).
bool SeriesEntryExists(const std::string& path) {
    PathKind kind = KindOfPath(path);
    return kind == PathKind::Folder || kind == PathKind::File;
}

}  // namespace

RunDriver::RunDriver(const GenerationOptions& options, FolderListWriter& writer, RunView& view, TProfile& profile)
    : options_(options), writer_(writer), view_(view), profile_(profile) {}

void RunDriver::Message(RunMessageId id, const std::string& argument) {
    view_.BringToFront();
    view_.ShowMessage(RunMessage{id, argument, {}});
}

void RunDriver::Abort() { writer_.RequestAbort(); }

RunOutcome RunDriver::StartRun() {
    bool expected = false;
    if (!running_.compare_exchange_strong(expected, true)) return RunOutcome::Busy;
    view_.RunStateChanged(true);
    RunOutcome outcome;
    if (ListNameProblem(options_.HTMLListName) != nullptr) {
        // "../x.html" would write outside the folder, "" onto the folder.
        Message(RunMessageId::BadListName, options_.HTMLListName);
        outcome = RunOutcome::BadListName;
    } else {
        outcome = options_.ContinueMaked ? RunContinuous() : RunSingle();
    }
    view_.RunStateChanged(false);
    running_.store(false);
    return outcome;
}

bool RunDriver::Page(const PageSpec& page) {
    const ListResult result = writer_.MakeList(page);
    view_.PageWritten(result);
    return !result.aborted;
}

bool RunDriver::Pages() {
    const PageSpec main = PageSpec::MainList(options_);
    if (!Page(main)) return false;
    if (main.reduced && options_.MakeSmallImageAndOrgImageList) return Page(PageSpec::FullSizeList(options_));
    return true;
}

RunOutcome RunDriver::RunSingle() { return Pages() ? RunOutcome::Done : RunOutcome::Aborted; }

bool RunDriver::SelectFolder(const std::string& path, RunOutcome& failure) {
    if (path.size() >= PATH_MAX) {
        Message(RunMessageId::PathTooLong, path);
        failure = RunOutcome::PathTooLong;
        return false;
    }
    switch (KindOfPath(path)) {
        case PathKind::Folder: break;
        case PathKind::Missing:
            Message(RunMessageId::FolderMissing, path);
            failure = RunOutcome::FolderMissing;
            return false;
        case PathKind::File:
        case PathKind::Other:
            Message(RunMessageId::NotAFolder, path);
            failure = RunOutcome::NotAFolder;
            return false;
    }
    writer_.SetSelectedFolder(path);
    view_.SelectedFolderChanged(path);
    return true;
}

void RunDriver::StoreRunDir(const std::string& path) {
    // The store holds at most 255 bytes: a longer path cut short would name
    // some other folder, so it is recorded as unknown instead.
    profile_.SetEntry("RunDir");
    profile_.SetText(path.size() <= TProfile::kMaxTextBytes ? path : std::string());
}

RunOutcome RunDriver::RunContinuous() {
    const std::string selected = writer_.SelectedFolder();
    int64_t n = LeadingNumber(NameAfterLastSeparator(selected));
    const std::string parent = CutAtLastSeparator(selected);
    const bool twoLevels = options_.MakeSmallImage;

    if (PathDepth(selected) < (twoLevels ? 2 : 1)) {
        Message(twoLevels ? RunMessageId::TooShallowTwoLevels : RunMessageId::TooShallow);
        return RunOutcome::TooShallow;
    }
    const std::string base = twoLevels ? CutAtLastSeparator(parent) : parent;

    int listed = 0;
    for (;; ++n) {
        const long long number = n;
        const std::string path = twoLevels ? Format("%s/%05lld/%05lld", base.c_str(), number, number)
                                           : Format("%s/%05lld", base.c_str(), number);
        if (path.size() < PATH_MAX && !SeriesEntryExists(path)) {
            Message(RunMessageId::SeriesEnd, path);
            return listed == 0 ? RunOutcome::NoneListed : RunOutcome::SeriesEnded;
        }
        RunOutcome failure;
        if (!SelectFolder(path, failure)) return failure;
        StoreRunDir(path);

        if (!Pages()) return RunOutcome::Aborted;
        ++listed;
    }
}

RunOutcome RunDriver::RunFolder(const std::string& path) {
    if (Running()) return RunOutcome::Busy;
    RunOutcome failure;
    if (!SelectFolder(path, failure)) return failure;
    return StartRun();
}

RunOutcome RunDriver::DropFolder(const std::string& path) {
    view_.BringToFront();
    return RunFolder(path);
}

}  // namespace htmlimglist
