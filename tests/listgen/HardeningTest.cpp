// Hostile inputs and failing surroundings: bounded work and memory, and
// nothing lost when the disk, the permissions or the files themselves fail.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "listgen/FolderListWriter.h"
#include "listgen/copies/ReducedImagePipeline.h"
#include "platform/AtomicFile.h"
#include "platform/Directory.h"
#include "platform/PrivateProfile.h"
#include "support/Decoding.h"
#include "support/Fixtures.h"
#include "support/Isolation.h"
#include "support/JpegFixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;
using namespace std::string_literals;

class MessageView : public RunView {
public:
    std::vector<std::string> messages;
    std::vector<std::string> reasons;
    void ShowMessage(const RunMessage& message) override {
        messages.push_back(MessageKey(message));
        reasons.push_back(message.reason);
    }
};

// A progressive file whose scans are repeated until there are thousands.
std::string ManyScans(int copies) {
    std::string jpeg = MakeJpeg({16, 16, Chroma::S420, JpegColor::Rgb, true, 50});
    std::size_t firstScan = jpeg.find("\xFF\xDA");
    std::string head = jpeg.substr(0, firstScan);
    std::string scans = jpeg.substr(firstScan, jpeg.size() - 2 - firstScan);
    std::string out = head;
    for (int i = 0; i < copies; ++i) out += scans;
    return out + "\xFF\xD9";
}

TEST(HardeningTest, HugeOrEndlessJpegsAreStopped) {
    Bitmap out;
    DecodeReport report;
    for (bool progressive : {false, true}) {
        // A real file whose frame header claims 65500 x 65500.
        std::string huge = MakeJpeg({16, 16, Chroma::S420, JpegColor::Rgb, progressive, 50});
        std::size_t sof = huge.find(progressive ? "\xFF\xC2" : "\xFF\xC0");
        ASSERT_NE(sof, std::string::npos);
        huge.replace(sof + 5, 4, "\xFF\xDC\xFF\xDC");
        EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(huge), 200, 200, out, &report)) << progressive;
        EXPECT_NE(report.error.find("refused"), std::string::npos) << report.error;
    }
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(ManyScans(400)), 16, 16, out, &report));
    EXPECT_NE(report.error.find("scans"), std::string::npos) << report.error;
    // A few repeats stay within the limit and still decode.
    EXPECT_TRUE(DecodeScaled(ImageKind::Jpeg, FromBytes(ManyScans(3)), 16, 16, out, &report)) << report.error;
}

// A progressive file's scans are all read before the first row comes out;
// the cancel flag is heard while they are read, not after. (This file ends
// in a scan header naming no component of its frame, which libjpeg reaches
// only if it reads on.)
TEST(HardeningTest, TheCancelFlagIsHeardWhileProgressiveScansAreRead) {
    std::string jpeg = MakeJpeg({640, 480, Chroma::S420, JpegColor::Rgb, true});
    jpeg.replace(jpeg.size() - 2, 2, "\xFF\xDA\x00\x08\x01\x63\x00\x00\x3F\x00\xFF\xD9"s);
    Bitmap out;
    DecodeReport report;
    EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), 64, 48, out, &report));
    EXPECT_FALSE(report.aborted) << "read to its end, the file fails: " << report.error;
    const std::atomic<bool> cancel{true};
    for (bool smooth : {false, true}) {
        report = DecodeReport{};
        EXPECT_FALSE(DecodeScaled(ImageKind::Jpeg, FromBytes(jpeg), 64, 48, out, &report, 1, smooth, &cancel));
        EXPECT_TRUE(report.aborted) << report.error;
    }
}

TEST(HardeningTest, AHundredThousandEntriesAreListed) {
    TempDir dir;
    std::string folder = dir.Make("many");
    for (int i = 99999; i >= 0; --i) {
        // Created in reverse, so the listing has to sort them.
        std::string name = folder + "/f" + std::to_string(100000 + i);
        int fd = open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListFolder(folder, FolderEntries::FilesOnly, entries));
    ASSERT_EQ(entries.size(), 100000u);
    EXPECT_EQ(entries.front().name, "f100000");
    EXPECT_EQ(entries.back().name, "f199999");
}

TEST(HardeningTest, ReadOnlyFoldersKeepTheirPagesAndCopies) {
    TempDir dir;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/sel");
    WriteFile(folder + "/a.jpg", MakeJpeg({64, 48}));
    WriteFile(folder + "/b.jpg", MakeJpeg({64, 48}));
    WriteFile(folder + "/index.html", ToolPage("sel", {"old list"}));
    WriteFile(parent + "/index.html", ToolPage("sel", {"old reduced list"}));
    const std::string oldCopy = MakeJpeg({64, 48});  // made before copies carried records
    WriteFile(parent + "/a.jpg", oldCopy);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(parent.c_str(), 0555), 0);
    int result = WithoutPrivileges([&] {
        GenerationOptions options;
        options.MakeSmallImage = options.ImageSurelyCreate = true;
        MessageView view;
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        if (writer.MakeList(kFullSizeList, 6, 200).saved()) return 1;
        if (writer.MakeList(kReducedList, 6, 200).saved()) return 2;
        // one message per copy that could not be written
        if (view.messages != std::vector<std::string>{"SaveFailed " + parent + "/a.jpg", "SaveFailed " + parent + "/b.jpg"})
            return 3;
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(folder + "/index.html"), ToolPage("sel", {"old list"}));
    EXPECT_EQ(ReadFile(parent + "/index.html"), ToolPage("sel", {"old reduced list"}));
    EXPECT_EQ(ReadFile(parent + "/a.jpg"), oldCopy);
    EXPECT_FALSE(FileExists(parent + "/b.jpg"));
}

