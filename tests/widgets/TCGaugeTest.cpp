#include "widgets/TCGauge.h"

#include <gtest/gtest.h>

#include "qt/QtTestApp.h"

namespace htmlimglist {
namespace {

class GaugeTest : public ::testing::Test {
protected:
    void SetUp() override { test::QtTestApp(); }
};

// The main window's bar: no frame, blue on white.
void MakeWindowBar(TCGauge& gauge, int width, int height) {
    gauge.resize(width, height);
    gauge.SetBorderStyle(bsNone);
    gauge.SetForeColor(Qt::blue);
}

bool ColumnIs(const QImage& image, int x, QColor colour) {
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) != colour) return false;
    }
    return true;
}

bool RowIs(const QImage& image, int y, QColor colour) {
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != colour) return false;
    }
    return true;
}

// Counts pixels of each of two colours; any third colour counts as other.
struct ColourCount {
    int first = 0, second = 0, other = 0;
};
ColourCount Count(const QImage& image, QColor first, QColor second) {
    ColourCount count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            (c == first ? count.first : c == second ? count.second : count.other)++;
        }
    }
    return count;
}

TEST_F(GaugeTest, PercentIsTheFloorOfTheExactQuotient) {
    TCGauge gauge;
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.Kind(), gkHorizontalBar);
    EXPECT_EQ(gauge.BorderStyle(), bsSingle);
    EXPECT_EQ(gauge.width(), 100);
    gauge.SetMaxValue(3);
    gauge.SetProgress(1);
    EXPECT_EQ(gauge.GetPercentDone(), 33);
    gauge.SetProgress(2);
    EXPECT_EQ(gauge.GetPercentDone(), 66);

    // A range wider than 32 bits still gives an exact answer.
    gauge.SetMinValue(-2147483647);
    gauge.SetMaxValue(2147483647);
    gauge.SetProgress(0);
    EXPECT_EQ(gauge.GetPercentDone(), 50);
    gauge.SetProgress(2147483647);
    EXPECT_EQ(gauge.GetPercentDone(), 100);

    // Degenerate range: no division, 0 %.
    TCGauge flat;
    flat.SetMinValue(100);
    EXPECT_EQ(flat.MinValue(), 100);
    EXPECT_EQ(flat.Progress(), 100);
    EXPECT_EQ(flat.GetPercentDone(), 0);
}

TEST_F(GaugeTest, FillExtentIsExact) {
    EXPECT_EQ(TCGauge::FillExtent(29, 100), 29);  // 29 * 0.01 * 100 in doubles is 28.999...
    EXPECT_EQ(TCGauge::FillExtent(50, 478), 239);
    EXPECT_EQ(TCGauge::FillExtent(100, 478), 478);
    EXPECT_EQ(TCGauge::FillExtent(33, 7), 2);
    EXPECT_EQ(TCGauge::FillExtent(0, 478), 0);
}

TEST_F(GaugeTest, ProgressRepaintsOnlyWhenTheWholePercentChanges) {
    TCGauge gauge;
    gauge.SetMaxValue(1000);
    gauge.SetProgress(10);
    int before = gauge.RepaintCount();
    gauge.SetProgress(11);  // 1 % -> 1 %
    EXPECT_EQ(gauge.Progress(), 11);
    EXPECT_EQ(gauge.RepaintCount(), before);
    gauge.SetProgress(19);
    before = gauge.RepaintCount();
    gauge.SetProgress(20);  // 1 % -> 2 %
    EXPECT_EQ(gauge.RepaintCount(), before + 1);
    gauge.SetProgress(20);  // unchanged
    EXPECT_EQ(gauge.RepaintCount(), before + 1);
    gauge.AddProgress(1);  // always repaints
    EXPECT_EQ(gauge.Progress(), 21);
    EXPECT_EQ(gauge.RepaintCount(), before + 2);
}

TEST_F(GaugeTest, SettersClampIgnoreAndRefuse) {
    TCGauge gauge;
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);

    int repaints = gauge.RepaintCount();
    gauge.SetMaxValue(0);  // ignored entirely
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.RepaintCount(), repaints);
    gauge.SetMaxValue(100);  // unchanged, yet stored and repainted
    EXPECT_EQ(gauge.RepaintCount(), repaints + 1);

    gauge.SetProgress(8);
    gauge.SetMaxValue(5);
    EXPECT_EQ(gauge.Progress(), 5);
    gauge.SetMaxValue(100);

    try {
        gauge.SetMinValue(101);
        ADD_FAILURE() << "a minimum above the maximum was taken";
    } catch (const GaugeRangeError& error) {
        EXPECT_STREQ(error.what(), "-2147483647 から 99 の間の値でなければなりません");
    }
    EXPECT_EQ(gauge.MinValue(), 0);
    gauge.SetMinValue(10);
    try {
        gauge.SetMaxValue(9);
        ADD_FAILURE() << "a maximum below the minimum was taken";
    } catch (const GaugeRangeError& error) {
        EXPECT_STREQ(error.what(), "11 から 2147483647 の間の値でなければなりません");
    }
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.Progress(), 10);  // raised with the minimum

    repaints = gauge.RepaintCount();
    gauge.SeTCGaugeKind(gkHorizontalBar);
    gauge.SetShowText(true);
    gauge.SetBorderStyle(bsSingle);
    gauge.SetForeColor(Qt::black);
    gauge.SetBackColor(Qt::white);
    EXPECT_EQ(gauge.RepaintCount(), repaints) << "setting a property to its value repaints";
    gauge.SeTCGaugeKind(gkPie);
    EXPECT_EQ(gauge.RepaintCount(), repaints + 1);
}

