#include "app/ShellOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace htmlimglist {

OpenResult DesktopOpener::Open(const std::string& path, const std::string& workingFolder) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) return OpenResult::NotFound;
    const QString folder = QString::fromStdString(workingFolder);
    // QDesktopServices starts the handler from the process's current folder
    // and takes no other; xdg-open is the handler it would pick on this
    // desktop, so it is started here directly, in the folder wanted.
    const QString handler = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!handler.isEmpty()) {
        return QProcess::startDetached(handler, {QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)}, folder)
                   ? OpenResult::Opened
                   : OpenResult::NotAssociated;
    }
    const QString previous = QDir::currentPath();
    const bool switched = !folder.isEmpty() && QDir::setCurrent(folder);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    if (switched) QDir::setCurrent(previous);
    return opened ? OpenResult::Opened : OpenResult::NotAssociated;
}

}  // namespace htmlimglist
