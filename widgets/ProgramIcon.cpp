#include "widgets/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace htmlimglist {

QImage ProgramIconImage() {
    // Colours of the classic 16-colour palette only.
    const QColor navy(0, 0, 128), teal(0, 128, 128), white(255, 255, 255), silver(192, 192, 192),
        yellow(255, 255, 0), green(0, 128, 0), lime(0, 255, 0), black(0, 0, 0), gray(128, 128, 128);
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The sheet of the catalogue page with a folded corner.
    p.fillRect(2, 1, 25, 30, white);
    p.setPen(black);
    p.drawLine(2, 1, 26, 1);
    p.drawLine(2, 1, 2, 30);
    p.drawLine(2, 30, 29, 30);
    p.drawLine(29, 4, 29, 30);
    p.drawLine(26, 1, 29, 4);
    p.setPen(gray);
    p.drawLine(26, 2, 26, 4);
    p.drawLine(26, 4, 28, 4);

    // The picture: sky, sun, two hills.
    p.fillRect(5, 5, 20, 14, teal);
    p.fillRect(20, 7, 3, 3, yellow);
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawPolygon(QPolygon({QPoint(5, 18), QPoint(12, 10), QPoint(19, 18)}));
    p.setBrush(lime);
    p.drawPolygon(QPolygon({QPoint(13, 18), QPoint(19, 12), QPoint(25, 18)}));
    p.setPen(navy);
    p.setBrush(Qt::NoBrush);
    p.drawRect(4, 4, 21, 15);

    // The list's lines under the picture.
    for (int y : {22, 25, 28}) p.fillRect(5, y, y == 28 ? 13 : 21, 1, silver);
    p.fillRect(5, 22, 3, 1, navy);
    p.fillRect(5, 25, 3, 1, navy);
    p.fillRect(5, 28, 3, 1, navy);
    return image;
}

QIcon ProgramIcon() { return QIcon(QPixmap::fromImage(ProgramIconImage())); }

}  // namespace htmlimglist
