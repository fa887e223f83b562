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
    {RunMessageId::FolderMissing, "ﾌｫﾙﾀﾞがありません.\n%s", "This folder does not exist.\n%s"},
    {RunMessageId::PathTooLong, "ﾊﾟｽが長過ぎます.\n%s", "The path is too long.\n%s"},
    {RunMessageId::SaveFailed, "保存に失敗しました.\n%s", "Could not save.\n%s"},
    {RunMessageId::NotACopy, "縮小画像ではないﾌｧｲﾙがあります.\n%s", "A file that is not a reduced copy is in the way.\n%s"},
    {RunMessageId::CopyOfOtherFolder, "別のﾌｫﾙﾀﾞの同じ名前の縮小画像があります.\n%s",
     "A reduced copy of another folder's image of the same name is in the way.\n%s"},
    {RunMessageId::CopyTooLarge, "縮小画像が大き過ぎるため作成しませんでした.\n%s",
     "The reduced copy would be too large; it was not made.\n%s"},
    {RunMessageId::CopyOverLimit, "画像が大き過ぎるため縮小画像を作成しませんでした.\n%s",
     "The image is too large for a reduced copy; none was made.\n%s"},
    {RunMessageId::BadListName, "HTMLﾘｽﾄ名が正しくありません.\n%s", "The HTML list name cannot name a page.\n%s"},
    {RunMessageId::Unexpected, "予期しないｴﾗｰで作成を中断しました.\n%s", "The run stopped on an unexpected error.\n%s"},
};

// True when tag's language is code: "en", "EN", "en_GB.UTF-8", "en-US", but
// not "eng".
bool IsLanguage(std::string_view tag, std::string_view code) {
    if (tag.size() < code.size() || !EqualsIgnoreAsciiCase(tag.substr(0, code.size()), code)) return false;
    if (tag.size() == code.size()) return true;
    const char next = tag[code.size()];
    return next == '_' || next == '.' || next == '@' || next == '-';
}

}  // namespace

CliLanguage LanguageOfEnvironment() {
    // A value that names neither language is as good as none: the locale decides.
    if (const char* chosen = std::getenv("HTMLIMGLIST_LANG"); chosen != nullptr) {
        if (IsLanguage(chosen, "en")) return CliLanguage::English;
        if (IsLanguage(chosen, "ja")) return CliLanguage::Japanese;
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return IsLanguage(value, "en") ? CliLanguage::English : CliLanguage::Japanese;
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

std::string PageWrittenText(const ListResult& result, CliLanguage language) {
    const std::string path = ForTerminal(result.pagePath);
    // Every cell of a list of reduced copies has its copy made, kept or not
    // made; a list of full-size images has none of them.
    const bool copies = result.copiesMade + result.copiesKept + result.copiesNotMade > 0;
    if (language == CliLanguage::Japanese) {
        std::string text = Format("ﾘｽﾄを作成しました. %s: %dｾﾙ", path.c_str(), int(result.cells));
        if (copies) {
            text += Format(", 縮小画像 作成%d 既存%d 未作成%d", int(result.copiesMade), int(result.copiesKept),
                           int(result.copiesNotMade));
        }
        if (result.livePaired > 0) text += Format(", Live動画%d", int(result.livePaired));
        return text;
    }
    std::string text = Format("Page written: %s: %d %s", path.c_str(), int(result.cells),
                              result.cells == 1 ? "cell" : "cells");
    if (copies) {
        text += Format(", reduced copies: %d made, %d kept, %d not made", int(result.copiesMade),
                       int(result.copiesKept), int(result.copiesNotMade));
    }
    if (result.livePaired > 0) {
        text += Format(", %d %s as Live", int(result.livePaired), result.livePaired == 1 ? "video" : "videos");
    }
    return text;
}

namespace {

// Why files that look like images got no cell, in the order the summary
// names them.
struct ReasonWording {
    NotListedReason why;
    const char* english;
    const char* japanese;
};
constexpr ReasonWording kReasonWordings[] = {
    {NotListedReason::NoEndMarker, "no end-of-image marker", "終了ﾏｰｶｰがありません"},
    {NotListedReason::NoSize, "no size in the header", "ﾍｯﾀﾞにｻｲｽﾞがありません"},
    {NotListedReason::Damaged, "damaged or cut short", "壊れているか途中で切れています"},
    {NotListedReason::HeicNeedsCopies, "browsers cannot show HEIC; make reduced copies",
     "ﾌﾞﾗｳｻﾞはHEICを表示できません; 縮小画像を作成してください"},
    {NotListedReason::VideoNeedsCopies, "videos need reduced copies", "動画には縮小画像が必要です"},
};

}  // namespace

std::vector<NotListedReason> NotListedReasonsInOrder() {
    std::vector<NotListedReason> reasons;
    for (const ReasonWording& w : kReasonWordings) reasons.push_back(w.why);
    return reasons;
}

std::string NotListedText(NotListedReason why, const std::vector<std::string>& names, bool verbose,
                          CliLanguage language) {
    const bool english = language == CliLanguage::English;
    const ReasonWording* wording = &kReasonWordings[0];
    for (const ReasonWording& w : kReasonWordings) {
        if (w.why == why) wording = &w;
    }
    const int count = int(names.size());
    std::string line;
    if (english) {
        const char* reason = wording->english;
        line = count == 1 ? "1 file looks like an image but was not listed"
                          : Format("%d files look like images but were not listed", count);
        line += Format(" (%s)", reason);
    } else {
        const char* reason = wording->japanese;
        line = Format("画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが%d個あります(%s)", count, reason);
    }
    if (verbose) return line + ":";
    line += ": ";
    for (std::size_t i = 0; i < names.size() && i < kNotListedNamedWithoutVerbose; ++i)
        line += (i ? ", " : "") + names[i];
    if (names.size() > kNotListedNamedWithoutVerbose) {
        const int more = int(names.size() - kNotListedNamedWithoutVerbose);
        line += english ? Format(" and %d more (-v names them all)", more) : Format(" 他%d個(-vで全て表示)", more);
    }
    return line;
}

}  // namespace htmlimglist
