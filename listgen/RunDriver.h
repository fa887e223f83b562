// Turns a request into calls of the folder list writer: one folder, or a
// series of numbered folders ("%05d") walked upward from the selected one
// until the next is missing, one level deep, or two levels deep when reduced
// images are made (base/00005/00005 holding the full-size images).
#pragma once

#include <string>

#include "listgen/FolderListWriter.h"
#include "listgen/GenerationOptions.h"
#include "listgen/RunView.h"
#include "profile/TProfile.h"

namespace htmlimglist {

// How a run ended.
enum class RunOutcome {
    Done,          // a single run made its pages
    SeriesEnded,   // a continuous run reached the first missing folder
    Aborted,       // the abort command stopped it
    TooShallow,    // the selected path is too shallow for a continuous run
    NotAFolder,    // what should be listed is not a folder
    FolderMissing, // what should be listed does not exist
    PathTooLong,   // a built path exceeds what the platform allows
    BadListName,   // HTMLListName cannot name a page in the folder; nothing was done
    NoneListed,    // a continuous run found not even its first folder
    Busy,          // another run is active; nothing was done
};


class RunDriver {
public:
    // profile is the settings store pointed at the settings file and its
    // section; continuous runs record the folder they work on there under
    // RunDir.
    RunDriver(const GenerationOptions& options, FolderListWriter& writer, RunView& view, TProfile& profile);

    // One run with the options as they stand: RunContinuous when
    // ContinueMaked is on, RunSingle otherwise. The view hears
    // RunStateChanged(true) before and (false) after, and PageWritten after
    // every page. Refused with Busy while a run is active. An abort command
    // given before the call counts: a front end that wants an abort given
    // while idle forgotten clears the writer's command when it launches the
    // run.
    RunOutcome StartRun();

    // The pages of the selected folder: the main list, then, unless aborted,
    // the list of full-size images when reduced images are made and that list
    // is wanted. Shows no message.
    RunOutcome RunSingle();

    // The series starting at the number read from the selected folder's name.
    RunOutcome RunContinuous();

    // path becomes the selected folder, then StartRun with the options as
    // they stand. A path that does not exist or is not a folder ends here
    // with a message and nothing is written.
    RunOutcome RunFolder(const std::string& path);

    // A folder dropped on the window: the window comes to the front, then
    // RunFolder.
    RunOutcome DropFolder(const std::string& path);

    // The abort command (the writer's); callable from any thread.
    void Abort();

    bool Running() const { return running_.load(); }

private:
    // One page, reported to the view; false when the abort ended it.
    bool Page(const PageSpec& page);
    // The main list, then the list of full-size images when reduced copies
    // are made and it is wanted; false when the abort ended them.
    bool Pages();
    bool SelectFolder(const std::string& path, RunOutcome& failure);
    void StoreRunDir(const std::string& path);
    void Message(RunMessageId id, const std::string& argument = {});

    const GenerationOptions& options_;
    FolderListWriter& writer_;
    RunView& view_;
    TProfile& profile_;
    std::atomic<bool> running_{false};
};

}  // namespace htmlimglist
