#include "app/messaging/ChatMessageHTML.h"

#include <gtest/gtest.h>

namespace {

using platform::AttributedString;
using platform::Color;
using platform::Font;
using platform::TextAttributes;

constexpr const char* kArial12 =
    R"(<span style=" color: #000000; font-size: 12px"><font face="Arial">)";

AttributedString styled(std::initializer_list<std::pair<std::string, TextAttributes>> runs) {
    AttributedString text;
    for (const auto& [characters, attributes] : runs) {
        text.appendAttributedString(AttributedString(characters, attributes));
    }
    return text;
}

std::string sent(const AttributedString& input) {
    return chat_html::formSimpleHTML(chat_html::trimmed(input));
}

struct Case {
    const char* what;
    AttributedString input;
    std::string html;
};

TEST(ChatComposition, InputBecomesTheHTMLThatIsSentByteForByte) {
    TextAttributes bold;
    bold.font = Font::fontWithName("Helvetica", 13.5).fontWithBold(true);
    bold.foregroundColor = Color(1, 0.5, 0, 1);
    TextAttributes underlinedItalic;
    underlinedItalic.font = Font::fontWithName("Times", 12).fontWithItalic(true);
    underlinedItalic.underlineStyle = platform::UnderlineStyleSingle;
    TextAttributes notUnderlined;
    notUnderlined.underlineStyle = 0;

    const Case cases[] = {
        {"no attributes: Arial 12, black", AttributedString("hello"),
         std::string(kArial12) + "hello</font></span>"},
        {"markup and quotes are escaped", AttributedString("a<b & 'c' \"d\">"),
         std::string(kArial12) + "a&lt;b &amp; &apos;c&apos; &quot;d&quot;&gt;</font></span>"},
        {"blank lines around are not sent, inner ones become <br/>",
         AttributedString("\n \n one\ntwo\u2028three\t. \n\n"),
         std::string(kArial12) + "one<br/>two<br/>three    .</font></span>"},
        {"one span per run, colour, bold, size", styled({{"plain ", {}}, {"loud", bold}}),
         std::string(kArial12) +
             "plain </font></span>"
             R"(<span style=" color: #ff8000; font-weight:bold; font-size: 13.5px">)"
             R"(<font face="Helvetica">loud</font></span>)"},
        {"underline then italic", styled({{"x", underlinedItalic}}),
         R"(<span style=" color: #000000; text-decoration: underline; font-style:italic; )"
         R"(font-size: 12px"><font face="Times">x</font></span>)"},
        {"underline style 0 is no underline", styled({{"y", notUnderlined}}),
         std::string(kArial12) + "y</font></span>"},
        {"a URL at the start is a link; text after keeps its span",
         AttributedString("http://example.com/a?b=1&c=2 ok"),
         "<a href='http://example.com/a?b=1&amp;c=2'>" + std::string(kArial12) +
             "http://example.com/a?b=1&amp;c=2</font></span></a>" + kArial12 + " ok</font></span>"},
        {"text before a typed address keeps its span; trailing full stop is not in it",
         AttributedString("see www.example.com."),
         std::string(kArial12) + "see </font></span><a href='http://www.example.com'>" + kArial12 +
             "www.example.com</font></span></a>" + kArial12 + ".</font></span>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sent(c.input), c.html) << c.what;
    }
}

TEST(ChatComposition, QuotesInALinkCannotLeaveTheHrefAttribute) {
    TextAttributes link;
    link.link = "http://x.example/'><script>alert(1)</script>";
    const auto html = chat_html::formSimpleHTML(styled({{"click", link}}));
    EXPECT_EQ(html.substr(0, html.find('>') + 1),
              "<a href='http://x.example/&apos;&gt;&lt;script&gt;alert(1)&lt;/script&gt;'>");
    EXPECT_EQ(html.find("<script"), std::string::npos);

    // A typed address ends at a quote.
    EXPECT_EQ(chat_html::formSimpleHTML(AttributedString("http://a.example/x'y")).substr(0, 30),
              "<a href='http://a.example/x&ap");
}

TEST(ChatComposition, BlankInputSendsNothing) {
    EXPECT_TRUE(sent(AttributedString(" \n\t\u2028 \n")).empty());
    EXPECT_TRUE(sent(AttributedString()).empty());
}

TEST(ChatComposition, ColoursAreRoundedToTwoLowerCaseHexDigits) {
    EXPECT_EQ(chat_html::cssHexColorString(std::nullopt), "#000000");
    EXPECT_EQ(chat_html::cssHexColorString(Color(0.5, 1.0 / 255 * 171, 1, 1)), "#80abff");
    EXPECT_EQ(chat_html::cssHexColorString(Color(2, -1, 0.999, 1)), "#ff00ff");
}

} // namespace
