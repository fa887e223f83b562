// htmlimglist-screenshots SAMPLES OUTPUT: draws the README's pictures of the
// window in the language the window would take (HTMLIMGLIST_LANG), with the
// window's own code and without a display (QT_QPA_PLATFORM=offscreen):
//   OUTPUT/main-window.png      the main window after a run with reduced
//                               images on a copy of SAMPLES
//   OUTPUT/settings-dialog.png  the creation conditions, with the hint of
//                               the check box under the mouse
// The copy lies in <temp>/shot/album/photos, so the folder list reads the
// same on every machine. scripts/screenshots puts the pictures into docs/.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>

#include <cstdio>

#include "app/MessageBoxes.h"
#include "app/RunController.h"
#include "app/TMainForm.h"
#include "dialogs/TSettingForm.h"
#include "listgen/SettingsFile.h"
#include "widgets/UiLanguage.h"

using namespace htmlimglist;

namespace {

// A run on the samples shows no message; should one come, it is printed
// rather than waiting for a click that never comes.
struct PrintedBoxes final : MessageBoxes {
    void Show(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

bool Save(QWidget& widget, const QString& path) {
    QCoreApplication::processEvents();
    if (widget.grab().save(path)) return true;
    std::fprintf(stderr, "htmlimglist-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: htmlimglist-screenshots SAMPLES OUTPUT\n");
        return 2;
    }
    InstallUiLanguage(SystemUiLanguage());
    const QString samples = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);

    const QString work = QDir::tempPath() + QStringLiteral("/shot");
    const QString photos = work + QStringLiteral("/album/photos");
    QDir(work).removeRecursively();
    QDir().mkpath(photos);
    for (const QFileInfo& file : QDir(samples).entryInfoList(QDir::Files)) {
        QFile::copy(file.filePath(), photos + u'/' + file.fileName());
    }

    const std::string settingsFile = (work + QStringLiteral("/htmlimglist.INI")).toStdString();
    {
        TProfile profile;
        profile.SetFileName(settingsFile);
        profile.SetSection(kSettingsSection);
        profile.SetEntry("MakeSmallImage");
        profile.SetValue(1);
        profile.SetEntry("RunDir");
        profile.SetText(photos.toStdString());
    }

    bool ok = true;
    {
        TMainForm window(MainFormFiles{settingsFile, "", ""}, nullptr, std::make_unique<PrintedBoxes>());
        window.show();
        window.Runs().Start(photos.toStdString());
        window.Runs().WaitUntilIdle();
        ok = Save(window, output + QStringLiteral("/main-window.png")) && ok;

        TSettingForm settings(window.Options(), window.Profile(), &window);
        settings.show();
        const QPointF at(4, 4);
        QMouseEvent move(QEvent::MouseMove, at, settings.CheckBox6->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(settings.CheckBox6, &move);
        ok = Save(settings, output + QStringLiteral("/settings-dialog.png")) && ok;
        settings.reject();

        window.close();
    }
    QDir(work).removeRecursively();
    return ok ? 0 : 1;
}
