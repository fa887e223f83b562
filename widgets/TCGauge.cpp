#include "widgets/TCGauge.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <numbers>
#include <string>

namespace htmlimglist {
namespace {

// The gauge's rectangles are left, top, right, bottom with right and bottom
// exclusive; QRect is inclusive.
QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void Fill(QPainter& painter, int left, int top, int right, int bottom, const QColor& colour) {
    if (right > left && bottom > top) painter.fillRect(Ltrb(left, top, right, bottom), colour);
}

// Angle of point p seen from the centre of box, counter-clockwise from three
// o'clock with y pointing up on screen, in sixteenths of a degree.
double Angle16(const QRectF& box, double x, double y) {
    const QPointF c = box.center();
    if (x == c.x() && y == c.y()) return 0;
    return std::atan2(-(y - c.y()), x - c.x()) * 180.0 / std::numbers::pi * 16.0;
}

// The pie primitive: the wedge of the ellipse in box (exclusive corners)
// bounded by the rays through the start and end points, swept
// counter-clockwise on screen from the start ray to the end ray. Coinciding
// rays give the whole ellipse.
void Pie(QPainter& painter, int left, int top, int right, int bottom, double x1, double y1, double x2, double y2) {
    const QRect box(left, top, right - left - 1, bottom - top - 1);
    const double start = Angle16(box, x1, y1);
    double span = Angle16(box, x2, y2) - start;
    while (span <= 0) span += 360 * 16;
    painter.drawPie(box, int(std::lround(start)), int(std::lround(span)));
}

std::string RangeMessage(int64_t low, int64_t high) {
    return std::to_string(low) + " から " + std::to_string(high) + " の間の値でなければなりません";
}

// Combines source into dest by XOR of the colour bits (alpha stays opaque).
void XorInto(QImage& dest, const QImage& source) {
    for (int y = 0; y < dest.height(); ++y) {
        auto* d = reinterpret_cast<QRgb*>(dest.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < dest.width(); ++x) d[x] ^= s[x] & 0x00FFFFFFu;
    }
}

QImage BlackImage(int width, int height) {
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

}  // namespace

TCGauge::TCGauge(QWidget* owner) : QWidget(owner) {
    resize(100, 100);
    // Paint covers every pixel: the parent need not paint beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCGauge::Repaint() {
    ++repaintCount_;
    repaint();
}

void TCGauge::SeTCGaugeKind(TCGaugeKind value) {
    if (value == kind_) return;
    kind_ = value;
    Repaint();
}

void TCGauge::SetShowText(bool value) {
    if (value == showText_) return;
    showText_ = value;
    Repaint();
}

void TCGauge::SetBorderStyle(TFormBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    Repaint();
}

void TCGauge::SetForeColor(QColor value) {
    if (value == foreColor_) return;
    foreColor_ = value;
    Repaint();
}

void TCGauge::SetBackColor(QColor value) {
    if (value == backColor_) return;
    backColor_ = value;
    Repaint();
}

void TCGauge::SetMinValue(int32_t value) {
    if (value == minValue_) return;
    if (value > maxValue_) throw GaugeRangeError(RangeMessage(-2147483647, int64_t(maxValue_) - 1));
    minValue_ = value;
    if (progress_ < value) progress_ = value;
    Repaint();
}

void TCGauge::SetMaxValue(int32_t value) {
    if (value == 0) return;
    if (value < minValue_) throw GaugeRangeError(RangeMessage(int64_t(minValue_) + 1, 2147483647));
    maxValue_ = value;
    if (progress_ > value) progress_ = value;
    Repaint();
}

void TCGauge::SetProgress(int32_t value) {
    if (value < minValue_) value = minValue_;
    if (value > maxValue_) value = maxValue_;
    if (value == progress_) return;
    const int32_t before = GetPercentDone();
    progress_ = value;
    if (GetPercentDone() != before) Repaint();
}

void TCGauge::AddProgress(int32_t delta) {
    // Saturate instead of overflowing; SetProgress clamps the rest.
    const int64_t sum = int64_t(progress_) + delta;
    SetProgress(int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX)));
    Repaint();
}

