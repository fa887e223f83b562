// The command line's face of a run: progress on stderr (only when stderr is a
// terminal), messages and failures on stderr, Ctrl+C as the abort command.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "listgen/RunView.h"

namespace htmlimglist {

class TerminalView final : public RunView {
public:
    explicit TerminalView(bool showProgress);
    ~TerminalView() override;

    // Routes SIGINT to the abort command for the life of this view; when
    // command is given, SIGINT sets it at once as well, so that work under
    // way (a large image being decoded) sees it without waiting for a pump.
    void CatchInterrupt(std::atomic<bool>* command = nullptr);
    bool Interrupted() const;

    bool Pump() override;
    void ShowStatus(std::string_view fileName, int32_t width, int32_t height,
                    std::string_view fileSizeText) override;
    void StartGauge(int32_t maxValue) override;
    void SetGaugeProgress(int32_t value) override;
    void ShowMessage(std::string_view text) override;
    void PageWritten(const std::string& path, bool saved) override;
    void FolderUnreadable(const std::string& folder) override;

    bool AnyFailure() const { return failed_; }

private:
    void DrawProgress(bool force);
    void ClearProgress();

    bool showProgress_;
    bool progressShown_ = false;
    bool failed_ = false;
    int32_t gaugeMax_ = 0;
    int32_t gaugeValue_ = 0;
    std::string currentName_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace htmlimglist
