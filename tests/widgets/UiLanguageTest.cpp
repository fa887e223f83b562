#include "widgets/UiLanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

TEST(UiLanguageTest, ChosenByTheVariableThenTheLocaleThenTheUiLanguages) {
    struct Case {
        const char* chosen;
        const char* messagesLocale;
        QStringList uiLanguages;
        UiLanguage expected;
    };
    const auto ja = UiLanguage::Japanese, en = UiLanguage::English;
    const Case cases[] = {
        {"en", "ja_JP.UTF-8", {"ja-JP"}, en},
        {"en_GB.UTF-8", "", {}, en},
        {"ja", "en_US.UTF-8", {"en-US"}, ja},
        // Either language in any case; any other value leaves it to the locale.
        {"EN", "ja_JP.UTF-8", {"ja-JP"}, en},
        {"JA", "en_US.UTF-8", {"en-US"}, ja},
        {"fr", "en_US.UTF-8", {"en-US"}, en},
        {"xx", "ja_JP.UTF-8", {"ja-JP", "en"}, ja},
        {"eng", "C", {"en"}, ja},
        {"", "C", {"en-US"}, ja},                // LANGUAGE=en under LC_ALL=C
        {"", "C.UTF-8", {"en"}, ja},
        {"", "POSIX", {"en"}, ja},
        {"", "en_US.UTF-8", {"en-US", "en"}, en},
        {"", "de_DE.UTF-8", {"de-DE", "en-GB", "ja"}, en},
        {"", "de_DE.UTF-8", {"de-DE", "ja-JP", "en"}, ja},
        {"", "de_DE.UTF-8", {"de-DE", "de"}, ja},
        {"", "", {}, ja},
        {"", "", {"eng"}, ja},  // not "en"
    };
    for (const Case& c : cases) {
        const UiLanguageInput input{QString::fromLatin1(c.chosen), QString::fromLatin1(c.messagesLocale), c.uiLanguages};
        EXPECT_EQ(ChooseUiLanguage(input), c.expected)
            << c.chosen << " / " << c.messagesLocale << " / " << c.uiLanguages.join(u',').toStdString();
    }
}

TEST(UiLanguageTest, EnglishComesFromTheEmbeddedTranslationAndJapaneseRemovesIt) {
    test::QtTestApp();
    ASSERT_TRUE(InstallUiLanguage(UiLanguage::English));
    EXPECT_EQ(CurrentUiLanguage(), UiLanguage::English);
    EXPECT_EQ(ToolTitle(), QStringLiteral("HTML Image List Maker"));
    ASSERT_TRUE(InstallUiLanguage(UiLanguage::Japanese));
    EXPECT_EQ(CurrentUiLanguage(), UiLanguage::Japanese);
    EXPECT_EQ(ToolTitle(), QStringLiteral("HTML画像ﾘｽﾄ作成ﾂｰﾙ"));
}

// One message of a .ts file.
struct TsMessage {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "vanished", "obsolete" or empty (finished)
};

std::vector<TsMessage> ReadTs(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::vector<TsMessage> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !messages.empty()) {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.empty()) {
            messages.back().type = xml.attributes().value(QLatin1StringView("type")).toString();
            messages.back().translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

// The placeholders of a text, sorted: "%1 %2".
std::string Placeholders(const QString& text) {
    QStringList found;
    static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
    for (const QRegularExpressionMatch& m : placeholder.globalMatch(text)) found.append(m.captured());
    found.sort();
    return found.join(u' ').toStdString();
}

// A mnemonic is a single "&" ("&&" shows one "&").
bool HasMnemonic(QString text) { return text.remove(QStringLiteral("&&")).contains(u'&'); }

TEST(TranslationFileTest, EveryTextHasAFinishedEnglishFormWithItsPlaceholdersAndMnemonic) {
    const std::vector<TsMessage> messages = ReadTs(QStringLiteral(HTMLIMGLIST_TS_FILE));
    ASSERT_FALSE(messages.empty());
    for (const TsMessage& m : messages) {
        const std::string where = m.context.toStdString() + ": " + m.source.toStdString();
        EXPECT_TRUE(m.type.isEmpty()) << where << " is " << m.type.toStdString();
        EXPECT_FALSE(m.translation.isEmpty()) << where;
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source)) << where;
        EXPECT_EQ(HasMnemonic(m.translation), HasMnemonic(m.source)) << where;
    }
}

// lupdate reads the window's sources the way the build's update_translations
// target does; each text it finds must be in the .ts file, and the file
// must hold no text the sources no longer have.
TEST(TranslationFileTest, HoldsExactlyTheTranslatableTextsOfTheSources) {
    test::QtTestApp();
    test::TempDir dir;
    const QString fresh = QString::fromStdString(dir / "fresh.ts");
    const QString root = QStringLiteral(HTMLIMGLIST_SOURCE_DIR);
    QProcess lupdate;
    lupdate.start(QStringLiteral(HTMLIMGLIST_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-I"), root, QStringLiteral("-locations"),
                   QStringLiteral("none"), root + QStringLiteral("/app"), root + QStringLiteral("/dialogs"),
                   root + QStringLiteral("/widgets"), QStringLiteral("-ts"), fresh});
    ASSERT_TRUE(lupdate.waitForFinished(60000)) << lupdate.errorString().toStdString();
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    auto keys = [](const std::vector<TsMessage>& messages) {
        QSet<QString> set;
        for (const TsMessage& m : messages) set.insert(m.context + u'\x1f' + m.source);
        return set;
    };
    const QSet<QString> inSources = keys(ReadTs(fresh));
    const QSet<QString> inTs = keys(ReadTs(QStringLiteral(HTMLIMGLIST_TS_FILE)));
    ASSERT_FALSE(inSources.isEmpty());
    for (const QString& key : inSources - inTs) ADD_FAILURE() << "not in the .ts file: " << key.toStdString();
    for (const QString& key : inTs - inSources) ADD_FAILURE() << "no longer in the sources: " << key.toStdString();
}

}  // namespace
}  // namespace htmlimglist
