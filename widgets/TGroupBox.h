// TGroupBox: a group box drawn as the tool's layout expects it. The caption
// sits on the box's top edge and the etched frame starts at half the
// caption's height, so controls placed from the box's outer top-left
// (a check box at y = 12 under a 12-pixel caption) stay clear of both.
// Qt's styles put the frame a caption's height (and more) lower, through the
// first row of such controls.
#pragma once

#include <QGroupBox>

namespace htmlimglist {

class TGroupBox : public QGroupBox {
public:
    explicit TGroupBox(const QString& title, QWidget* parent = nullptr);

    // Where the caption is drawn (empty without a title): from kCaptionLeft
    // at the top edge, one line of the box's font high.
    QRect CaptionRect() const;
    // The frame's top line: half the caption's height below the top edge.
    int FrameTop() const;

    static constexpr int kCaptionLeft = 8;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace htmlimglist
