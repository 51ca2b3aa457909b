#include "engine/StartupService.h"

#include "engine/EngineHub.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace {

// Never destroyed at exit: the application controller, which outlives every static of a
// process that ends through exit(), still talks to it. main() lets the engine go itself.
std::shared_ptr<StartupService>& sharedInstance() {
    static auto* instance = new std::shared_ptr<StartupService>();
    return *instance;
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
    : context_(std::make_shared<EngineContext>()),
      featuresService_(std::make_shared<FeaturesService>()),
      phoneService_(std::make_shared<PhoneService>(context_)) {
    context_->setPhone(phoneService_);
    context_->setStartup(this);
    hub_ = std::make_unique<EngineHub>(context_);
}

StartupService::~StartupService() {
    // Nothing queued for this engine may run once it is gone: neither answers nor the
    // network's completions.
    context_->shutDown();
    context_->setStartup(nullptr);
}

void StartupService::setBackend(std::shared_ptr<EngineBackend> backend) {
    context_->setBackend(std::move(backend));
    loginProfiles_.clear();
    profilesRead_ = false;
}

EngineEvents& StartupService::events() const {
    return *hub_;
}

void StartupService::post(std::function<void(StartupService&)> work, platform::TimeInterval delay) {
    // Answers also reach the interface while it waits in a modal loop (quitting waits for
    // ovssStopped in the modal-panel mode); the context queues them in every mode.
    context_->post(delay, [this, work = std::move(work)] { work(*this); });
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
    // A new round of sign-in reads the provisioned profiles afresh.
    profilesRead_ = false;
    notifyDelegates([](OVStartupServicePro& d) { d.ovssInitCompleted(); });
}

void StartupService::setCulture(std::string culture) {
    culture_ = std::move(culture);
    phoneService_->setCulture(culture_);
    if (store_.isOpen()) {
        store_.setValue("culture", culture_);
    }
}

void StartupService::readProfiles() const {
    if (profilesRead_) {
        return;
    }
    profilesRead_ = true;
    std::vector<std::string> allowed;
    auto setting = phoneService_->getPreferenceSettings()->existingSub("login");
    setting = setting ? setting->existingSub("profileTypes") : nullptr;
    if (setting) {
        if (const auto* names = setting->value().array()) {
            for (const auto& name : *names) {
                allowed.push_back(name.stringValue());
            }
        }
    }
    std::vector<std::shared_ptr<LoginProfileItem>> profiles;
    for (const auto& profile : context_->backend()->loginProfiles()) {
        const auto name = LoginProfileItem::typeName(profile.type());
        if (!setting || std::find(allowed.begin(), allowed.end(), name) != allowed.end()) {
            profiles.push_back(std::make_shared<LoginProfileItem>(profile));
        }
    }
    loginProfiles_ = std::move(profiles);
}

std::vector<std::shared_ptr<LoginProfileItem>> StartupService::loginProfiles() const {
    readProfiles();
    return loginProfiles_;
}

void StartupService::login(std::shared_ptr<LoginProfileItem> profile, platform::Value data) {
    loggingIn_ = true;
    const unsigned generation = ++loginGeneration_;
    LoginRequest request;
    if (profile) {
        request.profileID = profile->profileID();
        request.profileType = profile->type();
        request.server = profile->data();
    }
    request.username = data["username"].stringValue();
    request.displayname = data["displayname"].stringValue();
    request.authname = data["authname"].stringValue();
    request.password = data["password"].stringValue();
    post([generation, request](StartupService& self) {
        if (!self.loggingIn_ || generation != self.loginGeneration_) {
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
        auto* engine = &self;
        self.context_->backend()->authenticate(
            request, self.context_->guard([engine, generation](const LoginAnswer& answer) {
                engine->loginAnswered(generation, answer);
            }));
    });
}

void StartupService::loginAnswered(unsigned generation, const LoginAnswer& answer) {
    if (!loggingIn_ || generation != loginGeneration_) {
        return;
    }
    loggingIn_ = false;
    switch (answer.outcome) {
    case LoginAnswer::Outcome::succeeded:
        phoneService_->updateUserName(answer.userName);
        notifyDelegates([&](OVStartupServicePro& d) { d.ovssLoginSucceeded(answer.userName); });
        break;
    case LoginAnswer::Outcome::failed:
        notifyDelegates(
            [&](OVStartupServicePro& d) { d.ovssLoginFailed(answer.reason, answer.message); });
        break;
    case LoginAnswer::Outcome::profileUpdated:
        profilesRead_ = false;
        notifyDelegates([&](OVStartupServicePro& d) { d.ovssLoginProfileUpdated(answer.message); });
        break;
    }
}

void StartupService::cancelLogin() {
    if (!loggingIn_) {
        return;
    }
    loggingIn_ = false;
    ++loginGeneration_;
    context_->backend()->cancelAuthentication();
    post([](StartupService& self) {
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssLoginCancelled(); });
    });
}

