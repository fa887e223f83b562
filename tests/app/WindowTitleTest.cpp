// The titles the window manager is given, read back from a real X server
// with xprop: Qt's platform windows append the application display name to
// every title that does not already end with it. ctest runs this program
// under Xvfb (tests/app/with-xvfb) in each language; it skips itself
// without an X display or xprop. HTMLIMGLIST_EXPECTED_LANGUAGE names the
// language expected.
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include "app/TApplication.h"
#include "app/TMainForm.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TSettingForm.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

// _NET_WM_NAME of window as the X server holds it.
QString WindowManagerTitle(const QString& xprop, QWidget& window) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));  // the title's bytes unescaped
    process.setProcessEnvironment(environment);
    process.start(xprop, {QStringLiteral("-notype"), QStringLiteral("-id"), QString::number(window.winId()),
                          QStringLiteral("_NET_WM_NAME")});
    if (!process.waitForFinished(10000)) return QStringLiteral("<xprop did not finish>");
    // _NET_WM_NAME = "作成条件設定"
    const QString line = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const qsizetype open = line.indexOf(u'"');
    return open < 0 ? line : line.mid(open + 1, line.size() - open - 2);
}

TEST(WindowTitleTest, DialogsAreTitledByTheirOwnNamesAlone) {
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != u"xcb" || qEnvironmentVariableIsEmpty("DISPLAY") || xprop.isEmpty())
        GTEST_SKIP() << "needs an X display and xprop";
    const bool english = qEnvironmentVariable("HTMLIMGLIST_EXPECTED_LANGUAGE") == u"en";
    int argc = 1;
    char name[] = "htmlimglist";
    char* argv[] = {name, nullptr};
    TApplication application(argc, argv);  // as main() starts

    test::TempDir dir;
    TMainForm form(MainFormFiles{dir / "htmlimglist.INI", "", ""});
    TSettingForm settings(form.Options(), form.Profile(), &form);
    TAboutForm about(&form);
    const struct {
        QWidget* window;
        const char* japanese;
        const char* english;
    } cases[] = {
        {&form, "HTML画像ﾘｽﾄ作成ﾂｰﾙ", "HTML Image List Maker"},
        {&settings, "作成条件設定", "Creation Conditions"},
        {&about, "ﾊﾞｰｼﾞｮﾝ情報", "About"},
    };
    for (const auto& c : cases) {
        c.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.window));
        EXPECT_EQ(WindowManagerTitle(xprop, *c.window).toStdString(), english ? c.english : c.japanese);
        c.window->hide();
    }
}

}  // namespace
}  // namespace htmlimglist
