#include "widgets/JapaneseFonts.h"

#include <QStringList>

namespace htmlimglist {

QFont JapaneseFont(JapaneseFace face, int pixelSize, bool bold) {
    QStringList families;
    QFont::StyleHint hint = QFont::SansSerif;
    switch (face) {
        case JapaneseFace::PGothic:
            families = {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
            break;
        case JapaneseFace::Gothic:
            families = {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")};
            hint = QFont::Monospace;
            break;
        case JapaneseFace::PMincho:
            families = {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")};
            hint = QFont::Serif;
            break;
        case JapaneseFace::Mincho:
            families = {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")};
            hint = QFont::Serif;
            break;
    }
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace htmlimglist
