// The program's 32 x 32 icon, drawn in code with a 16-colour palette: a
// framed picture (sky, sun, hills) over the lines of a list. The window, the
// about box and the installed PNG all use this one drawing.
#pragma once

#include <QIcon>
#include <QImage>

namespace htmlimglist {

QImage ProgramIconImage();
QIcon ProgramIcon();

}  // namespace htmlimglist
