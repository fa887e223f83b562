#include "dialogs/TSettingForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "dialogs/DialogPlacement.h"
#include "dialogs/SettingFields.h"
#include "listgen/SettingsFile.h"
#include "qt/CaptionFit.h"
#include "qt/Drawing.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {
namespace {

class SettingFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::QtTestApp();
        profile.SetFileName(dir / "htmlimglist.INI");
        profile.SetSection(kSettingsSection);
    }

    // Entry names of the settings file, in file order.
    std::vector<std::string> EntriesWritten() const {
        std::vector<std::string> names;
        if (!test::FileExists(dir / "htmlimglist.INI")) return names;
        std::istringstream lines(test::ReadFile(dir / "htmlimglist.INI"));
        for (std::string line; std::getline(lines, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) names.push_back(line.substr(0, equals));
        }
        return names;
    }
    std::string Entry(const char* name) {
        profile.SetEntry(name);
        profile.SetDefaultText("<absent>");
        return profile.GetText();
    }

    test::TempDir dir;
    TProfile profile;
    GenerationOptions options;
};

void MoveMouseOver(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

TEST_F(SettingFormTest, OpensWithTheRecordAndGreysTheDependentControls) {
    TSettingForm form(options, profile, nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("作成条件設定"));
    EXPECT_EQ(form.size(), QSize(393, 385));
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("index.html"));
    EXPECT_EQ(form.Edit3->text(), QStringLiteral("6"));
    EXPECT_EQ(form.Edit2->text(), QStringLiteral("200"));
    EXPECT_EQ(form.Edit4->text(), QStringLiteral("2"));
    EXPECT_EQ(form.Edit5->text(), QStringLiteral("640"));
    for (QCheckBox* box : form.findChildren<QCheckBox*>()) {
        const bool expected = box == form.CheckBox3 || box == form.CheckBox9 || box == form.CheckBox12;
        EXPECT_EQ(box->isChecked(), expected) << box->text().toStdString();
    }
    const std::vector<QWidget*> greyed = {form.CheckBox7, form.CheckBox9, form.Label4, form.Label5,
                                          form.Edit4,     form.Edit5,     form.CheckBox11};
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (control->parentWidget() != &form && control->parentWidget() != form.GroupBox1 &&
            control->parentWidget() != form.GroupBox2)
            continue;
        const bool off = std::find(greyed.begin(), greyed.end(), control) != greyed.end();
        EXPECT_EQ(control->isEnabled(), !off) << control->metaObject()->className();
    }
    EXPECT_TRUE(form.StatusText().isEmpty());
    EXPECT_EQ(form.BitBtn3->isDefault(), true);
    EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("縮小画像の作成(&S)"));
    EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("設定のみ(&1)"));
}

TEST_F(SettingFormTest, EnablingRulesFollowTheCheckBoxes) {
    TSettingForm form(options, profile, nullptr);
    form.CheckBox1->setChecked(true);  // CheckBox9 already checked
    for (QWidget* control : {static_cast<QWidget*>(form.CheckBox7), static_cast<QWidget*>(form.CheckBox9),
                             static_cast<QWidget*>(form.Label4), static_cast<QWidget*>(form.Label5),
                             static_cast<QWidget*>(form.Edit4), static_cast<QWidget*>(form.Edit5)}) {
        EXPECT_TRUE(control->isEnabled());
    }
    form.CheckBox9->setChecked(false);
    EXPECT_FALSE(form.Label4->isEnabled());
    EXPECT_FALSE(form.Edit5->isEnabled());
    EXPECT_TRUE(form.CheckBox7->isEnabled());

    form.CheckBox9->setChecked(true);
    form.CheckBox1->setChecked(false);  // greys the size fields, keeps CheckBox9's mark
    EXPECT_FALSE(form.Edit4->isEnabled());
    EXPECT_TRUE(form.CheckBox9->isChecked());

    form.CheckBox10->setChecked(true);
    EXPECT_TRUE(form.CheckBox11->isEnabled());
}

