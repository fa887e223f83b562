#include "app/ShellOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace htmlimglist {

OpenResult DesktopOpener::Open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) return OpenResult::NotFound;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file)) ? OpenResult::Opened : OpenResult::NotAssociated;
}

}  // namespace htmlimglist