int32_t TCGauge::GetPercentDone() const {
    if (maxValue_ == minValue_) return 0;
    // 64 bits hold every difference of two int32 values times 100 exactly.
    return int32_t(100 * (int64_t(progress_) - minValue_) / (int64_t(maxValue_) - minValue_));
}

int32_t TCGauge::FillExtent(int32_t percent, int32_t size) {
    const int64_t product = int64_t(percent) * size;
    int64_t q = product / 100;
    if (product % 100 != 0 && product < 0) --q;  // floor, also for negative sizes
    return int32_t(q);
}

void TCGauge::DrawKind(QImage& overlay, int left, int top, int right, int bottom) const {
    QPainter p(&overlay);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(foreColor_, 0));
    const int percent = GetPercentDone();
    const bool single = borderStyle_ == bsSingle;

    switch (kind_) {
        case gkText:
            Fill(p, left, top, right, bottom, backColor_);
            break;
        case gkHorizontalBar:
        case gkVerticalBar: {
            const int w = right - left + 1;
            const int h = bottom - top + 1;
            Fill(p, left, top, right, bottom, backColor_);
            if (kind_ == gkHorizontalBar) {
                const int f = std::min(FillExtent(percent, w), w);
                if (f > 0) Fill(p, left, top, f, h, foreColor_);
            } else {
                int f = FillExtent(percent, h);
                if (f >= h) f = h - 1;
                Fill(p, left, h - f, w, h, foreColor_);
            }
            break;
        }
        case gkPie: {
            Fill(p, left, top, right, bottom, Color());
            const int w = right - left + (single ? 1 : 0);
            const int h = bottom - top + (single ? 1 : 0);
            p.setBrush(backColor_);
            p.drawEllipse(QRect(left, top, w - left - 1, h - top - 1));
            if (percent > 0) {
                const int hw = w / 2, hh = h / 2;
                const double a = (percent * 0.02 + 0.5) * std::numbers::pi;
                p.setBrush(foreColor_);
                Pie(p, left, top, w, h, std::floor((1 - std::cos(a)) * hw), std::floor((1 - std::sin(a)) * hh), hw,
                    0);
            }
            break;
        }
        case gkNeedle: {
            Fill(p, left, top, right, bottom, Color());
            const int x = left, y = top;
            const int w = right - left + (single ? 1 : 0);
            const int h = bottom - top + (single ? 1 : 0);
            p.setBrush(backColor_);
            Pie(p, x, y, w, 2 * h - 1, x + w, bottom - 1, x, bottom - 1);
            p.drawLine(x, bottom, x + w, bottom);
            if (percent > 0) {
                const int w2 = width() / 2;
                const double b = percent * 0.01 * std::numbers::pi;
                p.drawLine(w2, bottom - 1, int(std::floor((1 - std::cos(b)) * w2)),
                           int(std::floor((1 - std::sin(b)) * (bottom - 1))));
            }
            break;
        }
    }
}

void TCGauge::DrawText(QImage& composition, int left, int top, int right, int bottom) const {
    QImage text = BlackImage(composition.width(), composition.height());
    const QString s = QString::number(GetPercentDone()) + QLatin1Char('%');
    QFont f = font();
    // Plain white pixels: the XOR below turns each into the exact inverse.
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(f);
    const int x = (right - left + 1 - metrics.horizontalAdvance(s)) / 2;
    const int y = (bottom - top + 1 - metrics.height()) / 2;
    {
        QPainter p(&text);
        p.setFont(f);
        p.setPen(Qt::white);
        p.setClipRect(Ltrb(left, top, right, bottom));
        p.drawText(QPoint(x, y + metrics.ascent()), s);
    }
    XorInto(composition, text);
}

QImage TCGauge::PaintToImage() const {
    QImage composition = BlackImage(width(), height());
    int left = 0, top = 0, right = width(), bottom = height();
    if (borderStyle_ == bsSingle) {
        ++left;
        ++top;
        --right;
        --bottom;
    }
    QImage overlay = BlackImage(width(), height());
    // Pixels of the overlay outside the paint rectangle stay black: the frame.
    DrawKind(overlay, left, top, right, bottom);
    XorInto(composition, overlay);
    if (showText_) DrawText(composition, left, top, right, bottom);
    return composition;
}

void TCGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, PaintToImage());
}

}  // namespace htmlimglist
