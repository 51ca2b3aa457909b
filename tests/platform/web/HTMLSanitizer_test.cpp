#include "platform/web/HTMLDocument.h"
#include "platform/web/HTMLSanitizer.h"

#include <gtest/gtest.h>

namespace {

using platform::HTMLDocument;
using platform::HTMLSanitizer;
using Policy = HTMLSanitizer::Policy;

// Whether anything in a cleaned fragment could run: script or frame-like elements, handler
// attributes, or an address in a scheme that runs code, read the way the DOM reads it.
std::string activeContent(const std::string& html) {
    auto document = HTMLDocument::parse("<html><body>" + html + "</body></html>");
    for (const char* tag : {"script", "iframe", "frame", "frameset", "object", "embed", "applet",
                            "svg", "math", "meta", "link", "base", "form", "input", "button"})
        if (!document->getElementsByTagName(tag).empty())
            return std::string("a ") + tag + " element";
    for (const platform::DOMElement& element : document->getElementsByTagName("*")) {
        for (const char* attribute : {"href", "src", "background", "action"}) {
            const std::string value = element.getAttribute(attribute);
            if (!value.empty() && !HTMLSanitizer::isSafeURL(value, true))
                return std::string("an unsafe ") + attribute + ": " + value;
        }
    }
    // Any "on..." attribute is a handler.
    for (const platform::DOMElement& element : document->getElementsByTagName("*")) {
        const std::string markup = element.outerHTML();
        const std::string open = markup.substr(0, markup.find('>'));
        std::string lower;
        for (char c : open)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (std::size_t at = lower.find(" on"); at != std::string::npos;
             at = lower.find(" on", at + 1))
            if (lower.find('=', at) != std::string::npos &&
                lower.find_first_of(" =", at + 1) == lower.find('=', at))
                return "a handler attribute in " + open;
        if (lower.find("expression(") != std::string::npos ||
            lower.find("javascript:") != std::string::npos)
            return "script in " + open;
    }
    return {};
}

TEST(HTMLSanitizer, NothingExecutableSurvivesAHostileTable) {
    struct Case {
        const char* html;
        // Text that must still be there (formatting and words kept), or "".
        const char* kept;
    };
    const Case cases[] = {
        {"<script>alert(1)</script>safe", "safe"},
        {"<SCRIPT SRC=//evil.example/x.js></SCRIPT><b>bold</b>", "<b>bold</b>"},
        {"<img src=x onerror=alert(1)>", ""},
        {"<img src=\"x.png\" OnError=\"alert(1)\" alt=pic>", "x.png"},
        {"<a href=\"javascript:alert(1)\">link</a>", "link"},
        {"<a href=\"JaVaScRiPt:alert(1)\">link</a>", "link"},
        {"<a href=\" javascript:alert(1)\">x</a>", "x"},
        {"<a href=\"java\tscript:alert(1)\">x</a>", "x"},
        {"<a href=\"&#106;avascript:alert(1)\">x</a>", "x"},
        {"<a href=\"&#x6A;avascript&#58;alert(1)\">x</a>", "x"},
        {"<a href=\"vbscript:msgbox(1)\">x</a>", "x"},
        {"<a href=\"data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==\">x</a>", "x"},
        {"<iframe src=\"https://evil.example\"></iframe><p>after</p>", "<p>after</p>"},
        {"<object data=x.swf></object>text<embed src=x.swf>", "text"},
        {"<svg onload=alert(1)><circle/></svg>ok", "ok"},
        {"<math><mi xlink:href=\"javascript:alert(1)\">x</mi></math>ok", "ok"},
        {"<div style=\"width: expression(alert(1)); color: red\">s</div>", "color: red"},
        {"<div style=\"background:url(javascript:alert(1))\">s</div>", "s"},
        {"<p style=\"-moz-binding:url(x.xml#y)\">p</p>", "p"},
        {"<scr<script>ipt>alert(1)</scr</script>ipt>", ""},
        {"<<script>script>alert(1)<</script>/script>", ""},
        {"<div><p><b><i>deep <script>x()</script>nest</i></b></p></div>", "<i>deep nest</i>"},
        {"<p>unclosed <b>bold <a href=\"http://ok.example/\">link", "http://ok.example/"},
        {"<!--[if IE]><script>alert(1)</script><![endif]-->visible", "visible"},
        {"<style>@import 'http://evil.example/x.css';</style>t", "t"},
        {"<form action=\"http://evil.example\"><input value=x><button>b</button></form>f", "f"},
        {"<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">m", "m"},
        {"<base href=\"javascript:alert(1)//\"><a href=\"x\">rel</a>", "rel"},
        {"<body onload=alert(1)>body text</body>", "body text"},
        {"&lt;script&gt;alert(1)&lt;/script&gt;", "&lt;script&gt;"},
        {"<table border=1><tr><td bgcolor=red onmouseover=x()>cell</td></tr></table>",
         "bgcolor=\"red\""},
        {"<font color=blue face=serif size=4>f</font><ul><li>one</li></ul>",
         "<font color=\"blue\" face=\"serif\" size=\"4\">f</font>"},
    };
    for (const Case& c : cases) {
        const std::string cleaned = HTMLSanitizer::sanitizeFragment(c.html, Policy::Page);
        EXPECT_EQ(activeContent(cleaned), "") << c.html << "\n -> " << cleaned;
        EXPECT_NE(cleaned.find(c.kept), std::string::npos) << c.html << "\n -> " << cleaned;
        // Cleaning what was cleaned changes nothing.
        EXPECT_EQ(HTMLSanitizer::sanitizeFragment(cleaned, Policy::Page), cleaned) << c.html;
    }
}

TEST(HTMLSanitizer, TranscriptsFetchNothingButKeepLocalPictures) {
    const std::string cleaned = HTMLSanitizer::sanitizeFragment(
        R"(<img src="https://tracker.example/pixel.gif" alt="[pixel]">)"
        R"(<img src="file:///opt/app/smiley.png" alt="smile">)"
        R"(<img src="//cdn.example/x.png">)"
        R"(<i src="http://tracker.example/i"></i><a src="http://tracker.example/a">a</a>)"
        R"(<p style="background: url(http://tracker.example/b.png); color: green">g</p>)"
        R"(<style>p{color:red}</style><a href="https://example.org/">a link stays</a>)",
        Policy::Transcript);
    EXPECT_EQ(cleaned.find("tracker"), std::string::npos) << cleaned;
    EXPECT_EQ(cleaned.find("cdn.example"), std::string::npos) << cleaned;
    EXPECT_EQ(cleaned.find("<style"), std::string::npos) << cleaned;
    EXPECT_NE(cleaned.find("[pixel]"), std::string::npos) << "a dropped picture leaves its alt";
    EXPECT_NE(cleaned.find("file:///opt/app/smiley.png"), std::string::npos) << cleaned;
    EXPECT_NE(cleaned.find("color: green"), std::string::npos) << cleaned;
    EXPECT_NE(cleaned.find("https://example.org/"), std::string::npos) << cleaned;

    // A page may show pictures from the network.
    EXPECT_NE(
        HTMLSanitizer::sanitizeFragment(R"(<img src="https://cdn.example/x.png">)", Policy::Page)
            .find("https://cdn.example/x.png"),
        std::string::npos);
}

TEST(HTMLSanitizer, WholePagesKeepTheirTitleAndStyle) {
    const std::string cleaned = HTMLSanitizer::sanitizeDocument(
        "<html onload=x()><head><title>T</title><script>x()</script>"
        "<style>h1{color:red}</style><link rel=stylesheet href=http://e/x.css></head>"
        "<body><h1>Head</h1></body></html>",
        Policy::Page);
    auto document = HTMLDocument::parse(cleaned);
    EXPECT_EQ(document->title(), "T");
    EXPECT_EQ(document->getElementsByTagName("script").size(), 0u);
    EXPECT_EQ(document->getElementsByTagName("link").size(), 0u);
    EXPECT_EQ(document->getElementsByTagName("style").size(), 1u);
    EXPECT_FALSE(document->documentElement().hasAttribute("onload"));
    EXPECT_EQ(document->body().textContent(), "Head");
}

} // namespace