TEST_F(SettingFormTest, GreyedTimeSwitchIsStillStored) {
    options.DisplayDateTime = true;
    options.DisplayTime = true;
    TSettingForm form(options, profile, nullptr);
    ASSERT_TRUE(form.CheckBox11->isEnabled());
    form.CheckBox10->setChecked(false);
    EXPECT_FALSE(form.CheckBox11->isEnabled());
    EXPECT_TRUE(form.CheckBox11->isChecked());
    form.BitBtn1->click();
    EXPECT_EQ(Entry("DisplayTime"), "1");
    EXPECT_EQ(Entry("DisplayDateTime"), "0");
    EXPECT_TRUE(options.DisplayTime);
    EXPECT_FALSE(options.DisplayDateTime);
}

TEST_F(SettingFormTest, NumbersAreTakenByTheLeadingNumberRuleWithinTheirRange) {
    const struct {
        const char* field;
        const char* text;
        int32_t expected;
    } cases[] = {
        {"MaxColumn", " 12px", 12}, {"MaxColumn", "\t+7 8", 7},
        // No number, or one below the range: the lowest value, 1.
        {"MaxColumn", "abc", 1}, {"MaxColumn", "", 1}, {"MaxColumn", "-3", 1}, {"MaxColumn", "１２", 1},
        {"MaxColumn", "　12", 1}, {"MaxColumn", "0", 1},
        // Above it: the highest.
        {"MaxColumn", "1000", 1000}, {"MaxColumn", "1001", 1000}, {"SubImageColmn", "99999", 1000},
        {"MaxPixel", "65535", 65535}, {"MaxPixel", "65536", 65535}, {"SubImageMaxSize", "0", 1},
        {"MaxPixel", "2147483648", 1},  // the low 32 bits, INT32_MIN: below the range
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " \"" + c.text + '"');
        TSettingForm form(options, profile, nullptr);
        const std::pair<const char*, QLineEdit*> edits[] = {
            {"MaxPixel", form.Edit2}, {"MaxColumn", form.Edit3}, {"SubImageColmn", form.Edit4},
            {"SubImageMaxSize", form.Edit5}};
        for (const auto& [field, edit] : edits)
            if (std::string_view(field) == c.field) edit->setText(QString::fromUtf8(c.text));
        form.BitBtn1->click();
        EXPECT_EQ(options.*FindOptionField(c.field)->number, c.expected);
        EXPECT_EQ(Entry(c.field), std::to_string(c.expected));
    }
    // Out of the 32-bit range: the low 32 bits, read as signed.
    EXPECT_EQ(EditBoxNumber("4294967297"), 1);
    EXPECT_EQ(EditBoxNumber("2147483648"), INT32_MIN);
    EXPECT_EQ(EditBoxNumber("-2147483648"), INT32_MIN);
}

