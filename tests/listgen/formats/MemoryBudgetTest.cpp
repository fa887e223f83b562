// One budget for the memory of every decode running at once: what is asked
// for beyond it waits for the others, what is more than all of it is
// refused, and a wait ends when the run is stopped.
#include "listgen/formats/MemoryBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/Decoding.h"
#include "support/JpegFixtures.h"
#include "support/PngFixtures.h"
#include "support/VideoFixtures.h"

namespace htmlimglist {
namespace {

using namespace test;

TEST(MemoryBudgetTest, WaitsForTheOthersAndRefusesWhatIsMoreThanAllOfIt) {
    MemoryBudget budget(100);
    EXPECT_EQ(budget.Take(101, nullptr), MemoryBudget::Answer::TooLarge);
    ASSERT_EQ(budget.Take(70, nullptr), MemoryBudget::Answer::Granted);

    std::atomic<bool> granted{false};
    std::thread second([&] {
        granted = budget.Take(60, nullptr) == MemoryBudget::Answer::Granted;
        budget.Give(60);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(granted.load()) << "70 + 60 is over 100: the second waits";
    budget.Give(70);
    second.join();
    EXPECT_TRUE(granted.load());
    EXPECT_EQ(budget.Held(), 0);

    ASSERT_EQ(budget.Take(100, nullptr), MemoryBudget::Answer::Granted);
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(budget.Take(1, &cancel), MemoryBudget::Answer::Cancelled);
    budget.Give(100);
}

// Decodes that hold a whole picture take it from the budget: a progressive
// JPEG its coefficients, an interlaced PNG its rows, a video its frame. One that needs more than
// the whole budget is refused for its size, and reports so.
TEST(MemoryBudgetTest, DecodesThatHoldAWholePictureAskTheBudget) {
    const struct {
        const char* what;
        ImageKind kind;
        std::string bytes;
        int64_t needs;  // at least this much is asked for
    } cases[] = {
        {"progressive JPEG", ImageKind::Jpeg, MakeJpeg({320, 240, Chroma::S444, JpegColor::Rgb, true}), 3 * 320 * 240 * 2},
        {"interlaced PNG", ImageKind::Png, MakePng({320, 240, PngColour::Rgb, 8, true}), 3 * 320 * 240},
        {"video", ImageKind::Video, Clip({}), 3 * 64 * 48},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool enough : {true, false}) {
            MemoryBudget budget(enough ? 64 << 20 : c.needs - 1);
            DecodeControl control;
            control.budget = &budget;
            Bitmap out;
            DecodeReport report;
            EXPECT_EQ(DecodeReducedImage(c.kind, FromBytes(c.bytes), ReduceTarget{32, 24}, control, out, report), enough)
                << report.error;
            EXPECT_EQ(report.overLimit, !enough);
            EXPECT_EQ(budget.Held(), 0) << "given back";
        }
    }
}

}  // namespace
}  // namespace htmlimglist
