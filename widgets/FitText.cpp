#include "widgets/FitText.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QStyle>

namespace htmlimglist {

bool TextFits(const QLabel& label, const QFont& font) {
    const QFontMetricsF metrics(font);
    // The rectangle QLabel draws its text in.
    QRectF area = label.contentsRect();
    const qreal margin = label.margin();
    area.adjust(margin, margin, -margin, -margin);
    const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0) indent = int(metrics.horizontalAdvance(u'x')) / 2 - label.margin();
    if (indent > 0) {
        if (align & Qt::AlignLeft) area.setLeft(area.left() + indent);
        if (align & Qt::AlignRight) area.setRight(area.right() - indent);
        if (align & Qt::AlignTop) area.setTop(area.top() + indent);
        if (align & Qt::AlignBottom) area.setBottom(area.bottom() - indent);
    }

    const QStringList lines = label.text().split(u'\n');
    const qreal lineHeight = metrics.height();
    const qreal height = lineHeight + (lines.size() - 1) * metrics.lineSpacing();
    qreal top = area.top();
    if (align & Qt::AlignBottom) top = area.bottom() - height;
    else if (align & Qt::AlignVCenter) top = area.top() + (area.height() - height) / 2;

    // The ink must stay inside the frame. tightBoundingRect rounds outwards
    // to whole pixels, so a pixel over an edge is still inside.
    const QRectF visible = QRectF(label.contentsRect()).adjusted(-1, -1, 1, 1);
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty()) continue;
        const qreal advance = metrics.horizontalAdvance(line);
        qreal left = area.left();
        if (align & Qt::AlignRight) left = area.right() - advance;
        else if (align & Qt::AlignHCenter) left = area.left() + (area.width() - advance) / 2;
        const qreal baseline = top + i * metrics.lineSpacing() + metrics.ascent();
        const QRectF ink = metrics.tightBoundingRect(line).translated(left, baseline);
        if (!visible.contains(ink)) return false;
    }
    return true;
}

bool FitLabelFont(QLabel& label, int minimumPixelSize) {
    QFont font = label.font();
    if (TextFits(label, font)) return true;
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    bool fits = false;
    while (!fits && size > minimumPixelSize) {
        font.setPixelSize(--size);
        fits = TextFits(label, font);
    }
    label.setFont(font);
    return fits;
}

}  // namespace htmlimglist
