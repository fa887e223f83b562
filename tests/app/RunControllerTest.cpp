#include "app/RunController.h"

#include <QThread>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listgen/SettingsFile.h"
#include "qt/QtTestApp.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

// The window's side of a run: records each report and the thread it came on.
class RecordingView final : public RunView {
public:
    void StartGauge(int32_t maxValue) override { Note("gauge " + std::to_string(maxValue)); }
    void ShowStatus(std::string_view name, int32_t, int32_t, std::string_view) override {
        Note("status " + std::string(name));
    }
    void RunStateChanged(bool running) override { Note(running ? "running" : "idle"); }
    void BringToFront() override { Note("front"); }
    void ShowMessage(const RunMessage& message) override { Note("message " + test::MessageKey(message)); }
    void SelectedFolderChanged(const std::string& path) override { Note("folder " + path); }
    void PageWritten(const ListResult& result) override {
        Note(std::string(result.saved() ? "saved " : "unsaved ") + result.pagePath);
    }

    std::vector<std::string> calls;
    bool offThread = false;

private:
    void Note(std::string call) {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) offThread = true;
        calls.push_back(std::move(call));
    }
};

class RunControllerTest : public ::testing::Test {
protected:
    void SetUp() override { test::QtTestApp(); }

    std::string FolderWithImages(const std::string& relative, int count) {
        const std::string folder = dir.Make(relative);
        for (int i = 0; i < count; ++i) {
            test::WriteFile(folder + "/img" + std::to_string(10000 + i) + ".jpg", test::SmallJpeg(8, 6));
        }
        return folder;
    }

    test::TempDir dir;
    GenerationOptions options;
    RecordingView view;
};

TEST_F(RunControllerTest, ReportsArriveOnTheWindowThreadInOrder) {
    const std::string folder = FolderWithImages("pics", 2);
    RunController runs(options, dir / "settings.INI", view);
    ASSERT_TRUE(runs.Start(folder));
    EXPECT_TRUE(runs.Active());
    EXPECT_FALSE(runs.Start(folder)) << "a second run started under the first";
    EXPECT_FALSE(runs.Drop(folder));
    ASSERT_TRUE(runs.WaitUntilIdle());

    const std::vector<std::string> expected = {
        "running", "gauge 2", "status img10000.jpg", "status img10001.jpg", "saved " + folder + "/index.html",
        "idle",
    };
    EXPECT_EQ(view.calls, expected);
    EXPECT_FALSE(view.offThread);
    EXPECT_TRUE(test::FileExists(folder + "/index.html"));
}

TEST_F(RunControllerTest, MessagesOfARunAreShownAndTheRunGoesOnAfterThem) {
    const std::string folder = FolderWithImages("series/00001", 1);
    options.ContinueMaked = true;
    RunController runs(options, dir / "settings.INI", view);
    bool finished = false;
    runs.SetOnFinished([&] { finished = true; });
    ASSERT_TRUE(runs.Start(folder));
    ASSERT_TRUE(runs.WaitUntilIdle());
    EXPECT_TRUE(finished);

    const std::string missing = dir / "series/00002";
    ASSERT_GE(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[view.calls.size() - 3], "front");
    EXPECT_EQ(view.calls[view.calls.size() - 2],
              "message SeriesEnd " + missing);
    EXPECT_EQ(view.calls.back(), "idle");

    // The continuous run recorded its folder in the settings file.
    TProfile profile;
    profile.SetFileName(dir / "settings.INI");
    profile.SetSection(kSettingsSection);
    profile.SetEntry("RunDir");
    EXPECT_EQ(profile.GetText(), folder);
}

TEST_F(RunControllerTest, AbortStopsTheRunAndItsPageIsStillSaved) {
    const std::string folder = FolderWithImages("many", 3000);
    RunController runs(options, dir / "settings.INI", view);
    ASSERT_TRUE(runs.Start(folder));
    runs.Abort();
    ASSERT_TRUE(runs.WaitUntilIdle());
    const std::string page = test::ReadFile(folder + "/index.html");
    std::size_t cells = 0;
    for (std::size_t at = page.find("<td>"); at != std::string::npos; at = page.find("<td>", at + 1)) ++cells;
    EXPECT_GE(cells, 1u);
    EXPECT_LT(cells, 3000u);
}

TEST_F(RunControllerTest, AnAbortGivenWhileIdleDoesNotReachTheNextRun) {
    const std::string folder = FolderWithImages("idle", 3);
    RunController runs(options, dir / "settings.INI", view);
    runs.Abort();
    ASSERT_TRUE(runs.Start(folder));
    ASSERT_TRUE(runs.WaitUntilIdle());
    EXPECT_NE(test::ReadFile(folder + "/index.html").find("img10002.jpg"), std::string::npos);
}

TEST_F(RunControllerTest, DroppingSomethingThatIsNoFolderShowsTheMessageAndWritesNothing) {
    const std::string file = dir / "not-a-folder.jpg";
    test::WriteFile(file, test::SmallJpeg(8, 6));
    RunController runs(options, dir / "settings.INI", view);
    ASSERT_TRUE(runs.Drop(file));
    ASSERT_TRUE(runs.WaitUntilIdle());
    const std::vector<std::string> expected = {"front", "front", "message NotAFolder " + file};
    EXPECT_EQ(view.calls, expected);
}

}  // namespace
}  // namespace htmlimglist
