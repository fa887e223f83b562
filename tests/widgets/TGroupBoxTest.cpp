#include "widgets/TGroupBox.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include "qt/Drawing.h"
#include "qt/QtTestApp.h"
#include "widgets/JapaneseFonts.h"

namespace htmlimglist {
namespace {

TEST(TGroupBoxTest, CaptionOnTheTopEdgeAndFrameAtHalfItsHeightClearTheFirstRow) {
    test::QtTestApp();
    QWidget owner;
    owner.setFont(JapaneseFont(JapaneseFace::PGothic, 12));
    TGroupBox box(QStringLiteral("ﾘｽﾄ内表示"), &owner);
    box.setGeometry(212, 92, 173, 133);
    QCheckBox first(QStringLiteral("Next/Prevの作成(&N)"), &box);
    first.setGeometry(8, 12, 137, 17);
    owner.show();

    EXPECT_EQ(first.geometry(), QRect(8, 12, 137, 17)) << "the box moved its child";
    EXPECT_EQ(box.CaptionRect().top(), 0);
    EXPECT_EQ(box.FrameTop(), box.fontMetrics().height() / 2);

    const QImage drawing = test::OwnDrawing(box);
    EXPECT_EQ(test::DrawnPixels(drawing, first.geometry()), 0) << "frame or caption under the first check box";
    EXPECT_GT(test::DrawnPixels(drawing, box.CaptionRect()), 0) << "no caption";
    EXPECT_GT(test::DrawnPixels(drawing, QRect(0, box.FrameTop(), 4, 1)), 0) << "no frame line left of the caption";
    EXPECT_GT(test::DrawnPixels(drawing, QRect(0, box.height() - 2, box.width(), 2)), 0) << "no bottom line";
}

}  // namespace
}  // namespace htmlimglist
