// The window's language as the application object chooses it when main()
// starts, in the environment ctest gives this program (offscreen);
// HTMLIMGLIST_EXPECTED_LANGUAGE names the language expected.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/RunMessageText.h"
#include "app/TApplication.h"
#include "app/TMainForm.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TSettingForm.h"
#include "listgen/SettingsFile.h"
#include "support/TempDir.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {
namespace {

TEST(WindowLanguageTest, CaptionsAndMessagesAreInTheLanguageOfTheEnvironment) {
    const QString expected = qEnvironmentVariable("HTMLIMGLIST_EXPECTED_LANGUAGE");
    ASSERT_TRUE(expected == u"ja" || expected == u"en") << "run by ctest, which names the language expected";
    const bool english = expected == u"en";
    int argc = 1;
    char name[] = "htmlimglist";
    char* argv[] = {name, nullptr};
    TApplication application(argc, argv);  // as main() starts
    ASSERT_EQ(CurrentUiLanguage(), english ? UiLanguage::English : UiLanguage::Japanese);

    test::TempDir dir;
    const MainFormFiles files = ProgramFiles("/opt/bin/htmlimglist", dir / "htmlimglist.INI", CurrentUiLanguage());
    EXPECT_EQ(files.helpFile, english ? "/opt/bin/htmlimglist.en.TXT" : "/opt/bin/htmlimglist.TXT");
    TMainForm form(files);
    TSettingForm settings(form.Options(), form.Profile(), &form);
    TAboutForm about(&form);

    struct Caption {
        QString shown;
        const char* japanese;
        const char* english;
    };
    const Caption captions[] = {
        {form.windowTitle(), "HTML画像ﾘｽﾄ作成ﾂｰﾙ", "HTML Image List Maker"},
        {form.SpeedButton2->text(), "作成...", "Make..."},
        {form.SpeedButton3->text(), "ﾘｽﾄ表示", "Show list"},
        {form.SpeedButton4->toolTip(), "[Ctrl]+[A]でも中止", "Abort (also [Ctrl]+[A])"},
        {form.File1->title(), "ﾌｧｲﾙ(&F)", "&File"},
        {form.B1->text(), "ﾘｽﾄ表示(&H)", "S&how list"},
        {form.About1->text(), "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "&About..."},
        {settings.windowTitle(), "作成条件設定", "Creation Conditions"},
        {settings.Label2->text(), "表示/縮小画像最大ﾋﾟｸｾﾙ数", "Longest side in pixels"},
        {settings.CheckBox1->text(), "縮小画像の作成(&S)", "Make &small copies"},
        {settings.GroupBox1->title(), "ﾘｽﾄ内表示", "In the list"},
        {settings.CheckBox14->text(), "PNG/WebP/HEIC/AVIFも対象(&W)", "PNG, &WebP, HEIC and AVIF too"},
        {settings.BitBtn2->text(), "ｷｬﾝｾﾙ", "Cancel"},
        {about.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報", "About"},
        {about.Label1->text(), "HTML画像ﾘｽﾄ作成ﾂｰﾙ", "HTML Image List Maker"},
        {RunMessageText({RunMessageId::NotAFolder, "/x", ""}), "ﾌｫﾙﾀﾞではありません.\n/x", "This is not a folder.\n/x"},
        {RunMessageText({RunMessageId::FolderMissing, "/x", ""}), "ﾌｫﾙﾀﾞがありません.\n/x",
         "This folder does not exist.\n/x"},
    };
    for (const Caption& c : captions) {
        EXPECT_EQ(c.shown.toStdString(), english ? c.english : c.japanese);
    }
}

}  // namespace
}  // namespace htmlimglist
