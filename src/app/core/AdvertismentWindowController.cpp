#include "app/core/AdvertismentWindowController.h"

#include "app/core/AppController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"

#include <cctype>

namespace {

std::shared_ptr<AdvertismentWindowController>& sharedController() {
    // Made first, the main loop and the window server outlive the shared controller, whose
    // windows and timer they hold.
    platform::RunLoop::main();
    platform::WindowServer::shared();
    static std::shared_ptr<AdvertismentWindowController> controller;
    return controller;
}

// An address with a scheme ("https:", "file:"), which the opener cannot mistake for an option
// or a file name.
bool isAbsoluteURL(const std::string& url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(url.front())))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

void openWithDesktop(const std::string& url) {
    if (isAbsoluteURL(url))
        OrvantaExtensions::launchDetached({"xdg-open", url});
}

AdvertismentWindowController::URLOpener& urlOpener() {
    static AdvertismentWindowController::URLOpener opener = openWithDesktop;
    return opener;
}

// The interface definition "AdvertismentWindow": a resizable window filled by the web view.
struct AdvertismentWindowBuilder {
    static void build(platform::InterfaceDefinitionLoad& load) {
        auto* owner = dynamic_cast<AdvertismentWindowController*>(load.owner());
        auto window = platform::make<platform::Window>(
            platform::Rect{0, 0, 480, 400},
            platform::TitledWindowMask | platform::ClosableWindowMask |
                platform::MiniaturizableWindowMask | platform::ResizableWindowMask);
        window->setTitle(platform::Bundle::mainBundle().bundleName());
        window->setReleasedWhenClosed(false);
        auto webView = platform::make<platform::WebView>(window->contentView()->bounds());
        webView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        window->contentView()->addSubview(webView);
        window->center();
        load.addTopLevelObject(window);
        if (!owner)
            return;
        owner->_window = window;
        owner->_ibWebView = webView;
        load.wakeLater(static_cast<platform::Awakable*>(owner));
    }
};

} // namespace

AdvertismentWindowController::AdvertismentWindowController() = default;

AdvertismentWindowController::~AdvertismentWindowController() {
    if (_ibWebView) {
        _ibWebView->setFrameLoadDelegate(nullptr);
        _ibWebView->setPolicyDelegate(nullptr);
    }
}

void AdvertismentWindowController::registerInterfaceDefinition() {
    if (!platform::InterfaceDefinition::isRegistered("AdvertismentWindow"))
        platform::InterfaceDefinition::registerDefinition("AdvertismentWindow",
                                                          &AdvertismentWindowBuilder::build);
}

AdvertismentWindowController& AdvertismentWindowController::sharedAdvertismentWindowController() {
    auto& shared = sharedController();
    if (!shared)
        shared = std::make_shared<AdvertismentWindowController>();
    return *shared;
}

void AdvertismentWindowController::releaseSharedController() {
    if (auto& shared = sharedController()) {
        if (shared->_window)
            shared->_window->orderOut(nullptr);
        shared.reset();
    }
}

void AdvertismentWindowController::setURLOpener(URLOpener opener) {
    urlOpener() = opener ? std::move(opener) : URLOpener(openWithDesktop);
}

platform::Window* AdvertismentWindowController::window() {
    if (!_window) {
        registerInterfaceDefinition();
        if (!platform::InterfaceDefinition::load("AdvertismentWindow", this))
            platform::Log("The advertisement window cannot be loaded");
    }
    return _window.get();
}

void AdvertismentWindowController::awake() {
    if (!_ibWebView)
        return;
    _ibWebView->setFrameLoadDelegate(this);
    _ibWebView->setPolicyDelegate(this);
}

void AdvertismentWindowController::run() {
    AppController* controller = AppController::sharedAppController();
    run(controller ? controller->brandDict() : platform::Value::null());
}

void AdvertismentWindowController::run(const platform::Value& brand) {
    const std::string* address = brand["AdvertisementWindow"]["URL"].string();
    if (!address || address->empty())
        return;
    platform::Window* shown = window();
    if (!shown || !_ibWebView)
        return;
    shown->makeKeyAndOrderFront(nullptr);
    _ibWebView->setMainFrameURL(TranslateUrlMacros(std::string_view(*address)));
}

platform::WebPolicyDecision AdvertismentWindowController::webViewDecidePolicyForNavigationAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& /*action*/) {
    return platform::WebPolicyDecision::Use;
}

platform::WebPolicyDecision AdvertismentWindowController::webViewDecidePolicyForNewWindowAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& action,
    const std::string& /*frameName*/) {
    urlOpener()(action.url);
    return platform::WebPolicyDecision::Ignore;
}

void AdvertismentWindowController::webViewDidFailLoad(platform::WebView& /*sender*/,
                                                      const platform::WebError& error) {
    platform::Log("The advertisement " + error.failingURL +
                  " cannot be shown: " + error.localizedDescription);
}
