#pragma once

#include "engine/DelegateList.h"
#include "engine/OVModel.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>

class EngineContext;

// Callbacks of the hosted-service connection.
class OVConnectServicePro {
public:
    virtual ~OVConnectServicePro() = default;
    virtual void ovcsIsConnected(bool /*connected*/) {}
    virtual void ovcsIsSignedIn(bool /*signedIn*/) {}
    virtual void ovcsIsSignedUp(bool /*signedUp*/) {}
    virtual void ovcsWebTokenChanged() {}
    virtual void ovcsDetectedCountryChanged() {}
    virtual void ovcsStringsChanged() {}
};

// The connection to the hosted service: signed in (the user has an account there and gave
// it) and connected (the service is reachable and serving the session).
class OVConnectService : public platform::Object,
                         public DelegatingService<OVConnectServicePro>,
                         public std::enable_shared_from_this<OVConnectService> {
public:
    explicit OVConnectService(std::shared_ptr<EngineContext> context = nullptr)
        : context_(std::move(context)) {}

    bool isConnected() const { return connected_; }
    bool isSignedIn() const { return signedIn_; }
    // Calls go around the hosted service's account while set.
    bool byPassConnectAccountForCall() const { return byPass_; }
    void setByPassConnectAccountForCall(bool byPass) { byPass_ = byPass; }
    // The portal's address, and its address for a signed-in user (with "%s" for the token).
    std::string portalUrl() const;
    std::string portalUrlSignedIn() const;
    const std::string& webToken() const { return webToken_; }
    // Asks the service for a new token, answered by ovcsWebTokenChanged.
    void fetchWebToken();
    // Calls the service's test number.
    void testCall();

    // Sign-in and sign-out, answered by ovcsIsSignedIn and ovcsIsConnected.
    void signIn();
    void signOut();

    std::shared_ptr<EngineContext> context() const { return context_; }

    // Engine side. setConnected changes the flag quietly; setState tells the delegates of
    // each flag that changed (signed in first, then connected).
    void setConnected(bool connected) { connected_ = connected; }
    void setState(bool connected, bool signedIn);

private:
    std::shared_ptr<EngineContext> context_;
    bool connected_ = false;
    bool signedIn_ = false;
    bool byPass_ = false;
    std::string webToken_;
};

// Callbacks of the hosted-service account model.
class OVConnectAccountModelPro : public virtual OVModelPro {
public:
    virtual void ovmdConnectAccountPropertyChanged(const std::string& /*propertyName*/) {}
    virtual void ovmdConnectAccountFocusRequested(const std::string& /*propertyName*/) {}
};

// The hosted-service set-up the engine asks the interface to show (sign in or sign up).
class OVConnectServiceSetupModel : public OVModelOf<> {
public:
    static constexpr std::string_view signInVisualState = "signIn";
    static constexpr std::string_view signUpVisualState = "signUp";

    OVConnectServiceSetupModel(std::shared_ptr<OVConnectService> service, bool signUp)
        : service_(std::move(service)), signUp_(signUp) {}

    std::string getVisualStateName() const override {
        return std::string(signUp_ ? signUpVisualState : signInVisualState);
    }
    bool canSubmit() const { return !submitted_; }
    // The user's details are taken as given: the service signs in.
    void submit();

private:
    std::shared_ptr<OVConnectService> service_;
    bool signUp_;
    bool submitted_ = false;
};

// What the menus offer for the hosted-service account: sign up or sign in while signed out,
// sign out while signed in.
class OVConnectAccountModel : public OVModelOf<OVConnectAccountModelPro>,
                              public OVConnectServicePro {
public:
    static std::shared_ptr<OVConnectAccountModel> create();
    explicit OVConnectAccountModel(std::shared_ptr<OVConnectService> service);
    ~OVConnectAccountModel() override;

    bool showSignUp() const;
    bool showSignIn() const;
    bool showSignOut() const;
    // Sign-up and sign-in ask the window service to show the set-up model.
    void signUp();
    void signIn();
    void signOut();
    // Asks the window service to show the service's find-friends page.
    void findFriends();

    void ovcsIsSignedIn(bool signedIn) override;

private:
    std::shared_ptr<OVConnectService> service_;
};
