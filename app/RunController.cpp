#include "app/RunController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "listgen/SettingsFile.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {

// The run's view on the worker thread: each report is handed to the
// window's view as a queued call on the controller's thread.
class RunController::ForwardingView final : public RunView {
public:
    ForwardingView(QObject* context, RunView& target, const std::atomic<bool>& shuttingDown)
        : context_(context), target_(target), shuttingDown_(shuttingDown) {}

    void ShowStatus(std::string_view fileName, int32_t width, int32_t height,
                    std::string_view fileSizeText) override {
        Post([this, name = std::string(fileName), width, height, size = std::string(fileSizeText)] {
            target_.ShowStatus(name, width, height, size);
        });
    }
    void ShowTitle(std::string_view displayName) override {
        Post([this, name = std::string(displayName)] { target_.ShowTitle(name); });
    }
    void StartGauge(int32_t maxValue) override {
        Post([this, maxValue] { target_.StartGauge(maxValue); });
    }
    void SetGaugeProgress(int32_t value) override {
        Post([this, value] { target_.SetGaugeProgress(value); });
    }
    void ShowPreview(const Bitmap& picture) override {
        // The window needs its own copy: the run draws the next image into
        // the same bitmap.
        Bitmap copy = picture;
        Post([this, copy] { target_.ShowPreview(copy); });
    }
    void SelectedFolderChanged(const std::string& path) override {
        Post([this, path] { target_.SelectedFolderChanged(path); });
    }
    void RunStateChanged(bool running) override {
        Post([this, running] { target_.RunStateChanged(running); });
    }
    void BringToFront() override {
        Post([this] { target_.BringToFront(); });
    }
    // A message box holds the run until it has been closed.
    void ShowMessage(const RunMessage& message) override {
        PostAndWait([this, message] { target_.ShowMessage(message); });
    }
    // A folder that cannot be read is a message box, which holds the run.
    void PageWritten(const ListResult& result) override {
        if (result.status == PageStatus::FolderUnreadable) {
            PostAndWait([this, result] { target_.PageWritten(result); });
        } else {
            Post([this, result] { target_.PageWritten(result); });
        }
    }

private:
    template <typename F>
    void Post(F call) {
        if (shuttingDown_.load()) return;
        QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
    }

    template <typename F>
    void PostAndWait(F call) {
        struct Handshake {
            std::mutex mutex;
            std::condition_variable done;
            bool finished = false;
        };
        auto handshake = std::make_shared<Handshake>();
        Post([handshake, call] {
            call();
            std::lock_guard lock(handshake->mutex);
            handshake->finished = true;
            handshake->done.notify_all();
        });
        std::unique_lock lock(handshake->mutex);
        // The window going away ends the wait too: its queued call will
        // never run then.
        while (!handshake->finished && !shuttingDown_.load()) {
            handshake->done.wait_for(lock, std::chrono::milliseconds(50));
        }
    }

    QObject* context_;
    RunView& target_;
    const std::atomic<bool>& shuttingDown_;
};

RunController::RunController(const GenerationOptions& options, const std::string& settingsFile, RunView& display)
    : view_(std::make_unique<ForwardingView>(this, display, shuttingDown_)),
      writer_(options, *view_),
      driver_(options, writer_, *view_, profile_) {
    profile_.SetFileName(settingsFile);
    profile_.SetSection(kSettingsSection);
    // A gallery page speaks the window's language.
    writer_.SetPageLanguage(CurrentUiLanguage() == UiLanguage::English ? "en" : "ja");
}

RunController::~RunController() {
    shuttingDown_.store(true);
    driver_.Abort();
    if (worker_.joinable()) worker_.join();
}

bool RunController::Start(const std::string& folder) {
    if (active_) return false;
    writer_.SetSelectedFolder(folder);
    Launch([this] { driver_.StartRun(); });
    return true;
}

bool RunController::Drop(const std::string& path) {
    if (active_) return false;
    Launch([this, path] { driver_.DropFolder(path); });
    return true;
}

void RunController::Abort() { driver_.Abort(); }

void RunController::Launch(std::function<void()> job) {
    if (worker_.joinable()) worker_.join();
    // An abort given while idle has no effect on the next run; one given
    // from here on, even before the worker starts the run, counts.
    writer_.ClearAbortCommand();
    active_ = true;
    worker_ = std::thread([this, job = std::move(job)] {
        try {
            job();
        } catch (const std::exception& error) {
            // Nothing may leave the thread; the run ends here.
            const std::string text = error.what();
            view_->BringToFront();
            view_->ShowMessage(RunMessage{RunMessageId::Unexpected, text, {}});
        } catch (...) {
            view_->ShowMessage(RunMessage{RunMessageId::Unexpected, {}, {}});
        }
        if (!shuttingDown_.load()) QMetaObject::invokeMethod(this, [this] { Finished(); }, Qt::QueuedConnection);
    });
}

void RunController::Finished() {
    if (worker_.joinable()) worker_.join();
    active_ = false;
    if (onFinished_) onFinished_();
}

bool RunController::WaitUntilIdle(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (active_) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace htmlimglist