TEST(HardeningTest, AFullDiskLeavesTheOldFilesWhole) {
    TempDir dir;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/sel");
    for (int i = 0; i < 40; ++i) WriteFile(folder + "/p" + std::to_string(i) + ".jpg", MakeJpeg({400, 300}));
    WriteFile(folder + "/index.html", ToolPage("sel", {"old list"}));
    const std::string oldCopy = MakeJpeg({400, 300});  // made before copies carried records
    WriteFile(parent + "/p0.jpg", oldCopy);
    // Writes past 2000 bytes fail: the page (several kilobytes) and every
    // reduced copy (larger than that at this size) cannot be written.
    int result = WithFileSizeLimit(2000, [&] {
        GenerationOptions options;
        options.ImageSurelyCreate = true;
        MessageView view;
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        if (writer.MakeList(kFullSizeList, 6, 200).saved()) return 1;
        writer.MakeList(kReducedList, 6, 400);
        if (view.messages.size() != 40) return 2;
        if (view.messages[0] != "SaveFailed " + parent + "/p0.jpg") return 3;
        if (view.reasons[0] != std::strerror(EFBIG)) return 4;  // the system's reason travels with it
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(folder + "/index.html"), ToolPage("sel", {"old list"}));
    EXPECT_EQ(ReadFile(parent + "/p0.jpg"), oldCopy);
    // no temporary file is left behind, hidden ones included: the copy and the folder
    auto count = std::distance(std::filesystem::directory_iterator(parent), std::filesystem::directory_iterator());
    EXPECT_EQ(count, 2);
}

TEST(HardeningTest, SourcesThatChangeUnderTheRunAreHandled) {
    TempDir dir;
    std::string jpeg = MakeJpeg({320, 240});
    WriteFile(dir / "gone.jpg", jpeg);
    WriteFile(dir / "short.jpg", jpeg.substr(0, jpeg.size() / 3));
    unlink((dir / "gone.jpg").c_str());
    EXPECT_FALSE(MakeReducedImageInMemory({ImageKind::Jpeg, dir / "gone.jpg", {100, 75}}).ok);
    EXPECT_FALSE(MakeReducedImageInMemory({ImageKind::Gif, dir / "gone.jpg", {100, 75}}).ok);
    // A truncated source still gives a picture (libjpeg pads the missing rows).
    EXPECT_TRUE(MakeReducedImageInMemory({ImageKind::Jpeg, dir / "short.jpg", {100, 75}}).ok);
    // Replaced by a FIFO since the probe: never opened, so nothing blocks.
    ASSERT_EQ(mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
    EXPECT_FALSE(MakeReducedImageInMemory({ImageKind::Jpeg, dir / "fifo.jpg", {100, 75}}).ok);
    EXPECT_FALSE(MakeReducedImageInMemory({ImageKind::Gif, dir / "fifo.jpg", {100, 75}}).ok);

    // During a run: each image deletes the next one's source as its cell is
    // written; every image keeps its cell whatever the workers saw.
    std::string folder = dir.Make("album/sel");
    for (int i = 0; i < 8; ++i) WriteFile(folder + "/i" + std::to_string(i) + ".jpg", jpeg);
    class DeletingView : public RunView {
    public:
        std::string folder;
        void ShowStatus(std::string_view name, int32_t, int32_t, std::string_view) override {
            int n = std::stoi(std::string(name.substr(1)));
            unlink((folder + "/i" + std::to_string(n + 1) + ".jpg").c_str());
        }
    } view;
    view.folder = folder;
    GenerationOptions options;
    FolderListWriter writer(options, view);
    writer.SetSelectedFolder(folder);
    writer.SetReducedImageJobs(1);
    ASSERT_TRUE(writer.MakeList(kReducedList, 6, 200).saved());
    EXPECT_TRUE(FileExists(dir / "album/i0.jpg"));
}

TEST(HardeningTest, UnreadableFoldersAndSettingsFiles) {
    TempDir dir;
    std::string folder = dir.Make("locked");
    WriteFile(folder + "/a.jpg", SmallJpeg(10, 10));
    ASSERT_EQ(chmod(folder.c_str(), 0), 0);
    WriteFile(dir / "settings.INI", "[Parameters]\r\nMaxPixel=300\r\n");
    ASSERT_EQ(chmod((dir / "settings.INI").c_str(), 0), 0);
    int result = WithoutPrivileges([&] {
        GenerationOptions options;
        MessageView view;
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        if (writer.MakeList(kFullSizeList, 6, 200).status != PageStatus::FolderUnreadable) return 1;
        // An unreadable settings file reads as missing and is never replaced.
        if (ReadPrivateProfileString("Parameters", "MaxPixel", "200", kProfileBufferSize, dir / "settings.INI") !=
            "200")
            return 2;
        if (WritePrivateProfileString("Parameters", "MaxPixel", "10", dir / "settings.INI")) return 3;
        return 0;
    });
    EXPECT_EQ(result, 0);
    chmod((dir / "settings.INI").c_str(), 0600);
    EXPECT_EQ(ReadFile(dir / "settings.INI"), "[Parameters]\r\nMaxPixel=300\r\n");
}

}  // namespace
}  // namespace htmlimglist
