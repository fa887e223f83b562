#include "cli/TerminalView.h"

#include <csignal>
#include <cstdio>

#include <atomic>

#include "cli/MessageText.h"
#include "cli/TerminalText.h"
#include "platform/Path.h"

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

TerminalView::TerminalView(bool showProgress, CliLanguage language, PageLines pageLines)
    : showProgress_(showProgress), language_(language), pageLines_(pageLines) {}

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
    std::string name = ForTerminal(currentName_);
    if (name.size() > 60) {
        std::size_t from = name.size() - 57;
        while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
        name = "..." + name.substr(from);
    }
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

void TerminalView::ShowMessage(const RunMessage& message) {
    ClearProgress();
    // A copy that could not be written, or was not made for a limit or a
    // clash with another folder's copy, is a failure of the run, as a page is.
    switch (message.id) {
        case RunMessageId::SaveFailed:
        case RunMessageId::CopyOfOtherFolder:
        case RunMessageId::CopyTooLarge:
        case RunMessageId::CopyOverLimit: failed_ = true; break;
        default: break;
    }
    std::fprintf(stderr, "%s\n", MessageText(message, language_).c_str());
}

void TerminalView::PageWritten(const ListResult& result) {
    ClearProgress();
    currentName_.clear();
    switch (result.status) {
        case PageStatus::Saved:
            if (pageLines_ == PageLines::On) std::fprintf(stderr, "%s\n", PageWrittenText(result, language_).c_str());
            return;
        case PageStatus::FolderUnreadable:
            std::fprintf(stderr, "htmlimglist-cli: cannot read the folder %s\n", ForTerminal(result.folder).c_str());
            break;
        case PageStatus::NotSaved:
        case PageStatus::Refused:
            std::fprintf(stderr, "htmlimglist-cli: could not write the page %s: %s\n",
                         ForTerminal(result.pagePath).c_str(), ForTerminal(result.why).c_str());
            break;
    }
    failed_ = true;
}

void TerminalView::NotListed(const std::string& folder, const std::string& name, NotListedReason why) {
    // Both lists of a reduced run look at the same folder: count each file once.
    if (notListedSeen_.emplace(folder, name).second) notListed_.push_back({folder, name, why});
}

void TerminalView::ReportNotListed(bool verbose) {
    bool oneFolder = true;
    for (const Lookalike& l : notListed_) oneFolder = oneFolder && l.folder == notListed_.front().folder;
    for (NotListedReason why : NotListedReasonsInOrder()) {
        std::vector<std::string> names;
        for (const Lookalike& l : notListed_) {
            if (l.why != why) continue;
            // A continuous run lists several folders: their names tell the files apart.
            const std::string name = oneFolder ? l.name : NameAfterLastSeparator(l.folder) + "/" + l.name;
            names.push_back(ForTerminal(name));
        }
        if (names.empty()) continue;
        std::fprintf(stderr, "%s\n", NotListedText(why, names, verbose, language_).c_str());
        if (!verbose) continue;
        for (const std::string& name : names) std::fprintf(stderr, "  %s\n", name.c_str());
    }
}

}  // namespace htmlimglist
