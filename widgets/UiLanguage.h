// The language of the window's texts. They are written in Japanese; English
// comes from Qt's translation of them, embedded in the program as a resource
// (":/i18n/htmlimglist_en.qm"), so nothing beside the executable is needed.
#pragma once

#include <QString>
#include <QStringList>

namespace htmlimglist {

enum class UiLanguage { Japanese, English };

// What decides the language.
struct UiLanguageInput {
    QString chosen;           // HTMLIMGLIST_LANG; empty when unset
    QString messagesLocale;   // the first set of LC_ALL, LC_MESSAGES, LANG
    QStringList uiLanguages;  // QLocale::system().uiLanguages(), most preferred first
};

// HTMLIMGLIST_LANG decides when its language is English or Japanese, in any
// case ("en", "EN", "en_GB.UTF-8", "ja"); any other value is ignored. Then
// the C (or POSIX) locale gives Japanese, as it does for the command-line
// tool, and else the first UI language that is Japanese or English decides
// ("de-DE", "en-GB" gives English); none of the two gives Japanese, the
// language the texts are written in.
UiLanguage ChooseUiLanguage(const UiLanguageInput& input);

// ChooseUiLanguage for this process's environment and system locale.
UiLanguage SystemUiLanguage();

// Installs the translation of language into the application (Japanese: none)
// and remembers it for CurrentUiLanguage. False when the English translation
// could not be loaded; the texts then stay Japanese.
bool InstallUiLanguage(UiLanguage language);

// The language installed last; Japanese before any.
UiLanguage CurrentUiLanguage();

// The tool's name, as the main window's title and the about box show it.
QString ToolTitle();

}  // namespace htmlimglist
