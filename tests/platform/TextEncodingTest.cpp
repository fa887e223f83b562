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
        {"\xFF\xFE", "&#65533;&#65533;"},                        // not UTF-8: U+FFFD for each byte
        {"\xC0\xAF", "&#65533;&#65533;"},                        // overlong slash
        {"\xED\xA0\x80", "&#65533;&#65533;&#65533;"},            // surrogate
    };
    for (const EncodingCase& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    }
}

TEST(TextEncodingTest, EscapingForTextAndUrls) {
    EXPECT_EQ(EscapeHtmlText("R&D <b>\"q\" 1.jpg"), "R&amp;D &lt;b&gt;&quot;q&quot; 1.jpg");
    EXPECT_EQ(EscapeHtmlUrl("a b%#?\\|\x01\x7F&.jpg"), "a b%25%23%3F%5C%7C%01%7F&amp;.jpg");
    // escaping happens before the conversion, so a backslash trail byte of a
    // Shift_JIS character is never percent-encoded
    EXPECT_EQ(PageUrl("\xE3\x82\xBD.jpg"), "\x83\x5C.jpg");
    EXPECT_EQ(PageText("\xF0\x9F\x98\x80<"), "&#128512;&lt;");
}

// One name as a link of its own (href or src) and as the page's text.
struct NameCase {
    const char* name;
    const char* url;
    const char* text;
};

TEST(TextEncodingTest, NamesInLinksAndText) {
    const NameCase cases[] = {
        // names that already worked keep their bytes
        {"\xE5\x86\x99\xE7\x9C\x9F.jpg", "\x8E\xCA\x90\x5E.jpg", "\x8E\xCA\x90\x5E.jpg"},  // kanji
        {"\xE3\x82\xBD", "\x83\x5C", "\x83\x5C"},             // katakana so, trail byte 0x5C
        {"\xEF\xBD\xB1", "\xB1", "\xB1"},                     // half-width katakana
        {"\xEF\xBD\x9E", "\x81\x60", "\x81\x60"},             // U+FF5E fullwidth tilde: what 0x8160 reads as
        {"\xE2\x80\x95", "\x81\x5C", "\x81\x5C"},             // U+2015 horizontal bar: what 0x815C reads as
        {"\xF0\x9F\x98\x80.gif", "&#128512;.gif", "&#128512;.gif"},  // emoji: CP932 has no code
        {"R&D <b>\"x\".jpg", "R&amp;D &lt;b&gt;&quot;x&quot;.jpg", "R&amp;D &lt;b&gt;&quot;x&quot;.jpg"},
        {"100%#?\\.jpg", "100%25%23%3F%5C.jpg", "100%#?\\.jpg"},
        {"a b.jpg", "a b.jpg", "a b.jpg"},
        // CP932 bytes that a browser reads as another character: the URL
        // gets the UTF-8 bytes, the text the code point
        {"\xC2\xA5" "100.jpg", "%C2%A5100.jpg", "&#165;100.jpg"},     // yen sign, 0x5C
        {"\xE3\x80\x9Cwave", "%E3%80%9Cwave", "&#12316;wave"},       // wave dash, 0x8160
        {"\xE2\x88\x92", "%E2%88%92", "&#8722;"},                    // minus sign
        {"\xE2\x80\x94", "%E2%80%94", "&#8212;"},                    // em dash
        {"\xE2\x80\x96", "%E2%80%96", "&#8214;"},                    // double vertical line
        {"\xC2\xA2\xC2\xA3\xC2\xAC", "%C2%A2%C2%A3%C2%AC", "&#162;&#163;&#172;"},  // cent, pound, not
        {"\xE2\x80\xBE", "%E2%80%BE", "&#8254;"},                    // overline, 0x7E
        {"\xF3\xA0\x80\x81", "%F3%A0%80%81", "&#917505;"},           // language tag: CP932 drops it
        // control characters, C0, DEL and C1
        {"new\nline\r.jpg", "new%0Aline%0D.jpg", "new&#10;line&#13;.jpg"},
        {"\t\x7F", "%09%7F", "&#9;&#127;"},
        // C1 controls: a browser would read "&#128;" as the euro sign
        {"\xC2\x80\xC2\x85", "%C2%80%C2%85", "&#65533;&#65533;"},
        {"a\xC2\x9F" "b", "a%C2%9Fb", "a&#65533;b"},
        {"\xC2\xA0", "&#160;", "&#160;"},                          // U+00A0, just past them: CP932 lacks it
        // bytes that are not UTF-8, alone and between characters
        {"caf\xE9.jpg", "caf%E9.jpg", "caf&#65533;.jpg"},
        {"\xE5\x86\x99\xFF\xE7\x9C\x9F", "\x8E\xCA%FF\x90\x5E", "\x8E\xCA&#65533;\x90\x5E"},
        {"\xE5\x86.jpg", "%E5%86.jpg", "&#65533;&#65533;.jpg"},     // a character cut short
        {"\xE3\x80\x9C\xC0\xAF", "%E3%80%9C%C0%AF", "&#12316;&#65533;&#65533;"},
        // blanks at the ends of a link are ones the browser would strip
        {" lead.jpg", "%20lead.jpg", " lead.jpg"},
        {"trail ", "trail%20", "trail "},
        {"  two  ", "%20 two %20", "  two  "},
        {" ", "%20", " "},
        // a first segment with ':' would be a scheme
        {"javascript:alert(1).jpg", "./javascript:alert(1).jpg", "javascript:alert(1).jpg"},
        {"C:photo.jpg", "./C:photo.jpg", "C:photo.jpg"},
        {" a:b ", "./ a:b%20", " a:b "},
        // a letter and '|' at the start would be a drive letter; '|' is
        // percent-encoded wherever it stands
        {"C|photo.jpg", "C%7Cphoto.jpg", "C|photo.jpg"},
        {"C|", "C%7C", "C|"},
        {"a|b|.jpg", "a%7Cb%7C.jpg", "a|b|.jpg"},
    };
    // The second pass reads each character's answer from the cache.
    for (int pass = 1; pass <= 2; ++pass) {
        for (const NameCase& c : cases) {
            SCOPED_TRACE(testing::Message() << "pass " << pass << ": " << c.name);
            EXPECT_EQ(PageHref({c.name}), c.url);
            EXPECT_EQ(PageText(c.name), c.text);
        }
    }
}

TEST(TextEncodingTest, HrefsJoinTheirSegments) {
    EXPECT_EQ(PageHref({"Trip: Kyoto", "a.jpg"}), "./Trip: Kyoto/a.jpg");
    EXPECT_EQ(PageHref({"a", "b:c"}), "a/b:c");  // only the first segment can be a scheme
    EXPECT_EQ(PageHref({"C|", "a.jpg"}), "C%7C/a.jpg");
    EXPECT_EQ(PageHref({"..", "x|y", "index.html"}), "../x%7Cy/index.html");
    EXPECT_EQ(PageHref({"..", "00011", "index.html"}), "../00011/index.html");
    EXPECT_EQ(PageHref({" x", "y "}), "%20x/y%20");
    EXPECT_EQ(PageHref({"a ", " b"}), "a / b");  // inner blanks stay
    EXPECT_EQ(PageHref({"\xC2\xA5", "#1.jpg"}), "%C2%A5/%231.jpg");
    EXPECT_EQ(PageUrl("a:b \xE3\x80\x9C"), "a:b %E3%80%9C");  // a bare segment gets no link rules
}

}  // namespace
}  // namespace htmlimglist
