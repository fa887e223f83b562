#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace htmlimglist {

void ModalMessageBoxes::Show(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, parent != nullptr ? parent->windowTitle() : QString(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace htmlimglist
