#include "listgen/RunDriver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <climits>
#include <vector>

#include "listgen/SettingsFile.h"
#include "platform/PrivateProfile.h"
#include "support/Fixtures.h"
#include "support/JpegFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

class RecordingView : public RunView {
public:
    int abortAtPage = 0;  // abort at the first pump of this page (1-based)
    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<std::string> folders;
    int pages = 0;
    RunDriver* driver = nullptr;

    void Pump() override {
        if (pages + 1 == abortAtPage && driver != nullptr) driver->Abort();
    }
    void SelectedFolderChanged(const std::string& path) override { folders.push_back(path); }
    void BringToFront() override { events.push_back("front"); }
    void ShowMessage(const RunMessage& message) override {
        events.push_back("message");
        messages.push_back(MessageKey(message));
    }
    void RunStateChanged(bool running) override { events.push_back(running ? "start" : "end"); }
    void PageWritten(const ListResult&) override { ++pages; }
};

class RunDriverTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    RecordingView view;
    TProfile profile;

    void SetUp() override {
        profile.SetFileName(dir / "settings.INI");
        profile.SetSection(kSettingsSection);
    }

    std::string Folder(const std::string& relative, int images = 2) {
        std::string folder = dir.Make(relative);
        for (int i = 1; i <= images; ++i) WriteFile(folder + "/p" + std::to_string(i) + ".jpg", SmallJpeg(40, 30));
        return folder;
    }

    RunOutcome Start(const std::string& selected) {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(selected);
        RunDriver driver(options, writer, view, profile);
        view.driver = &driver;
        const RunOutcome outcome = driver.StartRun();
        view.driver = nullptr;
        return outcome;
    }

    std::string RunDir() {
        return ReadPrivateProfileString(kSettingsSection, "RunDir", "<none>", kProfileBufferSize, dir / "settings.INI");
    }
};

TEST_F(RunDriverTest, SingleRunWritesBothListsButNoRunDirAndNoMessage) {
    std::string folder = Folder("album/sel");
    options.MakeSmallImage = true;
    EXPECT_EQ(Start(folder), RunOutcome::Done);
    EXPECT_TRUE(FileExists(dir / "album/index.html"));
    EXPECT_TRUE(FileExists(folder + "/index.html"));
    EXPECT_EQ(view.events, (std::vector<std::string>{"start", "end"}));
    EXPECT_EQ(RunDir(), "<none>");
}

TEST_F(RunDriverTest, AbortDuringTheReducedListSkipsTheFullSizeList) {
    std::string folder = Folder("album/sel", 3);
    options.MakeSmallImage = true;
    view.abortAtPage = 1;
    EXPECT_EQ(Start(folder), RunOutcome::Aborted);
    EXPECT_TRUE(FileExists(dir / "album/index.html"));  // partial page is saved
    EXPECT_FALSE(FileExists(folder + "/index.html"));
}

TEST_F(RunDriverTest, AListNameThatCannotNameAPageIsRefusedBeforeAnythingIsWritten) {
    std::string folder = Folder("album/sel");
    options.MakeSmallImage = true;
    for (const char* name : {"", ".", "..", "../outside.html", "sub/index.html"}) {
        SCOPED_TRACE(name);
        options.HTMLListName = name;
        view.messages.clear();
        EXPECT_EQ(Start(folder), RunOutcome::BadListName);
        EXPECT_EQ(view.messages, std::vector<std::string>{name[0] ? "BadListName " + std::string(name) : "BadListName"});
    }
    EXPECT_FALSE(FileExists(dir / "outside.html"));
    EXPECT_FALSE(FileExists(dir / "album/index.html"));
    EXPECT_FALSE(FileExists(folder + "/index.html"));
}

TEST_F(RunDriverTest, OneLevelSeriesRunsUntilTheNextFolderIsMissing) {
    for (const char* n : {"00005", "00006", "00007"}) Folder(std::string("pics/") + n);
    Folder("pics/00009");  // beyond the gap: never reached
    options.ContinueMaked = true;
    EXPECT_EQ(Start(dir / "pics/00005"), RunOutcome::SeriesEnded);
    for (const char* n : {"00005", "00006", "00007"}) EXPECT_TRUE(FileExists(dir / "pics/" + n + "/index.html")) << n;
    EXPECT_FALSE(FileExists(dir / "pics/00009/index.html"));
    EXPECT_EQ(RunDir(), dir / "pics/00007");
    EXPECT_EQ(view.folders.back(), dir / "pics/00007");
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "SeriesEnd " + (dir / "pics/00008"));
    EXPECT_EQ(view.events, (std::vector<std::string>{"start", "front", "message", "end"}));
}

