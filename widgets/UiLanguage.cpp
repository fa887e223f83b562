#include "widgets/UiLanguage.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace htmlimglist {
namespace {

UiLanguage current = UiLanguage::Japanese;

bool IsLanguage(const QString& tag, QLatin1StringView code) {
    if (!tag.startsWith(code, Qt::CaseInsensitive)) return false;
    if (tag.size() == code.size()) return true;
    const QChar next = tag.at(code.size());
    return next == u'-' || next == u'_' || next == u'.' || next == u'@';
}

bool IsCLocale(const QString& locale) {
    return locale == u"C" || locale.startsWith(u"C.") || locale == u"POSIX";
}

QTranslator& Translator() {
    static QTranslator* translator = new QTranslator;
    return *translator;
}

}  // namespace

UiLanguage ChooseUiLanguage(const UiLanguageInput& input) {
    // A value that names neither language is as good as none.
    if (IsLanguage(input.chosen, QLatin1StringView("en"))) return UiLanguage::English;
    if (IsLanguage(input.chosen, QLatin1StringView("ja"))) return UiLanguage::Japanese;
    // gettext ignores LANGUAGE under the C locale; so do we.
    if (IsCLocale(input.messagesLocale)) return UiLanguage::Japanese;
    for (const QString& tag : input.uiLanguages) {
        if (IsLanguage(tag, QLatin1StringView("ja"))) return UiLanguage::Japanese;
        if (IsLanguage(tag, QLatin1StringView("en"))) return UiLanguage::English;
    }
    return UiLanguage::Japanese;
}

UiLanguage SystemUiLanguage() {
    UiLanguageInput input;
    input.chosen = qEnvironmentVariable("HTMLIMGLIST_LANG");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        input.messagesLocale = qEnvironmentVariable(name);
        if (!input.messagesLocale.isEmpty()) break;
    }
    input.uiLanguages = QLocale::system().uiLanguages();
    return ChooseUiLanguage(input);
}

bool InstallUiLanguage(UiLanguage language) {
    QTranslator& translator = Translator();
    QCoreApplication::removeTranslator(&translator);
    current = UiLanguage::Japanese;
    if (language == UiLanguage::Japanese) return true;
    if (!translator.load(QStringLiteral(":/i18n/htmlimglist_en.qm"))) return false;
    QCoreApplication::installTranslator(&translator);
    current = language;
    return true;
}

UiLanguage CurrentUiLanguage() { return current; }

QString ToolTitle() { return QCoreApplication::translate("Tool", "HTML画像ﾘｽﾄ作成ﾂｰﾙ"); }

}  // namespace htmlimglist
