#include "platform/foundation/TestSupport.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/web/WebView.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using kittest::KitTest;
using platform::EventType;
using platform::Point;
using platform::Rect;
using platform::RunLoop;
using platform::WebError;
using platform::WebErrorCode;
using platform::WebNavigationAction;
using platform::WebPolicyDecision;
using platform::WebView;

// Writes down what the view tells its delegates and answers as told.
class RecordingDelegate : public platform::WebFrameLoadDelegate,
                          public platform::WebPolicyDelegate {
public:
    void webViewDidFinishLoad(WebView&, const std::string& url) override {
        finished.push_back(url);
    }
    void webViewDidFailLoad(WebView&, const WebError& error) override { failed.push_back(error); }
    WebPolicyDecision
    webViewDecidePolicyForNavigationAction(WebView&, const WebNavigationAction& action) override {
        navigations.push_back(action);
        return navigationDecision;
    }
    WebPolicyDecision webViewDecidePolicyForNewWindowAction(WebView&,
                                                            const WebNavigationAction& action,
                                                            const std::string&) override {
        newWindows.push_back(action);
        return WebPolicyDecision::Ignore;
    }

    std::vector<std::string> finished;
    std::vector<WebError> failed;
    std::vector<WebNavigationAction> navigations;
    std::vector<WebNavigationAction> newWindows;
    WebPolicyDecision navigationDecision = WebPolicyDecision::Use;
};

class WebViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 400, 300});
        webView = platform::make<WebView>(Rect{0, 0, 400, 300});
        window->contentView()->addSubview(webView);
        webView->setFrameLoadDelegate(&delegate);
        webView->setPolicyDelegate(&delegate);
    }
    void TearDown() override {
        webView.reset();
        window.reset();
        KitTest::TearDown();
    }

    std::string writePage(const std::string& name, const std::string& html) {
        const std::filesystem::path path = tmp / name;
        std::ofstream(path) << html;
        return "file://" + path.string();
    }

    const platform::WebLinkArea& link(const std::string& urlEnd) {
        static const platform::WebLinkArea none;
        areas = webView->linkAreas();
        for (const auto& area : areas)
            if (area.url.ends_with(urlEnd))
                return area;
        ADD_FAILURE() << "no link to " << urlEnd;
        return none;
    }

    // A click in the middle of a link's first line, through the window.
    void click(const platform::WebLinkArea& area) {
        ASSERT_FALSE(area.rects.empty());
        const Point inWindow = webView->convertPointToView(area.rects.front().center(), nullptr);
        mouse(EventType::LeftMouseDown, *window, inWindow);
        mouse(EventType::LeftMouseUp, *window, inWindow);
    }

    foundation_test::TempDir tmp;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<WebView> webView;
    RecordingDelegate delegate;
    std::vector<platform::WebLinkArea> areas;
};

TEST_F(WebViewTest, DrawsTheTextAsParagraphs) {
    webView->loadHTMLString(R"(<html><head><title>T</title><style>p{color:red}</style>
        <script>alert(1)</script></head><body>
        <h1>  Heading </h1>
        <p>Some   spread
           out <b>bold</b>text.<br>Next line</p>
        <ul><li>one</li><li>two</li></ul>
        <pre>a  b
c</pre></body></html>)");
    EXPECT_EQ(webView->renderedText(), "Heading\nSome spread out boldtext.\nNext line\n"
                                       "\u2022 one\n\u2022 two\na  b\nc");
}

TEST_F(WebViewTest, LoadsLocalPagesAndReportsOnALaterPass) {
    const std::string url = writePage("page.html", "<p>Hello</p>");
    webView->loadURL(url);
    EXPECT_EQ(webView->renderedText(), "Hello");
    EXPECT_TRUE(delegate.finished.empty()) << "the delegate hears nothing inside loadURL";
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(delegate.finished, std::vector<std::string>{url});
    EXPECT_EQ(webView->mainFrameURL(), url);
}

