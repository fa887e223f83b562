#include "cli/MessageText.h"

#include <cstdlib>
#include <string_view>

#include "cli/TerminalText.h"
#include "platform/Text.h"

namespace htmlimglist {
namespace {

// One row per message: the tool's own Japanese words, and English.
struct Wording {
    RunMessageId id;
    const char* japanese;
    const char* english;
};

constexpr Wording kWordings[] = {
    {RunMessageId::TooShallow, "ﾊﾟｽの階層が少な過ぎます.", "The path has too few levels."},
    {RunMessageId::TooShallowTwoLevels, "ﾊﾟｽの階層が少な過ぎます.\n2階層以上深く設定して下さい.",
     "The path has too few levels.\nChoose a folder at least two levels deep."},
    {RunMessageId::SeriesEnd, "5桁数値ﾊﾟｽが見つかりませんでした.\n%s\n連続作成を終了します.",
     "No five-digit numbered folder was found.\n%s\nThe continuous run ends."},
    {RunMessageId::NotAFolder, "ﾌｫﾙﾀﾞではありません.\n%s", "This is not a folder.\n%s"},
    {RunMessageId::PathTooLong, "ﾊﾟｽが長過ぎます.\n%s", "The path is too long.\n%s"},
    {RunMessageId::SaveFailed, "保存に失敗しました.\n%s", "Could not save.\n%s"},
    {RunMessageId::NotACopy, "縮小画像ではないﾌｧｲﾙがあります.\n%s", "A file that is not a reduced copy is in the way.\n%s"},
    {RunMessageId::BadListName, "HTMLﾘｽﾄ名が正しくありません.\n%s", "The HTML list name cannot name a page.\n%s"},
    {RunMessageId::Unexpected, "予期しないｴﾗｰで作成を中断しました.\n%s", "The run stopped on an unexpected error.\n%s"},
};

bool IsEnglish(std::string_view locale) {
    return locale.substr(0, 2) == "en" && (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' ||
                                           locale[2] == '@' || locale[2] == '-');
}

}  // namespace

CliLanguage LanguageOfEnvironment() {
    if (const char* chosen = std::getenv("HTMLIMGLIST_LANG"); chosen != nullptr && *chosen != '\0')
        return IsEnglish(chosen) ? CliLanguage::English : CliLanguage::Japanese;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return IsEnglish(value) ? CliLanguage::English : CliLanguage::Japanese;
    }
    return CliLanguage::Japanese;
}

std::string MessageText(const RunMessage& message, CliLanguage language) {
    const char* wording = "%s";
    for (const Wording& w : kWordings) {
        if (w.id == message.id) wording = language == CliLanguage::English ? w.english : w.japanese;
    }
    std::string text = Format(wording, ForTerminal(message.argument).c_str());
    while (!text.empty() && text.back() == '\n') text.pop_back();  // no argument: no empty last line
    if (!message.reason.empty()) text += ": " + message.reason;
    return text;
}

}  // namespace htmlimglist
