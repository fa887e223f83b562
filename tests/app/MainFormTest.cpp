#include "app/TMainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FolderBrowser.h"
#include "app/MainFormView.h"
#include "app/RunController.h"
#include "app/ShowList.h"
#include "listgen/SettingsFile.h"
#include "qt/CaptionFit.h"
#include "qt/QtTestApp.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"
#include "widgets/TCGauge.h"

namespace htmlimglist {
namespace {

struct StubOpener final : ShellOpener {
    OpenResult Open(const std::string& path, const std::string& workingFolder, OpenFailedLater failedLater) override {
        opened->push_back(path);
        workingFolders->push_back(workingFolder);
        *later = std::move(failedLater);
        return *result;
    }
    // What the last open would hear if the desktop failed after starting.
    std::shared_ptr<OpenFailedLater> later = std::make_shared<OpenFailedLater>();
    std::shared_ptr<std::vector<std::string>> opened = std::make_shared<std::vector<std::string>>();
    std::shared_ptr<std::vector<std::string>> workingFolders = std::make_shared<std::vector<std::string>>();
    std::shared_ptr<OpenResult> result = std::make_shared<OpenResult>(OpenResult::Opened);
};

struct StubBoxes final : MessageBoxes {
    void Show(QWidget*, const QString& text) override { shown->push_back(text.toStdString()); }
    std::shared_ptr<std::vector<std::string>> shown = std::make_shared<std::vector<std::string>>();
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::QtTestApp();
        profile.SetFileName(SettingsFile());
        profile.SetSection(kSettingsSection);
    }

    std::string SettingsFile() const { return dir / "htmlimglist.INI"; }
    void Write(const char* entry, const std::string& text) {
        profile.SetEntry(entry);
        profile.SetText(text);
    }
    std::string Read(const char* entry) {
        profile.SetEntry(entry);
        profile.SetDefaultText("<absent>");
        return profile.GetText();
    }

    std::unique_ptr<TMainForm> MakeForm() {
        StubOpener opener;
        StubBoxes boxes;
        openedLater = opener.later;
        opened = opener.opened;
        workingFolders = opener.workingFolders;
        openResult = opener.result;
        shown = boxes.shown;
        return std::make_unique<TMainForm>(MainFormFiles{SettingsFile(), dir / "htmlimglist.TXT", dir / "bin"},
                                           std::make_unique<StubOpener>(opener), std::make_unique<StubBoxes>(boxes));
    }