TEST_F(GaugeTest, HorizontalBarFillsWholeColumnsFromTheLeft) {
    TCGauge gauge;
    MakeWindowBar(gauge, 477, 20);
    gauge.SetShowText(false);

    gauge.SetProgress(100);
    QImage image = gauge.PaintToImage();
    ASSERT_EQ(image.size(), QSize(477, 20));
    EXPECT_EQ(Count(image, Qt::blue, Qt::white).first, 477 * 20);

    gauge.SetProgress(50);  // w is 478, f is 239: columns 0..238
    image = gauge.PaintToImage();
    EXPECT_TRUE(ColumnIs(image, 0, Qt::blue));
    EXPECT_TRUE(ColumnIs(image, 238, Qt::blue));
    EXPECT_TRUE(ColumnIs(image, 239, Qt::white));
    EXPECT_TRUE(ColumnIs(image, 476, Qt::white));

    gauge.SetProgress(0);
    EXPECT_EQ(Count(gauge.PaintToImage(), Qt::blue, Qt::white).second, 477 * 20);
}

TEST_F(GaugeTest, SingleBorderLeavesABlackFrame) {
    TCGauge gauge;
    gauge.resize(50, 10);
    gauge.SetShowText(false);
    gauge.SetForeColor(Qt::red);
    gauge.SetProgress(100);
    const QImage image = gauge.PaintToImage();
    EXPECT_TRUE(RowIs(image, 0, Qt::black));
    EXPECT_TRUE(RowIs(image, 9, Qt::black));
    EXPECT_TRUE(ColumnIs(image, 0, Qt::black));
    EXPECT_TRUE(ColumnIs(image, 49, Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(48, 8), QColor(Qt::red));
}

TEST_F(GaugeTest, FullVerticalBarLeavesItsTopRowUnfilled) {
    TCGauge gauge;
    MakeWindowBar(gauge, 20, 50);
    gauge.SetShowText(false);
    gauge.SeTCGaugeKind(gkVerticalBar);
    gauge.SetProgress(100);
    QImage image = gauge.PaintToImage();
    EXPECT_TRUE(RowIs(image, 0, Qt::white));
    EXPECT_TRUE(RowIs(image, 1, Qt::blue));
    EXPECT_TRUE(RowIs(image, 49, Qt::blue));

    gauge.SetProgress(50);  // h is 51, f is 25: rows 26..50
    image = gauge.PaintToImage();
    EXPECT_TRUE(RowIs(image, 25, Qt::white));
    EXPECT_TRUE(RowIs(image, 26, Qt::blue));
}

TEST_F(GaugeTest, PercentTextShowsInTheInverseColour) {
    TCGauge gauge;
    MakeWindowBar(gauge, 477, 20);

    gauge.SetProgress(100);  // "100%" over the full blue bar: yellow
    ColourCount count = Count(gauge.PaintToImage(), Qt::blue, Qt::yellow);
    EXPECT_GT(count.second, 10);
    EXPECT_EQ(count.other, 0);

    gauge.SetProgress(0);  // "0%" on white: black
    count = Count(gauge.PaintToImage(), Qt::white, Qt::black);
    EXPECT_GT(count.second, 5);
    EXPECT_EQ(count.other, 0);

    // Centred: the text lies around the middle column, not at an edge.
    const QImage image = gauge.PaintToImage();
    EXPECT_TRUE(ColumnIs(image, 0, Qt::white));
    EXPECT_TRUE(ColumnIs(image, 476, Qt::white));
}

TEST_F(GaugeTest, PieGrowsClockwiseFromTwelveOClock) {
    TCGauge gauge;
    MakeWindowBar(gauge, 101, 101);
    gauge.SetShowText(false);
    gauge.SeTCGaugeKind(gkPie);
    gauge.SetProgress(25);
    const QImage image = gauge.PaintToImage();
    EXPECT_EQ(image.pixelColor(75, 25), QColor(Qt::blue)) << "upper right quadrant";
    EXPECT_EQ(image.pixelColor(25, 25), QColor(Qt::white)) << "upper left quadrant";
    EXPECT_EQ(image.pixelColor(75, 75), QColor(Qt::white)) << "lower right quadrant";
    EXPECT_EQ(image.pixelColor(0, 0), gauge.Color()) << "corner outside the ellipse";
}

TEST_F(GaugeTest, NeedlePointsUpAtHalfway) {
    TCGauge gauge;
    MakeWindowBar(gauge, 101, 51);
    gauge.SetShowText(false);
    gauge.SeTCGaugeKind(gkNeedle);
    gauge.SetProgress(50);
    const QImage image = gauge.PaintToImage();
    // cos(pi/2) is a hair above 0 in doubles, so the tip lands on column 49.
    EXPECT_TRUE(image.pixelColor(49, 20) == QColor(Qt::blue) || image.pixelColor(50, 20) == QColor(Qt::blue))
        << "the needle";
    EXPECT_EQ(image.pixelColor(75, 20), QColor(Qt::white)) << "the dial right of the needle";
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white)) << "the dial";
}

}  // namespace
}  // namespace htmlimglist