TEST_F(RunDriverTest, SeriesStartsAtTheNumberOfTheSelectedName) {
    Folder("pics/00005");
    std::string five = Folder("pics/5", 1);
    options.ContinueMaked = true;
    EXPECT_EQ(Start(five), RunOutcome::SeriesEnded);
    EXPECT_TRUE(FileExists(dir / "pics/00005/index.html"));
    EXPECT_FALSE(FileExists(five + "/index.html"));

    // a selected folder whose series start does not exist ends at once
    view.messages.clear();
    std::string lone = Folder("other/7", 1);
    EXPECT_EQ(Start(lone), RunOutcome::NoneListed);
    EXPECT_EQ(view.messages.at(0), "SeriesEnd " + (dir / "other/00007"));
    EXPECT_FALSE(FileExists(lone + "/index.html"));
}

TEST_F(RunDriverTest, TwoLevelSeriesEndsAtTheFirstMissingInnerFolder) {
    Folder("pics/00005/00005");
    Folder("pics/00006/00006");
    dir.Make("pics/00007");  // outer folder without its inner one
    options.ContinueMaked = options.MakeSmallImage = true;
    EXPECT_EQ(Start(dir / "pics/00005/00005"), RunOutcome::SeriesEnded);
    for (const char* n : {"00005", "00006"}) {
        std::string outer = dir / "pics/" + n;
        EXPECT_TRUE(FileExists(outer + "/index.html")) << n;  // the reduced list
        EXPECT_TRUE(FileExists(outer + "/" + n + "/index.html")) << n;  // the full-size list
    }
    EXPECT_FALSE(FileExists(dir / "pics/00007/index.html"));
    EXPECT_EQ(view.messages.at(0), "SeriesEnd " + (dir / "pics/00007/00007"));
    EXPECT_EQ(RunDir(), dir / "pics/00006/00006");

    // selecting the outer folder looks one level too high, and lists nothing
    view.messages.clear();
    EXPECT_EQ(Start(dir / "pics/00005"), RunOutcome::NoneListed);
    EXPECT_EQ(view.messages.at(0), "SeriesEnd " + dir.path() + "/00005/00005");
}

