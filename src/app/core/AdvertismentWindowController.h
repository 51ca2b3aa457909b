#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/web/WebView.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {
class Window;
}

// The advertisement window: a web view showing the brand's advertisement address, with links
// that ask for a new window sent to the desktop's browser instead. One shared instance; its
// interface definition "AdvertismentWindow" is loaded the first time the window is needed.
class AdvertismentWindowController : public platform::Object,
                                     public platform::Awakable,
                                     public platform::WebFrameLoadDelegate,
                                     public platform::WebPolicyDelegate {
public:
    using URLOpener = std::function<void(const std::string& url)>;

    AdvertismentWindowController();
    ~AdvertismentWindowController() override;
    AdvertismentWindowController(const AdvertismentWindowController&) = delete;
    AdvertismentWindowController& operator=(const AdvertismentWindowController&) = delete;

    static AdvertismentWindowController& sharedAdvertismentWindowController();
    static void releaseSharedController();
    static void registerInterfaceDefinition();
    // Replaces how addresses reach the browser (tests record them); an empty opener puts the
    // desktop's opener back.
    static void setURLOpener(URLOpener opener);

    // Shows the advertisement of the application's brand; nothing when the brand has no
    // "AdvertisementWindow" / "URL".
    void run();
    // The same with a given brand dictionary.
    void run(const platform::Value& brand);

    // The window, made from the interface definition on first use.
    platform::Window* window();
    bool isWindowLoaded() const { return _window != nullptr; }
    platform::WebView* webView() const { return _ibWebView.get(); }

    void awake() override;

    platform::WebPolicyDecision
    webViewDecidePolicyForNavigationAction(platform::WebView& sender,
                                           const platform::WebNavigationAction& action) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNewWindowAction(platform::WebView& sender,
                                          const platform::WebNavigationAction& action,
                                          const std::string& frameName) override;
    void webViewDidFailLoad(platform::WebView& sender, const platform::WebError& error) override;

    // Outlets, set by the interface definition.
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::WebView> _ibWebView;
};
