#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

namespace htmlimglist {
namespace {

struct EncodingCase {
    const char* utf8;
    const char* cp932;
};

TEST(TextEncodingTest, Utf8ToCp932) {
    const EncodingCase cases[] = {
        {"plain.jpg", "plain.jpg"},
        {"\xE5\x86\x99\xE7\x9C\x9F", "\x8E\xCA\x90\x5E"},        // kanji, second with a 0x5C-free trail
        {"\xE3\x82\xBD", "\x83\x5C"},                            // katakana so: trail byte is a backslash
        {"\xEF\xBD\xB1", "\xB1"},                                // half-width katakana
        {"\xF0\x9F\x98\x80", "&#128512;"},                       // not in CP932
        {"a\xC3\xA9" "b", "a&#233;b"},                           // e acute: not in CP932
        {"\xFF\xFE", "\xFF\xFE"},                                // not UTF-8: raw bytes
        {"\xC0\xAF", "\xC0\xAF"},                                // overlong slash: raw bytes
        {"\xED\xA0\x80", "\xED\xA0\x80"},                        // surrogate: raw bytes
    };
    for (const EncodingCase& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    }
}

TEST(TextEncodingTest, EscapingForTextAndUrls) {
    EXPECT_EQ(EscapeHtmlText("R&D <b>\"q\" 1.jpg"), "R&amp;D &lt;b&gt;&quot;q&quot; 1.jpg");
    EXPECT_EQ(EscapeHtmlUrl("a b%#?\\\x01\x7F&.jpg"), "a b%25%23%3F%5C%01%7F&amp;.jpg");
    // escaping happens before the conversion, so a backslash trail byte of a
    // Shift_JIS character is never percent-encoded
    EXPECT_EQ(PageUrl("\xE3\x82\xBD.jpg"), "\x83\x5C.jpg");
    EXPECT_EQ(PageText("\xF0\x9F\x98\x80<"), "&#128512;&lt;");
}

}  // namespace
}  // namespace htmlimglist
