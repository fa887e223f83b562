// TAboutForm: the modal version box "ﾊﾞｰｼﾞｮﾝ情報": the tool's title, version
// and icon, centred on the main window; it closes with OK (result 1) or by
// closing its window (result 2). It has no cancel button, so Esc does
// nothing.
#pragma once

#include <QCoreApplication>
#include <QDialog>

class QLabel;
class QPushButton;

namespace htmlimglist {

class TAboutForm : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TAboutForm)

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultClosed = 2;

    explicit TAboutForm(QWidget* owner);

    void FormCreate();
    void reject() override;

    QLabel* Label1;
    QLabel* Image1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BitBtn1;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace htmlimglist
