// The window's face of a run, on the window's thread: the status bar, the
// title panel, the gauge, the preview and the folder list follow the run,
// and its messages are modal boxes over the raised window.
#pragma once

#include <QtGlobal>

#include "listgen/RunView.h"

namespace htmlimglist {

class TMainForm;

// Message of our own for a folder that cannot be listed (no page is written
// for it, so an older page is not replaced by an empty one), untranslated
// (context "MainFormView"). A page that cannot be saved passes in silence
// here, as it always has in the window; the command-line tool reports it.
inline constexpr const char* kMessageFolderUnreadable = QT_TRANSLATE_NOOP("MainFormView", "ﾌｫﾙﾀﾞを読めませんでした.\n%1");

class MainFormView final : public RunView {
public:
    explicit MainFormView(TMainForm& form) : form_(form) {}

    void ShowStatus(std::string_view fileName, int32_t width, int32_t height,
                    std::string_view fileSizeText) override;
    void ShowTitle(std::string_view displayName) override;
    void StartGauge(int32_t maxValue) override;
    void SetGaugeProgress(int32_t value) override;
    void ShowPreview(const Bitmap& picture) override;
    void SelectedFolderChanged(const std::string& path) override;
    void RunStateChanged(bool running) override;
    void BringToFront() override;
    void ShowMessage(const RunMessage& message) override;
    void PageWritten(const ListResult& result) override;

private:
    TMainForm& form_;
};

}  // namespace htmlimglist
