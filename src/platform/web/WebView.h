#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"
#include "platform/web/HTMLDocument.h"
#include "platform/web/HTTPLoader.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Image;
class Menu;
class MenuItem;
class ScrollView;
class WebView;
class WebDocumentView;

// Why a page could not be shown.
enum class WebErrorCode {
    // A scheme the view does not load (only file, http and https are).
    UnsupportedURL,
    FileDoesNotExist,
    CannotReadFile,
    // The server answered with an error status (httpStatusCode says which).
    HTTPError,
    TimedOut,
    TooManyRedirects,
    // The page is larger than the view takes.
    ResponseTooLarge,
    // The server's certificate did not check out.
    BadServerCertificate,
    CannotFindHost,
    CannotConnectToHost,
    NetworkFailure,
    // Content the view does not show (a download, a movie).
    CannotShowContent,
};

struct WebError {
    WebErrorCode code = WebErrorCode::UnsupportedURL;
    std::string failingURL;
    std::string localizedDescription;
    long httpStatusCode = 0;
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

// What lies under the pointer when the context menu is asked for.
struct WebElementInfo {
    // The link's resolved address, "" when there is none.
    std::string linkURL;
    std::string imageURL;
    std::string selectedText;
};

// The tags of the context menu's items the view offers.
enum WebMenuItemTag : long {
    WebMenuItemTagOpenLinkInNewWindow = 1,
    WebMenuItemTagDownloadLinkToDisk = 2,
    WebMenuItemTagCopyLinkToClipboard = 3,
    WebMenuItemTagOpenImageInNewWindow = 4,
    WebMenuItemTagDownloadImageToDisk = 5,
    WebMenuItemTagCopyImageToClipboard = 6,
    WebMenuItemTagOpenFrameInNewWindow = 7,
    WebMenuItemTagCopy = 8,
    WebMenuItemTagGoBack = 9,
    WebMenuItemTagGoForward = 10,
    WebMenuItemTagStop = 11,
    WebMenuItemTagReload = 12,
};

// Shapes the view's interface: the context menu. Every message is optional.
class WebUIDelegate {
public:
    virtual ~WebUIDelegate() = default;
    // The items of the menu a right click opens; an empty answer shows no menu.
    virtual std::vector<std::shared_ptr<MenuItem>>
    webViewContextMenuItemsForElement(WebView& /*sender*/, const WebElementInfo& /*element*/,
                                      std::vector<std::shared_ptr<MenuItem>> defaultMenuItems) {
        return defaultMenuItems;
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
// bundle's html pages), pages over http and https (cleaned by HTMLSanitizer first) and HTML
// given as text, and draws them with their style sheets: blocks, inline text, tables, lists,
// images, borders and backgrounds, scrolling vertically when the page is taller than the view.
// Nothing is ever run: there is no script. A click on a link asks the policy delegate before
// anything is followed; dragging selects text, which Copy puts on the pasteboard. Whoever
// edits the document through its DOM sees the change on the next frame, and an element
// appended at the end of a block is laid out alone.
class WebView : public View {
public:
    explicit WebView(const Rect& frame = {});
    ~WebView() override;

    // Loads an address: "file:" URLs and absolute paths are read from disk, http and https
    // fetched; any other scheme fails with UnsupportedURL, and "" stops loading. Relative
    // references in the page resolve against it. The outcome reaches the frame-load delegate
    // on a later pass of the main loop; a failed load keeps the page shown before.
    void loadURL(std::string_view url);
    void stopLoading();
    bool isLoading() const { return loader_ != nullptr; }
    // Time limits, redirect limit and size cap of fetches over the network.
    void setNetworkOptions(HTTPLoader::Options options) { networkOptions_ = std::move(options); }
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
    WebUIDelegate* UIDelegate() const { return uiDelegate_; }
    void setUIDelegate(WebUIDelegate* delegate) { uiDelegate_ = delegate; }

    // Follows a link as a click does: the policy delegate decides; a used navigation loads
    // the address here.
    void followLink(std::string_view href, std::string_view targetName);

    // The text as drawn: the lines joined by line breaks, list items with their bullet.
    std::string renderedText() const;
    // The links as drawn now.
    std::vector<WebLinkArea> linkAreas() const;
    ScrollView* scrollView() const { return scrollView_.get(); }
    // The page's title.
    std::string title() const { return document_->title(); }

    // The selected text ("" for none); selectAll selects the whole page.
    std::string selectedText() const;
    void selectAll();
    // Puts the selected text on the general pasteboard; false when nothing is selected.
    bool copySelection();
    // The menu a right click at a point of the view would show (nullptr for none).
    std::shared_ptr<Menu> contextMenuAt(Point point);
    // Brings the page up to date with its DOM now, instead of on the next frame.
    void updateLayout();

    bool isFlipped() const override { return true; }
    void resizeSubviewsWithOldSize(Size oldSize) override;
    // The context menu's own items ("webMenuItem:", told apart by their tags).
    bool tryToPerform(std::string_view action, Object* sender) override;

private:
    friend class WebDocumentView;
    void showDocument(std::unique_ptr<HTMLDocument> document, std::string url);
    void reportLater(std::function<void(WebFrameLoadDelegate&)> message);
    void fail(WebErrorCode code, const std::string& url, std::string description,
              long httpStatusCode = 0);
    void networkLoadFinished(const std::string& requested, HTTPResult result);
    // The picture an address names: from disk or a data: address at once, from the network
    // later (the page is laid out again when it comes).
    std::shared_ptr<Image> imageForURL(const std::string& url);

    std::unique_ptr<HTMLDocument> document_;
    std::string url_;
    std::shared_ptr<ScrollView> scrollView_;
    std::shared_ptr<WebDocumentView> documentView_;
    WebFrameLoadDelegate* frameLoadDelegate_ = nullptr;
    WebPolicyDelegate* policyDelegate_ = nullptr;
    WebUIDelegate* uiDelegate_ = nullptr;
    HTTPLoader::Options networkOptions_;
    std::unique_ptr<HTTPLoader> loader_;
    // The address of the page shown while another loads.
    std::string shownURL_;
    std::map<std::string, std::shared_ptr<Image>> images_;
    std::map<std::string, std::unique_ptr<HTTPLoader>> imageLoaders_;
    // Tasks posted for the delegate hold it weakly, so none runs after the view is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace platform