TEST_F(RunDriverTest, AbortInAContinuousRunStopsTheSeries) {
    Folder("pics/00001/00001");
    Folder("pics/00002/00002");
    options.ContinueMaked = options.MakeSmallImage = true;
    view.abortAtPage = 2;  // during the first folder's full-size list
    EXPECT_EQ(Start(dir / "pics/00001/00001"), RunOutcome::Aborted);
    EXPECT_TRUE(FileExists(dir / "pics/00001/00001/index.html"));
    EXPECT_FALSE(FileExists(dir / "pics/00002/index.html"));
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(RunDriverTest, TooShallowPathsShowTheirMessageBeforeAnyPage) {
    options.ContinueMaked = options.MakeSmallImage = true;
    EXPECT_EQ(Start("/htmlimglist-no-such-folder-00001"), RunOutcome::TooShallow);
    options.MakeSmallImage = false;
    EXPECT_EQ(Start(""), RunOutcome::TooShallow);
    EXPECT_EQ(view.messages, (std::vector<std::string>{"TooShallowTwoLevels", "TooShallow"}));
    EXPECT_EQ(RunDir(), "<none>");
}

TEST_F(RunDriverTest, AFileNamedLikeTheNextFolderEndsTheRunWithoutWriting) {
    Folder("pics/00001");
    WriteFile(dir / "pics/00002", "a file, not a folder");
    options.ContinueMaked = true;
    EXPECT_EQ(Start(dir / "pics/00001"), RunOutcome::NotAFolder);
    EXPECT_EQ(view.messages.back(), "NotAFolder " + (dir / "pics/00002"));
    EXPECT_EQ(ReadFile(dir / "pics/00002"), "a file, not a folder");
    EXPECT_EQ(RunDir(), dir / "pics/00001");
}

TEST_F(RunDriverTest, DroppedFolderRunsWithTheCurrentOptionsAndADroppedFileDoesNot) {
    std::string folder = Folder("drop/here");
    WriteFile(dir / "drop/file.jpg", SmallJpeg(1, 1));
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(dir / "drop");
    RunDriver driver(options, writer, view, profile);

    EXPECT_EQ(driver.DropFolder(dir / "drop/file.jpg"), RunOutcome::NotAFolder);
    EXPECT_EQ(writer.SelectedFolder(), dir / "drop");
    EXPECT_FALSE(FileExists(dir / "drop/index.html"));

    view.events.clear();
    EXPECT_EQ(driver.DropFolder(folder), RunOutcome::Done);
    EXPECT_EQ(writer.SelectedFolder(), folder);
    EXPECT_TRUE(FileExists(folder + "/index.html"));
    EXPECT_EQ(view.events, (std::vector<std::string>{"front", "start", "end"}));
}

TEST_F(RunDriverTest, AFolderToRunSaysWhetherItIsMissingOrNoFolder) {
    const std::string folder = Folder("given/here", 1);
    const std::string file = dir / "given/file.jpg";
    WriteFile(file, SmallJpeg(1, 1));
    const std::string dangling = dir / "given/link";
    ASSERT_EQ(symlink("gone", dangling.c_str()), 0);
    struct Case {
        std::string path;
        RunOutcome outcome;
        std::vector<std::string> messages;
    } cases[] = {
        {folder, RunOutcome::Done, {}},
        {dir / "given/gone", RunOutcome::FolderMissing, {"FolderMissing " + (dir / "given/gone")}},
        {dangling, RunOutcome::FolderMissing, {"FolderMissing " + dangling}},
        {file, RunOutcome::NotAFolder, {"NotAFolder " + file}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        view.messages.clear();
        FolderListWriter writer(options, view);
        RunDriver driver(options, writer, view, profile);
        EXPECT_EQ(driver.RunFolder(c.path), c.outcome);
        EXPECT_EQ(view.messages, c.messages);
    }
    EXPECT_TRUE(FileExists(folder + "/index.html"));
    EXPECT_FALSE(FileExists(dir / "given/index.html"));
}

TEST_F(RunDriverTest, OverlongSeriesPathIsRefusedNotCut) {
    // A series whose next path exceeds the platform's limit is refused by
    // name rather than cut into some other folder's path.
    options.ContinueMaked = true;
    std::string parent = dir.path() + "/" + std::string(PATH_MAX, 'x');
    EXPECT_EQ(Start(parent + "/00001"), RunOutcome::PathTooLong);
    EXPECT_EQ(view.messages.back(), "PathTooLong " + parent + "/00001");
    EXPECT_EQ(RunDir(), "<none>");
}

// A continuous run gives exactly the files of separate single runs of each
// folder, in both layouts: each folder's run writes only into that folder
// and its own parent-level folder, so an archive splits by folder number
// across any job runner.
TEST_F(RunDriverTest, AContinuousRunEqualsSingleRunsOfEachFolder) {
    namespace fs = std::filesystem;
    auto snapshot = [](const fs::path& root) {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) files.emplace_back(fs::relative(e.path(), root), ReadFile(e.path()));
        std::sort(files.begin(), files.end());
        return files;
    };
    for (const bool twoLevels : {false, true}) {
        SCOPED_TRACE(twoLevels ? "two levels" : "one level");
        const std::string series = twoLevels ? "two" : "one";
        const fs::file_time_type when = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (const char* n : {"00001", "00002", "00003"}) {
            const std::string folder = dir.Make(series + "/joint/" + n + (twoLevels ? std::string("/") + n : ""));
            WriteFile(folder + "/a.jpg", MakeJpeg({120, 90}));
            WriteFile(folder + "/b.gif", SmallGif(30, 20));
            for (const char* name : {"/a.jpg", "/b.gif"}) fs::last_write_time(folder + name, when);
        }
        fs::copy(dir / (series + "/joint"), dir / (series + "/split"), fs::copy_options::recursive);
        for (const auto& e : fs::recursive_directory_iterator(dir / (series + "/split")))
            if (e.is_regular_file()) fs::last_write_time(e.path(), when);

        options = GenerationOptions{};
        options.NextPrevIndex = true;
        options.MakeSmallImage = twoLevels;
        options.ContinueMaked = true;
        const std::string first = twoLevels ? "/00001/00001" : "/00001";
        EXPECT_EQ(Start(dir / (series + "/joint") + first), RunOutcome::SeriesEnded);
        options.ContinueMaked = false;
        for (const char* n : {"00001", "00002", "00003"}) {
            const std::string folder = dir / (series + "/split/") + n + (twoLevels ? std::string("/") + n : "");
            EXPECT_EQ(Start(folder), RunOutcome::Done);
        }
        const auto joint = snapshot(dir / (series + "/joint")), split = snapshot(dir / (series + "/split"));
        EXPECT_EQ(joint.size(), twoLevels ? 18u : 9u);  // sources and pages, with two levels copies too
        EXPECT_TRUE(joint == split);
    }
}

}  // namespace
}  // namespace htmlimglist
