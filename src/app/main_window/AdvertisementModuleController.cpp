#include "app/main_window/AdvertisementModuleController.h"

#include "app/core/AppController.h"
#include "engine/FeaturesService.h"
#include "engine/StartupService.h"
#include "platform/kit/Workspace.h"
#include "support/BrandText.h"
#include "support/Localization.h"
#include "widgets/QXPartitionView.h"

namespace {

std::unique_ptr<AdvertisementModuleController>& sharedInstance() {
    static std::unique_ptr<AdvertisementModuleController> controller;
    return controller;
}

} // namespace

AdvertisementModuleController& AdvertisementModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<AdvertisementModuleController>();
    return *shared;
}

void AdvertisementModuleController::releaseSharedController() {
    sharedInstance().reset();
}

AdvertisementModuleController::~AdvertisementModuleController() {
    if (_webView) {
        _webView->setFrameLoadDelegate(nullptr);
        _webView->setPolicyDelegate(nullptr);
        _webView->stopLoading();
    }
}

std::shared_ptr<platform::View> AdvertisementModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 50));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
        _webView = platform::make<platform::WebView>(_theView->bounds());
        _webView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        _webView->setFrameLoadDelegate(this);
        _webView->setPolicyDelegate(this);
        _theView->addSubview(_webView);
    }
    return _theView;
}

platform::WebView& AdvertisementModuleController::webView() {
    theView();
    return *_webView;
}

std::string AdvertisementModuleController::url() const {
    const std::string* address = _brand["Advertisement"]["URL"].string();
    return address ? TranslateUrlMacros(std::string_view(*address)) : std::string();
}

void AdvertisementModuleController::setup() {
    AppController* app = AppController::sharedAppController();
    setup(app ? app->brandDict() : platform::Value::null());
}

void AdvertisementModuleController::setup(const platform::Value& brand) {
    ++_setupCount;
    _brand = brand;
    theView();
    reload();
    auto* stack = dynamic_cast<QXPartitionView*>(_theView->superview());
    if (!stack)
        return;
    const long index = stack->getModuleIndex(_theView.get());
    if (index < 0)
        return;
    const auto& section = _brand["Advertisement"];
    stack->setModuleConstraints(index, valueWithSizeFromString(section["MinSize"].string()),
                                valueWithSizeFromString(section["MaxSize"].string()));
    auto features = StartupService::instance().featuresService();
    stack->setModule(index, features && features->featureAvailable("showAdvertisement"));
    const auto space = static_cast<float>(section["ModuleSpace"].doubleValue());
    stack->setModuleSpaceing(index, QXModuleSpace{space, space});
}

void AdvertisementModuleController::reload() {
    _page.load(webView(), url());
}

void AdvertisementModuleController::webViewDidFinishLoad(platform::WebView& /*sender*/,
                                                         const std::string& url) {
    _page.didFinishLoad(url);
}

// A module left blank would look broken: one quiet line says what happened instead.
void AdvertisementModuleController::webViewDidFailLoad(platform::WebView& /*sender*/,
                                                       const platform::WebError& error) {
    _page.didFailLoad(*_webView, error,
                      QXLS("msg.advertisement.loadfailed", "The advertisement cannot be shown."),
                      std::nullopt, "text-align: center; color: #777777; font-size: 11px;");
}

platform::WebPolicyDecision AdvertisementModuleController::webViewDecidePolicyForNavigationAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& /*action*/) {
    return platform::WebPolicyDecision::Use;
}

platform::WebPolicyDecision AdvertisementModuleController::webViewDecidePolicyForNewWindowAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& action,
    const std::string& /*frameName*/) {
    platform::Workspace::sharedWorkspace().openURL(action.url, [](const std::string&) {});
    return platform::WebPolicyDecision::Ignore;
}
