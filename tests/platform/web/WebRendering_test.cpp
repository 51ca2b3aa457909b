#include "platform/foundation/TestSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ScrollView.h"
#include "platform/web/WebPageRenderer.h"
#include "platform/web/WebView.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using kittest::KitTest;
using platform::Color;
using platform::Rect;
using platform::WebPageRenderer;
using platform::WebView;

// Where the reference pictures live; LUMIQ_UPDATE_WEB_REFERENCES=1 writes them anew.
std::filesystem::path referencePath(const std::string& name) {
    return std::filesystem::path(LUMIQ_SOURCE_DIR) / "tests/platform/web/reference" /
           (name + ".png");
}

// A picture of a window's pixels, top row first, as Cairo keeps them.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }

    static Picture of(platform::Window& window) {
        window.display();
        const platform::WindowPixels pixels = window.backingPixels();
        Picture picture{pixels.width, pixels.height, {}};
        picture.argb.resize(static_cast<std::size_t>(pixels.width * pixels.height));
        for (int y = 0; y < pixels.height; ++y)
            std::memcpy(&picture.argb[static_cast<std::size_t>(y * pixels.width)],
                        pixels.data + y * pixels.stride,
                        static_cast<std::size_t>(pixels.width) * 4);
        return picture;
    }

    bool writePNG(const std::filesystem::path& path) const {
        std::vector<std::uint32_t> copy = argb;
        auto context = platform::GraphicsContext::contextWithPixels(
            reinterpret_cast<unsigned char*>(copy.data()), width, height, width * 4);
        return context->writePNG(path);
    }
};

// How many pixels differ from the reference by more than `tolerance` in a channel; -1 when
// the reference is missing or of another size.
long differingPixels(const Picture& picture, const std::filesystem::path& reference,
                     int tolerance = 40) {
    std::shared_ptr<platform::Image> image = platform::Image::imageWithContentsOfFile(reference);
    if (!image || image->pixelsWide() != picture.width || image->pixelsHigh() != picture.height)
        return -1;
    long differing = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            // The image counts rows from the bottom.
            const Color expected = image->colorAt(x, picture.height - 1 - y);
            const std::uint32_t got = picture.at(x, y);
            const int channels[3][2] = {
                {int((got >> 16) & 0xff), int(std::lround(expected.redComponent() * 255))},
                {int((got >> 8) & 0xff), int(std::lround(expected.greenComponent() * 255))},
                {int(got & 0xff), int(std::lround(expected.blueComponent() * 255))}};
            for (const auto& [a, b] : channels) {
                if (std::abs(a - b) > tolerance) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return differing;
}

class WebRenderingTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 360, 420}, platform::BorderlessWindowMask);
        webView = platform::make<WebView>(Rect{0, 0, 360, 420});
        window->setContentView(webView);
    }
    void TearDown() override {
        webView.reset();
        window.reset();
        KitTest::TearDown();
    }

    // Compares what the window shows with the reference picture: at most 1% of the pixels
    // may differ (text edges move a little between font versions).
    void expectLooksLike(const std::string& name) {
        const Picture picture = Picture::of(*window);
        const std::filesystem::path reference = referencePath(name);
        const char* update = std::getenv("LUMIQ_UPDATE_WEB_REFERENCES");
        if (update && std::string(update) == "1") {
            std::filesystem::create_directories(reference.parent_path());
            ASSERT_TRUE(picture.writePNG(reference));
            return;
        }
        const long differing = differingPixels(picture, reference);
        const std::filesystem::path actual = tmp.path() / (name + "-actual.png");
        picture.writePNG(actual);
        ASSERT_GE(differing, 0) << "no reference picture " << reference << "; see " << actual;
        EXPECT_LE(differing, picture.width * picture.height / 100)
            << name << " differs from its reference; see " << actual;
    }

    // The colour at a point of the web view.
    std::uint32_t pixelAt(const Picture& picture, platform::Point inView) {
        const platform::Point inWindow = webView->convertPointToView(inView, nullptr);
        return picture.at(int(inWindow.x), picture.height - 1 - int(inWindow.y)) & 0xffffff;
    }

    foundation_test::TempDir tmp;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<WebView> webView;
};

