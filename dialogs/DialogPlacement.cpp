#include "dialogs/DialogPlacement.h"

#include <QWidget>

namespace htmlimglist {

QPoint CentredOn(const QRect& ownerFrame, const QSize& dialogFrame) {
    return QPoint(ownerFrame.left() + (ownerFrame.width() - dialogFrame.width()) / 2,
                  ownerFrame.top() + (ownerFrame.height() - dialogFrame.height()) / 2);
}

void CentreDialogOn(QWidget& dialog, const QWidget* owner) {
    if (owner == nullptr) return;
    const QRect ownerFrame = owner->frameGeometry();
    QSize dialogFrame = dialog.frameGeometry().size();
    if (!dialog.testAttribute(Qt::WA_WState_Created) || dialogFrame == dialog.size()) {
        dialogFrame = dialog.size() + (ownerFrame.size() - owner->size());
    }
    // move() places the outer frame's corner of a top-level window.
    dialog.move(CentredOn(ownerFrame, dialogFrame));
}

}  // namespace htmlimglist
