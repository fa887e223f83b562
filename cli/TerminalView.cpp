#include "cli/TerminalView.h"

#include <csignal>
#include <cstdio>

#include <atomic>

namespace htmlimglist {
namespace {

std::atomic<bool> gInterrupted{false};
std::atomic<std::atomic<bool>*> gRunCommand{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    gInterrupted.store(true);
    if (std::atomic<bool>* command = gRunCommand.load()) command->store(true);
}

}  // namespace

TerminalView::TerminalView(bool showProgress) : showProgress_(showProgress) {}

TerminalView::~TerminalView() {
    gRunCommand.store(nullptr);
    ClearProgress();
}

void TerminalView::CatchInterrupt(std::atomic<bool>& command) {
    gRunCommand.store(&command);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool TerminalView::Interrupted() const { return gInterrupted.load(); }

void TerminalView::ShowStatus(std::string_view fileName, int32_t, int32_t, std::string_view) {
    currentName_ = fileName;
    DrawProgress(false);
}

void TerminalView::StartGauge(int32_t maxValue) {
    gaugeMax_ = maxValue;
    gaugeValue_ = 0;
    DrawProgress(true);
}

void TerminalView::SetGaugeProgress(int32_t value) {
    gaugeValue_ = value;
    DrawProgress(gaugeValue_ == gaugeMax_);
}

void TerminalView::DrawProgress(bool force) {
    if (!showProgress_) return;
    auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    std::string name = currentName_.size() > 60 ? "..." + currentName_.substr(currentName_.size() - 57) : currentName_;
    std::fprintf(stderr, "\r\033[K%d/%d %s", gaugeValue_, gaugeMax_, name.c_str());
    std::fflush(stderr);
    progressShown_ = true;
}

void TerminalView::ClearProgress() {
    if (!progressShown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    progressShown_ = false;
}

void TerminalView::ShowMessage(std::string_view text) {
    ClearProgress();
    std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
}

void TerminalView::PageWritten(const ListResult& result) {
    ClearProgress();
    currentName_.clear();
    switch (result.status) {
        case PageStatus::Saved: return;
        case PageStatus::FolderUnreadable:
            std::fprintf(stderr, "htmlimglist-cli: cannot read the folder %s\n", result.folder.c_str());
            break;
        case PageStatus::NotSaved:
        case PageStatus::Refused:
            std::fprintf(stderr, "htmlimglist-cli: could not write the page %s: %s\n", result.pagePath.c_str(),
                         result.why.c_str());
            break;
    }
    failed_ = true;
}

}  // namespace htmlimglist
