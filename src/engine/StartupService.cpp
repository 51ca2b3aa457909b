#include "engine/StartupService.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace {

std::shared_ptr<StartupService>& sharedInstance() {
    static std::shared_ptr<StartupService> instance;
    return instance;
}

} // namespace

StartupService& StartupService::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_shared<StartupService>();
    }
    return *shared;
}

void StartupService::resetInstance() {
    sharedInstance().reset();
}

StartupService::StartupService()
    : featuresService_(std::make_shared<FeaturesService>()),
      phoneService_(std::make_shared<PhoneService>()),
      loginProfiles_{
          std::make_shared<LoginProfileItem>(1, "Default", LoginProfileItem::Type::MANUAL)} {}

StartupService::~StartupService() = default;

void StartupService::post(std::function<void(StartupService&)> work) {
    // Answers also reach the interface while it waits in a modal loop (quitting waits for
    // ovssStopped in the modal-panel mode), so they are queued in every mode.
    std::weak_ptr<StartupService> weak = weak_from_this();
    platform::RunLoop::main().performInModes(
        [weak, work = std::move(work)] {
            if (auto self = weak.lock()) {
                work(*self);
            }
        },
        platform::commonModes());
}

void StartupService::intialize(std::optional<std::string> userName,
                               std::vector<std::string> defaultGroups,
                               std::string upgroupedGrouopName,
                               std::string addedFriendsGrouopName) {
    phoneService_->setUserName(userName.value_or(""));
    initializeArguments_ =
        InitializeArguments{std::move(userName), std::move(defaultGroups),
                            std::move(upgroupedGrouopName), std::move(addedFriendsGrouopName)};
    post([](StartupService& self) { self.completeInitialization(); });
}

void StartupService::completeInitialization() {
    if (auto error = store_.open(phoneService_->getUserSettingFolder())) {
        initialized_ = false;
        platform::Logf("Engine: the store cannot be opened: %@", *error);
        notifyDelegates([&](OVStartupServicePro& d) { d.ovssInitFailed(*error); });
        return;
    }
    initialized_ = true;
    store_.setValue("culture", culture_);
    notifyDelegates([](OVStartupServicePro& d) { d.ovssInitCompleted(); });
}

void StartupService::setCulture(std::string culture) {
    culture_ = std::move(culture);
    phoneService_->setCulture(culture_);
    if (store_.isOpen()) {
        store_.setValue("culture", culture_);
    }
}

void StartupService::login(std::shared_ptr<LoginProfileItem> /*profile*/, platform::Value data) {
    loggingIn_ = true;
    const std::string userName = data["username"].stringValue();
    post([userName](StartupService& self) {
        if (!self.loggingIn_) {
            return;
        }
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssLoginStarted(); });
        if (!self.initialized_) {
            self.loggingIn_ = false;
            self.notifyDelegates([](OVStartupServicePro& d) {
                d.ovssLoginFailed(LoginFailureReason::loginFailureUnknown,
                                  "The engine is not initialised.");
            });
            return;
        }
        self.post([userName](StartupService& self) {
            if (!self.loggingIn_) {
                return;
            }
            self.loggingIn_ = false;
            self.phoneService_->setUserName(userName);
            self.notifyDelegates([&](OVStartupServicePro& d) { d.ovssLoginSucceeded(userName); });
        });
    });
}

void StartupService::cancelLogin() {
    if (!loggingIn_) {
        return;
    }
    loggingIn_ = false;
    post([](StartupService& self) {
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssLoginCancelled(); });
    });
}

bool StartupService::playIntroVideo(std::string_view /*loginName*/) const {
    return false;
}

void StartupService::start(std::string loginName) {
    post([loginName = std::move(loginName)](StartupService& self) {
        if (!self.initialized_) {
            self.notifyDelegates([](OVStartupServicePro& d) {
                d.ovssStartFailed("The engine is not initialised.");
            });
            return;
        }
        if (!loginName.empty()) {
            self.phoneService_->setUserName(loginName);
        }
        self.started_ = true;
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssStartCompleted(); });
    });
}

void StartupService::logout(LogoutReason reason) {
    post([reason](StartupService& self) {
        self.notifyDelegates([&](OVStartupServicePro& d) { d.ovssLogoutStarted(reason); });
        self.post([](StartupService& self) {
            self.started_ = false;
            self.initialized_ = false;
            self.notifyDelegates([](OVStartupServicePro& d) { d.ovssLogoutComplete(); });
        });
    });
}

void StartupService::stop() {
    post([](StartupService& self) {
        self.started_ = false;
        self.initialized_ = false;
        self.store_.close();
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssStopped(); });
    });
}
