#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"
#include "platform/web/HTMLDocument.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ScrollView;
class WebView;
class WebDocumentView;

// Why a page could not be shown.
enum class WebErrorCode {
    // A scheme the view cannot load (http and https among them: this program never fetches
    // pages from a network).
    UnsupportedURL,
    FileDoesNotExist,
    CannotReadFile,
};

struct WebError {
    WebErrorCode code = WebErrorCode::UnsupportedURL;
    std::string failingURL;
    std::string localizedDescription;
};

enum class WebNavigationType { LinkClicked, Other };

// What a navigation is about to do: the address (resolved against the page), how it started
// and, for a link, the link's target frame name ("_blank" asks for a new window).
struct WebNavigationAction {
    WebNavigationType navigationType = WebNavigationType::Other;
    std::string url;
    std::string targetName;
};

enum class WebPolicyDecision { Use, Ignore };

// Hears how loading goes. Every message is optional; answers come on a later pass of the main
// run loop, never from inside the call that started the load.
class WebFrameLoadDelegate {
public:
    virtual ~WebFrameLoadDelegate() = default;
    virtual void webViewDidFinishLoad(WebView& /*sender*/, const std::string& /*url*/) {}
    virtual void webViewDidFailLoad(WebView& /*sender*/, const WebError& /*error*/) {}
};

// Decides what a navigation may do. Without a delegate, navigations in the view are used and
// those that ask for a new window are ignored (the view makes no windows of its own).
class WebPolicyDelegate {
public:
    virtual ~WebPolicyDelegate() = default;
    virtual WebPolicyDecision
    webViewDecidePolicyForNavigationAction(WebView& /*sender*/,
                                           const WebNavigationAction& /*action*/) {
        return WebPolicyDecision::Use;
    }
    virtual WebPolicyDecision
    webViewDecidePolicyForNewWindowAction(WebView& /*sender*/,
                                          const WebNavigationAction& /*action*/,
                                          const std::string& /*frameName*/) {
        return WebPolicyDecision::Ignore;
    }
};

// A link as laid out: its resolved address, target and the rectangles of its text in the web
// view's coordinates (one per line it covers).
struct WebLinkArea {
    std::string url;
    std::string targetName;
    std::vector<Rect> rects;
};

// A web view over an HTML document. It loads local pages (file: addresses, absolute paths, the
// bundle's html pages) and HTML given as text, and draws the document's text as paragraphs:
// headings bold and larger, list items with a bullet, links blue and underlined, scrolling
// vertically when the text is taller than the view. Scripts, style sheets and images are not
// run or drawn. A click on a link asks the policy delegate before anything is followed.
// Whoever edits the document through its DOM sees the view redrawn.
class WebView : public View {
public:
    explicit WebView(const Rect& frame = {});
    ~WebView() override;

    // Loads an address: "file:" URLs and absolute paths are read from disk; any other scheme
    // fails with UnsupportedURL. Relative references in the page resolve against it. The
    // outcome reaches the frame-load delegate on a later pass of the main loop; a failed load
    // keeps the page shown before.
    void loadURL(std::string_view url);
    // The original's name for the same.
    void setMainFrameURL(std::string_view url) { loadURL(url); }
    // The bundle's page `name` ("name.html" at the top or in html/).
    void loadBundlePage(std::string_view name);
    void loadHTMLString(std::string_view html, std::string baseURL = {});
    void reload();
    // The address of the page shown (or being loaded), "" for none.
    const std::string& mainFrameURL() const { return url_; }
    // The page shown; never null (an empty document before the first load).
    HTMLDocument& mainFrameDocument() const { return *document_; }

    WebFrameLoadDelegate* frameLoadDelegate() const { return frameLoadDelegate_; }
    // Not owned; whoever sets a delegate clears it before going away.
    void setFrameLoadDelegate(WebFrameLoadDelegate* delegate) { frameLoadDelegate_ = delegate; }
    WebPolicyDelegate* policyDelegate() const { return policyDelegate_; }
    void setPolicyDelegate(WebPolicyDelegate* delegate) { policyDelegate_ = delegate; }

    // Follows a link as a click does: the policy delegate decides; a used navigation loads
    // the address here.
    void followLink(std::string_view href, std::string_view targetName);

    // The text as drawn: the paragraphs joined by line breaks.
    std::string renderedText() const;
    // The links as drawn now.
    std::vector<WebLinkArea> linkAreas() const;
    ScrollView* scrollView() const { return scrollView_.get(); }

    bool isFlipped() const override { return true; }
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    void showDocument(std::unique_ptr<HTMLDocument> document, std::string url);
    void reportLater(std::function<void(WebFrameLoadDelegate&)> message);
    void fail(WebErrorCode code, const std::string& url, std::string description);

    std::unique_ptr<HTMLDocument> document_;
    std::string url_;
    std::shared_ptr<ScrollView> scrollView_;
    std::shared_ptr<WebDocumentView> documentView_;
    WebFrameLoadDelegate* frameLoadDelegate_ = nullptr;
    WebPolicyDelegate* policyDelegate_ = nullptr;
    // Tasks posted for the delegate hold it weakly, so none runs after the view is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace platform
