// Runs the run driver on a worker thread so that the window keeps repainting
// and taking commands. Every report of the run reaches the window's RunView
// on the window's thread, in the order the run made it; a message box of the
// run holds the worker until it has been closed. The abort command takes
// effect at once from the window's thread.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "listgen/FolderListWriter.h"
#include "listgen/GenerationOptions.h"
#include "listgen/RunDriver.h"
#include "listgen/RunView.h"
#include "profile/TProfile.h"

namespace htmlimglist {

class RunController : public QObject {
public:
    // display receives the reports on this object's thread. settingsFile is
    // where continuous runs record RunDir; the run keeps its own profile
    // cursor so that the window's never changes under it.
    RunController(const GenerationOptions& options, const std::string& settingsFile, RunView& display);
    // Aborts a run still going and waits for it; reports not yet delivered
    // are dropped and pending message boxes are not shown.
    ~RunController() override;

    // The make command: a run with the options as they stand on folder.
    // Refused (false) while a run is active.
    bool Start(const std::string& folder);
    // A dropped item: becomes the selected folder and starts a run (the run
    // driver refuses what is no folder, with its message). Refused (false)
    // while a run is active.
    bool Drop(const std::string& path);
    // The abort command.
    void Abort();

    // From a Start or Drop until the worker has ended and the window has
    // been told (onFinished).
    bool Active() const { return active_; }
    // Called on this object's thread once a run has ended.
    void SetOnFinished(std::function<void()> callback) { onFinished_ = std::move(callback); }

    // Lets the event loop run until no run is active (tests; a close that
    // must wait). False when timeoutMs passed first.
    bool WaitUntilIdle(int timeoutMs = 30000);

private:
    class ForwardingView;

    void Launch(std::function<void()> job);
    void Finished();

    std::atomic<bool> shuttingDown_{false};
    std::unique_ptr<ForwardingView> view_;
    TProfile profile_;
    FolderListWriter writer_;
    RunDriver driver_;
    std::thread worker_;
    bool active_ = false;
    std::function<void()> onFinished_;
};

}  // namespace htmlimglist
