// Captions of fixed-size labels shown whole. The design fonts are wider on
// this system than the fonts the layout was drawn for, and English captions
// are longer than Japanese ones; a caption that would be cut gets a smaller
// font instead, one pixel at a time, until it fits.
#pragma once

#include <QFont>

class QLabel;

namespace htmlimglist {

// True when label's text, drawn in font as QLabel draws it (its margin,
// frame, indent and alignment), has all its ink inside the label.
bool TextFits(const QLabel& label, const QFont& font);

// Leaves label's font as it is when its text fits; otherwise gives it the
// largest font, one pixel smaller at a time down to minimumPixelSize, in
// which it fits. False when even minimumPixelSize does not (the label then
// has that size).
bool FitLabelFont(QLabel& label, int minimumPixelSize = 6);

}  // namespace htmlimglist