TEST_F(WebViewTest, PagesThatCannotLoadFailAndKeepThePageShown) {
    webView->loadHTMLString("<p>kept</p>");
    struct Case {
        std::string url;
        WebErrorCode code;
    };
    const Case cases[] = {
        {"ftp://ads.example.com/banner?user=1", WebErrorCode::UnsupportedURL},
        {"javascript:alert(1)", WebErrorCode::UnsupportedURL},
        {"mailto:someone@example.com", WebErrorCode::UnsupportedURL},
        {"file://" + (tmp / "missing.html").string(), WebErrorCode::FileDoesNotExist},
        {"file://otherhost/etc/hosts", WebErrorCode::FileDoesNotExist},
        {(tmp / "missing.html").string(), WebErrorCode::FileDoesNotExist},
    };
    for (const Case& c : cases) {
        delegate.failed.clear();
        webView->loadURL(c.url);
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(delegate.failed.size(), 1u) << c.url;
        EXPECT_EQ(delegate.failed[0].code, c.code) << c.url;
        EXPECT_FALSE(delegate.failed[0].localizedDescription.empty());
        EXPECT_EQ(webView->renderedText(), "kept") << c.url;
    }
    EXPECT_TRUE(delegate.finished.size() == 1) << "only the string load finished";
}

TEST_F(WebViewTest, NoReportReachesADelegateAfterTheViewIsGone) {
    webView->loadURL("ftp://example.com/");
    window->contentView()->subviews().back()->removeFromSuperview();
    webView.reset();
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(delegate.failed.empty());
}

TEST_F(WebViewTest, ALinkForANewWindowGoesToThePolicyDelegateOnly) {
    const std::string url = writePage(
        "ad.html", R"(<p>Visit <a href="https://shop.example.com/offer" target="_blank">our
        shop</a> or <a href="next.html">the next page</a>.</p>)");
    const std::string next = writePage("next.html", "<h2>Next</h2>");
    webView->loadURL(url);

    const auto& shop = link("/offer");
    EXPECT_EQ(shop.targetName, "_blank");
    click(shop);
    ASSERT_EQ(delegate.newWindows.size(), 1u);
    EXPECT_EQ(delegate.newWindows[0].url, "https://shop.example.com/offer");
    EXPECT_EQ(delegate.newWindows[0].navigationType, platform::WebNavigationType::LinkClicked);
    EXPECT_TRUE(delegate.navigations.empty());
    EXPECT_EQ(webView->mainFrameURL(), url) << "an ignored new window loads nothing here";

    // A press on one link and a release on another follows neither.
    const Point down = webView->convertPointToView(link("/offer").rects.front().center(), nullptr);
    const Point up = webView->convertPointToView(link("next.html").rects.front().center(), nullptr);
    mouse(EventType::LeftMouseDown, *window, down);
    mouse(EventType::LeftMouseUp, *window, up);
    EXPECT_EQ(delegate.newWindows.size(), 1u);
    EXPECT_TRUE(delegate.navigations.empty());

    delegate.navigationDecision = WebPolicyDecision::Ignore;
    click(link("next.html"));
    ASSERT_EQ(delegate.navigations.size(), 1u);
    EXPECT_EQ(delegate.navigations[0].url, next) << "resolved against the page";
    EXPECT_EQ(webView->mainFrameURL(), url);

    delegate.navigationDecision = WebPolicyDecision::Use;
    click(link("next.html"));
    EXPECT_EQ(webView->mainFrameURL(), next);
    EXPECT_EQ(webView->renderedText(), "Next");
}