TEST_F(SettingFormTest, BothStoreButtonsWriteAllSixteenInOrderAndCancelWritesNone) {
    // Added conditions at their defaults stay out of a file that lacks them.
    std::vector<std::string> fieldOrder;
    for (const OptionField& field : OptionFields())
        if (!field.added) fieldOrder.push_back(field.name);

    {
        TSettingForm form(options, profile, nullptr);
        form.Edit1->setText(QStringLiteral("typed.html"));
        form.BitBtn2->click();
        EXPECT_EQ(form.result(), TSettingForm::kResultCancel);
    }
    {
        TSettingForm form(options, profile, nullptr);
        form.show();
        form.Edit1->setText(QStringLiteral("typed.html"));
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_EQ(form.result(), TSettingForm::kResultCancel);
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_TRUE(EntriesWritten().empty());
    EXPECT_EQ(options.HTMLListName, "index.html");

    {
        TSettingForm form(options, profile, nullptr);
        form.Edit1->setText(QStringLiteral("一覧.html"));
        form.BitBtn1->click();
        EXPECT_EQ(form.result(), TSettingForm::kResultStoreOnly);
    }
    EXPECT_EQ(EntriesWritten(), fieldOrder);
    EXPECT_EQ(options.HTMLListName, "一覧.html");
    EXPECT_EQ(Entry("HTMLListName"), "一覧.html");

    std::remove((dir / "htmlimglist.INI").c_str());
    {
        TSettingForm form(options, profile, nullptr);
        form.BitBtn3->click();
        EXPECT_EQ(form.result(), TSettingForm::kResultStart);
    }
    EXPECT_EQ(EntriesWritten(), fieldOrder);
    GenerationOptions reread;
    LoadFromProfile(reread, profile);
    EXPECT_EQ(reread, options);

    // Once changed, an added condition is written, and stays written when it
    // is set back to its default.
    for (bool smooth : {true, false}) {
        TSettingForm form(options, profile, nullptr);
        form.CheckBox13->setChecked(smooth);
        form.BitBtn1->click();
        EXPECT_EQ(Entry("SmoothReduce"), smooth ? "1" : "0");
        EXPECT_EQ(Entry("AutoRotate"), "<absent>");
    }
    // A choice box stands for a number: its entry, in order.
    for (int order : {2, 0}) {
        TSettingForm form(options, profile, nullptr);
        EXPECT_EQ(form.ComboBox2->currentIndex(), options.SortOrder);
        form.ComboBox2->setCurrentIndex(order);
        form.BitBtn1->click();
        EXPECT_EQ(options.SortOrder, order);
        EXPECT_EQ(Entry("SortOrder"), std::to_string(order));
        EXPECT_EQ(Entry("PageStyle"), "<absent>");
    }
}

TEST_F(SettingFormTest, LongListNameIsCutAtACharacterBoundary) {
    TSettingForm form(options, profile, nullptr);
    // "a" and 100 three-byte characters: 301 bytes; 255 would split the
    // 85th character, so 84 of them remain.
    form.Edit1->setText(QStringLiteral("a") + QString(100, QChar(0x3042)));
    form.BitBtn1->click();
    EXPECT_EQ(options.HTMLListName.size(), 1u + 84u * 3u);
    EXPECT_EQ(options.HTMLListName, "a" + QString(84, QChar(0x3042)).toStdString());
    EXPECT_EQ(Entry("HTMLListName"), options.HTMLListName);

    EXPECT_EQ(CutAtCharacterBoundary(std::string(255, 'x')).size(), 255u);
    EXPECT_EQ(CutAtCharacterBoundary(std::string(300, 'x')).size(), 255u);
}

TEST_F(SettingFormTest, MouseOverControlsSetsOrClearsTheStatusBar) {
    TSettingForm form(options, profile, nullptr);
    MoveMouseOver(form.CheckBox6);
    EXPECT_EQ(form.StatusText(), QStringLiteral("5桁の数値ﾌｫﾙﾀﾞをまたがって連続に作成します。"));
    // Every control without a hint of its own empties the bar: the list-name
    // box, the number boxes, their labels, the buttons, the check boxes
    // without hints and the group frames.
    const std::vector<QWidget*> hinted = {form.CheckBox1, form.CheckBox2, form.CheckBox3,  form.CheckBox4,
                                          form.CheckBox5, form.CheckBox6, form.CheckBox7,  form.CheckBox8,
                                          form.CheckBox9, form.CheckBox12, form.CheckBox13, form.CheckBox14,
                                          form.CheckBox15,
                                          form.ComboBox1, form.ComboBox2};
    int unhinted = 0;
    for (QWidget* control : form.findChildren<QWidget*>()) {
        if (control == form.StatusBar1 || form.StatusBar1->isAncestorOf(control) || !control->isEnabled()) continue;
        MoveMouseOver(form.CheckBox6);
        MoveMouseOver(control);
        const bool hint = std::find(hinted.begin(), hinted.end(), control) != hinted.end();
        EXPECT_EQ(form.StatusText().isEmpty(), !hint) << control->metaObject()->className() << " "
                                                      << control->objectName().toStdString();
        unhinted += hint ? 0 : 1;
    }
    EXPECT_GE(unhinted, 12);  // Edit1..3, Label1..3, three buttons, CheckBox10, two group frames
    MoveMouseOver(form.CheckBox6);
    MoveMouseOver(form.Edit1);
    EXPECT_TRUE(form.StatusText().isEmpty());

    MoveMouseOver(form.CheckBox2);
    EXPECT_EQ(form.StatusText(), QStringLiteral("5桁の数値のﾌｫﾙﾀを指定した場合のみ有効です。"));
    MoveMouseOver(form.GroupBox1);
    EXPECT_TRUE(form.StatusText().isEmpty());

    MoveMouseOver(form.CheckBox1);
    EXPECT_EQ(form.StatusText(), QStringLiteral("一つ下のﾌｫﾙﾀﾞに画像とﾘｽﾄが作成されます。"));
    MoveMouseOver(form.Edit4);
    EXPECT_TRUE(form.StatusText().isEmpty());

    MoveMouseOver(form.CheckBox8);
    MoveMouseOver(&form);  // the dialog's background
    EXPECT_TRUE(form.StatusText().isEmpty());

    // A greyed check box takes no mouse input: the background beneath it
    // empties the bar.
    MoveMouseOver(form.CheckBox4);
    MoveMouseOver(form.CheckBox9);
    EXPECT_TRUE(form.StatusText().isEmpty());
}

TEST_F(SettingFormTest, EveryCaptionShowsWholeInBothLanguagesAndTheLayoutStays) {
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        ASSERT_TRUE(InstallUiLanguage(language));
        TSettingForm form(options, profile, nullptr);
        EXPECT_EQ(test::CutCaptions(form), std::vector<std::string>());
        EXPECT_EQ(form.size(), QSize(393, 385));
        EXPECT_EQ(form.GroupBox1->geometry(), QRect(212, 92, 173, 133));
        EXPECT_EQ(form.CheckBox2->geometry(), QRect(8, 12, 137, 17));
    }
}