bool StartupService::playIntroVideo(std::string_view loginName) {
    if (!context_->backend()->configuration("introVideo").boolValue()) {
        return false;
    }
    // The store remembers who has seen it; without a store it plays every time.
    const std::string key = "introVideoPlayed." + std::string(loginName);
    if (store_.isOpen() && store_.value(key)) {
        return false;
    }
    if (store_.isOpen()) {
        store_.setValue(key, "1");
    }
    return true;
}

void StartupService::start(std::string loginName) {
    post([loginName = std::move(loginName)](StartupService& self) {
        if (!self.initialized_) {
            self.notifyDelegates([](OVStartupServicePro& d) {
                d.ovssStartFailed("The engine is not initialised.");
            });
            return;
        }
        if (self.started_) {
            self.notifyDelegates([](OVStartupServicePro& d) { d.ovssStartCompleted(); });
            return;
        }
        if (self.failNextStart_) {
            const std::string reason = std::move(*self.failNextStart_);
            self.failNextStart_.reset();
            self.notifyDelegates([&](OVStartupServicePro& d) { d.ovssStartFailed(reason); });
            return;
        }
        if (!loginName.empty()) {
            self.phoneService_->setUserName(loginName);
        }
        self.started_ = true;
        self.context_->setStarted(true);
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssStartCompleted(); });
        // The session comes up after the interface has heard that the engine started, so
        // that it hears the accounts arrive.
        self.post([loginName](StartupService& self) {
            if (self.started_) {
                self.phoneService_->startSession(loginName);
            }
        });
    });
}

void StartupService::endSession() {
    const bool wasStarted = started_;
    // Marked stopped first, so that the status falls straight to 0 as the session ends
    // instead of passing through the states of accounts going down one by one.
    started_ = false;
    context_->setStarted(false);
    if (wasStarted) {
        phoneService_->endSession();
    }
    phoneService_->getPhoneStatusService()->update();
    phoneService_->getConversationService()->updateAvailability();
}

void StartupService::logout(LogoutReason reason) {
    post([reason](StartupService& self) {
        if (self.loggingIn_) {
            self.loggingIn_ = false;
            ++self.loginGeneration_;
            self.context_->backend()->cancelAuthentication();
        }
        self.notifyDelegates([&](OVStartupServicePro& d) { d.ovssLogoutStarted(reason); });
        self.endSession();
        auto* engine = &self;
        self.context_->backend()->signOut(self.context_->guard([engine] {
            engine->initialized_ = false;
            engine->notifyDelegates([](OVStartupServicePro& d) { d.ovssLogoutComplete(); });
        }));
    });
}

void StartupService::stop() {
    post([](StartupService& self) {
        if (self.loggingIn_) {
            self.loggingIn_ = false;
            ++self.loginGeneration_;
            self.context_->backend()->cancelAuthentication();
        }
        self.endSession();
        self.initialized_ = false;
        self.store_.close();
        self.notifyDelegates([](OVStartupServicePro& d) { d.ovssStopped(); });
    });
}

void StartupService::requestLogout(LogoutReason reason) {
    notifyDelegates([&](OVStartupServicePro& d) { d.ovssLogoutRequested(reason); });
}

void StartupService::setHibernating(bool suspended) {
    if (suspended == hibernating_) {
        return;
    }
    hibernating_ = suspended;
    auto accounts = phoneService_->getAccountService();
    if (suspended) {
        notifyDelegates([](OVStartupServicePro& d) { d.ovssHibernationSuspend(); });
        // Asleep, no account stays registered.
        if (started_) {
            accounts->disableAll(false);
        }
    } else {
        notifyDelegates([](OVStartupServicePro& d) { d.ovssHibernationResume(); });
        if (started_) {
            accounts->enableAll();
        }
    }
}
