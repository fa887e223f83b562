// Reduced copies keep their source's colour profile: from a JPEG's APP2
// segments (one or several), PNG's iCCP, WebP's ICCP and HEIF's colr, the
// copy's APP2 ICC_PROFILE segments, put together, hold the same bytes; a
// HEIF that names P3 primaries by numbers gets a P3 profile. A source
// without a profile gets the copy it always got, and a copy made before
// copies kept profiles is made again once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "listgen/copies/CopyRecord.h"
#include "listgen/copies/JpegEncoder.h"
#include "listgen/FolderListWriter.h"
#include "support/Decoding.h"
#include "support/HeifFixtures.h"
#include "support/JpegFixtures.h"
#include "support/PngFixtures.h"
#include "support/TempDir.h"
#include "support/WebpFixtures.h"

#include <lcms2.h>
#include <zlib.h>

namespace htmlimglist {
namespace {

using namespace test;

// A real RGB profile (libpng checks what it inflates), its three curves
// (each a little different, so that each is stored) tabulated with
// `entries` points each, so that its size can be chosen: 16 entries give
// about 600 bytes, 30000 about 180 KB (three JPEG segments).
std::string Profile(int entries) {
    cmsToneCurve* curves[3];
    for (int c = 0; c < 3; ++c) {
        std::vector<cmsUInt16Number> table(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i)
            table[std::size_t(i)] = cmsUInt16Number(std::min(65535.0, 65535.0 * i / (entries - 1) + c));
        curves[c] = cmsBuildTabulatedToneCurve16(nullptr, cmsUInt32Number(entries), table.data());
    }
    const cmsCIExyY white = {0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    for (cmsToneCurve* curve : curves) cmsFreeToneCurve(curve);
    return bytes;
}

std::string Be16(std::size_t v) { return {char(v >> 8), char(v & 0xFF)}; }

enum class IccPlace { AfterJfif, AfterFrame, PartMissing };

// The JPEG with the profile in APP2 segments of at most `part` bytes each,
// right after its JFIF segment, or after its frame header (where libjpeg
// reads them too), or with its last part left out.
std::string JpegWith(const std::string& jpeg, const std::string& profile, std::size_t part = 65519,
                     IccPlace place = IccPlace::AfterJfif) {
    std::string segments;
    const std::size_t count = (profile.size() + part - 1) / part;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string piece = profile.substr(i * part, part);
        if (place != IccPlace::PartMissing || i + 1 < count)
            segments += "\xFF\xE2" + Be16(2 + 14 + piece.size()) + std::string("ICC_PROFILE\0", 12) + char(i + 1) +
                        char(count) + piece;
    }
    std::size_t at = 4 + (std::size_t(uint8_t(jpeg[4])) << 8 | uint8_t(jpeg[5]));
    if (place == IccPlace::AfterFrame) {
        at = jpeg.find("\xFF\xC0");
        at += 2 + (std::size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]));
    }
    return jpeg.substr(0, at) + segments + jpeg.substr(at);
}

// iCCP: a name, compression method 0, the deflated profile.
std::string PngWith(const std::string& profile) {
    uLongf size = compressBound(uLong(profile.size()));
    std::string deflated(size, '\0');
    compress(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(profile.data()),
             uLong(profile.size()));
    deflated.resize(size);
    PngRecipe recipe{64, 48};
    recipe.beforeImage = PngChunk("iCCP", std::string("test\0\0", 6) + deflated);
    return MakePng(recipe);
}

// The extended form: VP8X with its ICC flag, ICCP, then the picture.
std::string WebpWith(const std::string& profile) {
    const std::string plain = MakeWebp({64, 48});
    const std::string vp8x = std::string(1, '\x20') + std::string(3, '\0') + LittleEndian(63, 3) + LittleEndian(47, 3);
    return WebpRiff(WebpChunk("VP8X", vp8x) + WebpChunk("ICCP", profile) + plain.substr(12));
}

// The copy's profile, its APP2 parts put together in order.
std::string ProfileOfCopy(const std::string& jpeg) {
    std::string profile;
    for (std::size_t at = 2; at + 4 <= jpeg.size() && uint8_t(jpeg[at]) == 0xFF && uint8_t(jpeg[at + 1]) != 0xDA;) {
        const std::size_t length = std::size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]);
        if (uint8_t(jpeg[at + 1]) == 0xE2 && jpeg.compare(at + 4, 12, std::string("ICC_PROFILE\0", 12)) == 0)
            profile += jpeg.substr(at + 4 + 14, length - 16);
        at += 2 + length;
    }
    return profile;
}

class ColourProfileTest : public ::testing::Test {
protected:
    TempDir dir;
    GenerationOptions options;
    RunView view;
    std::string parent = dir.Make("album");
    std::string folder = dir.Make("album/pictures");

    void SetUp() override {
        options.MakeSmallImage = true;
        options.MoreImageTypes = true;
    }
    void Run() {
        FolderListWriter writer(options, view);
        writer.SetSelectedFolder(folder);
        writer.SetReducedImageJobs(2);
        ASSERT_TRUE(writer.MakeList(kReducedList, 6, 40).saved());
    }
};

