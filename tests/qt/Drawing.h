// What a widget draws itself, without its children, and where.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace htmlimglist::test {

// The widget's own drawing on magenta, a colour the tool's widgets never use.
inline QImage OwnDrawing(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// Pixels of area that OwnDrawing drew on.
inline int DrawnPixels(const QImage& image, const QRect& area) {
    int drawn = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) drawn += image.pixel(x, y) != QColor(Qt::magenta).rgb();
    return drawn;
}

}  // namespace htmlimglist::test