TEST_F(WebRenderingTest, APageWithItsStyleLooksAsDrawnBefore) {
    // A 24 x 16 picture, blue on the left and yellow on the right.
    auto picture = std::make_shared<platform::Image>(platform::Size{24, 16});
    picture->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(Color(0, 0, 1, 1));
    platform::GraphicsContext::currentContext()->fillRect({0, 0, 12, 16});
    platform::GraphicsContext::currentContext()->setFillColor(Color(1, 1, 0, 1));
    platform::GraphicsContext::currentContext()->fillRect({12, 0, 12, 16});
    picture->unlockFocus();
    ASSERT_TRUE(picture->writePNG(tmp.path() / "swatch.png"));

    webView->loadHTMLString(
        R"(<html><head><style>
          h1 { color: #c00000; font-size: 22px; margin: 4px 0 }
          .note { background: #e0f0ff; border: 2px solid #3060a0; padding: 4px }
          table { border-collapse: collapse; margin-top: 6px }
          td, th { border: 1px solid #444; padding: 2px 6px }
          th { background: #ffe080 }
          .mono { font-family: monospace } .serif { font-family: serif; font-style: italic }
        </style></head><body>
        <h1>Heading</h1>
        <p>Plain text, <b>bold</b>, <span class="serif">serif italic</span> and
           <span class="mono">monospace</span>, then <a href="next.html">a link</a>.</p>
        <div class="note">A box with a border and a background.</div>
        <table><tr><th>Name</th><th>Number</th></tr><tr><td>Alice</td><td>1001</td></tr></table>
        <ul><li>First</li><li>Second</li></ul>
        <p><img src="swatch.png" width="48" height="32"> after the picture</p>
        </body></html>)",
        "file://" + (tmp.path() / "page.html").string());
    expectLooksLike("styled-page");

    // Whatever the reference says, these must hold.
    const Picture shown = Picture::of(*window);
    const auto containsColour = [&](std::uint32_t colour) {
        for (std::uint32_t pixel : shown.argb)
            if ((pixel & 0xffffff) == colour)
                return true;
        return false;
    };
    EXPECT_TRUE(containsColour(0xe0f0ff)) << "the box's background";
    EXPECT_TRUE(containsColour(0x3060a0)) << "the box's border";
    EXPECT_TRUE(containsColour(0xffe080)) << "the table heading's background";
    EXPECT_TRUE(containsColour(0x0000ff) && containsColour(0xffff00)) << "the picture";
}

TEST_F(WebRenderingTest, AClickOnADrawnLinkAsksThePolicyWithItsAddress) {
    struct Policy : platform::WebPolicyDelegate {
        platform::WebPolicyDecision
        webViewDecidePolicyForNavigationAction(WebView&,
                                               const platform::WebNavigationAction& a) override {
            urls.push_back(a.url);
            return platform::WebPolicyDecision::Ignore;
        }
        std::vector<std::string> urls;
    } policy;
    webView->setPolicyDelegate(&policy);
    webView->loadHTMLString(R"(<table><tr><td>cell</td><td><a href="/there">in a table</a></td>
        </tr></table><h2><a href="#top">heading link</a></h2>)",
                            "file:///pages/here.html");
    const auto areas = webView->linkAreas();
    ASSERT_EQ(areas.size(), 2u);
    for (const auto& area : areas) {
        const platform::Point at =
            webView->convertPointToView(area.rects.front().center(), nullptr);
        mouse(platform::EventType::LeftMouseDown, *window, at);
        mouse(platform::EventType::LeftMouseUp, *window, at);
    }
    EXPECT_EQ(policy.urls,
              (std::vector<std::string>{"file:///there", "file:///pages/here.html#top"}));
    webView->setPolicyDelegate(nullptr);
}

TEST_F(WebRenderingTest, AScrolledLongListPaintsTheRowsInSight) {
    // Row i is 20 points high and coloured 0x40RRGG with its index in green and red.
    std::string page = "<body style='margin:0'><div>";
    const auto colour = [](int row) {
        return 0x400000u | std::uint32_t(row / 256) << 8 | (row % 256);
    };
    char hex[8];
    for (int row = 0; row < 400; ++row) {
        std::snprintf(hex, sizeof hex, "%06x", colour(row));
        page += std::string("<div style='height:20px;background:#") + hex + "'></div>";
    }
    webView->loadHTMLString(page + "</div></body>");
    for (const double top : {0.0, 3000.0, 7000.0}) {
        webView->scrollView()->contentView()->scrollToPoint({0, top});
        const Picture shown = Picture::of(*window);
        for (int k = 0; k < 20; ++k) {
            const int row = int(top) / 20 + k;
            EXPECT_EQ(pixelAt(shown, {10, 10.0 + k * 20}), colour(row)) << "row " << row;
        }
    }
}

// The page below #log after some messages were appended one at a time, against the same page
// laid out whole: positions and heights must agree to the pixel.
TEST(WebPageRendererTest, AnAppendedElementIsLaidOutAloneExactlyAsAWholeLayoutWould) {
    struct Case {
        const char* name;
        const char* style;
        const char* entry;
    };
    const Case cases[] = {
        {"plain blocks", "", "<div>message</div>"},
        {"collapsing margins", "p{margin:10px 0} #log{margin:0}", "<p>a paragraph</p>"},
        {"padding and borders", ".m{padding:3px;border:2px solid red;margin:5px}",
         "<div class=m>boxed <b>words</b> that wrap across the narrow width of the page, "
         "more than once</div>"},
        {"parent with padding", "#log{padding:0 4px 12px;border-bottom:1px solid}", "<div>x</div>"},
        {"a list", "", "<ul><li>one</li><li>two</li></ul>"},
    };
    for (const Case& c : cases) {
        std::string head = std::string("<html><head><style>") + c.style + "</style></head><body>";
        std::string messages;
        for (int i = 0; i < 5; ++i)
            messages += c.entry;
        const std::string tail = "</div><div id=footer>after the log</div></body></html>";
        const platform::DOMElementPath log{{0, "div"}};
        const platform::DOMElementPath footer{{1, "div"}};

        WebPageRenderer grown;
        grown.setHTML(head + "<div id=log>" + messages + tail);
        grown.layout(240);
        const double before = grown.rectOfElement(footer)->minY();
        for (int i = 0; i < 3; ++i) {
            const WebPageRenderer::Appended appended = grown.appendHTML(log, c.entry);
            ASSERT_TRUE(appended.found) << c.name;
            ASSERT_TRUE(appended.changed) << c.name << ": laid out alone";
            EXPECT_GE(appended.changed->minY(), before - 20) << c.name << ": repaints from the end";
        }
        WebPageRenderer whole;
        whole.setHTML(head + "<div id=log>" + messages + c.entry + c.entry + c.entry + tail);
        whole.layout(240);
        EXPECT_EQ(grown.height(), whole.height()) << c.name;
        EXPECT_EQ(*grown.rectOfElement(footer), *whole.rectOfElement(footer)) << c.name;
        EXPECT_EQ(*grown.rectOfElement(log), *whole.rectOfElement(log)) << c.name;
        EXPECT_EQ(grown.renderedText(), whole.renderedText()) << c.name;
    }
}

TEST(WebPageRendererTest, AppendsItCannotPlaceAloneLayTheWholePageOut) {
    WebPageRenderer renderer;
    renderer.setHTML("<body><div id=log>text <span>inline</span></div>"
                     "<div style='float:left' id=f><div>x</div></div></body>");
    renderer.layout(300);
    // Inline content among the log's children: the line must be broken again.
    WebPageRenderer::Appended appended = renderer.appendHTML({{0, "div"}}, "<span>more</span>");
    EXPECT_TRUE(appended.found);
    EXPECT_FALSE(appended.changed);
    EXPECT_TRUE(renderer.needsLayout());
    renderer.layout(300);
    EXPECT_EQ(renderer.renderedText(), "text inlinemore\nx");
    // A floating parent moves what flows beside it.
    appended = renderer.appendHTML({{1, "div"}}, "<div>y</div>");
    EXPECT_FALSE(appended.changed);
    // A path the page does not have is reported, and nothing changes.
    EXPECT_FALSE(renderer.appendHTML({{5, "div"}}, "<div>z</div>").found);
    EXPECT_FALSE(renderer.appendHTML({{0, "p"}}, "<div>z</div>").found);
}

TEST(WebPageRendererTest, LinksInAnAreaAreFoundWithOrWithoutTheWholePagesLinks) {
    std::string page = "<body style='margin:0'><div>";
    for (int row = 0; row < 300; ++row)
        page += "<div style='height:20px'><a href='#r" + std::to_string(row) + "'>row</a></div>";
    WebPageRenderer renderer;
    renderer.setHTML(page + "</div></body>");
    renderer.layout(300);
    const Rect area{0, 100 * 20 + 5, 300, 40};
    const auto hrefs = [](const std::vector<platform::WebPageLink>& links) {
        std::vector<std::string> result;
        for (const auto& link : links)
            result.push_back(link.href);
        return result;
    };
    const std::vector<std::string> expected{"#r100", "#r101", "#r102"};
    EXPECT_EQ(hrefs(renderer.linksIn(area)), expected);
    EXPECT_EQ(renderer.links().size(), 300u);
    EXPECT_EQ(hrefs(renderer.linksIn(area)), expected);
}

} // namespace
