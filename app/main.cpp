// htmlimglist: the desktop window. It takes nothing from its command line.
#include <csignal>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "app/TApplication.h"
#include "app/TMainForm.h"
#include "platform/ExecutablePath.h"
#include "widgets/UiLanguage.h"

using namespace htmlimglist;

int main(int argc, char** argv) {
    // A write past the file size limit (ulimit -f) then fails with EFBIG and
    // is handled like a full disk, instead of the signal ending the window
    // with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);

    TApplication application(argc, argv);  // in the user's language

    const PathResult executable = ExecutablePath();
    const PathResult settings = SettingsFilePath();
    // A relative HTMLIMGLIST_INI is taken from the folder the tool started
    // in, whatever the current folder is later.
    const std::string settingsFile =
        settings.ok() ? QFileInfo(QString::fromStdString(settings.path)).absoluteFilePath().toStdString() : "";
    MainFormFiles files = ProgramFiles(executable.ok() ? executable.path : "", settingsFile, CurrentUiLanguage());
    if (!settings.ok()) {
        QMessageBox::critical(nullptr, ToolTitle(),
                              QCoreApplication::translate("main", "settings file: %1")
                                  .arg(QString::fromStdString(settings.error)));
    }

    TMainForm window(files);
    window.show();
    return application.exec();
}
