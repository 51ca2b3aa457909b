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

TEST(HTMLDocument, ElementsMadeOutsideTheTreeJoinItWhenInserted) {
    auto document = HTMLDocument::parse("<body><div id=paras><p id=a>a</p></div></body>");
    std::vector<std::pair<HTMLDocument::Change::Kind, std::string>> changes;
    document->setChangeHandler([&](const HTMLDocument::Change& change) {
        changes.emplace_back(change.kind, change.element.tagName());
    });
    DOMElement paras = document->getElementById("paras");

    DOMElement entry = document->createElement("div");
    entry.setClassName("message");
    entry.setInnerHTML("<span>hi</span> there");
    entry.setAttribute("style", "color: red");
    EXPECT_FALSE(entry.isAttached());
    EXPECT_TRUE(changes.empty()) << "edits outside the tree show nowhere";
    EXPECT_FALSE(document->getElementsByTagName("span").size());

    EXPECT_EQ(paras.appendChild(entry), entry);
    EXPECT_TRUE(entry.isAttached());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, HTMLDocument::Change::Kind::Appended);
    EXPECT_EQ(changes[0].second, "div");
    EXPECT_EQ(paras.innerHTML(),
              "<p id=\"a\">a</p><div class=\"message\" style=\"color: red\"><span>hi</span> "
              "there</div>");

    // Before the first child, as an archive puts older lines.
    DOMElement older = document->createElement("p");
    older.setTextContent("older");
    paras.insertBefore(older, paras.firstElementChild());
    EXPECT_EQ(paras.firstElementChild().textContent(), "older");
    EXPECT_EQ(changes.back().first, HTMLDocument::Change::Kind::Modified);

    // Moving an element of the tree is a change at both places.
    changes.clear();
    document->body().appendChild(paras.firstElementChild());
    EXPECT_EQ(changes.size(), 2u);

    // Refused: an element into itself or its own descendant, or a reference elsewhere.
    EXPECT_FALSE(entry.appendChild(paras));
    EXPECT_FALSE(entry.appendChild(entry));
    EXPECT_FALSE(paras.insertBefore(document->createElement("p"), document->body()));

    DOMElement first = paras.firstElementChild();
    EXPECT_TRUE(paras.removeChild(first));
    EXPECT_FALSE(first);
    EXPECT_FALSE(paras.removeChild(entry.children()[0])) << "not a child of paras";
    EXPECT_EQ(paras.textContent(), "hi there");

    // Made and never inserted, or inserted into an element that never was: freed with the
    // document (the leak checker would tell).
    DOMElement lost = document->createElement("div");
    lost.appendChild(document->createElement("span"));
    document->createElement("p").setInnerHTML("<b>never shown</b>");
    EXPECT_EQ(*entry.pathFromBody(), (platform::DOMElementPath{{0, "div"}, {0, "div"}}));
    EXPECT_FALSE(lost.pathFromBody());

    // In a list, an index counts from the nearer end; text between elements does not count.
    auto list = HTMLDocument::parse("<ul id=l>" + std::string(" <li>a</li>x") + "<li>b</li> " +
                                    "<li>c</li><li>d</li>\n<li>e</li></ul>");
    const auto items = list->getElementById("l").children();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[1].pathFromBody()->back(),
              std::make_pair(std::ptrdiff_t{1}, std::string("li")));
    EXPECT_EQ(items[3].pathFromBody()->back(),
              std::make_pair(std::ptrdiff_t{-2}, std::string("li")));
    EXPECT_EQ(items[4].pathFromBody()->back(),
              std::make_pair(std::ptrdiff_t{-1}, std::string("li")));
}

TEST(HTMLDocument, TidiedMarkupIsWellFormedXMLOfTheBodyOnly) {
    struct Case {
        const char* html;
        const char* xml;
    };
    const Case cases[] = {
        {"<p>one<br>two", "<p>one<br/>two</p>"},
        {"<html><head><title>t</title></head><body><b>x</b></body></html>", "<b>x</b>"},
        {"<img src=a.png alt=smile>&nbsp;&amp;", "<img src=\"a.png\" alt=\"smile\"/>\u00a0&amp;"},
        {"<b><i>crossed</b></i> after", "<b><i>crossed</i></b> after"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::tidiedBodyXML(c.html), c.xml) << c.html;
}
