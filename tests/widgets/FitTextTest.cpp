#include "widgets/FitText.h"

#include <QLabel>

#include <gtest/gtest.h>

#include "qt/QtTestApp.h"
#include "widgets/JapaneseFonts.h"

namespace htmlimglist {
namespace {

TEST(FitTextTest, AFontStepsDownOnlyUntilTheCaptionFits) {
    test::QtTestApp();
    struct Case {
        const char* text;
        int width, height, pixelSize;
        bool framed;
        int minimum;
        bool expectedFit;
        bool expectedShrink;
    };
    const Case cases[] = {
        {"Ver 2.00", 69, 19, 19, false, 6, true, true},     // the version line of the about box
        {"Ver 2.00", 120, 19, 19, false, 6, true, false},   // room enough: the design font stays
        {"HTMLﾘｽﾄ名", 62, 12, 12, false, 6, true, true},
        {"ﾘｽﾄ名", 62, 12, 12, false, 6, true, false},
        {"Ver 2.00", 60, 19, 19, true, 6, true, true},      // a frame and its indent take room
        {"a very long caption indeed", 40, 12, 12, false, 9, false, true},  // not even at the minimum
        {"Ver 2.00", 69, 8, 19, false, 6, true, true},      // too low: the height decides
    };
    for (const Case& c : cases) {
        QWidget owner;
        owner.setFont(JapaneseFont(JapaneseFace::PGothic, 12));
        auto* label = new QLabel(QString::fromUtf8(c.text), &owner);
        label->setGeometry(0, 0, c.width, c.height);
        if (c.framed) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setFont(JapaneseFont(JapaneseFace::PGothic, c.pixelSize));
        const std::string name = std::string(c.text) + " in " + std::to_string(c.width) + "x" + std::to_string(c.height);

        EXPECT_EQ(FitLabelFont(*label, c.minimum), c.expectedFit) << name;
        const int size = label->font().pixelSize();
        if (!c.expectedShrink) {
            EXPECT_EQ(size, c.pixelSize) << name;
        } else if (c.expectedFit) {
            EXPECT_LT(size, c.pixelSize) << name;
            EXPECT_TRUE(TextFits(*label, label->font())) << name;
            QFont larger = label->font();
            larger.setPixelSize(size + 1);
            EXPECT_FALSE(TextFits(*label, larger)) << name << ": a larger font fits too";
        } else {
            EXPECT_EQ(size, c.minimum) << name;
        }
    }
}

TEST(FitTextTest, AlignmentAndLinesAreMeasuredAsTheLabelDrawsThem) {
    test::QtTestApp();
    QWidget owner;
    auto* label = new QLabel(QStringLiteral("Ver 2.00"), &owner);
    label->setFont(JapaneseFont(JapaneseFace::PGothic, 19));
    label->setGeometry(0, 0, 100, 19);
    for (Qt::Alignment align : {Qt::AlignLeft | Qt::AlignVCenter, Qt::Alignment(Qt::AlignCenter), Qt::AlignRight | Qt::AlignBottom}) {
        label->setAlignment(align);
        EXPECT_TRUE(TextFits(*label, label->font())) << int(align);
    }
    label->setText(QStringLiteral("Ver 2.00\nVer 2.00"));  // two lines do not fit one line's height
    EXPECT_FALSE(TextFits(*label, label->font()));
    label->resize(100, 44);
    EXPECT_TRUE(TextFits(*label, label->font()));
}

}  // namespace
}  // namespace htmlimglist
