#pragma once

#include "app/core/RemotePage.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"
#include "platform/web/WebView.h"

#include <memory>
#include <optional>
#include <string>

// The viewer of a screen a chat partner shares: one window whose web view shows the page of
// the address the engine gave, the sharing party's name in its title. The page keeps the user
// inside it (nothing opens new windows); closing the window stops the page. A page that cannot
// be loaded says so in the window instead of leaving it blank.
class ScreenShareWindowController : public platform::Object,
                                    public platform::WindowDelegate,
                                    public platform::WebFrameLoadDelegate,
                                    public platform::WebPolicyDelegate {
public:
    // Made on first use.
    static ScreenShareWindowController& sharedScreenShareWindowController();
    static void releaseSharedController();

    ScreenShareWindowController();
    ~ScreenShareWindowController() override;
    ScreenShareWindowController(const ScreenShareWindowController&) = delete;
    ScreenShareWindowController& operator=(const ScreenShareWindowController&) = delete;

    // Brings the window forward and loads the address, unless it is the one shown already.
    void loadURL(const std::string& url, const std::string& remoteUser);

    platform::Window* window() const { return _window.get(); }
    platform::WebView& webView() const { return *_webView; }
    const std::optional<std::string>& lastURL() const { return _page.url(); }
    // The text shown in place of a page that failed, "" while none did.
    const std::string& failureText() const { return _page.failureText(); }

    bool windowShouldClose(platform::Window& sender) override;
    void webViewDidFinishLoad(platform::WebView& sender, const std::string& url) override;
    void webViewDidFailLoad(platform::WebView& sender, const platform::WebError& error) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNavigationAction(platform::WebView& sender,
                                           const platform::WebNavigationAction& action) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNewWindowAction(platform::WebView& sender,
                                          const platform::WebNavigationAction& action,
                                          const std::string& frameName) override;

private:
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::WebView> _webView;
    RemotePage _page;
    std::string _remoteUser;
};
