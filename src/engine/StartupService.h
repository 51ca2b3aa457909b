#pragma once

#include "engine/DelegateList.h"
#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"
#include "engine/EngineStore.h"
#include "engine/FeaturesService.h"
#include "engine/LoginProfileItem.h"
#include "engine/PhoneService.h"
#include "engine/StartupTypes.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class EngineEvents;
class EngineHub;
class OVStartupServicePro;

// The engine's root: its one instance brings the engine up (initialise, sign in, start) and
// down (log out, stop), and hands out the features service and the phone service. Every
// request is answered later, on the main run loop, through OVStartupServicePro; the
// interface never waits on the engine.
class StartupService : public platform::Object,
                       public DelegatingService<OVStartupServicePro>,
                       public std::enable_shared_from_this<StartupService> {
public:
    using LogoutReason = OVLogoutReason;
    using LoginFailureReason = OVLoginFailureReason;
    static constexpr LogoutReason user = LogoutReason::user;
    static constexpr LogoutReason reRegistrationFailed = LogoutReason::reRegistrationFailed;
    static constexpr LogoutReason serverForced = LogoutReason::serverForced;
    static constexpr LoginFailureReason loginFailureServerRejected =
        LoginFailureReason::loginFailureServerRejected;
    static constexpr LoginFailureReason loginFailureServerUnreachable =
        LoginFailureReason::loginFailureServerUnreachable;

    static StartupService& instance();
    // Drops the engine and makes a fresh one on the next instance(); answers still queued for
    // the old engine are dropped with it. For tests.
    static void resetInstance();

    StartupService();
    ~StartupService() override;

    std::shared_ptr<FeaturesService> featuresService() const { return featuresService_; }
    std::shared_ptr<PhoneService> phoneService() const { return phoneService_; }

    // The network behind the engine: the simulation of the main bundle's demo data
    // ("engine/demo.plist") unless another was set before the engine is used.
    std::shared_ptr<EngineBackend> backend() const { return context_->backend(); }
    void setBackend(std::shared_ptr<EngineBackend> backend);
    // Where the network and the host system report to the engine.
    EngineEvents& events() const;
    std::shared_ptr<EngineContext> context() const { return context_; }

    // Opens the engine's store and answers ovssInitCompleted, or ovssInitFailed with the
    // reason when the store cannot be opened. The user name is the one last used (none on a
    // first launch); the groups are the default contact groups, then the group of contacts
    // in no group and the group of contacts added through the hosted service.
    void intialize(std::optional<std::string> userName, std::vector<std::string> defaultGroups,
                   std::string upgroupedGrouopName, std::string addedFriendsGrouopName);
    void setCulture(std::string culture);
    const std::string& culture() const { return culture_; }
    bool initialized() const { return initialized_; }

    // What the last intialize call passed, for the engine's own use and for tests.
    struct InitializeArguments {
        std::optional<std::string> userName;
        std::vector<std::string> defaultGroups;
        std::string upgroupedGrouopName;
        std::string addedFriendsGrouopName;
    };
    const std::optional<InitializeArguments>& initializeArguments() const {
        return initializeArguments_;
    }

    // The ways of signing in the network provisions, limited to the types the setting
    // "login"/"profileTypes" names (an array of type names; all when it is not set). The same
    // objects are answered until the engine is initialised again or a profile update arrives.
    std::vector<std::shared_ptr<LoginProfileItem>> loginProfiles() const;
    // Sign-in with the data's "username", "displayname", "authname" and "password": answers
    // ovssLoginStarted, then, once the server has answered, ovssLoginSucceeded with the name
    // signed in, ovssLoginFailed with the reason and the server's message, or
    // ovssLoginProfileUpdated with its message (the profiles are then read again and the
    // sign-in is over). Fails at once when the engine is not initialised.
    void login(std::shared_ptr<LoginProfileItem> profile, platform::Value data);
    // Answers ovssLoginCancelled when a sign-in is under way; its answer never comes.
    void cancelLogin();
    bool loggingIn() const { return loggingIn_; }
    // Whether the hosted service's intro video should play before the engine starts: when
    // the provisioning asks for it ("introVideo"), once for each login name.
    bool playIntroVideo(std::string_view loginName);
    // Starts the session of the login name (its accounts and contacts): answers
    // ovssStartCompleted, then the accounts are announced and enabled; ovssStartFailed when
    // the engine is not initialised. A second start answers ovssStartCompleted alone.
    void start(std::string loginName);
    bool started() const { return started_; }
    // Answers ovssLogoutStarted with the reason; the session ends (calls, sessions and
    // accounts go down) and, once the server has let the user go, ovssLogoutComplete.
    // Afterwards the engine waits to be initialised again.
    void logout(LogoutReason reason);
    // Ends any session and closes the store; answers ovssStopped.
    void stop();
    // Whether the system sleeps (between ovssHibernationSuspend and ovssHibernationResume).
    bool hibernating() const { return hibernating_; }

    // Engine side: the server asks for a logout; the system goes to sleep or wakes.
    void requestLogout(LogoutReason reason);
    void setHibernating(bool suspended);
    // Engine side: the next start answers ovssStartFailed with the reason instead of starting.
    void failNextStart(std::string reason) { failNextStart_ = std::move(reason); }

    const EngineStore& store() const { return store_; }

private:
    void post(std::function<void(StartupService&)> work, platform::TimeInterval delay = 0);
    void completeInitialization();
    void loginAnswered(unsigned generation, const LoginAnswer& answer);
    void endSession();
    void readProfiles() const;

    std::shared_ptr<EngineContext> context_;
    std::unique_ptr<EngineHub> hub_;
    std::shared_ptr<FeaturesService> featuresService_;
    std::shared_ptr<PhoneService> phoneService_;
    mutable std::vector<std::shared_ptr<LoginProfileItem>> loginProfiles_;
    mutable bool profilesRead_ = false;
    std::optional<InitializeArguments> initializeArguments_;
    EngineStore store_;
    std::string culture_;
    bool initialized_ = false;
    bool loggingIn_ = false;
    // Answers to an older sign-in (cancelled or replaced) are dropped.
    unsigned loginGeneration_ = 0;
    bool started_ = false;
    bool hibernating_ = false;
    std::optional<std::string> failNextStart_;
};

// Callbacks of the startup service, in the order of the start-up road. Every one is optional.
class OVStartupServicePro {
public:
    virtual ~OVStartupServicePro() = default;

    virtual void ovssInitCompleted() {}
    virtual void ovssInitFailed(const std::string& /*reason*/) {}

    virtual void ovssLoginStarted() {}
    virtual void ovssLoginSucceeded(const std::string& /*userName*/) {}
    virtual void ovssLoginFailed(StartupService::LoginFailureReason /*reason*/,
                                 const std::string& /*message*/) {}
    virtual void ovssLoginCancelled() {}
    virtual void ovssLoginProfileUpdated(const std::string& /*message*/) {}

    virtual void ovssStartCompleted() {}
    virtual void ovssStartFailed(const std::string& /*reason*/) {}

    virtual void ovssLogoutStarted(StartupService::LogoutReason /*reason*/) {}
    virtual void ovssLogoutRequested(StartupService::LogoutReason /*reason*/) {}
    virtual void ovssLogoutComplete() {}
    virtual void ovssStopped() {}

    virtual void ovssHibernationSuspend() {}
    virtual void ovssHibernationResume() {}
};
