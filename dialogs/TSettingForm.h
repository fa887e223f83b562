// TSettingForm: the modal dialog "作成条件設定" in which the user edits the
// creation conditions before a run. It starts from the record every time,
// and on its start or settings-only button stores every control's value into
// the record and the settings file; cancel stores nothing.
#pragma once

#include <QCoreApplication>
#include <QDialog>

#include <vector>

#include "listgen/GenerationOptions.h"
#include "profile/TProfile.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace htmlimglist {

class TSettingForm : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TSettingForm)

public:
    // Results of the modal run.
    static constexpr int kResultStart = 1;      // "作成開始"
    static constexpr int kResultCancel = 2;     // "ｷｬﾝｾﾙ", Esc, closing the window
    static constexpr int kResultStoreOnly = 8;  // "設定のみ(&1)"

    // options and profile (pointed at the settings file and its section)
    // belong to the main window, which is owner; the dialog opens centred
    // on it.
    TSettingForm(GenerationOptions& options, TProfile& profile, QWidget* owner);

    // Done(kResultCancel): Esc and closing the window cancel.
    void reject() override;

    // The text the status bar shows.
    QString StatusText() const;

    // Handlers, named as the form binds them.
    void FormCreate();
    void CheckBox1Click();
    void CheckBox9Click();
    void CheckBox10Click();
    void BitBtn1Click();
    void BitBtn3Click();
    void FormMouseMove();

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label3;
    QLineEdit* Edit3;
    QLabel* Label2;
    QLineEdit* Edit2;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox9;
    QLabel* Label5;
    QLineEdit* Edit4;
    QLabel* Label4;
    QLineEdit* Edit5;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox5;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    // Conditions added after the first sixteen, in a group of their own
    // below the others.
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox12;  // AutoRotate
    QCheckBox* CheckBox13;  // SmoothReduce
    QCheckBox* CheckBox14;  // MoreImageTypes
    QCheckBox* CheckBox15;  // ListVideos
    // The page's style and order, a group below.
    QGroupBox* GroupBox3;
    QLabel* Label6;
    QComboBox* ComboBox1;  // PageStyle
    QLabel* Label7;
    QComboBox* ComboBox2;  // SortOrder
    QPushButton* BitBtn3;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QStatusBar* StatusBar1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The control of one option field; exactly one of the three is set.
    // A choice box's entries stand for the numbers 0, 1, 2, ... in order.
    struct Binding {
        const char* field;
        QLineEdit* edit;
        QCheckBox* box;
        QComboBox* choice = nullptr;
    };
    // The hint the status bar shows while the mouse is over a control;
    // every control without one empties the bar.
    struct Hint {
        QWidget* control;
        const char* text;  // untranslated
    };

    void BuildLayout();
    const Binding* BindingOf(const char* field) const;
    void Store();

    GenerationOptions& options_;
    TProfile& profile_;
    QLabel* statusText_;
    std::vector<Binding> bindings_;
    std::vector<Hint> hints_;
};

}  // namespace htmlimglist