TEST_F(WebViewTest, ClicksAnywhereOnALinkFollowItAndBesideItNothing) {
    webView->loadHTMLString(R"(<p>Plain words then <a href="file:///x.html">a link</a></p>)");
    delegate.navigationDecision = WebPolicyDecision::Ignore;
    const Rect first = link("x.html").rects.front();
    const auto clickAt = [&](Point p) {
        const Point inWindow = webView->convertPointToView(p, nullptr);
        mouse(EventType::LeftMouseDown, *window, inWindow);
        mouse(EventType::LeftMouseUp, *window, inWindow);
    };
    for (Point p : {Point{first.minX() - 40, first.midY()}, Point{first.maxX() + 60, first.midY()},
                    Point{first.midX(), first.maxY() + 40}})
        clickAt(p);
    EXPECT_TRUE(delegate.navigations.empty());
    // Every part of every character, the right halves included.
    std::size_t expected = 0;
    for (double x = first.minX() + 0.5; x < first.maxX(); x += 1.0) {
        clickAt({x, first.midY()});
        EXPECT_EQ(delegate.navigations.size(), ++expected) << "at x " << x;
    }
}

TEST_F(WebViewTest, TheSpaceBeforeALinkIsNotPartOfIt) {
    webView->loadHTMLString(R"(<p>two.   <a href="file:///x.html">Buy</a> <br> next</p>)");
    EXPECT_EQ(webView->renderedText(), "two. Buy\nnext");
    platform::TextAttributes body;
    body.font = platform::Font::fontWithName("Helvetica", 13);
    const Rect linkRect = link("x.html").rects.front();
    EXPECT_NEAR(linkRect.width(), platform::sizeWithAttributes("Buy", body).width, 1.0);
    EXPECT_GE(linkRect.minX() - 8, platform::sizeWithAttributes("two. ", body).width - 1.0)
        << "8 is the page margin";
}

TEST_F(WebViewTest, DomEditsChangeWhatIsShown) {
    webView->loadHTMLString(R"(<div id="log"><p>first</p></div>)");
    platform::HTMLDocument& document = webView->mainFrameDocument();
    platform::DOMElement line = document.getElementById("log").appendChild("p");
    line.appendText("second ");
    line.appendChild("a").setAttribute("href", "file:///more.html");
    EXPECT_TRUE(webView->linkAreas().empty()) << "a link without text has nothing to click";
    document.getElementById("log").children()[1].children()[0].setInnerText("more");
    EXPECT_EQ(webView->renderedText(), "first\nsecond more");
    EXPECT_EQ(webView->linkAreas().size(), 1u);
}

TEST_F(WebViewTest, LinksAreDrawnBlueAndLongPagesScroll) {
    std::string html = R"(<p><a href="file:///x.html">LINKLINK</a></p>)";
    for (int i = 0; i < 60; ++i)
        html += "<p>line " + std::to_string(i) + "</p>";
    webView->loadHTMLString(html);
    const Rect inWindow = webView->convertRectToView(link("x.html").rects.front(), nullptr);
    const platform::WindowPixels pixels = window->backingPixels();
    bool blue = false;
    for (int x = int(inWindow.minX()); x < int(inWindow.maxX()); ++x) {
        const int row = pixels.height - int(inWindow.midY());
        const auto* p = reinterpret_cast<const std::uint32_t*>(pixels.data + row * pixels.stride);
        const std::uint32_t argb = p[x];
        if ((argb & 0xff) > 0x80 && ((argb >> 16) & 0xff) < 0x40)
            blue = true;
    }
    EXPECT_TRUE(blue);
    platform::View* document = webView->scrollView()->documentView();
    EXPECT_GT(document->frame().height(), 300 * 2);
    EXPECT_LE(document->frame().width(), 400);
}

TEST_F(WebViewTest, MessagesAppendedThroughTheDomShowOnTheNextPassAndCanBeScrolledTo) {
    std::string page = "<style>.m{margin:6px 0}</style><div id=paras>";
    for (int i = 0; i < 40; ++i)
        page += "<div class=m>line " + std::to_string(i) + "</div>";
    webView->loadHTMLString(page + "</div>");
    platform::HTMLDocument& document = webView->mainFrameDocument();
    platform::View* pageView = webView->scrollView()->documentView();
    const double height = pageView->frame().height();

    platform::DOMElement entry = document.createElement("div");
    entry.setClassName("m");
    entry.setInnerHTML("<b>newest</b> line");
    document.getElementById("paras").appendChild(entry);
    RunLoop::main().runUntilIdle();
    EXPECT_GT(pageView->frame().height(), height) << "the page grew before anyone asked";
    EXPECT_TRUE(webView->renderedText().ends_with("line 39\nnewest line"));

    // Scrolled on the next pass, with the page as it is then.
    entry.scrollIntoView(false);
    RunLoop::main().runUntilIdle();
    const Rect visible = webView->scrollView()->contentView()->bounds();
    EXPECT_NEAR(visible.maxY(), pageView->frame().height(), 9) << "at the bottom";
    document.getElementById("paras").firstElementChild().scrollIntoView(true);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(webView->scrollView()->contentView()->bounds().minY(), 8 + 6)
        << "the body's margin and the message's";

    // An element asked for and then taken out is not looked for.
    platform::DOMElement gone = document.getElementById("paras").appendChild("div");
    gone.appendText("short-lived");
    gone.scrollIntoView(true);
    gone.remove();
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(webView->renderedText().ends_with("short-lived"));

    // Appending into a table, which the page's two readers build differently, still shows.
    webView->loadHTMLString("<table><tr><td id=cell>a</td></tr></table>");
    webView->mainFrameDocument().getElementById("cell").appendChild("div").appendText("b");
    EXPECT_EQ(webView->renderedText(), "a\nb");
}

TEST_F(WebViewTest, DraggingSelectsWordsAndCopyPutsThemOnThePasteboard) {
    platform::Pasteboard::resetAll();
    webView->loadHTMLString("<p>alpha beta gamma</p><p>delta <a href=x>link</a></p>");
    const auto runs = [&] {
        // The words' places: the links give the last; the first line is at the top.
        return webView->linkAreas();
    }();
    ASSERT_EQ(runs.size(), 1u);
    const Rect linkRect = runs[0].rects.front();
    const Point start = webView->convertPointToView({10, linkRect.midY() - 30}, nullptr);
    const Point end = webView->convertPointToView({linkRect.minX() - 12, linkRect.midY()}, nullptr);
    mouse(EventType::LeftMouseDown, *window, start);
    mouse(EventType::LeftMouseDragged, *window, end);
    mouse(EventType::LeftMouseUp, *window, end);
    EXPECT_EQ(webView->selectedText(), "alpha beta gamma\ndelta");
    key("c", platform::ControlKeyMask);
    EXPECT_EQ(
        platform::Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
        "alpha beta gamma\ndelta");

    webView->selectAll();
    EXPECT_EQ(webView->selectedText(), "alpha beta gamma\ndelta link");
    webView->loadHTMLString("<p>new page</p>");
    EXPECT_EQ(webView->selectedText(), "") << "a new page has nothing selected";
    EXPECT_FALSE(webView->copySelection());
}

TEST_F(WebViewTest, TheContextMenuOffersWhatIsUnderThePointerAndTheDelegateTrimsIt) {
    webView->loadHTMLString(R"(<p><a href="https://example.org/a">a link</a> and text</p>)");
    const platform::WebLinkArea& area = link("/a");
    ASSERT_FALSE(area.rects.empty());
    const auto tags = [](const std::shared_ptr<platform::Menu>& menu) {
        std::vector<long> result;
        for (const auto& item : menu->itemArray())
            result.push_back(item->tag());
        return result;
    };
    std::shared_ptr<platform::Menu> menu = webView->contextMenuAt(area.rects.front().center());
    ASSERT_TRUE(menu);
    EXPECT_EQ(tags(menu), (std::vector<long>{platform::WebMenuItemTagOpenLinkInNewWindow,
                                             platform::WebMenuItemTagCopyLinkToClipboard}));
    platform::Pasteboard::resetAll();
    menu->itemArray()[1]->target()->tryToPerform("webMenuItem:", menu->itemArray()[1].get());
    EXPECT_EQ(
        platform::Pasteboard::generalPasteboard().stringForType(platform::PasteboardTypeString),
        "https://example.org/a");
    menu->itemArray()[0]->target()->tryToPerform("webMenuItem:", menu->itemArray()[0].get());
    ASSERT_EQ(delegate.newWindows.size(), 1u) << "a new window goes through the policy";
    EXPECT_EQ(delegate.newWindows[0].url, "https://example.org/a");

    struct Trim : platform::WebUIDelegate {
        std::vector<std::shared_ptr<platform::MenuItem>> webViewContextMenuItemsForElement(
            WebView&, const platform::WebElementInfo& element,
            std::vector<std::shared_ptr<platform::MenuItem>> items) override {
            seen = element.linkURL;
            std::erase_if(items, [](const auto& item) {
                return item->tag() != platform::WebMenuItemTagCopyLinkToClipboard;
            });
            return items;
        }
        std::string seen;
    } trim;
    webView->setUIDelegate(&trim);
    menu = webView->contextMenuAt(area.rects.front().center());
    EXPECT_EQ(trim.seen, "https://example.org/a");
    EXPECT_EQ(tags(menu), std::vector<long>{platform::WebMenuItemTagCopyLinkToClipboard});
    EXPECT_FALSE(webView->contextMenuAt({390, 290})) << "nothing to offer away from the link";
    webView->setUIDelegate(nullptr);
}

TEST_F(WebViewTest, ABurstOfAppendedMessagesShowsItsEndFirstAndStaysAtTheBottomWhenWhole) {
    webView->loadHTMLString("<style>.m{margin:6px 0}</style><div id=paras></div><p>below</p>");
    platform::HTMLDocument& document = webView->mainFrameDocument();
    platform::DOMElement paras = document.getElementById("paras");
    paras.appendChild("div").appendText("Welcome");
    RunLoop::main().runUntilIdle();
    for (int i = 0; i < 600; ++i) {
        platform::DOMElement message = document.createElement("div");
        message.setClassName("m");
        message.setInnerText("Message " + std::to_string(i) + " with a few more words in it");
        paras.appendChild(message);
        message.scrollIntoView(false);
    }
    RunLoop::main().runUntilIdle();
    window->displayIfNeeded();
    platform::View* pageView = webView->scrollView()->documentView();
    const auto visible = [&] { return webView->scrollView()->contentView()->bounds(); };
    const double first = pageView->frame().height();
    EXPECT_LT(first, 600 * 10) << "only the newest messages are laid out yet";
    EXPECT_GT(first, visible().height());
    const double fromBottom = first - visible().maxY();
    EXPECT_LT(fromBottom, 60) << "the newest message is in sight, above the paragraph below";

    RunLoop::main().runFor(0.1);
    const double whole = pageView->frame().height();
    EXPECT_GT(whole, 600 * 15);
    EXPECT_NEAR(whole - visible().maxY(), fromBottom, 1) << "as far from the bottom as before";
    const std::string text = webView->renderedText();
    EXPECT_NE(text.find("Welcome\nMessage 0 with"), std::string::npos);
    EXPECT_TRUE(text.ends_with("Message 599 with a few more words in it\nbelow"));
}

TEST_F(WebViewTest, ALongPageShowsItsBeginningFirstAndTheRestOnALaterPass) {
    std::string page = "<style>p{color:#333}</style><div id=all>";
    for (int i = 0; page.size() < 100 * 1024; ++i)
        page += "<p>Paragraph " + std::to_string(i) + " with enough words to wrap once.</p>";
    webView->loadHTMLString(page + "</div><p id=end>The end</p>");
    platform::View* pageView = webView->scrollView()->documentView();
    const double first = pageView->frame().height();
    window->displayIfNeeded();
    EXPECT_EQ(pageView->frame().height(), first) << "drawing keeps to the beginning";
    RunLoop::main().runFor(0.1);
    const double whole = pageView->frame().height();
    EXPECT_GT(whole, first * 4);
    EXPECT_TRUE(webView->renderedText().ends_with("The end"));

    // Whoever asks about the page before then gets all of it.
    webView->loadHTMLString(page + "</div><p id=end>The end</p>");
    EXPECT_TRUE(webView->renderedText().ends_with("The end"));
    EXPECT_EQ(pageView->frame().height(), whole);
}

} // namespace
