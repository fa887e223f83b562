// htmlimglist: the desktop window. It takes nothing from its command line.
#include "app/TApplication.h"
#include "app/TMainForm.h"
#include "platform/ExecutablePath.h"
#include "platform/Path.h"

#include <QFileInfo>
#include <QMessageBox>

using namespace htmlimglist;

namespace {

// A help text (extension ".TXT"): beside the executable (the build tree, or
// a folder the program was copied into), else in share/htmlimglist/ of the
// tree it is installed in (/usr/bin/htmlimglist: /usr/share/htmlimglist/).
std::string HelpFilePath(const std::string& executable, std::string_view extension) {
    const std::string beside = SiblingWithExtension(executable, extension);
    const std::string installed =
        JoinPath(JoinPath(CutAtLastSeparator(CutAtLastSeparator(executable)), "share/htmlimglist"),
                 NameAfterLastSeparator(beside));
    const auto exists = [](const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); };
    return !exists(beside) && exists(installed) ? installed : beside;
}

}  // namespace

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    application.setApplicationDisplayName(QStringLiteral("HTML画像ﾘｽﾄ作成ﾂｰﾙ"));

    MainFormFiles files;
    const PathResult executable = ExecutablePath();
    const PathResult settings = SettingsFilePath();
    if (executable.ok()) files.helpFile = HelpFilePath(executable.path, ".TXT");
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