TEST_F(SettingFormTest, GroupFramesAndCaptionsClearTheirFirstCheckBoxes) {
    TSettingForm form(options, profile, nullptr);
    form.show();
    for (auto [box, first] : {std::pair<QGroupBox*, QCheckBox*>{form.GroupBox1, form.CheckBox2},
                              std::pair<QGroupBox*, QCheckBox*>{form.GroupBox2, form.CheckBox12}}) {
        const QImage drawing = test::OwnDrawing(*box);
        EXPECT_EQ(test::DrawnPixels(drawing, first->geometry()), 0) << box->title().toStdString();
        EXPECT_GT(test::DrawnPixels(drawing, QRect(0, 0, box->width(), first->y())), 0) << box->title().toStdString();
    }
}

TEST_F(SettingFormTest, OpensCentredOnItsOwner) {
    EXPECT_EQ(CentredOn(QRect(100, 100, 601, 401), QSize(400, 200)), QPoint(200, 200));
    // A difference of -5 moves by -2 (truncation toward zero), not -3.
    EXPECT_EQ(CentredOn(QRect(100, 100, 395, 195), QSize(400, 200)), QPoint(98, 98));

    QWidget owner;
    owner.setGeometry(50, 60, 300, 200);  // narrower than the dialog
    TSettingForm form(options, profile, &owner);
    EXPECT_EQ(form.pos(), QPoint(50 + (300 - 393) / 2, 60 + (200 - 385) / 2));
    EXPECT_LT(form.pos().x(), owner.pos().x());
}

}  // namespace
}  // namespace htmlimglist
