#pragma once

#include "engine/LoginProfileItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Control.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Responder.h"
#include "widgets/QXConstraintLayoutManager.h"
#include "widgets/QXContentView.h"
#include "widgets/QXViewLayoutManager.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class LevelIndicator;
class QXButton;
class QXButtonCell;
class QXCollectionWindow;
class SecureTextField;
namespace platform {
class Button;
class PopUpButton;
class ProgressIndicator;
class TextField;
class Timer;
} // namespace platform

// The sign-in view the main window shows as "login" before the engine starts. It lists the
// engine's login profiles, fills the fields from what was remembered at the last successful
// sign-in (the password kept encrypted), checks the fields the profile requires, counts down
// an automatic sign-in, hands the request to the engine, shows the engine's failures and, on
// success, remembers the values again. It lives only while signing in is possible.
class LoginController : public platform::Object,
                        public platform::Awakable,
                        public platform::ActionTarget,
                        public QXContentViewDelegate,
                        public platform::ControlTextEditingDelegate {
public:
    // Field states: shown and editable, shown but not editable (a request is under way),
    // hidden (the profile does not ask for the field).
    static constexpr int kStateEditable = 0;
    static constexpr int kStateReadOnly = 1;
    static constexpr int kStateHidden = 2;
    // The countdown's tick and the delays before a request goes out.
    static constexpr platform::TimeInterval kCountdownTick = 0.25;
    static constexpr platform::TimeInterval kLoginDelay = 1.0;
    static constexpr platform::TimeInterval kNoLoginDelay = 2.0;

    LoginController();
    ~LoginController() override;
    LoginController(const LoginController&) = delete;
    LoginController& operator=(const LoginController&) = delete;

    // The shared controller; the first call makes it and loads the interface definition
    // "Login" with it as owner.
    static std::shared_ptr<LoginController> instance();
    // Whether a shared controller exists now.
    static bool instanceExists();
    // Drops the shared controller at once (tests starting over).
    static void releaseSharedInstance();
    // Registers the interface definition "Login" (once).
    static void registerInterfaceDefinition();
    // Opens a web address; tests replace it. By default the desktop's opener.
    using URLOpener = std::function<void(const std::string&)>;
    static void setURLOpener(URLOpener opener);

    // Interface loaded: cell types and the constraints of the middle part.
    void awake() override;

    // Sets the view up in the main window and shows it (or the splash view for a profile
    // that needs no sign-in).
    void initializeWithWindow(QXCollectionWindow& window);
    // Ends the controller: it lets go of its fields and view, takes the view out of the window
    // it kept, and the next instance() makes a new one.
    void discard();

    // The Login / Cancel / Continue button, also the Return key.
    void login(platform::Object* sender);
    // Sends the request to the engine.
    void doLoginNow(platform::Timer* timer);
    void cancelLogin();
    // The application controller's answers to the engine's sign-in callbacks.
    void loginFailed(const std::string& message);
    void profileUpdated(const std::string& message);
    void loginSucceeded();

    // The user name that signed in, or "" before any success.
    std::string validLoginName() const { return _loginName; }
    // The profile of the selected menu item, or nullptr.
    std::shared_ptr<LoginProfileItem> loginProfile() const;
    bool loggingIn() const { return _loggingIn; }
    void setLoggingIn(bool loggingIn);

    void help(platform::Object* sender);
    void forgotPassword(platform::Object* sender);
    void createAccount(platform::Object* sender);
    void checkBoxChanged(platform::Object* sender);
    // The countdown's tick; a tick of another timer is ignored.
    void loginTimerFired(platform::Timer* timer);

    // The host part of a server text: after the first "//", up to the next "/".
    static std::string cleanupServerString(std::string_view text);

    // Layout and control states.
    void updateVisuals();
    void configureTopModule();
    void configureMiddleModule();
    void configureBottomModule();
    void textChanged(const platform::Notification* notification);
    platform::Size calculateMessageSize(const platform::TextField& field) const;
    void layoutSubviews();
    bool qxcvWillResizeSubviews() override;

    void controlTextDidChange(const platform::Notification& notification) override;
    bool controlTextViewDoCommandBySelector(platform::Control& control,
                                            platform::TextView& textView,
                                            std::string_view selector) override;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Properties the view shows.
    bool hasAccountCreation() const { return _hasAccountCreation; }
    void setHasAccountCreation(bool flag) { _hasAccountCreation = flag; }
    bool hasForgotPassword() const { return _hasForgotPassword; }
    void setHasForgotPassword(bool flag);
    bool hasLoginHelp() const { return _hasLoginHelp; }
    void setHasLoginHelp(bool flag) { _hasLoginHelp = flag; }
    bool skipping() const { return _skipping; }
    void setSkipping(bool flag) { _skipping = flag; }
    bool hideAllowRemember() const { return _hideAllowRemember; }
    void setHideAllowRemember(bool flag);
    const std::string& loginButtonText() const { return _loginButtonText; }
    void setLoginButtonText(std::string text);
    const std::string& noLoginMessage() const { return _noLoginMessage; }
    void setNoLoginMessage(std::string text);
    const std::string& loginStatusMsg() const { return _loginStatusMsg; }
    void setLoginStatusMsg(std::string text);
    int serverState() const { return _serverState; }
    void setServerState(int state);
    int usernameState() const { return _usernameState; }
    void setUsernameState(int state);
    int passwordState() const { return _passwordState; }
    void setPasswordState(int state);
    int displayNameState() const { return _displayNameState; }
    void setDisplayNameState(int state);
    int authNameState() const { return _authNameState; }
    void setAuthNameState(int state);
    bool autoLoginInProgress() const { return _autoLoginInProgress; }
    float loginCountdown() const { return _loginCountdown; }
    platform::Timer* autoLoginTimer() const { return _autoLoginTimer.get(); }
    platform::Timer* loginDelayTimer() const { return _loginDelayTimer.get(); }
    const std::string& lastLoggedInUsername() const { return _lastLoggedInUsername; }
    const std::vector<std::shared_ptr<LoginProfileItem>>& profiles() const { return _profiles; }
    QXCollectionWindow* parentWindow() const { return _parentWindow; }

    // The interface's objects, for the window and for tests.
    QXContentView* myView() const { return _myView.get(); }
    platform::View* topView() const { return _topView.get(); }
    platform::View* mainView() const { return _mainView.get(); }
    platform::View* noLoginView() const { return _noLoginView.get(); }
    platform::View* bottomView() const { return _bottomView.get(); }
    platform::TextField* errorMsg() const { return _errorMsg.get(); }
    platform::TextField* primaryMsg() const { return _primaryMsg.get(); }
    platform::PopUpButton* profilesMenu() const { return _profilesMenu.get(); }
    platform::TextField* username() const { return _username.get(); }
    platform::TextField* password() const;
    platform::TextField* displayName() const { return _displayName.get(); }
    platform::TextField* authName() const { return _authName.get(); }
    platform::TextField* server() const { return _server.get(); }
    platform::TextField* usernameLabel() const { return _usernameLabel.get(); }
    platform::TextField* passwordLabel() const { return _passwordLabel.get(); }
    platform::TextField* displayNameLabel() const { return _displayNameLabel.get(); }
    platform::TextField* authNameLabel() const { return _authNameLabel.get(); }
    platform::Button* remUsername() const { return _remUsername.get(); }
    platform::Button* remPassword() const { return _remPassword.get(); }
    platform::Button* remDisplayName() const { return _remDisplayName.get(); }
    platform::Button* remAuthName() const { return _remAuthName.get(); }
    platform::Button* remAutoSignIn() const { return _remAutoSignIn.get(); }
    platform::Button* helpButton() const;
    platform::Button* loginButton() const;
    platform::Button* forgotPasswordButton() const;
    LevelIndicator* autoLoginLevel() const { return _autoLoginLevel.get(); }
    platform::ProgressIndicator* loginProgressIndicator() const {
        return _loginProgressIndicator.get();
    }
    platform::TextField* autoLoginMessage() const { return _autoLoginMessage.get(); }
    platform::TextField* loginStatusMessage() const { return _loginStatusMessage.get(); }
    QXViewLayoutManager& layoutManager() { return _layoutManager; }
    QXViewConstraintLayoutManager& layoutManagerMainView() { return _layoutManagerMainView; }

private:
    struct Builder;

    void readProfiles();
    bool validateLogin();
    // "Please enter ..." for the first field the profile requires that is empty, or "".
    std::string missingFieldMessage() const;
    void stopCountdown();
    // The help button shows exactly when the brand names a login help address (and, with
    // `idleOnly`, no sign-in is under way).
    void updateHelpButton(bool idleOnly);
    std::string loginHelpURL() const;
    void openBrandURL(std::string_view key);
    void applyFieldState(platform::TextField* field, platform::TextField* label, int state);
    void writeRememberedValues();
    platform::Value::Dictionary requestData() const;

    std::shared_ptr<QXContentView> _myView;
    std::shared_ptr<platform::View> _topView;
    std::shared_ptr<platform::View> _mainView;
    std::shared_ptr<platform::View> _noLoginView;
    std::shared_ptr<platform::View> _bottomView;
    std::shared_ptr<platform::TextField> _errorMsg;
    std::shared_ptr<platform::TextField> _primaryMsg;
    std::shared_ptr<platform::PopUpButton> _profilesMenu;
    std::shared_ptr<platform::TextField> _username;
    std::shared_ptr<SecureTextField> _password;
    std::shared_ptr<platform::TextField> _displayName;
    std::shared_ptr<platform::TextField> _authName;
    std::shared_ptr<platform::TextField> _server;
    std::shared_ptr<platform::TextField> _usernameLabel;
    std::shared_ptr<platform::TextField> _passwordLabel;
    std::shared_ptr<platform::TextField> _displayNameLabel;
    std::shared_ptr<platform::TextField> _authNameLabel;
    std::shared_ptr<platform::Button> _remUsername;
    std::shared_ptr<platform::Button> _remPassword;
    std::shared_ptr<platform::Button> _remDisplayName;
    std::shared_ptr<platform::Button> _remAuthName;
    std::shared_ptr<platform::Button> _remAutoSignIn;
    std::shared_ptr<QXButton> _helpButton;
    std::shared_ptr<QXButton> _loginButton;
    QXButtonCell* _helpButtonCell = nullptr;
    std::shared_ptr<QXButton> _forgotPasswordButton;
    QXButtonCell* _forgotPasswordButtonCell = nullptr;
    std::shared_ptr<LevelIndicator> _autoLoginLevel;
    std::shared_ptr<platform::ProgressIndicator> _loginProgressIndicator;
    std::shared_ptr<platform::TextField> _autoLoginMessage;
    std::shared_ptr<platform::TextField> _loginStatusMessage;
    // The text of the no-login part.
    std::shared_ptr<platform::TextField> _noLoginText;
    std::vector<std::shared_ptr<LoginProfileItem>> _profiles;
    QXViewLayoutManager _layoutManager;
    QXViewConstraintLayoutManager _layoutManagerMainView;
    QXCollectionWindow* _parentWindow = nullptr;
    bool _loggingIn = false;
    // The error text names a missing field (and follows the typing until none is missing).
    bool _errorNamesMissingField = false;
    bool _hasAccountCreation = false;
    bool _hasForgotPassword = false;
    bool _hasLoginHelp = false;
    bool _skipping = false;
    bool _hideAllowRemember = false;
    std::string _loginButtonText;
    std::string _noLoginMessage;
    std::string _loginStatusMsg;
    std::string _lastLoggedInUsername;
    int _serverState = kStateEditable;
    int _usernameState = kStateEditable;
    int _passwordState = kStateEditable;
    int _displayNameState = kStateEditable;
    int _authNameState = kStateEditable;
    std::string _loginName;
    bool _autoLoginInProgress = false;
    float _loginCountdown = 0;
    std::shared_ptr<platform::Timer> _autoLoginTimer;
    std::shared_ptr<platform::Timer> _loginDelayTimer;
    bool _observingTextChanges = false;
};
