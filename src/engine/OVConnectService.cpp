#include "engine/OVConnectService.h"

#include "engine/EngineContext.h"
#include "engine/OVWindowService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

std::string OVConnectService::portalUrl() const {
    return context_ ? context_->backend()->configuration("portalUrl").stringValue() : "";
}

std::string OVConnectService::portalUrlSignedIn() const {
    return context_ ? context_->backend()->configuration("portalUrlSignedIn").stringValue() : "";
}

void OVConnectService::fetchWebToken() {
    if (!context_) {
        return;
    }
    std::weak_ptr<OVConnectService> weak = weak_from_this();
    context_->backend()->fetchWebToken(context_->guard([weak](const std::string& token) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        self->webToken_ = token;
        self->notifyDelegates([](OVConnectServicePro& d) { d.ovcsWebTokenChanged(); });
    }));
}

void OVConnectService::testCall() {
    auto phone = context_ ? context_->phone() : nullptr;
    if (!phone) {
        return;
    }
    const auto address = context_->backend()->configuration("testCallAddress").stringValue();
    if (!address.empty()) {
        phone->getConversationService()->audioConversation(address, -1);
    }
}

void OVConnectService::signIn() {
    if (!context_) {
        return;
    }
    std::weak_ptr<OVConnectService> weak = weak_from_this();
    context_->backend()->connectHostedService(true, context_->guard([weak](bool connected) {
        if (auto self = weak.lock()) {
            self->setState(connected, connected);
        }
    }));
}

void OVConnectService::signOut() {
    if (!context_) {
        return;
    }
    std::weak_ptr<OVConnectService> weak = weak_from_this();
    context_->backend()->connectHostedService(false, context_->guard([weak](bool) {
        if (auto self = weak.lock()) {
            self->setState(false, false);
        }
    }));
}

void OVConnectService::setState(bool connected, bool signedIn) {
    if (signedIn != signedIn_) {
        signedIn_ = signedIn;
        notifyDelegates([&](OVConnectServicePro& d) { d.ovcsIsSignedIn(signedIn); });
    }
    if (connected != connected_) {
        connected_ = connected;
        notifyDelegates([&](OVConnectServicePro& d) { d.ovcsIsConnected(connected); });
    }
}

void OVConnectServiceSetupModel::submit() {
    if (!canSubmit()) {
        return;
    }
    submitted_ = true;
    propertyChanged("canSubmit");
    if (service_) {
        service_->signIn();
    }
}

std::shared_ptr<OVConnectAccountModel> OVConnectAccountModel::create() {
    auto phone = StartupService::instance().phoneService();
    return std::make_shared<OVConnectAccountModel>(phone->getConnectService());
}

OVConnectAccountModel::OVConnectAccountModel(std::shared_ptr<OVConnectService> service)
    : service_(std::move(service)) {
    if (service_) {
        service_->setDelegate(this);
    }
}

OVConnectAccountModel::~OVConnectAccountModel() {
    if (service_) {
        service_->removeDelegate(this);
    }
}

bool OVConnectAccountModel::showSignUp() const {
    return service_ && !service_->isSignedIn();
}

bool OVConnectAccountModel::showSignIn() const {
    return service_ && !service_->isSignedIn();
}

bool OVConnectAccountModel::showSignOut() const {
    return service_ && service_->isSignedIn();
}

namespace {

// The window service hears the request on a later pass, as every engine answer.
void showLater(const std::shared_ptr<OVConnectService>& service, std::shared_ptr<OVModel> model) {
    if (auto context = service ? service->context() : nullptr) {
        context->post([model = std::move(model)] { OVWindowService::showModel(model); });
    }
}

} // namespace

void OVConnectAccountModel::signUp() {
    if (showSignUp()) {
        showLater(service_, std::make_shared<OVConnectServiceSetupModel>(service_, true));
    }
}

void OVConnectAccountModel::signIn() {
    if (showSignIn()) {
        showLater(service_, std::make_shared<OVConnectServiceSetupModel>(service_, false));
    }
}

void OVConnectAccountModel::signOut() {
    if (showSignOut()) {
        service_->signOut();
    }
}

void OVConnectAccountModel::findFriends() {
    auto context = service_ ? service_->context() : nullptr;
    auto phone = context ? context->phone() : nullptr;
    if (!phone) {
        return;
    }
    const auto url = context->backend()->configuration("findFriendsUrl").stringValue();
    if (!url.empty()) {
        showLater(service_, std::make_shared<OVWebAddressModel>(phone->resolveUrlMacros(url)));
    }
}

void OVConnectAccountModel::ovcsIsSignedIn(bool /*signedIn*/) {
    for (std::string_view property : {"showSignUp", "showSignIn", "showSignOut"}) {
        const std::string name(property);
        notifyDelegates([&](OVConnectAccountModelPro& d) {
            d.ovmdPropertyChanged(name);
            d.ovmdConnectAccountPropertyChanged(name);
        });
    }
}
