#include "dialogs/TAboutForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "dialogs/DialogPlacement.h"
#include "widgets/FitText.h"
#include "widgets/JapaneseFonts.h"
#include "widgets/ProgramIcon.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {

TAboutForm::TAboutForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(JapaneseFont(JapaneseFace::PGothic, 12));
    setFixedSize(381, 141);

    Label1 = new QLabel(ToolTitle(), this);
    Label1->setGeometry(60, 12, 258, 24);
    Label1->setFont(JapaneseFont(JapaneseFace::PMincho, 24, true));

    Image1 = new QLabel(this);
    Image1->setGeometry(126, 44, 32, 32);
    Image1->setPixmap(QPixmap::fromImage(ProgramIconImage()));

    Label2 = new QLabel(QStringLiteral("Ver 2.00"), this);
    Label2->setGeometry(166, 44, 69, 19);
    Label2->setFont(JapaneseFont(JapaneseFace::PGothic, 19));

    Label3 = new QLabel(tr("画像ﾌｫﾙﾀﾞからHTMLの一覧ﾍﾟｰｼﾞを作るﾌﾘｰｿﾌﾄです。"), this);
    Label3->setGeometry(28, 84, 334, 12);

    // Fixed-size labels: a caption wider than its label gets a smaller font.
    for (QLabel* label : {Label1, Label2, Label3}) FitLabelFont(*label);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(148, 104, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(kResultOk); });

    FormCreate();
}

void TAboutForm::FormCreate() { CentreDialogOn(*this, parentWidget()); }

void TAboutForm::reject() { done(kResultClosed); }

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace htmlimglist
