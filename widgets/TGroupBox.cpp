#include "widgets/TGroupBox.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace htmlimglist {
namespace {

// Blank kept on each side of the caption where it breaks the frame line.
constexpr int kCaptionGap = 2;

QString WithoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

}  // namespace

TGroupBox::TGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect TGroupBox::CaptionRect() const {
    if (title().isEmpty()) return {};
    const QFontMetrics metrics = fontMetrics();
    return {kCaptionLeft + kCaptionGap, 0, metrics.horizontalAdvance(WithoutMnemonic(title())), metrics.height()};
}

int TGroupBox::FrameTop() const { return fontMetrics().height() / 2; }

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect caption = CaptionRect();
    // The frame, etched as a dialog's group frame, broken where the caption
    // lies across its top line.
    painter.save();
    if (!caption.isEmpty()) painter.setClipRegion(QRegion(rect()) - caption.adjusted(-kCaptionGap, 0, kCaptionGap, 0));
    qDrawShadeRect(&painter, rect().adjusted(0, FrameTop(), 0, 0), palette(), true, 1, 0);
    painter.restore();
    if (caption.isEmpty()) return;
    style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

}  // namespace htmlimglist