    test::TempDir dir;
    TProfile profile;
    std::shared_ptr<std::vector<std::string>> opened;
    std::shared_ptr<std::vector<std::string>> workingFolders;
    std::shared_ptr<OpenResult> openResult;
    std::shared_ptr<OpenFailedLater> openedLater;
    std::shared_ptr<std::vector<std::string>> shown;
};

TEST_F(MainFormTest, FirstStartUsesTheDesignLayoutAndDefaults) {
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("HTML画像ﾘｽﾄ作成ﾂｰﾙ"));
    EXPECT_EQ(form->pos(), QPoint(308, 107));
    EXPECT_EQ(form->size(), QSize(630, 460));
    EXPECT_EQ(form->Options(), GenerationOptions());
    EXPECT_EQ(form->DirectoryListBox1->Directory(), QDir::currentPath().toStdString());
    EXPECT_FALSE(form->SpeedButton4->isEnabled());
    EXPECT_EQ(form->SpeedButton2->toolTip(), QStringLiteral("[Ctrl]+[M]でも作成"));
    EXPECT_EQ(form->N1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    EXPECT_EQ(form->A1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(form->B1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(form->CGauge1->BorderStyle(), bsNone);
    EXPECT_EQ(form->CGauge1->ForeColor(), QColor(Qt::blue));
    form->show();
    EXPECT_EQ(form->PFileBase->sizes().value(0), 140);
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_TRUE(shown->empty());  // no settings file yet: nothing to say
}

TEST_F(MainFormTest, SettingsFileThatCannotBeLoadedIsNamedAndTheDefaultsUsed) {
    Write("MaxPixel", "300");
    Write("WindowLeft", "10");
    const std::string tooLarge = test::ReadFile(SettingsFile()) + std::string(kMaxProfileFileBytes, '\n');
    test::WriteFile(SettingsFile(), tooLarge);
    {
        auto form = MakeForm();
        ASSERT_EQ(shown->size(), 1u);
        EXPECT_EQ(shown->back(), "設定ﾌｧｲﾙが大き過ぎます.\n" + SettingsFile() + "\n既定値を使用します.");
        EXPECT_EQ(form->Options(), GenerationOptions());
        EXPECT_EQ(form->pos(), QPoint(308, 107));
        form->close();
    }
    EXPECT_EQ(test::ReadFile(SettingsFile()), tooLarge);  // the placement was not written into it

    std::remove(SettingsFile().c_str());
    dir.Make("htmlimglist.INI");
    auto form = MakeForm();
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->back(), "設定ﾌｧｲﾙを読めませんでした.\n" + SettingsFile() + "\n既定値を使用します.");
    EXPECT_EQ(form->Options(), GenerationOptions());
}

TEST_F(MainFormTest, NumbersOutOfRangeAreSaidOnceAtStartAndClamped) {
    const struct {
        const char* maxPixel;
        const char* maxColumn;
        int32_t pixelUsed, columnUsed;
        const char* said;  // between the path and the last line; empty: nothing is said
    } cases[] = {
        {"300", "1000", 300, 1000, ""},
        {"0", "6", 1, 6, "MaxPixel=0 (1..65535): 1"},
        {"70000", "-1", 65535, 1, "MaxPixel=70000 (1..65535): 65535\nMaxColumn=-1 (1..1000): 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        Write("MaxPixel", c.maxPixel);
        Write("MaxColumn", c.maxColumn);
        const std::string before = test::ReadFile(SettingsFile());
        auto form = MakeForm();
        EXPECT_EQ(form->Options().MaxPixel, c.pixelUsed);
        EXPECT_EQ(form->Options().MaxColumn, c.columnUsed);
        const std::vector<std::string> expected =
            c.said[0] ? std::vector<std::string>{"設定ﾌｧｲﾙに範囲外の値があります.\n" + SettingsFile() + "\n" + c.said +
                                                 "\n範囲内の値を使用します."}
                      : std::vector<std::string>{};
        EXPECT_EQ(*shown, expected);
        EXPECT_EQ(test::ReadFile(SettingsFile()), before);  // nothing written until the user stores
    }
}

TEST_F(MainFormTest, PlacementIsRestoredFromAndSavedToTheSettingsFile) {
    Write("WindowLeft", "10");
    Write("WindowTop", "20");
    Write("WindowWidth", "500");
    Write("WindowHeight", "400");
    Write("SplitterPosition", "300");
    {
        auto form = MakeForm();
        EXPECT_EQ(form->pos(), QPoint(10, 20));
        EXPECT_EQ(form->size(), QSize(500, 400));
        form->show();
        EXPECT_EQ(form->PFileBase->sizes().value(0), 300);

        form->move(33, 44);
        form->resize(520, 410);
        form->PFileBase->setSizes({180, 340});
        form->close();
    }
    EXPECT_EQ(Read("WindowLeft"), "33");
    EXPECT_EQ(Read("WindowTop"), "44");
    EXPECT_EQ(Read("WindowWidth"), "520");
    EXPECT_EQ(Read("WindowHeight"), "410");
    EXPECT_EQ(Read("SplitterPosition"), "180");

    // Closing while maximised keeps the last normal placement.
    {
        auto form = MakeForm();
        form->showMaximized();
        ASSERT_TRUE(form->isMaximized());
        form->close();
    }
    EXPECT_EQ(Read("WindowLeft"), "33");
    EXPECT_EQ(Read("WindowWidth"), "520");
}

TEST_F(MainFormTest, RunDirThatCannotBeEnteredIsWrittenEmpty) {
    Write("RunDir", dir / "gone/00005");
    {
        auto form = MakeForm();
        EXPECT_EQ(form->DirectoryListBox1->Directory(), QDir::currentPath().toStdString());
    }
    EXPECT_EQ(Read("RunDir"), "");

    const std::string folder = dir.Make("pics/00005");
    Write("RunDir", folder);
    auto form = MakeForm();
    EXPECT_EQ(form->DirectoryListBox1->Directory(), folder);
    EXPECT_EQ(Read("RunDir"), folder);
}

TEST_F(MainFormTest, ShowListOpensTheMainListAndNamesAPageItCannotOpen) {
    const std::string folder = dir.Make("pics/2000");
    Write("RunDir", folder);
    Write("MakeSmallImage", "1");
    auto form = MakeForm();

    form->B1Click();  // reduced list: in the parent folder
    ASSERT_EQ(opened->size(), 1u);
    EXPECT_EQ(opened->back(), dir / "pics/index.html");
    EXPECT_TRUE(shown->empty());

    form->Options().MakeSmallImage = false;
    *openResult = OpenResult::NotFound;
    form->B1Click();
    EXPECT_EQ(opened->back(), folder + "/index.html");
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->back(), "指定されたファイルが見つかりませんでした。\nindex.html");

    *openResult = OpenResult::NotAssociated;
    form->B1Click();
    EXPECT_EQ(shown->back(), "index.html は関連付けられていません.");
    // The page's program starts in the executable's folder, not in the
    // selected one.
    EXPECT_EQ(*workingFolders, std::vector<std::string>(3, dir / "bin"));

    EXPECT_EQ(MainListPath("/", GenerationOptions()), "/index.html");
}

TEST_F(MainFormTest, HelpItemFollowsTheHelpFile) {
    auto form = MakeForm();
    form->Help1Click();
    EXPECT_FALSE(form->Help2->isEnabled());
    test::WriteFile(dir / "htmlimglist.TXT", "ﾍﾙﾌﾟ");
    form->Help1Click();
    EXPECT_TRUE(form->Help2->isEnabled());
    form->Help2Click();
    EXPECT_EQ(opened->back(), dir / "htmlimglist.TXT");
    EXPECT_EQ(workingFolders->back(), dir / "bin");
    std::remove((dir / "htmlimglist.TXT").c_str());
    form->Help1Click();
    EXPECT_FALSE(form->Help2->isEnabled());
}

TEST_F(MainFormTest, HelpThatCannotBeOpenedSaysSoAsShowListDoes) {
    auto form = MakeForm();
    test::WriteFile(dir / "htmlimglist.TXT", "ﾍﾙﾌﾟ");
    const struct {
        OpenResult now;    // what the open says at once
        OpenResult later;  // what the desktop says once started (Opened: nothing)
        const char* box;   // the box shown; empty: none
    } cases[] = {
        {OpenResult::Opened, OpenResult::Opened, ""},
        {OpenResult::NotAssociated, OpenResult::Opened, "htmlimglist.TXT は関連付けられていません."},
        {OpenResult::NotFound, OpenResult::Opened, "指定されたファイルが見つかりませんでした。\nhtmlimglist.TXT"},
        {OpenResult::Opened, OpenResult::NotAssociated, "htmlimglist.TXT は関連付けられていません."},
    };
    for (const auto& c : cases) {
        shown->clear();
        *openResult = c.now;
        form->Help2Click();
        ASSERT_TRUE(*openedLater);
        if (c.later != OpenResult::Opened) (*openedLater)(c.later);
        EXPECT_EQ(*shown, c.box[0] ? std::vector<std::string>{c.box} : std::vector<std::string>{}) << c.box;
    }
    // A page that the desktop finds no program for after starting is said too.
    shown->clear();
    *openResult = OpenResult::Opened;
    form->B1Click();
    (*openedLater)(OpenResult::NotAssociated);
    EXPECT_EQ(*shown, std::vector<std::string>{"index.html は関連付けられていません."});
    // A window gone by then says nothing.
    form->B1Click();
    const OpenFailedLater late = *openedLater;
    form.reset();
    late(OpenResult::NotAssociated);
}

TEST_F(MainFormTest, ProgramFilesLieBesideTheExecutable) {
    struct Case {
        const char* executable;
        UiLanguage language;
        const char* help;
        const char* folder;
    };
    const Case cases[] = {
        {"/opt/bin/htmlimglist", UiLanguage::Japanese, "/opt/bin/htmlimglist.TXT", "/opt/bin"},
        {"/opt/bin/htmlimglist", UiLanguage::English, "/opt/bin/htmlimglist.en.TXT", "/opt/bin"},
        {"/htmlimglist", UiLanguage::English, "/htmlimglist.en.TXT", "/"},
        {"", UiLanguage::English, "", ""},  // executable unknown: no help, the current folder
    };
    for (const Case& c : cases) {
        const MainFormFiles files = ProgramFiles(c.executable, "/etc/h.INI", c.language);
        EXPECT_EQ(files.settingsFile, "/etc/h.INI");
        EXPECT_EQ(files.helpFile, c.help) << c.executable;
        EXPECT_EQ(files.programFolder, c.folder) << c.executable;
    }
}

// Installed, the help texts lie in share/htmlimglist/ beside bin/; one
// beside the executable still comes first.
TEST_F(MainFormTest, HelpTextsAreFoundInTheInstalledTree) {
    dir.Make("usr/bin");
    dir.Make("usr/share/htmlimglist");
    test::WriteFile(dir / "usr/share/htmlimglist/htmlimglist.en.TXT", "help");
    const std::string executable = dir / "usr/bin/htmlimglist";
    EXPECT_EQ(ProgramFiles(executable, "", UiLanguage::English).helpFile,
              dir / "usr/share/htmlimglist/htmlimglist.en.TXT");
    test::WriteFile(dir / "usr/bin/htmlimglist.en.TXT", "help");
    EXPECT_EQ(ProgramFiles(executable, "", UiLanguage::English).helpFile, dir / "usr/bin/htmlimglist.en.TXT");
}

// The desktop's opener, faked by an xdg-open in PATH that writes down the
// folder it was started in and what it was given.
TEST_F(MainFormTest, DesktopOpenerStartsTheHandlerInTheWorkingFolder) {
    const std::string fakeBin = dir.Make("fake-bin");
    const std::string record = dir / "opened.txt";
    test::WriteFile(fakeBin + "/xdg-open", "#!/bin/sh\necho \"$PWD\" > '" + record + ".part'\necho \"$1\" >> '" +
                                               record + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    ASSERT_EQ(chmod((fakeBin + "/xdg-open").c_str(), 0755), 0);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(fakeBin) + ':' + path);
    const std::string program = dir.Make("program folder");
    const std::string page = dir.Make("pics") + "/index.html";
    test::WriteFile(page, "<html>");

    DesktopOpener opener;
    std::vector<OpenResult> heard;
    const auto hear = [&heard](OpenResult result) { heard.push_back(result); };
    EXPECT_EQ(opener.Open(dir / "pics/missing.html", program, hear), OpenResult::NotFound);
    EXPECT_EQ(opener.Open(page, program, hear), OpenResult::Opened);
    for (int i = 0; i < 500 && !test::FileExists(record); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    ASSERT_TRUE(test::FileExists(record)) << "the fake xdg-open did not run";
    EXPECT_EQ(test::ReadFile(record), program + "\nfile://" + page + "\n");

    // An xdg-open that finds no program (status 3) or no file (2) says so
    // once it ends; the window never waits for it.
    for (const auto& [status, expected] : {std::pair{3, OpenResult::NotAssociated}, std::pair{2, OpenResult::NotFound},
                                           std::pair{4, OpenResult::NotAssociated}}) {
        test::WriteFile(fakeBin + "/xdg-open", "#!/bin/sh\nexit " + std::to_string(status) + "\n");
        heard.clear();
        EXPECT_EQ(opener.Open(page, program, hear), OpenResult::Opened);
        for (int i = 0; i < 500 && heard.empty(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        EXPECT_EQ(heard, std::vector<OpenResult>{expected}) << status;
    }
    qputenv("PATH", path);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainFormTest, EveryCaptionShowsWholeInBothLanguages) {
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        ASSERT_TRUE(InstallUiLanguage(language));
        auto form = MakeForm();
        EXPECT_EQ(test::CutCaptions(*form), std::vector<std::string>());
    }
}

TEST_F(MainFormTest, FolderListRowsAreSixteenPixelsHigh) {
    const std::string folder = dir.Make("pics/a");
    dir.Make("pics/b");
    Write("RunDir", dir / "pics");
    auto form = MakeForm();
    form->show();
    QCoreApplication::processEvents();
    TDirectoryListBox& list = *form->DirectoryListBox1;
    ASSERT_GE(list.count(), 3);
    for (int i = 0; i < list.count(); ++i) {
        const QRect row = list.visualItemRect(list.item(i));
        EXPECT_EQ(row.height(), 16) << i;
        EXPECT_EQ(row.top(), list.visualItemRect(list.item(0)).top() + 16 * i) << i;
    }
}

TEST_F(MainFormTest, StatusPanelsStartAtTheirGivenEdges) {
    auto form = MakeForm();
    form->show();
    form->resize(700, 480);
    QCoreApplication::processEvents();
    const int edges[5] = {0, 180, 230, 280, 350}, widths[5] = {180, 50, 50, 70, 50};
    for (int i = 0; i < 5; ++i) {
        const QRect panel(form->StatusPanels[i]->mapTo(form.get(), QPoint(0, 0)), form->StatusPanels[i]->size());
        EXPECT_EQ(panel.left(), edges[i]) << "panel " << i;
        EXPECT_EQ(panel.width(), widths[i]) << "panel " << i;
        EXPECT_EQ(panel.bottom(), form->height() - 1) << "panel " << i;
        EXPECT_TRUE(form->StatusPanels[i]->isVisible()) << "panel " << i;
    }
}

TEST_F(MainFormTest, StatusPanelsShowAFileNameWholeOrShortenedWithItsTip) {
    auto form = MakeForm();
    MainFormView view(*form);
    QLabel& name = *form->StatusPanels[0];
    const QString longName = QString(60, u'x') + QStringLiteral(".jpg");
    const struct {
        QString text;
        bool smaller;  // a smaller font than the window's
        bool shortened;
    } cases[] = {
        {QStringLiteral("a.jpg"), false, false},
        {QString(25, u'n') + QStringLiteral(".jpg"), true, false},
        {longName, true, true},
        {QStringLiteral("b.jpg"), false, false},  // the window's font again
    };
    for (const auto& c : cases) {
        view.ShowStatus(c.text.toStdString(), 1, 2, "3");
        EXPECT_TRUE(TextFits(name, name.font())) << c.text.toStdString();
        EXPECT_EQ(name.font().pixelSize() < 12, c.smaller) << c.text.toStdString();
        EXPECT_EQ(name.text() != c.text, c.shortened) << c.text.toStdString();
        EXPECT_EQ(name.toolTip(), c.shortened ? c.text : QString()) << c.text.toStdString();
    }
}

TEST_F(MainFormTest, DroppedFolderStartsARunWithTheCurrentOptions) {
    const std::string folder = dir.Make("dropped");
    test::WriteFile(folder + "/a.jpg", test::SmallJpeg(40, 30));
    test::WriteFile(folder + "/b.gif", test::SmallGif(20, 10));
    Write("HTMLListName", "drop.html");
    Write("DisplayFileSize", "1");
    auto form = MakeForm();
    form->show();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder)), QUrl::fromLocalFile("/tmp")});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_TRUE(form->Runs().Active());
    EXPECT_FALSE(form->SpeedButton2->isEnabled()) << "make command usable during a run";
    EXPECT_FALSE(form->DirectoryListBox1->isEnabled()) << "folder list usable during a run";
    EXPECT_TRUE(form->SpeedButton4->isEnabled());
    ASSERT_TRUE(form->Runs().WaitUntilIdle());

