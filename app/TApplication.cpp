#include "app/TApplication.h"

#include <QMessageBox>

#include <exception>

#include "widgets/UiLanguage.h"

namespace htmlimglist {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No application display name: Qt's platform windows would append it to
    // every title but the main window's, and the dialogs are titled by their
    // own names alone. Message boxes name the tool themselves.
    InstallUiLanguage(SystemUiLanguage());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        text = QString::fromUtf8(error.what());
    } catch (...) {
        text = tr("予期しないｴﾗｰが発生しました.");
    }
    QMessageBox::critical(activeWindow(), ToolTitle(), text);
    return false;
}

}  // namespace htmlimglist
