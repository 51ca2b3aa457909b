#include "app/messaging/ScreenShareWindowController.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

namespace {

std::unique_ptr<ScreenShareWindowController>& sharedInstance() {
    // The main loop and the window server outlive the controller, whose window they hold.
    platform::RunLoop::main();
    platform::WindowServer::shared();
    static std::unique_ptr<ScreenShareWindowController> controller;
    return controller;
}

} // namespace

ScreenShareWindowController& ScreenShareWindowController::sharedScreenShareWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<ScreenShareWindowController>();
    return *shared;
}

void ScreenShareWindowController::releaseSharedController() {
    sharedInstance().reset();
}

ScreenShareWindowController::ScreenShareWindowController()
    : _window(platform::make<platform::Window>(
          platform::Rect(0, 0, 800, 600),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.screenshare.windowtitle.withoutremote", "Shared Screen"));
    _window->setDelegate(this);
    _webView = platform::make<platform::WebView>(_window->contentView()->bounds());
    _webView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _webView->setFrameLoadDelegate(this);
    _webView->setPolicyDelegate(this);
    _window->contentView()->addSubview(_webView);
    _window->center();
}

ScreenShareWindowController::~ScreenShareWindowController() {
    _webView->setFrameLoadDelegate(nullptr);
    _webView->setPolicyDelegate(nullptr);
    _webView->stopLoading();
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
    _page.clear();
}

void ScreenShareWindowController::loadURL(const std::string& url, const std::string& remoteUser) {
    if (!_window->isVisible())
        _window->makeKeyAndOrderFront(nullptr);
    if (_page.url() == url)
        return;
    _remoteUser = remoteUser;
    // The name is the title's text as it is, whatever it looks like.
    _window->setTitle(remoteUser.empty()
                          ? QXLS("msg.screenshare.windowtitle.withoutremote", "Shared Screen")
                          : platform::formatString(QXLS("msg.screenshare.windowtitle.withremote",
                                                        "Shared Screen from %@"),
                                                   remoteUser));
    _page.load(*_webView, url);
}

bool ScreenShareWindowController::windowShouldClose(platform::Window& /*sender*/) {
    _webView->setMainFrameURL("");
    _page.clear();
    _window->orderOut(nullptr);
    return true;
}

void ScreenShareWindowController::webViewDidFinishLoad(platform::WebView& /*sender*/,
                                                       const std::string& url) {
    _page.didFinishLoad(url);
}

// A page that failed leaves a message in the window, never a blank one; the same address
// may be asked for again.
void ScreenShareWindowController::webViewDidFailLoad(platform::WebView& /*sender*/,
                                                     const platform::WebError& error) {
    _page.didFailLoad(
        *_webView, error,
        _remoteUser.empty()
            ? QXLS("msg.screenshare.loadfailed.withoutremote", "The shared screen cannot be shown.")
            : platform::formatString(QXLS("msg.screenshare.loadfailed.withremote",
                                          "The screen %@ shares cannot be shown."),
                                     _remoteUser),
        error.localizedDescription, "margin: 40px; text-align: center;");
}

platform::WebPolicyDecision ScreenShareWindowController::webViewDecidePolicyForNavigationAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& /*action*/) {
    return platform::WebPolicyDecision::Use;
}

platform::WebPolicyDecision ScreenShareWindowController::webViewDecidePolicyForNewWindowAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& /*action*/,
    const std::string& /*frameName*/) {
    return platform::WebPolicyDecision::Ignore;
}
