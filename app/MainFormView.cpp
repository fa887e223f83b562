#include "app/MainFormView.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "app/FolderBrowser.h"
#include "app/RunMessageText.h"
#include "app/TMainForm.h"
#include "widgets/FitText.h"
#include "widgets/TCGauge.h"

namespace htmlimglist {
namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A status panel's text, whole: in a smaller font when the window's does
// not leave room, down to 9 pixels; past that shortened in the middle, with
// the whole text as the panel's tip.
void ShowInPanel(QLabel& panel, const QString& text) {
    // Only this function writes the panels, and a panel's size never
    // changes: the text shown already (whole, or in the tip) needs no
    // measuring again. Width and height repeat from photo to photo.
    if ((panel.toolTip().isEmpty() ? panel.text() : panel.toolTip()) == text) return;
    panel.setFont(QFont());  // the window's font again
    panel.setText(text);
    panel.setToolTip(QString());
    if (FitLabelFont(panel, 9)) return;
    const int room = panel.contentsRect().width() - panel.fontMetrics().horizontalAdvance(u'x');
    panel.setText(panel.fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    panel.setToolTip(text);
}

}  // namespace

void MainFormView::ShowStatus(std::string_view fileName, int32_t width, int32_t height,
                              std::string_view fileSizeText) {
    ShowInPanel(*form_.StatusPanels[0], Text(fileName));
    ShowInPanel(*form_.StatusPanels[1], QString::number(width));
    ShowInPanel(*form_.StatusPanels[2], QString::number(height));
    ShowInPanel(*form_.StatusPanels[3], Text(fileSizeText));
}

void MainFormView::ShowTitle(std::string_view displayName) { form_.Panel1->setText(Text(displayName)); }

void MainFormView::StartGauge(int32_t maxValue) {
    // A count of 0 leaves the maximum as it was: the gauge ignores it.
    form_.CGauge1->SetProgress(0);
    form_.CGauge1->SetMaxValue(maxValue);
    form_.CGauge1->repaint();
}

void MainFormView::SetGaugeProgress(int32_t value) { form_.CGauge1->SetProgress(value); }

void MainFormView::ShowPreview(const Bitmap& picture) {
    if (picture.Empty()) return;
    const QImage image(picture.Row(0), picture.Width(), picture.Height(), 3 * picture.Width(),
                       QImage::Format_RGB888);
    form_.Image1->setPixmap(QPixmap::fromImage(image));
}

void MainFormView::SelectedFolderChanged(const std::string& path) { form_.DirectoryListBox1->SetDirectory(path); }

void MainFormView::RunStateChanged(bool) { form_.UpdateActions(); }

void MainFormView::BringToFront() {
    form_.raise();
    form_.activateWindow();
}

void MainFormView::ShowMessage(const RunMessage& message) { form_.ShowBox(RunMessageText(message)); }

namespace {

// What keeps a page from being written, in the window's words.
QString ObstacleText(PageObstacle obstacle) {
    using QC = QCoreApplication;
    switch (obstacle) {
        case PageObstacle::CopyName: return QC::translate("MainFormView", "縮小画像と同じ名前になります.");
        case PageObstacle::Image: return QC::translate("MainFormView", "同じ名前の画像があります.");
        case PageObstacle::NotAFile: return QC::translate("MainFormView", "同じ名前のﾌｧｲﾙ以外のものがあります.");
        case PageObstacle::OtherFolderPage: return QC::translate("MainFormView", "別のﾌｫﾙﾀﾞのﾘｽﾄがあります.");
        case PageObstacle::ForeignFile:
            return QC::translate("MainFormView", "このﾂｰﾙで作成したﾘｽﾄではないﾌｧｲﾙがあります.");
        case PageObstacle::None: break;
    }
    return {};
}

}  // namespace

void MainFormView::PageWritten(const ListResult& result) {
    // Pages that could not be saved pass in silence; a page refused because
    // something the tool did not make stands at its path is said, since the
    // user has to move that out of the way.
    if (result.status == PageStatus::Refused) {
        BringToFront();
        form_.ShowBox(QCoreApplication::translate("MainFormView", "ﾘｽﾄを作成しませんでした.\n%1\n%2")
                          .arg(QString::fromStdString(result.pagePath), ObstacleText(result.obstacle)));
        return;
    }
    if (result.status != PageStatus::FolderUnreadable) return;
    BringToFront();
    form_.ShowBox(QCoreApplication::translate("MainFormView", kMessageFolderUnreadable)
                      .arg(QString::fromStdString(result.folder)));
}

}  // namespace htmlimglist
