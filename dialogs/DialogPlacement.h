// Where the tool's dialogs open: centred on the main window's outer frame.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace htmlimglist {

// ownerFrame.left + (ownerFrame.width - dialogFrame.width) / 2, likewise for
// the top, each division truncating toward zero (a difference of -5 moves
// by -2); not clamped to the screen.
QPoint CentredOn(const QRect& ownerFrame, const QSize& dialogFrame);

// Moves dialog so that it opens centred on owner. Before its first showing a
// dialog has no frame yet; it is taken to get the same frame as owner.
void CentreDialogOn(QWidget& dialog, const QWidget* owner);

}  // namespace htmlimglist