    const std::string page = test::ReadFile(folder + "/drop.html");
    EXPECT_NE(page.find("a.jpg"), std::string::npos);
    EXPECT_NE(page.find("Byte"), std::string::npos);
    EXPECT_FALSE(test::FileExists(folder + "/index.html"));
    EXPECT_EQ(form->DirectoryListBox1->Directory(), folder);
    EXPECT_EQ(form->StatusPanels[0]->text(), QStringLiteral("b.gif"));
    EXPECT_EQ(form->Panel1->text(), QStringLiteral("b.gif"));
    EXPECT_EQ(form->CGauge1->GetPercentDone(), 100);
    EXPECT_TRUE(form->SpeedButton2->isEnabled());
    EXPECT_FALSE(form->SpeedButton4->isEnabled());
    EXPECT_TRUE(shown->empty());
}

// A page the run may not replace (one of the user's own) is left as it is,
// and the window says why, as the command line does.
TEST_F(MainFormTest, ARefusedPageIsSaid) {
    const std::string folder = dir.Make("web");
    test::WriteFile(folder + "/a.jpg", test::SmallJpeg(40, 30));
    test::WriteFile(folder + "/index.html", "<html>my own page</html>\n");
    auto form = MakeForm();
    form->show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    ASSERT_TRUE(form->Runs().WaitUntilIdle());
    ASSERT_EQ(shown->size(), 1u);
    EXPECT_EQ(shown->back(), "ﾘｽﾄを作成しませんでした.\n" + folder + "/index.html\nこのﾂｰﾙで作成したﾘｽﾄではないﾌｧｲﾙがあります.");
    EXPECT_EQ(test::ReadFile(folder + "/index.html"), "<html>my own page</html>\n");
}

TEST_F(MainFormTest, ClosingDuringARunWaitsForItsPage) {
    const std::string folder = dir.Make("many");
    for (int i = 0; i < 3000; ++i) test::WriteFile(folder + "/" + std::to_string(10000 + i) + ".jpg", test::SmallJpeg(8, 6));
    auto form = MakeForm();
    form->show();
    form->DropPath(folder);
    form->close();
    if (form->Runs().Active()) {
        EXPECT_TRUE(form->isVisible()) << "closed under a running run";
    }
    ASSERT_TRUE(form->Runs().WaitUntilIdle());
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(test::FileExists(folder + "/index.html"));
    EXPECT_NE(Read("WindowLeft"), "<absent>");
}

TEST_F(MainFormTest, CancelledSettingsDialogStartsNoRunAndWritesNothing) {
    auto form = MakeForm();
    form->show();
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    form->N1Click();
    EXPECT_FALSE(form->Runs().Active());
    EXPECT_EQ(Read("HTMLListName"), "<absent>");
}

}  // namespace
}  // namespace htmlimglist
