#pragma once

#include "app/core/RemotePage.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/View.h"
#include "platform/web/WebView.h"

#include <memory>
#include <string>

// The main window's advertisement module: a web view showing the brand's "Advertisement" /
// "URL", stacked under the module name "advertisement" and shown only with the feature
// "showAdvertisement". Ordinary navigation stays in the module; a link asking for a new
// window goes to the desktop's opener. A page that cannot be loaded leaves a line saying so.
class AdvertisementModuleController : public platform::Object,
                                      public platform::WebFrameLoadDelegate,
                                      public platform::WebPolicyDelegate {
public:
    // Made on first use.
    static AdvertisementModuleController& sharedController();
    static void releaseSharedController();

    ~AdvertisementModuleController() override;

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    platform::WebView& webView();
    // The brand's address with its macros filled in; "" without one.
    std::string url() const;
    // Loads the page and, inside the module stack, sets the module's limits, spacing and
    // visibility (from the application's brand, or the given one).
    void setup();
    void setup(const platform::Value& brand);
    void reload();
    int setupCount() const { return _setupCount; }
    // The text shown in place of a page that failed, "" while none did.
    const std::string& failureText() const { return _page.failureText(); }

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
    std::shared_ptr<platform::View> _theView;
    std::shared_ptr<platform::WebView> _webView;
    platform::Value _brand;
    RemotePage _page;
    int _setupCount = 0;
};
