#include "app/RunMessageText.h"

namespace htmlimglist {

QString RunMessageText(const RunMessage& message) {
    const QString argument = QString::fromStdString(message.argument);
    switch (message.id) {
        case RunMessageId::TooShallow: return QStringLiteral("ﾊﾟｽの階層が少な過ぎます.");
        case RunMessageId::TooShallowTwoLevels:
            return QStringLiteral("ﾊﾟｽの階層が少な過ぎます.\n2階層以上深く設定して下さい.");
        case RunMessageId::SeriesEnd:
            return QStringLiteral("5桁数値ﾊﾟｽが見つかりませんでした.\n%1\n連続作成を終了します.").arg(argument);
        case RunMessageId::NotAFolder: return QStringLiteral("ﾌｫﾙﾀﾞではありません.\n%1").arg(argument);
        case RunMessageId::PathTooLong: return QStringLiteral("ﾊﾟｽが長過ぎます.\n%1").arg(argument);
        case RunMessageId::SaveFailed: return QStringLiteral("保存に失敗しました.\n%1").arg(argument);
        case RunMessageId::NotACopy: return QStringLiteral("縮小画像ではないﾌｧｲﾙがあります.\n%1").arg(argument);
        case RunMessageId::BadListName: return QStringLiteral("HTMLﾘｽﾄ名が正しくありません.\n%1").arg(argument);
        case RunMessageId::Unexpected:
            return argument.isEmpty() ? QStringLiteral("予期しないｴﾗｰで作成を中断しました.") : argument;
    }
    return argument;
}

}  // namespace htmlimglist
