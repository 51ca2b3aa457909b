#include "platform/web/HTMLDocument.h"

#include <gtest/gtest.h>

using platform::DOMElement;
using platform::HTMLDocument;

TEST(HTMLDocument, RepairsPagesAndFindsElements) {
    // No html, head or body, an unclosed paragraph and an entity: the parser repairs them.
    auto document = HTMLDocument::parse(
        "<title> The   page </title><p id=first>One &amp; two<p id=second class=x>Three");
    EXPECT_EQ(document->documentElement().tagName(), "html");
    EXPECT_EQ(document->body().tagName(), "body");
    EXPECT_EQ(document->title(), "The page");
    EXPECT_EQ(document->getElementById("first").textContent(), "One & two");
    EXPECT_EQ(document->getElementById("second").getAttribute("class"), "x");
    EXPECT_FALSE(document->getElementById("missing"));
    EXPECT_EQ(document->getElementsByTagName("P").size(), 2u);
    ASSERT_EQ(document->evaluateXPath("//p[@class='x']").size(), 1u);
    EXPECT_TRUE(document->evaluateXPath("//p[").empty()) << "a broken expression selects nothing";
}

TEST(HTMLDocument, EmptyAndPlainTextStillGiveABody) {
    for (const char* text : {"", "just words", "\n\n"}) {
        auto document = HTMLDocument::parse(text);
        ASSERT_TRUE(document->body()) << '"' << text << '"';
        EXPECT_EQ(document->documentElement().tagName(), "html");
    }
    EXPECT_EQ(HTMLDocument::parse("just words")->body().textContent(), "just words");
}

TEST(HTMLDocument, EditsThroughTheDomAreSeenAndKeepMarkupAsText) {
    auto document = HTMLDocument::parse("<body><div id=chat><p>old</p></div></body>");
    int changes = 0;
    document->setChangeHandler([&] { ++changes; });
    DOMElement chat = document->getElementById("chat");

    chat.setInnerText("<b>not bold</b> & more");
    EXPECT_EQ(chat.textContent(), "<b>not bold</b> & more");
    EXPECT_TRUE(chat.children().empty());
    EXPECT_NE(chat.innerHTML().find("&lt;b&gt;"), std::string::npos);

    DOMElement line = chat.appendChild("p");
    line.setAttribute("id", "line");
    line.appendText("hello");
    EXPECT_EQ(document->getElementById("line").textContent(), "hello");
    EXPECT_EQ(line.parentElement(), chat);

    chat.setInnerHTML("<span>a</span><b>b");
    ASSERT_EQ(chat.children().size(), 2u);
    EXPECT_EQ(chat.children()[1].tagName(), "b");
    EXPECT_EQ(chat.textContent(), "ab");

    chat.children()[0].remove();
    EXPECT_EQ(chat.textContent(), "b");
    EXPECT_EQ(changes, 6);
    EXPECT_NE(document->serialize().find("<b>b</b>"), std::string::npos);
}

TEST(HTMLDocument, ResolvesReferencesAgainstItsBase) {
    auto document = HTMLDocument::parse("<p>x</p>", "file:///opt/app/html/page.html");
    EXPECT_EQ(document->resolveURL("other.html"), "file:///opt/app/html/other.html");
    EXPECT_EQ(document->resolveURL("../img/a.png"), "file:///opt/app/img/a.png");
    EXPECT_EQ(document->resolveURL("https://example.org/x"), "https://example.org/x");
    EXPECT_EQ(HTMLDocument::parse("")->resolveURL("other.html"), "other.html");
    EXPECT_EQ(platform::percentDecoded("a%20b%zz%4"), "a b%zz%4");
}