TEST_F(ColourProfileTest, CopiesCarryTheSourcesProfileUnchanged) {
    const std::string small = Profile(16), large = Profile(30000);
    ASSERT_GT(large.size(), 2 * 65519u);
    const struct {
        const char* name;
        std::string bytes;
        std::string profile;
    } sources[] = {
        {"one-segment.jpg", JpegWith(MakeJpeg({64, 48}), small), small},
        {"three-segments.jpg", JpegWith(MakeJpeg({64, 48}), large), large},
        {"odd-segments.jpg", JpegWith(MakeJpeg({64, 48}), large, 1000), large},
        {"after-frame.jpg", JpegWith(MakeJpeg({64, 48}), small, 65519, IccPlace::AfterFrame), small},
        {"profile.png", PngWith(large), large},
        {"profile.webp", WebpWith(small), small},
        {"profile.heic", MakeHeif({.icc = small}), small},
        {"profile.avif", MakeHeif({.av1 = true, .icc = large}), large},
    };
    for (const auto& s : sources) WriteFile(folder + "/" + s.name, s.bytes);
    Run();
    for (const auto& s : sources) {
        SCOPED_TRACE(s.name);
        const std::string copy = ReadFile(parent + "/" + s.name);
        const std::string carried = ProfileOfCopy(copy);
        EXPECT_TRUE(carried == s.profile) << carried.size() << " bytes carried of " << s.profile.size();
        const auto record = ParseCopyRecord(std::string(FindCopyRecordText(copy).value_or("")));
        ASSERT_TRUE(record.has_value());
        EXPECT_TRUE(record->colourProfile);
    }
}

// Without a profile the copy is what the encoder always wrote: the record,
// then the picture, no APP2 segment.
TEST_F(ColourProfileTest, SourcesWithoutAProfileGetTheCopyTheyAlwaysGot) {
    const struct {
        const char* name;
        ImageKind kind;
        std::string bytes;
    } sources[] = {
        {"plain.jpg", ImageKind::Jpeg, MakeJpeg({64, 48})},
        {"plain.png", ImageKind::Png, MakePng({64, 48})},
        {"plain.webp", ImageKind::Webp, MakeWebp({64, 48})},
        {"plain.heic", ImageKind::Heic, MakeHeif({64, 48})},
        // A profile without its last part is no profile, to libjpeg and so
        // to the probe.
        {"part-missing.jpg", ImageKind::Jpeg, JpegWith(MakeJpeg({64, 48}), Profile(30000), 65519, IccPlace::PartMissing)},
    };
    for (const auto& s : sources) WriteFile(folder + "/" + s.name, s.bytes);
    Run();
    for (const auto& s : sources) {
        SCOPED_TRACE(s.name);
        const std::string copy = ReadFile(parent + "/" + s.name);
        const std::string record(FindCopyRecordText(copy).value_or(""));
        EXPECT_EQ(record.find("ICC"), std::string::npos) << record;
        Bitmap picture;
        ASSERT_TRUE(DecodeScaled(s.kind, FromBytes(s.bytes), 40, 30, picture));
        std::string expected;
        ASSERT_TRUE(EncodeJpeg(picture, kCopyQuality, expected, record));
        EXPECT_TRUE(copy == expected);
    }
}

// Colours given as numbers: P3 and BT.2020 primaries get their profile,
// sRGB's none; an ICC profile over 1 MiB is dropped.
TEST_F(ColourProfileTest, HeifColourNumbersGetTheMatchingProfileAndHugeProfilesAreDropped) {
    const std::string corpus = HTMLIMGLIST_CORPUS "/heic-valid/";
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    const struct {
        const char* name;
        const char* description;  // in the profile's desc tag; empty: no profile
    } files[] = {
        {"derived-hevc32-nclx-p3.heif", "Display P3"},
        {"derived-hevc32-nclx-bt2020.heif", "BT.2020"},
        {"libheif-hevc32.heif", ""},
        {"derived-rgb8-128-icc-over-1MiB.heif", ""},
    };
    for (const auto& f : files) std::filesystem::copy_file(corpus + f.name, folder + "/" + f.name);
    Run();
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string profile = ProfileOfCopy(ReadFile(parent + "/" + f.name));
        if (*f.description == '\0') {
            EXPECT_TRUE(profile.empty());
            continue;
        }
        cmsHPROFILE read = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
        ASSERT_NE(read, nullptr);
        char text[64] = {};
        cmsGetProfileInfoASCII(read, cmsInfoDescription, "en", "US", text, sizeof text);
        EXPECT_STREQ(text, f.description);
        cmsCloseProfile(read);
    }
}

// A copy made before copies kept profiles has the same record but no ICC
// field: a rerun makes it again, once; a profile-less copy stays as it is.
TEST_F(ColourProfileTest, CopiesMadeWithoutTheProfileAreMadeAgainOnce) {
    WriteFile(folder + "/with.jpg", JpegWith(MakeJpeg({64, 48}), Profile(16)));
    WriteFile(folder + "/without.jpg", MakeJpeg({64, 48}));
    Run();
    const std::string withCopy = ReadFile(parent + "/with.jpg"), withoutCopy = ReadFile(parent + "/without.jpg");
    // The copies an earlier version made: the record without its ICC field,
    // no APP2 segment.
    const std::string record(FindCopyRecordText(withCopy).value_or(""));
    const std::string oldRecord = record.substr(0, record.find(" ICC=1"));
    ASSERT_NE(oldRecord, record);
    Bitmap picture;
    ASSERT_TRUE(DecodeScaled(ImageKind::Jpeg, FromFile(folder + "/with.jpg"), 40, 30, picture));
    std::string oldCopy;
    ASSERT_TRUE(EncodeJpeg(picture, kCopyQuality, oldCopy, oldRecord));
    WriteFile(parent + "/with.jpg", oldCopy);
    // Same times as the run leaves, so only the record decides.
    Run();
    EXPECT_TRUE(ReadFile(parent + "/with.jpg") == withCopy);
    EXPECT_TRUE(ReadFile(parent + "/without.jpg") == withoutCopy);
    EXPECT_FALSE(ParseCopyRecord(oldRecord)->colourProfile);
}

}  // namespace
}  // namespace htmlimglist
