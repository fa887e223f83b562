#include "dialogs/TSettingForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>

#include <cstring>

#include "dialogs/DialogPlacement.h"
#include "dialogs/SettingFields.h"
#include "listgen/SettingsFile.h"
#include "widgets/FitText.h"
#include "widgets/JapaneseFonts.h"
#include "widgets/TGroupBox.h"

namespace htmlimglist {
namespace {

template <typename T>
T* Place(T* control, QWidget* parent, int left, int top, int width, int height) {
    control->setParent(parent);
    control->setGeometry(left, top, width, height);
    return control;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    QLabel* label = Place(new QLabel(caption), parent, left, top, width, height);
    FitLabelFont(*label);  // a caption wider than its label gets a smaller font
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    return Place(new QCheckBox(caption), parent, left, top, width, height);
}

QLineEdit* MakeEdit(QWidget* parent, int left, int top, int width, int height) {
    auto* edit = Place(new QLineEdit, parent, left, top, width, height);
    edit->setFont(JapaneseFont(JapaneseFace::Gothic, 12));
    return edit;
}

QComboBox* MakeChoice(QWidget* parent, std::initializer_list<QString> entries, int left, int top, int width,
                      int height) {
    auto* choice = Place(new QComboBox, parent, left, top, width, height);
    for (const QString& entry : entries) choice->addItem(entry);
    return choice;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    return Place(new QPushButton(caption), parent, left, top, width, height);
}

}  // namespace

TSettingForm::TSettingForm(GenerationOptions& options, TProfile& profile, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      options_(options),
      profile_(profile) {
    BuildLayout();
    FormCreate();
}

void TSettingForm::BuildLayout() {
    setWindowTitle(tr("作成条件設定"));
    setFont(JapaneseFont(JapaneseFace::PGothic, 12));
    setFixedSize(393, 385);

    Label1 = MakeLabel(this, tr("HTMLﾘｽﾄ名"), 8, 12, 62, 12);
    Edit1 = MakeEdit(this, 88, 8, 121, 20);
    Label3 = MakeLabel(this, tr("ﾘｽﾄｶﾗﾑ数"), 9, 36, 54, 12);
    Edit3 = MakeEdit(this, 88, 32, 41, 20);
    Label2 = MakeLabel(this, tr("表示/縮小画像最大ﾋﾟｸｾﾙ数"), 8, 60, 145, 12);
    Edit2 = MakeEdit(this, 164, 56, 41, 20);
    CheckBox1 = MakeCheckBox(this, tr("縮小画像の作成(&S)"), 8, 80, 129, 17);
    CheckBox9 = MakeCheckBox(this, tr("元画像のﾘｽﾄも同時作成(&A)"), 8, 100, 165, 17);
    Label5 = MakeLabel(this, tr("ﾘｽﾄｶﾗﾑ数"), 8, 124, 54, 12);
    Edit4 = MakeEdit(this, 108, 120, 45, 20);
    Label4 = MakeLabel(this, tr("表示最大ﾋﾟｸｾﾙ数"), 8, 148, 91, 12);
    Edit5 = MakeEdit(this, 108, 144, 45, 20);
    CheckBox7 = MakeCheckBox(this, tr("無条件に画像を生成する(&G)"), 8, 168, 165, 17);
    CheckBox6 = MakeCheckBox(this, tr("連続作成を行う(&C)"), 8, 188, 145, 17);
    CheckBox5 = MakeCheckBox(this, tr("小さい画像は拡大する(&Z)"), 8, 208, 161, 17);
    GroupBox1 = Place(new TGroupBox(tr("ﾘｽﾄ内表示")), this, 212, 92, 173, 133);
    CheckBox2 = MakeCheckBox(GroupBox1, tr("Next/Prevの作成(&N)"), 8, 12, 137, 17);
    CheckBox8 = MakeCheckBox(GroupBox1, tr("画像情報の表示(&I)"), 8, 32, 121, 17);
    CheckBox3 = MakeCheckBox(GroupBox1, tr("画像ｻｲｽﾞの表示(&J)"), 8, 52, 125, 17);
    CheckBox4 = MakeCheckBox(GroupBox1, tr("ﾌｧｲﾙｻｲｽﾞの表示(&F)"), 8, 72, 128, 17);
    CheckBox10 = MakeCheckBox(GroupBox1, tr("ﾌｧｲﾙ日時の表示(&D)"), 8, 92, 128, 17);
    CheckBox11 = MakeCheckBox(GroupBox1, tr("ﾌｧｲﾙ時刻も表示(&T)"), 8, 112, 125, 17);
    GroupBox2 = Place(new TGroupBox(tr("画像の処理")), this, 8, 230, 377, 86);
    CheckBox12 = MakeCheckBox(GroupBox2, tr("写真の向きを補正(&R)"), 8, 20, 170, 17);
    CheckBox13 = MakeCheckBox(GroupBox2, tr("なめらかに縮小(&M)"), 196, 20, 170, 17);
    CheckBox14 = MakeCheckBox(GroupBox2, tr("PNG/WebP/HEIC/AVIFも対象(&W)"), 8, 40, 360, 17);
    CheckBox15 = MakeCheckBox(GroupBox2, tr("動画も対象(&V)"), 8, 60, 360, 17);
    GroupBox3 = Place(new TGroupBox(tr("ﾘｽﾄの形式")), this, 8, 318, 377, 46);
    Label6 = MakeLabel(GroupBox3, tr("ﾍﾟｰｼﾞ"), 8, 22, 40, 12);
    ComboBox1 = MakeChoice(GroupBox3, {tr("表"), tr("ｷﾞｬﾗﾘｰ")}, 52, 18, 120, 20);
    Label7 = MakeLabel(GroupBox3, tr("並び順"), 196, 22, 44, 12);
    ComboBox2 = MakeChoice(GroupBox3, {tr("ﾌｧｲﾙ名"), tr("撮影日時"), tr("ﾌｧｲﾙ日時")}, 244, 18, 120, 20);
    BitBtn3 = MakeButton(this, tr("作成開始"), 312, 8, 75, 25);
    BitBtn1 = MakeButton(this, tr("設定のみ(&1)"), 312, 36, 75, 25);
    BitBtn2 = MakeButton(this, tr("ｷｬﾝｾﾙ"), 312, 64, 75, 25);
    BitBtn3->setDefault(true);

    StatusBar1 = Place(new QStatusBar, this, 0, 366, 393, 19);
    StatusBar1->setSizeGripEnabled(false);
    statusText_ = new QLabel;
    StatusBar1->addWidget(statusText_, 1);

    // Tab order; the group box's check boxes follow each other inside it.
    // The added conditions come last, so the old order stays as it was.
    const std::vector<QWidget*> tabOrder = {Edit1,     Edit3,     Edit2,      CheckBox1,  CheckBox9, Edit4,
                                            Edit5,     CheckBox7, CheckBox6,  CheckBox5,  CheckBox2, CheckBox8,
                                            CheckBox3, CheckBox4, CheckBox10, CheckBox11, BitBtn3,   BitBtn1,
                                            BitBtn2,   CheckBox12, CheckBox13, CheckBox14, CheckBox15,
                                            ComboBox1, ComboBox2};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Edit1->setFocus();

    bindings_ = {
        {"HTMLListName", Edit1, nullptr},
        {"MaxPixel", Edit2, nullptr},
        {"MaxColumn", Edit3, nullptr},
        {"MakeSmallImage", nullptr, CheckBox1},
        {"NextPrevIndex", nullptr, CheckBox2},
        {"DisplayImageSize", nullptr, CheckBox3},
        {"DisplayFileSize", nullptr, CheckBox4},
        {"ZoomImage", nullptr, CheckBox5},
        {"ContinueMaked", nullptr, CheckBox6},
        {"ImageSurelyCreate", nullptr, CheckBox7},
        {"ImageInfo", nullptr, CheckBox8},
        {"MakeSmallImageAndOrgImageList", nullptr, CheckBox9},
        {"SubImageColmn", Edit4, nullptr},
        {"SubImageMaxSize", Edit5, nullptr},
        {"DisplayDateTime", nullptr, CheckBox10},
        {"DisplayTime", nullptr, CheckBox11},
        {"AutoRotate", nullptr, CheckBox12},
        {"SmoothReduce", nullptr, CheckBox13},
        {"MoreImageTypes", nullptr, CheckBox14},
        {"ListVideos", nullptr, CheckBox15},
        {"PageStyle", nullptr, nullptr, ComboBox1},
        {"SortOrder", nullptr, nullptr, ComboBox2},
    };

    // The hinted check boxes (CheckBox1MouseMove ... CheckBox9MouseMove).
    // Every other control empties the status bar, as the background does, so
    // that a hint never stays while the mouse is over something it is not
    // about.
    hints_ = {
        {CheckBox1, QT_TR_NOOP("一つ下のﾌｫﾙﾀﾞに画像とﾘｽﾄが作成されます。")},
        {CheckBox2, QT_TR_NOOP("5桁の数値のﾌｫﾙﾀを指定した場合のみ有効です。")},
        {CheckBox3, QT_TR_NOOP("画像ｻｲｽﾞをﾋﾟｸｾﾙ単位で表示します。")},
        {CheckBox4, QT_TR_NOOP("ﾌｧｲﾙｻｲｽﾞをﾊﾞｲﾄ単位で表示します。")},
        {CheckBox5, QT_TR_NOOP("指定ｻｲｽﾞより小さい画像は拡大してﾘｽﾄ作成します。")},
        {CheckBox6, QT_TR_NOOP("5桁の数値ﾌｫﾙﾀﾞをまたがって連続に作成します。")},
        {CheckBox7, QT_TR_NOOP("作成済み画像ﾌｧｲﾙが存在しても作成します。")},
        {CheckBox8, QT_TR_NOOP("画像ﾌｧｲﾙのﾀｲﾌﾟを表示します。")},
        {CheckBox9, QT_TR_NOOP("大きい画像ﾘｽﾄも同時に作成する時に使用します。")},
        {CheckBox12, QT_TR_NOOP("ﾃﾞｼﾞｶﾒ写真の向き情報(EXIF)に従って正しい向きで表示します。")},
        {CheckBox13, QT_TR_NOOP("縮小画像を画素の平均で作成します。ﾓｱﾚが出にくくなります。")},
        {CheckBox14, QT_TR_NOOP("PNG・WebP・HEIC・AVIFの画像もﾘｽﾄに加えます。HEICは縮小画像を作成する時だけです。")},
        {CheckBox15, QT_TR_NOOP("MP4/MOV/WebMの動画もﾘｽﾄに加えます(縮小画像の作成時のみ)。")},
        {ComboBox1, QT_TR_NOOP("ｷﾞｬﾗﾘｰはｽﾏｰﾄﾌｫﾝでも見やすく、大きなﾌｫﾙﾀﾞでも軽いﾍﾟｰｼﾞです。")},
        {ComboBox2, QT_TR_NOOP("撮影日時はﾃﾞｼﾞｶﾒ写真の情報(EXIF)、無い時はﾌｧｲﾙ日時です。")},
    };
    setMouseTracking(true);
    for (QWidget* control : findChildren<QWidget*>()) {
        // The status bar shows the hints; the mouse may rest on it.
        if (control == StatusBar1 || StatusBar1->isAncestorOf(control)) continue;
        control->setMouseTracking(true);
        // A move over a control is that control's alone: it must not reach
        // the group box or the dialog's background.
        control->setAttribute(Qt::WA_NoMousePropagation);
        control->installEventFilter(this);
    }

    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(CheckBox9, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    connect(CheckBox10, &QCheckBox::toggled, this, [this] { CheckBox10Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        BitBtn3Click();
        done(kResultStart);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        done(kResultStoreOnly);
    });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

const TSettingForm::Binding* TSettingForm::BindingOf(const char* field) const {
    for (const Binding& binding : bindings_) {
        if (std::strcmp(binding.field, field) == 0) return &binding;
    }
    return nullptr;
}

void TSettingForm::FormCreate() {
    CentreDialogOn(*this, parentWidget());
    for (const OptionField& field : OptionFields()) {
        const Binding* binding = BindingOf(field.name);
        if (binding == nullptr) continue;
        switch (field.type) {
            case OptionType::Text:
                binding->edit->setText(QString::fromStdString(options_.*field.text));
                break;
            case OptionType::Number:
                if (binding->choice != nullptr) {
                    binding->choice->setCurrentIndex(ClampToRange(field, options_.*field.number));
                } else {
                    binding->edit->setText(QString::number(options_.*field.number));
                }
                break;
            case OptionType::Switch:
                binding->box->setChecked(options_.*field.flag);
                break;
        }
    }
    CheckBox1Click();
    CheckBox10Click();
    statusText_->clear();
}

void TSettingForm::CheckBox1Click() {
    const bool on = CheckBox1->isChecked();
    CheckBox7->setEnabled(on);
    CheckBox9->setEnabled(on);
    CheckBox9Click();
}

void TSettingForm::CheckBox9Click() {
    const bool on = CheckBox9->isChecked() && CheckBox9->isEnabled();
    for (QWidget* control : {static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5),
                             static_cast<QWidget*>(Edit4), static_cast<QWidget*>(Edit5)}) {
        control->setEnabled(on);
    }
}

void TSettingForm::CheckBox10Click() { CheckBox11->setEnabled(CheckBox10->isChecked()); }

void TSettingForm::Store() {
    // Field by field in the record's order: take the control's value, put it
    // into the record and write that entry at once. Disabled controls are
    // stored too; a number outside its range is stored as the nearest end.
    for (const OptionField& field : OptionFields()) {
        const Binding* binding = BindingOf(field.name);
        if (binding == nullptr) continue;
        profile_.SetEntry(field.name);
        switch (field.type) {
            case OptionType::Text: {
                // Cut so that the settings file and the record both hold it
                // whole, never in the middle of a character.
                const std::string text = CutAtCharacterBoundary(binding->edit->text().toStdString());
                profile_.SetText(text);
                options_.*field.text = text;
                break;
            }
            case OptionType::Number: {
                // Read by the leading-number rule, then moved into the
                // condition's range (the option table's).
                const int32_t value =
                    binding->choice != nullptr
                        ? ClampToRange(field, binding->choice->currentIndex())
                        : ClampToRange(field, EditBoxNumber(binding->edit->text().toStdString()));
                options_.*field.number = value;
                if (!LeavesEntryOut(options_, field, profile_)) profile_.SetValue(value);
                break;
            }
            case OptionType::Switch: {
                const bool on = binding->box->isChecked();
                options_.*field.flag = on;
                if (!LeavesEntryOut(options_, field, profile_)) profile_.SetValue(on ? 1 : 0);
                break;
            }
        }
    }
}

void TSettingForm::BitBtn1Click() { Store(); }

void TSettingForm::BitBtn3Click() { Store(); }

void TSettingForm::reject() { done(kResultCancel); }

QString TSettingForm::StatusText() const { return statusText_->text(); }

void TSettingForm::FormMouseMove() { statusText_->clear(); }

void TSettingForm::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

bool TSettingForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const char* text = nullptr;
        for (const Hint& hint : hints_) {
            // A disabled control takes no mouse input: the move counts as
            // one over what lies beneath, the dialog or the group box, and
            // both empty the bar.
            if (hint.control == watched && hint.control->isEnabled()) text = hint.text;
        }
        if (text != nullptr) {
            statusText_->setText(tr(text));
        } else {
            FormMouseMove();
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace htmlimglist
