#pragma once

#include "engine/DelegateList.h"
#include "engine/EngineStore.h"
#include "engine/FeaturesService.h"
#include "engine/LoginProfileItem.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OVStartupServicePro;

// The engine's root: its one instance brings the engine up (initialise, sign in, start) and
// down (log out, stop), and hands out the features service and the phone service. Every
// request is answered later, on the main run loop, through OVStartupServicePro; the
// interface never waits on the engine.
class StartupService : public platform::Object,
                       public DelegatingService<OVStartupServicePro>,
                       public std::enable_shared_from_this<StartupService> {
public:
    enum class LogoutReason { user, reRegistrationFailed, serverForced };
    enum class LoginFailureReason {
        loginFailureUnknown,
        loginFailureServerRejected,
        loginFailureServerUnreachable
    };

    static StartupService& instance();
    // Drops the engine and makes a fresh one on the next instance(); answers still queued for
    // the old engine are dropped with it. For tests.
    static void resetInstance();

    StartupService();
    ~StartupService() override;

    std::shared_ptr<FeaturesService> featuresService() const { return featuresService_; }
    std::shared_ptr<PhoneService> phoneService() const { return phoneService_; }

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

    // Sign-in: answers ovssLoginStarted, then ovssLoginSucceeded with the user name of the
    // data ("username"), or ovssLoginFailed when the engine is not initialised.
    std::vector<std::shared_ptr<LoginProfileItem>> loginProfiles() const { return loginProfiles_; }
    void login(std::shared_ptr<LoginProfileItem> profile, platform::Value data);
    // Answers ovssLoginCancelled when a sign-in is under way.
    void cancelLogin();
    // Whether the hosted service's intro video should play before the engine starts.
    bool playIntroVideo(std::string_view loginName) const;
    // Answers ovssStartCompleted, or ovssStartFailed when the engine is not initialised.
    void start(std::string loginName);
    bool started() const { return started_; }
    // Answers ovssLogoutStarted with the reason, then ovssLogoutComplete; afterwards the
    // engine waits to be initialised again.
    void logout(LogoutReason reason);
    // Answers ovssStopped.
    void stop();

    const EngineStore& store() const { return store_; }

private:
    void post(std::function<void(StartupService&)> work);
    void completeInitialization();

    std::shared_ptr<FeaturesService> featuresService_;
    std::shared_ptr<PhoneService> phoneService_;
    std::vector<std::shared_ptr<LoginProfileItem>> loginProfiles_;
    std::optional<InitializeArguments> initializeArguments_;
    EngineStore store_;
    std::string culture_;
    bool initialized_ = false;
    bool loggingIn_ = false;
    bool started_ = false;
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
