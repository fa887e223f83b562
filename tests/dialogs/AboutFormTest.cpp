#include "dialogs/TAboutForm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/CaptionFit.h"
#include "qt/QtTestApp.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {
namespace {

TEST(AboutFormTest, ShowsTheToolAndClosesOnlyWithOkOrTheWindow) {
    test::QtTestApp();
    QWidget owner;
    owner.setGeometry(100, 100, 601, 401);
    TAboutForm form(&owner);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(form.size(), QSize(381, 141));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("HTML画像ﾘｽﾄ作成ﾂｰﾙ"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Ver 2.00"));
    EXPECT_FALSE(form.Label3->text().isEmpty());
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form.pos(), QPoint(100 + (601 - 381) / 2, 100 + (401 - 141) / 2));

    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible()) << "Esc closed a box without a cancel button";
    form.close();
    EXPECT_EQ(form.result(), TAboutForm::kResultClosed);

    form.show();
    form.BitBtn1->click();
    EXPECT_EQ(form.result(), TAboutForm::kResultOk);
    EXPECT_FALSE(form.isVisible());
}

TEST(AboutFormTest, EveryCaptionShowsWholeInBothLanguages) {
    test::QtTestApp();
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        ASSERT_TRUE(InstallUiLanguage(language));
        TAboutForm form(nullptr);
        EXPECT_EQ(test::CutCaptions(form), std::vector<std::string>());
        // The version line is taller than the others and the design font
        // too wide for it: it gets a smaller one.
        EXPECT_LT(form.Label2->font().pixelSize(), 19);
        EXPECT_EQ(form.Label3->font().pixelSize(), 12) << "the line under the icon shrank";
    }
}

}  // namespace
}  // namespace htmlimglist
