#include "app/ShellOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace htmlimglist {

namespace {

// xdg-open's exit statuses: 2 the file does not exist, 3 no program or tool
// to open it with, 4 the program it started failed.
constexpr int kXdgOpenNoFile = 2;

}  // namespace

OpenResult DesktopOpener::Open(const std::string& path, const std::string& workingFolder,
                               OpenFailedLater failedLater) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) return OpenResult::NotFound;
    const QString folder = QString::fromStdString(workingFolder);
    // QDesktopServices starts the handler from the process's current folder
    // and takes no other; xdg-open is the handler it would pick on this
    // desktop, so it is started here directly, in the folder wanted.
    const QString handler = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!handler.isEmpty()) {
        // Not detached, so that its exit status tells whether a program was
        // found; xdg-open may also wait for the program it runs, so the
        // window never waits for it. The process object goes once it ends.
        auto* process = new QProcess;
        process->setProgram(handler);
        process->setArguments({QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)});
        process->setWorkingDirectory(folder);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process,
                         [process, failedLater](int exitCode, QProcess::ExitStatus status) {
                             if (status == QProcess::NormalExit && exitCode != 0 && failedLater)
                                 failedLater(exitCode == kXdgOpenNoFile ? OpenResult::NotFound
                                                                        : OpenResult::NotAssociated);
                             process->deleteLater();
                         });
        process->start();
        if (!process->waitForStarted()) {
            delete process;
            return OpenResult::NotAssociated;
        }
        return OpenResult::Opened;
    }
    const QString previous = QDir::currentPath();
    const bool switched = !folder.isEmpty() && QDir::setCurrent(folder);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    if (switched) QDir::setCurrent(previous);
    return opened ? OpenResult::Opened : OpenResult::NotAssociated;
}

}  // namespace htmlimglist
