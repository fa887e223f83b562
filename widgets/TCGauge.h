// TCGauge: a progress control that shows how far Progress has moved between
// MinValue and MaxValue as a whole percentage, drawn as text, a horizontal or
// vertical bar, a pie or a needle dial, with the percentage written over the
// graphic in inverted colours.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <stdexcept>

namespace htmlimglist {

enum TCGaugeKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// Only bsSingle draws a frame; every other style draws edge to edge.
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// A bound that would leave the range empty.
class GaugeRangeError : public std::range_error {
public:
    using std::range_error::range_error;
};

class TCGauge : public QWidget {
public:
    explicit TCGauge(QWidget* owner = nullptr);

    int32_t MinValue() const { return minValue_; }
    int32_t MaxValue() const { return maxValue_; }
    int32_t Progress() const { return progress_; }
    TCGaugeKind Kind() const { return kind_; }
    bool ShowText() const { return showText_; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    QColor ForeColor() const { return foreColor_; }
    QColor BackColor() const { return backColor_; }
    // The colour outside the pie and needle drawings: the parent's unless set.
    QColor Color() const { return palette().color(QPalette::Window); }

    void SeTCGaugeKind(TCGaugeKind value);
    void SetShowText(bool value);
    void SetBorderStyle(TFormBorderStyle value);
    void SetForeColor(QColor value);
    void SetBackColor(QColor value);
    // Throw GaugeRangeError when the new bound would pass the other one.
    void SetMinValue(int32_t value);
    // A maximum of 0 is ignored (a folder without files leaves the gauge as
    // it was).
    void SetMaxValue(int32_t value);
    // Clamps into the range; repaints only when the whole percentage changes.
    void SetProgress(int32_t value);
    void AddProgress(int32_t delta);

    // 0..100, floor of the exact quotient.
    int32_t GetPercentDone() const;
    // floor(percent * size / 100), exact.
    static int32_t FillExtent(int32_t percent, int32_t size);

    // The control's whole picture, composed as Paint puts it on screen.
    QImage PaintToImage() const;

    // Immediate repaints requested so far (tests count them: the control
    // may be hidden, when Qt skips the paint itself).
    int RepaintCount() const { return repaintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Repaint();
    void DrawKind(QImage& overlay, int left, int top, int right, int bottom) const;
    void DrawText(QImage& composition, int left, int top, int right, int bottom) const;

    int32_t minValue_ = 0;
    int32_t maxValue_ = 100;
    int32_t progress_ = 0;
    TCGaugeKind kind_ = gkHorizontalBar;
    bool showText_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
    int repaintCount_ = 0;
};

}  // namespace htmlimglist
