// The tool's Japanese fonts by their design names, with the installed
// families that stand in for them (IPA, then Noto CJK), so captions render
// with Japanese glyphs whichever of them the system has.
#pragma once

#include <QFont>

namespace htmlimglist {

enum class JapaneseFace {
    PGothic,  // "ＭＳ Ｐゴシック": proportional sans, the window and dialog font
    Gothic,   // "ＭＳ ゴシック": fixed-pitch sans, the edit boxes
    PMincho,  // "ＭＳ Ｐ明朝": proportional serif, the about box's title
    Mincho,   // "ＭＳ 明朝": fixed-pitch serif, the title panel
};

QFont JapaneseFont(JapaneseFace face, int pixelSize, bool bold = false);

}  // namespace htmlimglist
