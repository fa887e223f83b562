#include "listgen/formats/Exif.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Fixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

int OrientationOf(const std::string& data) { return LookForExifOrientation(Bytes(data), data.size()).orientation; }

// Bytes from the start of the data to the end of IFD0's last entry.
std::size_t EntriesEnd(const ExifRecipe& recipe) {
    return 6 + 8 + recipe.gapBeforeIfd0 + 2 + 12 * std::size_t(recipe.entries);
}

TEST(ExifTest, EveryValueInBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        for (int tagIndex : {1, 5}) {  // among the entries, and last of them
            for (int value = 1; value <= 8; ++value) {
                SCOPED_TRACE(testing::Message() << (bigEndian ? "MM" : "II") << " tag at " << tagIndex << " value "
                                                << value);
                ExifRecipe recipe;
                recipe.bigEndian = bigEndian;
                recipe.tagIndex = tagIndex;
                recipe.entries = 6;
                recipe.orientation = value;
                recipe.trailing = 200;
                EXPECT_EQ(OrientationOf(ExifData(recipe)), value);
            }
        }
    }
}

// Every case would read 6 if its damage went unnoticed.
TEST(ExifTest, DamagedOrOddBlocksCountAsUpright) {
    ExifRecipe good;
    good.orientation = 6;
    good.tagIndex = 3;
    good.entries = 5;
    ASSERT_EQ(OrientationOf(ExifData(good)), 6);
    const std::size_t tiffLength = ExifData(good).size() - 6;

    auto with = [&](auto change) {
        ExifRecipe recipe = good;
        change(recipe);
        return ExifData(recipe);
    };
    auto patched = [&](std::size_t at, const std::string& bytes) {
        std::string data = ExifData(good);
        return data.replace(at, bytes.size(), bytes);
    };
    // IFD0 without the tag, linking to an IFD1 (a thumbnail's) that has it.
    std::string tagInIfd1 = with([&](ExifRecipe& s) {
        s.tagIndex = -1;
        s.nextIfd = uint32_t(tiffLength);
    });
    tagInIfd1 += ExifData(good).substr(14);

    const struct {
        const char* what;
        std::string data;
    } cases[] = {
        {"identifier EXIF", with([](ExifRecipe& s) { s.identifier = std::string("EXIF\0\0", 6); })},
        {"identifier without its second zero", with([](ExifRecipe& s) { s.identifier = std::string("Exif\0x", 6); })},
        {"no identifier", ExifData(good).substr(6)},
        {"byte order IM", patched(6, "IM")},
        {"43 instead of 42", patched(8, "\x2B")},
        {"IFD0 inside the TIFF header", with([](ExifRecipe& s) { s.ifd0Offset = 4; })},
        {"IFD0 at the segment's end", with([&](ExifRecipe& s) { s.ifd0Offset = int64_t(tiffLength); })},
        {"IFD0 offset 0xFFFFFFFF", with([](ExifRecipe& s) { s.ifd0Offset = 0xFFFFFFFF; })},
        {"IFD0 offset that wraps 32 bits", with([](ExifRecipe& s) { s.ifd0Offset = 0xFFFFFFFA; })},
        {"entry count one too many", with([](ExifRecipe& s) { s.entryCount = 6; })},
        {"entry count 0xFFFF", with([](ExifRecipe& s) { s.entryCount = 0xFFFF; })},
        {"entry count 0", with([](ExifRecipe& s) { s.entryCount = 0; })},
        {"tag count 0", with([](ExifRecipe& s) { s.count = 0; })},
        {"tag count 2", with([](ExifRecipe& s) { s.count = 2; })},
        {"type LONG", with([](ExifRecipe& s) { s.type = 4; })},  // little-endian: its first two bytes read 6
        {"type BYTE", with([](ExifRecipe& s) { s.type = 1; })},
        {"value 0", with([](ExifRecipe& s) { s.orientation = 0; })},
        {"value 9", with([](ExifRecipe& s) { s.orientation = 9; })},
        {"value 0x0106", with([](ExifRecipe& s) { s.orientation = 0x0106; })},
        {"no tag, IFD0 linked to itself", with([](ExifRecipe& s) {
             s.tagIndex = -1;
             s.nextIfd = 8;
         })},
        {"tag only in IFD1", tagInIfd1},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OrientationOf(c.data), 1);
    }
}

TEST(ExifTest, CutBlocksCountAsUprightUntilIfd0IsWhole) {
    for (bool bigEndian : {false, true}) {
        ExifRecipe recipe;
        recipe.bigEndian = bigEndian;
        recipe.orientation = 8;
        recipe.tagIndex = 0;  // found early, yet the whole IFD0 must lie in the segment
        recipe.entries = 4;
        recipe.trailing = 16;
        const std::string data = ExifData(recipe);
        for (std::size_t n = 0; n <= data.size(); ++n) {
            SCOPED_TRACE(testing::Message() << (bigEndian ? "MM" : "II") << " cut at " << n);
            EXPECT_EQ(OrientationOf(data.substr(0, n)), n < EntriesEnd(recipe) ? 1 : 8);
        }
    }
}

// The date a photo was taken, read with its orientation from one block:
// through IFD0's pointer to the Exif IFD, also where that lies past the first
// KiB; nothing for a block without it, a date of no date, or a cut block.
TEST(ExifTest, DateTakenThroughTheExifIfd) {
    const struct {
        const char* what;
        ExifRecipe recipe;
        std::size_t cutTo;  // 0: whole
        const char* date;
        int orientation;
    } cases[] = {
        {"little-endian", {.orientation = 6, .dateTaken = "2024:05:01 12:34:56"}, 0, "2024:05:01 12:34:56", 6},
        {"big-endian", {.bigEndian = true, .orientation = 3, .dateTaken = "1999:12:31 23:59:59"}, 0,
         "1999:12:31 23:59:59", 3},
        {"no Exif IFD", {.orientation = 8}, 0, "", 8},
        {"a date of zeros", {.dateTaken = "0000:00:00 00:00:00"}, 0, "", 1},
        {"blanks", {.dateTaken = "    :  :     :  :  "}, 0, "", 1},
        {"past the first KiB", {.orientation = 6, .dateTaken = "2020:02:02 02:02:02", .gapBeforeExifIfd = 3000}, 0,
         "2020:02:02 02:02:02", 6},
        {"cut inside the date", {.orientation = 6, .dateTaken = "2020:02:02 02:02:02"}, 10, "", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string data = ExifData(c.recipe);
        if (c.cutTo != 0) data.resize(data.size() - c.cutTo);
        MemoryProbeSource source(data);
        const ExifFacts facts = ReadExifFacts(source, 0, data.size(), ExifLayout::AfterIdentifier, true);
        EXPECT_EQ(facts.dateTaken, c.date);
        EXPECT_EQ(facts.orientation, c.orientation);
        EXPECT_EQ(ReadExifFacts(source, 0, data.size(), ExifLayout::AfterIdentifier, false).dateTaken, "")
            << "read only when asked";
    }
}

}  // namespace
}  // namespace htmlimglist
