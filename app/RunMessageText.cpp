#include "app/RunMessageText.h"

#include <QCoreApplication>

namespace htmlimglist {

QString RunMessageText(const RunMessage& message) {
    using QC = QCoreApplication;
    const QString argument = QString::fromStdString(message.argument);
    switch (message.id) {
        case RunMessageId::TooShallow: return QC::translate("RunMessageText", "ﾊﾟｽの階層が少な過ぎます.");
        case RunMessageId::TooShallowTwoLevels:
            return QC::translate("RunMessageText", "ﾊﾟｽの階層が少な過ぎます.\n2階層以上深く設定して下さい.");
        case RunMessageId::SeriesEnd:
            return QC::translate("RunMessageText", "5桁数値ﾊﾟｽが見つかりませんでした.\n%1\n連続作成を終了します.")
                .arg(argument);
        case RunMessageId::NotAFolder:
            return QC::translate("RunMessageText", "ﾌｫﾙﾀﾞではありません.\n%1").arg(argument);
        case RunMessageId::FolderMissing:
            return QC::translate("RunMessageText", "ﾌｫﾙﾀﾞがありません.\n%1").arg(argument);
        case RunMessageId::PathTooLong: return QC::translate("RunMessageText", "ﾊﾟｽが長過ぎます.\n%1").arg(argument);
        case RunMessageId::SaveFailed: return QC::translate("RunMessageText", "保存に失敗しました.\n%1").arg(argument);
        case RunMessageId::NotACopy:
            return QC::translate("RunMessageText", "縮小画像ではないﾌｧｲﾙがあります.\n%1").arg(argument);
        case RunMessageId::CopyOfOtherFolder:
            return QC::translate("RunMessageText", "別のﾌｫﾙﾀﾞの同じ名前の縮小画像があります.\n%1").arg(argument);
        case RunMessageId::CopyTooLarge:
            return QC::translate("RunMessageText", "縮小画像が大き過ぎるため作成しませんでした.\n%1").arg(argument);
        case RunMessageId::CopyOverLimit:
            return QC::translate("RunMessageText", "画像が大き過ぎるため縮小画像を作成しませんでした.\n%1\n%2")
                .arg(argument, QString::fromStdString(message.reason));
        case RunMessageId::BadListName:
            return QC::translate("RunMessageText", "HTMLﾘｽﾄ名が正しくありません.\n%1").arg(argument);
        case RunMessageId::Unexpected:
            return argument.isEmpty() ? QC::translate("RunMessageText", "予期しないｴﾗｰで作成を中断しました.") : argument;
    }
    return argument;
}

}  // namespace htmlimglist
