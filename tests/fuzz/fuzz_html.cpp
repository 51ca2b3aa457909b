// HTML as the web view loads it: a page cleaned as pages from the network are, a chat
// transcript cleaned so that it fetches nothing, and the page itself laid out, drawn and
// selected in a view. Nothing here reaches the network: fetches go to a proxy that refuses.

#include "FuzzSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "platform/web/HTMLDocument.h"
#include "platform/web/HTMLSanitizer.h"
#include "platform/web/WebView.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

using platform::HTMLSanitizer;

std::string lowered(std::string_view text) {
    std::string result;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool reachesOut(std::string_view address) {
    const std::string a = lowered(address);
    return a.starts_with("http:") || a.starts_with("https:") || a.starts_with("ftp:") ||
           a.starts_with("//");
}

// What the sanitizer promises of its result: no script addresses in links, and for a
// transcript no picture from anywhere but the message itself.
void checkCleaned(const std::string& html, HTMLSanitizer::Policy policy) {
    const auto document = platform::HTMLDocument::parse(html);
    for (const auto& element : document->getElementsByTagName("*")) {
        if (element.hasAttribute("href"))
            FUZZ_CHECK(HTMLSanitizer::isSafeURL(element.getAttribute("href")));
        if (policy == HTMLSanitizer::Policy::Transcript)
            for (std::string_view attribute : {"src", "background", "srcset", "poster"})
                FUZZ_CHECK(!reachesOut(element.getAttribute(attribute)));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("http_proxy", "http://127.0.0.1:9", 1);
    ::setenv("https_proxy", "http://127.0.0.1:9", 1);
    ::setenv("HTTPS_PROXY", "http://127.0.0.1:9", 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html = fuzz::text(data, size);
    for (auto policy : {HTMLSanitizer::Policy::Page, HTMLSanitizer::Policy::Transcript}) {
        checkCleaned(HTMLSanitizer::sanitizeDocument(html, policy), policy);
        checkCleaned(HTMLSanitizer::sanitizeFragment(html, policy), policy);
    }

    {
        auto window = platform::make<platform::Window>(platform::Rect{0, 0, 240, 160},
                                                       platform::TitledWindowMask);
        auto webView = platform::make<platform::WebView>(platform::Rect{0, 0, 240, 160});
        window->contentView()->addSubview(webView);
        webView->loadHTMLString(html, "file:///nonexistent/page.html");
        webView->updateLayout();
        webView->renderedText();
        webView->linkAreas();
        webView->title();
        window->display();
        webView->selectAll();
        webView->selectedText();
        platform::RunLoop::main().runUntilIdle();
        webView->removeFromSuperview();
    }
    platform::WindowServer::shared().reset();
    platform::RunLoop::main().runUntilIdle();
    return 0;
}
