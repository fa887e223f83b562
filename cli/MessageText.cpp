#include "cli/MessageText.h"

#include "cli/TerminalText.h"
#include "platform/Text.h"

namespace htmlimglist {
namespace {

const char* Wording(RunMessageId id) {
    switch (id) {
        case RunMessageId::TooShallow: return "ﾊﾟｽの階層が少な過ぎます.";
        case RunMessageId::TooShallowTwoLevels: return "ﾊﾟｽの階層が少な過ぎます.\n2階層以上深く設定して下さい.";
        case RunMessageId::SeriesEnd: return "5桁数値ﾊﾟｽが見つかりませんでした.\n%s\n連続作成を終了します.";
        case RunMessageId::NotAFolder: return "ﾌｫﾙﾀﾞではありません.\n%s";
        case RunMessageId::PathTooLong: return "ﾊﾟｽが長過ぎます.\n%s";
        case RunMessageId::SaveFailed: return "保存に失敗しました.\n%s";
        case RunMessageId::NotACopy: return "縮小画像ではないﾌｧｲﾙがあります.\n%s";
        case RunMessageId::BadListName: return "HTMLﾘｽﾄ名が正しくありません.\n%s";
        case RunMessageId::Unexpected: return "予期しないｴﾗｰで作成を中断しました.\n%s";
    }
    return "%s";
}

}  // namespace

std::string MessageText(const RunMessage& message) {
    std::string text = Format(Wording(message.id), ForTerminal(message.argument).c_str());
    while (!text.empty() && text.back() == '\n') text.pop_back();  // no argument: no empty last line
    if (!message.reason.empty()) text += ": " + message.reason;
    return text;
}

}  // namespace htmlimglist
