// The command line's face of a run: progress on stderr (only when stderr is a
// terminal), messages and failures on stderr, Ctrl+C as the abort command.
#pragma once

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/MessageText.h"
#include "listgen/RunView.h"

namespace htmlimglist {

// Whether a page written is reported with a line of its own (-q: no).
enum class PageLines { Off, On };

class TerminalView final : public RunView {
public:
    explicit TerminalView(bool showProgress, CliLanguage language = CliLanguage::Japanese,
                          PageLines pageLines = PageLines::Off);
    ~TerminalView() override;

    // Routes SIGINT to the run's abort command for the life of this view;
    // work under way (a large image being decoded) sees it at once.
    void CatchInterrupt(std::atomic<bool>& command);
    bool Interrupted() const;


    void ShowStatus(std::string_view fileName, int32_t width, int32_t height,
                    std::string_view fileSizeText) override;
    void StartGauge(int32_t maxValue) override;
    void SetGaugeProgress(int32_t value) override;
    void ShowMessage(const RunMessage& message) override;
    void PageWritten(const ListResult& result) override;
    void NotListed(const std::string& folder, const std::string& name, NotListedReason why) override;

    // One line per reason on stderr for the files that began like images
    // but were not listed, naming the first few, or all of them when
    // verbose (then one per line), in the view's language. Nothing when
    // there were none.
    void ReportNotListed(bool verbose);

    bool AnyFailure() const { return failed_; }

private:
    void DrawProgress(bool force);
    void ClearProgress();

    struct Lookalike {
        std::string folder, name;
        NotListedReason why;
    };

    bool showProgress_;
    CliLanguage language_;
    PageLines pageLines_;
    std::vector<Lookalike> notListed_;
    std::set<std::pair<std::string, std::string>> notListedSeen_;  // (folder, name) of notListed_
    bool progressShown_ = false;
    bool failed_ = false;
    int32_t gaugeMax_ = 0;
    int32_t gaugeValue_ = 0;
    std::string currentName_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace htmlimglist
