// htmlimglist: the desktop window. It takes nothing from its command line.
#include "app/TApplication.h"
#include "app/TMainForm.h"
#include "platform/ExecutablePath.h"

#include <QMessageBox>

using namespace htmlimglist;

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    application.setApplicationDisplayName(QStringLiteral("HTML画像ﾘｽﾄ作成ﾂｰﾙ"));

    MainFormFiles files;
    const PathResult executable = ExecutablePath();
    const PathResult settings = SettingsFilePath();
    if (executable.ok()) files.helpFile = SiblingWithExtension(executable.path, ".TXT");
    if (settings.ok()) {
        files.settingsFile = settings.path;
    } else {
        QMessageBox::critical(nullptr, application.applicationDisplayName(),
                              QString::fromStdString("settings file: " + settings.error));
    }

    TMainForm window(files);
    window.show();
    return application.exec();
}
