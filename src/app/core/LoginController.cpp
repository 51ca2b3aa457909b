#include "app/core/LoginController.h"

#include "app/core/AppController.h"
#include "app/core/Indicators.h"
#include "app/core/PasswordStore.h"
#include "app/core/SecureTextField.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "widgets/QXButton.h"
#include "widgets/QXButtonCell.h"
#include "widgets/QXCollectionWindow.h"
#include "widgets/QXValueTransformers.h"

#include <algorithm>
#include <cmath>

using platform::Rect;
using platform::Size;
using platform::TextField;
using platform::Value;
using Attribute = QXViewConstraint::Attribute;

namespace {

// The sign-in's timers run in every mode of the run loop: an open menu (event tracking) or a
// modal panel must not hold the sign-in up.
std::shared_ptr<platform::Timer> scheduledInAllModes(platform::TimeInterval interval, bool repeats,
                                                     platform::Timer::Callback callback) {
    auto timer = platform::Timer::timerWithTimeInterval(interval, repeats, std::move(callback));
    platform::RunLoop::main().addTimer(timer, platform::commonModes());
    return timer;
}

std::shared_ptr<LoginController>& sharedInstance() {
    static std::shared_ptr<LoginController> controller;
    return controller;
}

LoginController::URLOpener& urlOpener() {
    static LoginController::URLOpener opener = AppController::openWithDesktop;
    return opener;
}

std::shared_ptr<LoginProfileItem> profileOf(const platform::MenuItem* item) {
    return item ? std::dynamic_pointer_cast<LoginProfileItem>(item->representedObject().object())
                : nullptr;
}

bool isManual(LoginProfileItem::Type type) {
    return type == LoginProfileItem::MANUAL || type == LoginProfileItem::USER_MANUAL ||
           type == LoginProfileItem::SEMI_MANUAL;
}

bool featureAvailable(std::string_view name) {
    return StartupService::instance().featuresService()->featureAvailable(name);
}

// The short form of a server for menu titles: at most 20 characters, longer ones cut to 17
// with "..." after them.
std::string shortServer(std::string_view data) {
    std::string server = LoginController::cleanupServerString(data);
    std::size_t count = 0;
    std::size_t cut = 0;
    for (std::size_t i = 0; i < server.size(); i = platform::characterEnd(server, i)) {
        if (count == 17)
            cut = i;
        ++count;
    }
    if (count >= 21)
        server = server.substr(0, cut) + "...";
    return server;
}

platform::Font loginFont(double size = 12) {
    return platform::Font::systemFontOfSize(size);
}

std::shared_ptr<TextField>
makeLabel(const Rect& frame, std::string text, double fontSize = 12,
          platform::TextAlignment alignment = platform::TextAlignment::Left) {
    auto label = TextField::labelWithString(std::move(text), frame, loginFont(fontSize));
    label->setAlignment(alignment);
    return label;
}

std::shared_ptr<TextField> makeMessage(const Rect& frame, double fontSize) {
    auto message = makeLabel(frame, "", fontSize);
    message->cell()->setWraps(true);
    return message;
}

template <class Field> std::shared_ptr<Field> makeField(const Rect& frame) {
    auto field = std::make_shared<Field>(frame);
    field->setEditable(true);
    field->setSelectable(true);
    field->setBezeled(true);
    field->setDrawsBackground(true);
    field->setFont(loginFont());
    return field;
}

std::shared_ptr<platform::Button> makeCheckBox(const Rect& frame, std::string title) {
    auto box = std::make_shared<platform::Button>(frame);
    box->setButtonType(platform::SwitchButton);
    box->setTitle(std::move(title));
    box->setFont(loginFont(11));
    return box;
}

std::shared_ptr<QXButton> makeLink(const Rect& frame, std::string title) {
    auto link = std::make_shared<QXButton>(frame);
    link->setButtonType(QXButtonTypeHyperlink);
    link->setTitle(std::move(title));
    link->setFont(loginFont(11));
    link->setAlignment(platform::TextAlignment::Left);
    return link;
}

// A transparent view that only holds a gap open for the layout manager.
std::shared_ptr<platform::View> makeSpacer(const Rect& frame, platform::AutoresizingMask mask) {
    auto spacer = std::make_shared<platform::View>(frame);
    spacer->setAutoresizingMask(mask);
    return spacer;
}

constexpr platform::AutoresizingMask kPinnedTop = platform::ViewMinYMargin;
constexpr platform::AutoresizingMask kBelowNeighbour =
    platform::ViewMinYMargin | platform::ViewMaxYMargin;

} // namespace

// The interface definition "Login": the view's parts and controls, with the controller as
// owner. Geometry is that of the controls all shown; the layout closes the gaps of hidden
// ones.
struct LoginController::Builder {
    static constexpr double kWidth = 360;

    static void build(platform::InterfaceDefinitionLoad& load) {
        auto* owner = dynamic_cast<LoginController*>(load.owner());
        if (!owner)
            return;
        LoginController& c = *owner;

        c._myView = platform::make<QXContentView>(Rect(0, 0, kWidth, 420));

        // Top: greeting, profiles menu, server field.
        c._topView = std::make_shared<platform::View>(Rect(0, 0, kWidth, 96));
        c._primaryMsg = makeMessage(Rect(15, 58, kWidth - 30, 34), 12);
        c._primaryMsg->setAutoresizingMask(kPinnedTop);
        c._profilesMenu = std::make_shared<platform::PopUpButton>(Rect(20, 30, kWidth - 40, 24));
        c._profilesMenu->setFont(loginFont());
        c._profilesMenu->setAutoresizingMask(kBelowNeighbour);
        c._server = makeField<TextField>(Rect(20, 4, kWidth - 40, 22));
        c._server->setAutoresizingMask(kBelowNeighbour);
        for (auto view : {std::static_pointer_cast<platform::View>(c._primaryMsg),
                          std::static_pointer_cast<platform::View>(c._profilesMenu),
                          std::static_pointer_cast<platform::View>(c._server)})
            c._topView->addSubview(view);
        c._topView->addSubview(makeSpacer(Rect(20, 0, kWidth - 40, 3), kBelowNeighbour));

        // Middle: the fields in one right-aligned column, their labels to the left, then the
        // countdown, the progress, the remember boxes and the links. Frames as the
        // constraints place them when every control is shown.
        c._mainView = std::make_shared<platform::View>(Rect(0, 0, kWidth, 250));
        const double fieldX = kWidth - 20 - 180;
        double top = 250 - 5;
        auto fieldRow = [&](std::shared_ptr<TextField> field, std::shared_ptr<TextField> label,
                            bool first) {
            field->setFrame(Rect(fieldX, top - 22, 180, 22));
            field->setAutoresizingMask(first ? kPinnedTop : kBelowNeighbour);
            // Right-aligned labels take the whole room left of the fields, so that the
            // longest ("Authorization Name:") is not cut.
            label->setFrame(Rect(15, top - 2 - 17, fieldX - 2 - 15, 17));
            label->setAutoresizingMask(first ? kPinnedTop : kBelowNeighbour);
            c._mainView->addSubview(label);
            c._mainView->addSubview(field);
            top -= 22 + 5;
        };
        c._username = makeField<TextField>({});
        c._usernameLabel = makeLabel({}, QXLS("msg.login.username", "User Name:"), 12,
                                     platform::TextAlignment::Right);
        c._displayName = makeField<TextField>({});
        c._displayNameLabel = makeLabel({}, QXLS("msg.login.displayname", "Display Name:"), 12,
                                        platform::TextAlignment::Right);
        c._authName = makeField<TextField>({});
        c._authNameLabel = makeLabel({}, QXLS("msg.login.authname", "Authorization Name:"), 12,
                                     platform::TextAlignment::Right);
        c._password = makeField<SecureTextField>({});
        c._passwordLabel = makeLabel({}, QXLS("msg.login.password", "Password:"), 12,
                                     platform::TextAlignment::Right);
        fieldRow(c._username, c._usernameLabel, true);
        fieldRow(c._displayName, c._displayNameLabel, false);
        fieldRow(c._authName, c._authNameLabel, false);
        fieldRow(c._password, c._passwordLabel, false);

        const double passwordBottom = c._password->frame().minY();
        c._autoLoginMessage = makeLabel(Rect(20, passwordBottom - 5 - 17, kWidth - 40, 17), "", 11);
        c._autoLoginLevel = std::make_shared<LevelIndicator>(
            Rect(20, c._autoLoginMessage->frame().minY() - 5 - 10, kWidth - 40, 10));
        // The spinner and, right of it, its text share a row right of the remember boxes,
        // which keep their place while a request is under way.
        c._loginProgressIndicator = std::make_shared<platform::ProgressIndicator>(
            Rect(fieldX + 20, passwordBottom - 15 - 16, 16, 16));
        c._loginProgressIndicator->setStyle(platform::ProgressIndicatorStyle::Spinning);
        c._loginProgressIndicator->setDisplayedWhenStopped(false);
        c._loginStatusMessage = makeLabel(Rect(fieldX + 20 + 16 + 6, passwordBottom - 15 - 8 - 9,
                                               kWidth - 20 - (fieldX + 20 + 16 + 6), 17),
                                          "", 11, platform::TextAlignment::Left);
        c._remPassword = makeCheckBox(
            Rect(kWidth / 2 + 30, c._autoLoginLevel->frame().minY() - 20 - 18, 145, 18),
            QXLS("msg.login.remember_password", "Remember password"));
        c._remAutoSignIn =
            makeCheckBox(Rect(kWidth / 2 + 30, c._remPassword->frame().minY() - 2 - 18, 145, 18),
                         QXLS("msg.login.auto_signin", "Sign in automatically"));
        c._forgotPasswordButton =
            makeLink(Rect(fieldX, c._remAutoSignIn->frame().minY() - 10 - 16, 150, 16),
                     QXLS("msg.login.forgot_password", "Forgot your password?"));
        c._helpButton =
            makeLink(Rect(fieldX, c._forgotPasswordButton->frame().minY() - 2 - 16, 150, 16),
                     QXLS("msg.login.help", "Need help signing in?"));
        c._helpButtonCell = c._helpButton->qxCell();
        c._forgotPasswordButtonCell = c._forgotPasswordButton->qxCell();
        // The product remembers the user name and the other details together with the
        // password; their own boxes are kept for the stored choices but not shown.
        c._remUsername = makeCheckBox(Rect(20, 2, 120, 18), "");
        c._remDisplayName = makeCheckBox(Rect(20, 2, 120, 18), "");
        c._remAuthName = makeCheckBox(Rect(20, 2, 120, 18), "");
        for (auto* box : {c._remUsername.get(), c._remDisplayName.get(), c._remAuthName.get()})
            box->setHidden(true);
        c._loginProgressIndicator->setHidden(true);
        c._loginStatusMessage->setHidden(true);
        for (auto view : std::initializer_list<std::shared_ptr<platform::View>>{
                 c._autoLoginMessage, c._autoLoginLevel, c._loginProgressIndicator,
                 c._loginStatusMessage, c._remPassword, c._remAutoSignIn, c._forgotPasswordButton,
                 c._helpButton}) {
            view->setAutoresizingMask(kBelowNeighbour);
            c._mainView->addSubview(view);
        }
        for (auto view : {c._remUsername, c._remDisplayName, c._remAuthName})
            c._mainView->addSubview(view);
        c._mainView->addSubview(
            makeSpacer(Rect(0, c._helpButton->frame().minY() - 1 - 6, kWidth, 6), kBelowNeighbour));

        // The part shown in place of the middle one for a profile without sign-in.
        c._noLoginView = std::make_shared<platform::View>(Rect(0, 0, kWidth, 150));
        c._noLoginText = makeMessage(Rect(20, 10, kWidth - 40, 130), 12);
        c._noLoginText->setAutoresizingMask(platform::ViewWidthSizable |
                                            platform::ViewHeightSizable);
        c._noLoginView->addSubview(c._noLoginText);
        c._noLoginView->setHidden(true);

        // Bottom: the error text and the Login button.
        c._bottomView = std::make_shared<platform::View>(Rect(0, 0, kWidth, 64));
        c._bottomView->addSubview(makeSpacer(Rect(0, 60, kWidth, 2), kPinnedTop));
        c._errorMsg = makeMessage(Rect(15, 36, kWidth - 30, 20), 12);
        c._errorMsg->setTextColor(platform::Color(0.75, 0.1, 0.1, 1));
        c._errorMsg->setAutoresizingMask(kBelowNeighbour);
        c._loginButton = std::make_shared<QXButton>(Rect(kWidth - 20 - 100, 8, 100, 24));
        c._loginButton->setButtonType(QXButtonTypeScalable);
        c._loginButton->setBezelStyle(platform::BezelStyle::Rounded);
        c._loginButton->setFont(loginFont(13));
        c._loginButton->setKeyEquivalent("\r");
        c._loginButton->setAutoresizingMask(platform::ViewMinXMargin | kBelowNeighbour);
        c._bottomView->addSubview(c._errorMsg);
        c._bottomView->addSubview(c._loginButton);
        c._bottomView->addSubview(makeSpacer(Rect(0, 0, kWidth, 4), kBelowNeighbour));

        c._loginButton->setTarget(&c);
        c._loginButton->setAction("login:");
        c._helpButton->setTarget(&c);
        c._helpButton->setAction("help:");
        c._forgotPasswordButton->setTarget(&c);
        c._forgotPasswordButton->setAction("forgotPassword:");
        for (auto* box : {c._remUsername.get(), c._remPassword.get(), c._remDisplayName.get(),
                          c._remAuthName.get(), c._remAutoSignIn.get()}) {
            box->setTarget(&c);
            box->setAction("checkBoxChanged:");
        }
        load.addTopLevelObject(c._myView);
        load.wakeLater(owner);
    }
};

LoginController::LoginController() = default;

LoginController::~LoginController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (_autoLoginTimer)
        _autoLoginTimer->invalidate();
    if (_loginDelayTimer)
        _loginDelayTimer->invalidate();
    for (auto* field : {_username.get(), static_cast<TextField*>(_password.get()), _server.get(),
                        _authName.get(), _displayName.get()})
        if (field && field->delegate() == this)
            field->setDelegate(nullptr);
    if (_myView && _myView->delegate() == this)
        _myView->setDelegate(nullptr);
    // The controls point at the controller as their target.
    for (platform::Control* control : std::initializer_list<platform::Control*>{
             _loginButton.get(), _helpButton.get(), _forgotPasswordButton.get(), _remUsername.get(),
             _remPassword.get(), _remDisplayName.get(), _remAuthName.get(), _remAutoSignIn.get()})
        if (control)
            control->setTarget(nullptr);
    if (_profilesMenu && _profilesMenu->menu())
        for (const auto& item : _profilesMenu->menu()->itemArray())
            item->setTarget(nullptr);
}

void LoginController::registerInterfaceDefinition() {
    if (!platform::InterfaceDefinition::isRegistered("Login"))
        platform::InterfaceDefinition::registerDefinition("Login", &Builder::build);
}

std::shared_ptr<LoginController> LoginController::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        registerInterfaceDefinition();
        shared = std::make_shared<LoginController>();
        if (!platform::InterfaceDefinition::load("Login", shared.get()))
            platform::Log("The login view cannot be loaded");
    }
    return shared;
}

bool LoginController::instanceExists() {
    return sharedInstance() != nullptr;
}

void LoginController::releaseSharedInstance() {
    sharedInstance().reset();
}

void LoginController::setURLOpener(URLOpener opener) {
    urlOpener() = opener ? std::move(opener) : URLOpener(AppController::openWithDesktop);
}

void LoginController::awake() {
    if (_helpButtonCell)
        _helpButtonCell->setButtonType(QXButtonTypeHyperlink);
    if (_forgotPasswordButtonCell)
        _forgotPasswordButtonCell->setButtonType(QXButtonTypeHyperlink);

    auto& m = _layoutManagerMainView;
    auto add = [&m](const std::shared_ptr<platform::View>& view, Attribute attr,
                    const std::shared_ptr<platform::View>& source, Attribute srcAttr,
                    double offset) {
        m.addConstraint(QXViewConstraint::constraintWithAttribute(attr, source, srcAttr, offset),
                        view);
    };
    using C = QXViewConstraint;
    add(_username, C::MaxX, nullptr, C::MaxX, -20);
    add(_username, C::MaxY, nullptr, C::MaxY, -5);
    add(_usernameLabel, C::MaxX, _username, C::MinX, -2);
    add(_usernameLabel, C::MaxY, _username, C::MaxY, -2);
    add(_displayName, C::MaxX, nullptr, C::MaxX, -20);
    add(_displayName, C::MaxY, _username, C::MinY, -5);
    add(_displayNameLabel, C::MaxX, _displayName, C::MinX, -2);
    add(_displayNameLabel, C::MaxY, _displayName, C::MaxY, -2);
    add(_authName, C::MaxX, nullptr, C::MaxX, -20);
    add(_authName, C::MaxY, _displayName, C::MinY, -5);
    add(_authNameLabel, C::MaxX, _authName, C::MinX, -2);
    add(_authNameLabel, C::MaxY, _authName, C::MaxY, -2);
    add(_password, C::MaxX, nullptr, C::MaxX, -20);
    add(_password, C::MaxY, _authName, C::MinY, -5);
    add(_passwordLabel, C::MaxX, _password, C::MinX, -2);
    add(_passwordLabel, C::MaxY, _password, C::MaxY, -2);
    add(_remPassword, C::MinX, nullptr, C::MidX, 30);
    add(_remPassword, C::MaxY, _autoLoginLevel, C::MinY, -20);
    add(_remAutoSignIn, C::MinX, _remPassword, C::MinX, 0);
    add(_remAutoSignIn, C::MaxY, _remPassword, C::MinY, -2);
    add(_forgotPasswordButton, C::MinX, _username, C::MinX, 0);
    add(_forgotPasswordButton, C::MaxY, _remAutoSignIn, C::MinY, -10);
    if (!loginHelpURL().empty()) {
        add(_helpButton, C::MinX, _username, C::MinX, 0);
        add(_helpButton, C::MaxY, _forgotPasswordButton, C::MinY, -2);
    } else if (_helpButton) {
        _helpButton->setHidden(true);
    }
    add(_autoLoginMessage, C::MinX, nullptr, C::MinX, 20);
    add(_autoLoginMessage, C::MaxY, _password, C::MinY, -5);
    add(_autoLoginLevel, C::MinX, nullptr, C::MinX, 20);
    add(_autoLoginLevel, C::MaxY, _autoLoginMessage, C::MinY, -5);
    add(_loginProgressIndicator, C::MinX, _password, C::MinX, 20);
    add(_loginProgressIndicator, C::MaxY, _password, C::MinY, -15);
    add(_loginStatusMessage, C::MinX, _loginProgressIndicator, C::MaxX, 6);
    add(_loginStatusMessage, C::MidY, _loginProgressIndicator, C::MidY, 0);
}

std::string LoginController::loginHelpURL() const {
    AppController* controller = AppController::sharedAppController();
    if (!controller)
        return {};
    return controller->brandDict()["Menus"]["Help"]["login_help_url"].stringValue();
}

void LoginController::updateHelpButton(bool idleOnly) {
    if (_helpButton)
        _helpButton->setHidden(loginHelpURL().empty() || (idleOnly && _loggingIn));
}

void LoginController::initializeWithWindow(QXCollectionWindow& window) {
    for (TextField* field : {_username.get(), static_cast<TextField*>(_password.get()),
                             _server.get(), _authName.get(), _displayName.get()})
        if (field)
            field->setDelegate(this);
    if (_myView)
        _myView->setDelegate(this);

    if (_errorMsg) {
        _errorMsg->setStringValue("");
        AppController* controller = AppController::sharedAppController();
        if (controller && controller->logoutReason() == StartupService::reRegistrationFailed)
            _errorMsg->setStringValue(
                QXLS("msg.login.error.reregfailed",
                     "You have been automatically logged out due to a server registration "
                     "error. Please try to log in again."));
    }

    readProfiles();

    if (_profilesMenu && _profilesMenu->numberOfItems() == 2) {
        platform::MenuItem* second = _profilesMenu->itemAtIndex(1);
        auto profile = profileOf(second);
        if (profile && !profile->token().empty()) {
            second->setRepresentedObject(Value());
            _profilesMenu->removeItemAtIndex(1);
        }
    }

    for (const auto& part : {_topView, _mainView, _noLoginView, _bottomView}) {
        const Size size = part ? part->frame().size : Size();
        _layoutManager.addView(part, size, size);
    }
    for (const auto& part : {_topView, _mainView, _bottomView})
        _layoutManager.registerViewForVerticalLayout(part.get());

    _autoLoginInProgress = false;
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    const std::pair<platform::Button*, std::string_view> boxes[] = {
        {_remUsername.get(), "login.remember.username"},
        {_remDisplayName.get(), "login.remember.displayname"},
        {_remAuthName.get(), "login.remember.authname"},
        {_remPassword.get(), "login.remember.password"},
        {_remAutoSignIn.get(), "login.remember.autosignin"},
    };
    for (const auto& [box, key] : boxes)
        if (box)
            box->setState(defaults.boolForKey(key) ? platform::OnState : platform::OffState);

    const std::pair<TextField*, std::string_view> remembered[] = {
        {_username.get(), "login.last_value.username"},
        {_displayName.get(), "login.last_value.displayname"},
        {_authName.get(), "login.last_value.authname"},
    };
    for (const auto& [field, key] : remembered)
        if (auto value = defaults.stringForKey(key); value && field)
            field->setStringValue(*value);
    // A password older versions kept in the defaults moves to the password store once; one
    // that does not decrypt to text is dropped, never shown.
    PasswordStore& passwords = PasswordStore::shared();
    migrateRememberedPassword(defaults, passwords);
    if (auto password = passwords.password(); password && _password)
        _password->setStringValue(*password);
    if (auto server = defaults.stringForKey("login.last_value.server"); server && _server)
        _server->setStringValue(*server);

    setNoLoginMessage(QXLS(
        "msg.login.no_login_message",
        "You chose not to use the login feature of ${PRODUCT_NAME}.\n\nPress continue to start "
        "${PRODUCT_NAME}. The next time you start, this login dialog will not be shown.\nYou "
        "can reset to the default behaviour in your preferences under the applications "
        "settings tab."));

    window.addView(_myView, "login");
    layoutSubviews();
    updateVisuals();

    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && profile->type() == LoginProfileItem::NO_LOGIN) {
        window.swapViewWithName("splash");
        if (!window.isVisible())
            window.makeKeyAndOrderFront(nullptr);
        _loginDelayTimer = scheduledInAllModes(
            kNoLoginDelay, false, [this](platform::Timer& timer) { doLoginNow(&timer); });
        return;
    }

    window.swapViewWithName("login");
    // A remembered detail that went missing (a password the secret store no longer has) would
    // only make the automatic sign-in fail once its countdown ends: the user fills it in first.
    if (profile && profile->autoLoginTimeout() >= 0 && _remAutoSignIn &&
        _remAutoSignIn->state() == platform::OnState && missingFieldMessage().empty()) {
        AppController* controller = AppController::sharedAppController();
        if (!controller || !controller->isLoggedOut()) {
            _loginCountdown = static_cast<float>(profile->autoLoginTimeout());
            if (_loginCountdown > kCountdownTick) {
                _autoLoginInProgress = true;
                if (_autoLoginLevel) {
                    _autoLoginLevel->setMaxValue(10);
                    _autoLoginLevel->setDoubleValue(10);
                }
                _autoLoginTimer =
                    scheduledInAllModes(kCountdownTick, true, [this](platform::Timer& timer) {
                        loginTimerFired(&timer);
                    });
            } else {
                login(nullptr);
            }
        }
    }
    if (profile && !profile->allowRemember())
        setHideAllowRemember(true);
    if (_username && _username->stringValue().empty() &&
        featureAvailable("remember_details_default_on")) {
        if (_remPassword)
            _remPassword->setState(platform::OnState);
        if (_remAutoSignIn)
            _remAutoSignIn->setState(platform::OnState);
    }
    setHasForgotPassword(featureAvailable("login_forgot_password"));
    updateVisuals();
    if (!window.isVisible())
        window.makeKeyAndOrderFront(nullptr);
    _parentWindow = &window;
    if (_username && _username->stringValue().empty())
        window.makeFirstResponder(nullptr);
    if (!_observingTextChanges) {
        _observingTextChanges = true;
        platform::NotificationCenter::defaultCenter().addObserver(
            this, platform::ControlTextDidChangeNotification, nullptr,
            [this](const platform::Notification& notification) { textChanged(&notification); });
    }
    updateHelpButton(false);
}

void LoginController::readProfiles() {
    _profiles = StartupService::instance().loginProfiles();
    if (!_profilesMenu)
        return;
    _profilesMenu->removeAllItems();

    if (_primaryMsg)
        _primaryMsg->setStringValue(
            _profiles.size() < 2
                ? QXLS("msg.login.single_profile_greeting",
                       "Welcome!\nPlease enter your login details and press login to start "
                       "${PRODUCT_NAME}")
                : QXLS("msg.login.multi_profile_greeting",
                       "Welcome to ${PRODUCT_NAME}!\nPlease select a profile from the menu "
                       "below to complete the login"));
    if (_server)
        _server->setStringValue("");

    auto menu = std::make_shared<platform::Menu>("profiles");
    const long lastProfileID = static_cast<long>(
        platform::UserDefaults::standardUserDefaults().integerForKey("login.lastProfileID"));
    platform::MenuItem* remembered = nullptr;
    for (const auto& profile : _profiles) {
        std::string title;
        bool setsServer = false;
        switch (profile->type()) {
        case LoginProfileItem::NO_LOGIN:
            title = QXLS("msg.login.profile.no_login", "No login required.");
            break;
        case LoginProfileItem::BUILTIN:
            title = QXLS("msg.login.profile.builtin", "Use preconfigured login server.");
            replaceOccurrencesIgnoringCase(title, "${SERVER}", shortServer(profile->data()));
            break;
        case LoginProfileItem::USER_BUILTIN:
            title = profile->name();
            break;
        case LoginProfileItem::MANUAL:
        case LoginProfileItem::SEMI_MANUAL:
            title = QXLS("msg.login.profile.manual", "Manually configure login server:");
            setsServer = true;
            break;
        case LoginProfileItem::USER_MANUAL:
            title = profile->name();
            setsServer = true;
            break;
        case LoginProfileItem::AUTODETECT:
            title = QXLS("msg.login.profile.autodetect", "DHCP provided: \"${SERVER}\"");
            replaceOccurrencesIgnoringCase(title, "${SERVER}", shortServer(profile->data()));
            break;
        case LoginProfileItem::LOCAL:
            title = QXLS("msg.login.profile.local", "Use local login.");
            setsServer = true;
            break;
        }
        if (setsServer && _server)
            _server->setStringValue(profile->data());
        auto item = std::make_shared<platform::MenuItem>(title, "updateVisuals", "");
        item->setRepresentedObject(Value(std::static_pointer_cast<platform::Object>(profile)));
        item->setTarget(this);
        menu->addItem(item);
        if (profile->profileID() == lastProfileID)
            remembered = item.get();
    }
    _profilesMenu->setMenu(menu);
    if (remembered)
        _profilesMenu->selectItem(remembered);
    else if (_profilesMenu->numberOfItems() >= 2) {
        auto first = profileOf(_profilesMenu->itemAtIndex(0));
        _profilesMenu->selectItemAtIndex(first && first->type() == LoginProfileItem::NO_LOGIN ? 1
                                                                                              : 0);
    }
}

std::string LoginController::cleanupServerString(std::string_view text) {
    std::string_view host = text;
    if (const auto slashes = host.find("//"); slashes != std::string_view::npos)
        host = host.substr(slashes + 2);
    if (const auto slash = host.find('/'); slash != std::string_view::npos)
        host = host.substr(0, slash);
    return std::string(host);
}

std::shared_ptr<LoginProfileItem> LoginController::loginProfile() const {
    return _profilesMenu ? profileOf(_profilesMenu->selectedItem()) : nullptr;
}

void LoginController::setLoggingIn(bool loggingIn) {
    _loggingIn = loggingIn;
}

void LoginController::stopCountdown() {
    _autoLoginInProgress = false;
    if (_autoLoginTimer)
        _autoLoginTimer->invalidate();
    _autoLoginTimer = nullptr;
}

void LoginController::login(platform::Object* /*sender*/) {
    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && profile->type() == LoginProfileItem::NO_LOGIN) {
        setSkipping(true);
        setLoggingIn(true);
        if (_helpButton)
            _helpButton->setHidden(true);
        if (_profilesMenu)
            _profilesMenu->setEnabled(false);
        for (TextField* field : {_username.get(), _displayName.get(), _authName.get(),
                                 static_cast<TextField*>(_password.get())})
            if (field)
                field->setStringValue("");
        doLoginNow(nullptr);
        if (_mainView)
            _mainView->setHidden(true);
        return;
    }

    if (_autoLoginInProgress) {
        stopCountdown();
    } else if (_loggingIn) {
        if (_loginDelayTimer)
            _loginDelayTimer->invalidate();
        StartupService::instance().cancelLogin();
        setLoggingIn(false);
        updateHelpButton(false);
    } else {
        setLoggingIn(true);
        if (_helpButton)
            _helpButton->setHidden(true);
        setLoginStatusMsg(QXLS("msg.login.LOGGING_IN", "Logging in..."));
        if (_errorMsg)
            _errorMsg->setStringValue("");
        _errorNamesMissingField = false;
        if (!validateLogin())
            return;
        _loginDelayTimer = scheduledInAllModes(
            kLoginDelay, false, [this](platform::Timer& timer) { doLoginNow(&timer); });
    }
    updateVisuals();
}

bool LoginController::validateLogin() {
    for (TextField* field : {_username.get(), _displayName.get(), _authName.get()})
        if (field)
            field->setStringValue(platform::trimmedWhitespace(field->stringValue()));
    const std::string missing = missingFieldMessage();
    if (missing.empty())
        return true;
    loginFailed(missing);
    _errorNamesMissingField = true;
    return false;
}

std::string LoginController::missingFieldMessage() const {
    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (!profile)
        return {};
    auto empty = [](const TextField* field) {
        return !field || platform::trimmedWhitespace(field->stringValue()).empty();
    };
    if (profile->requiresUsername() && empty(_username.get()))
        return QXLS("msg.login.profile.username_missing", "Please enter User Name");
    if (profile->requiresDisplayName() && empty(_displayName.get()))
        return QXLS("msg.login.profile.displayname_missing", "Please enter Display Name");
    if (profile->requiresAuthName() && empty(_authName.get()))
        return QXLS("msg.login.profile.authname_missing", "Please enter Authorization Name");
    if (profile->requiresPassword() && (!_password || _password->stringValue().empty()))
        return QXLS("msg.login.profile.password_missing", "Please enter Password");
    return {};
}

platform::Value::Dictionary LoginController::requestData() const {
    auto text = [](const TextField* field) { return field ? field->stringValue() : std::string(); };
    return {
        {"username", Value(text(_username.get()))},
        {"displayname", Value(text(_displayName.get()))},
        {"authname", Value(text(_authName.get()))},
        {"password", Value(text(_password.get()))},
    };
}

void LoginController::doLoginNow(platform::Timer* /*timer*/) {
    if (_loginDelayTimer)
        _loginDelayTimer->invalidate();
    _loginDelayTimer = nullptr;

    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && isManual(profile->type())) {
        if (_server)
            profile->setData(_server->stringValue());
    } else if (profile && !profile->token().empty() && !_lastLoggedInUsername.empty() &&
               _username) {
        _username->setStringValue(_lastLoggedInUsername);
    }
    _lastLoggedInUsername = _username ? _username->stringValue() : std::string();
    StartupService::instance().login(profile, Value(requestData()));
}

void LoginController::cancelLogin() {
    if (_loggingIn) {
        if (_loginDelayTimer)
            _loginDelayTimer->invalidate();
        StartupService::instance().cancelLogin();
        setLoggingIn(false);
        updateHelpButton(false);
    }
    updateVisuals();
}

void LoginController::loginTimerFired(platform::Timer* timer) {
    if (!timer || timer != _autoLoginTimer.get())
        return;
    _loginCountdown -= static_cast<float>(kCountdownTick);
    if (_loginCountdown < 0.2f) {
        stopCountdown();
        login(nullptr);
    } else {
        updateVisuals();
    }
}

void LoginController::loginFailed(const std::string& message) {
    _loginName.clear();
    _errorNamesMissingField = false;
    if (_errorMsg)
        _errorMsg->setStringValue(message);
    setLoggingIn(false);
    updateHelpButton(false);
    updateVisuals();
}

void LoginController::profileUpdated(const std::string& message) {
    _loginName.clear();
    readProfiles();
    if (!message.empty()) {
        if (_primaryMsg)
            _primaryMsg->setStringValue(message);
    } else if (_errorMsg) {
        _errorMsg->setStringValue("");
    }
    const long count = _profilesMenu ? _profilesMenu->numberOfItems() : 0;
    if (count >= 2)
        _profilesMenu->selectItemAtIndex(1);
    if (count == 2) {
        _profilesMenu->setHidden(true);
        doLoginNow(nullptr);
    } else {
        setLoggingIn(false);
        updateHelpButton(false);
        updateVisuals();
    }
}

void LoginController::loginSucceeded() {
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    if (auto profile = loginProfile())
        defaults.setInteger("login.lastProfileID", profile->profileID());
    _loginName = _username ? _username->stringValue() : std::string();
    writeRememberedValues();
}

void LoginController::writeRememberedValues() {
    auto on = [](const platform::Button* box) { return box && box->state() == platform::OnState; };
    bool username = on(_remUsername.get());
    bool displayName = on(_remDisplayName.get());
    bool authName = on(_remAuthName.get());
    bool password = false;
    bool autoSignIn = false;
    if (on(_remAutoSignIn.get())) {
        username = displayName = authName = password = autoSignIn = true;
    } else if (on(_remPassword.get())) {
        username = displayName = authName = password = true;
    }

    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setBool("login.remember.username", username);
    defaults.setBool("login.remember.displayname", displayName);
    defaults.setBool("login.remember.authname", authName);
    defaults.setBool("login.remember.password", password);
    defaults.setBool("login.remember.autosignin", autoSignIn);
    auto text = [](const TextField* field) { return field ? field->stringValue() : std::string(); };
    defaults.setString("login.last_value.username", username ? text(_username.get()) : "");
    defaults.setString("login.last_value.displayname", displayName ? text(_displayName.get()) : "");
    defaults.setString("login.last_value.authname", authName ? text(_authName.get()) : "");
    PasswordStore& passwords = PasswordStore::shared();
    std::string error;
    const std::string typed = text(_password.get());
    const bool kept = password && !typed.empty() ? passwords.setPassword(typed, &error)
                                                 : passwords.removePassword(&error);
    if (!kept)
        platform::Logf("Warning: the remembered password could not be updated in %@: %@",
                       passwords.description(), error);
    defaults.setString("login.last_value.server", text(_server.get()));
    defaults.synchronize();
}

void LoginController::openBrandURL(std::string_view key) {
    AppController* controller = AppController::sharedAppController();
    const Value& help =
        controller ? controller->brandDict()["Menus"]["Help"] : platform::Value::null();
    const std::string* address = help[key].string();
    urlOpener()(
        TranslateUrlMacros(address ? std::optional<std::string_view>(*address) : std::nullopt));
    if (_errorMsg)
        _errorMsg->setStringValue("");
    updateVisuals();
}

void LoginController::help(platform::Object* /*sender*/) {
    openBrandURL("login_help_url");
}

void LoginController::forgotPassword(platform::Object* /*sender*/) {
    openBrandURL("forgot_password_url");
}

void LoginController::createAccount(platform::Object* /*sender*/) {
    _errorNamesMissingField = false;
    if (_errorMsg)
        _errorMsg->setStringValue(
            "The create account feature is not avilable. This button will be romoved in future. "
            "It currently serves as error message test button.");
    updateVisuals();
}

void LoginController::checkBoxChanged(platform::Object* /*sender*/) {
    updateVisuals();
}

void LoginController::controlTextDidChange(const platform::Notification& /*notification*/) {
    updateVisuals();
}

bool LoginController::controlTextViewDoCommandBySelector(platform::Control& /*control*/,
                                                         platform::TextView& /*textView*/,
                                                         std::string_view selector) {
    if (selector == "insertNewline:") {
        if (_username && !_username->stringValue().empty())
            login(nullptr);
        return true;
    }
    return selector == "cancelOperation:";
}

bool LoginController::respondsToAction(std::string_view action) const {
    return action == "updateVisuals" || action == "login:" || action == "help:" ||
           action == "forgotPassword:" || action == "createAccount:" ||
           action == "checkBoxChanged:";
}

bool LoginController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "updateVisuals") {
        // A pop-up item with an action of its own becomes the selection before the action
        // is sent, as the menu's owner would do.
        if (auto* item = dynamic_cast<platform::MenuItem*>(sender);
            item && _profilesMenu && _profilesMenu->indexOfItem(item) >= 0)
            _profilesMenu->selectItem(item);
        updateVisuals();
    } else if (action == "login:") {
        login(sender);
    } else if (action == "help:") {
        help(sender);
    } else if (action == "forgotPassword:") {
        forgotPassword(sender);
    } else if (action == "createAccount:") {
        createAccount(sender);
    } else if (action == "checkBoxChanged:") {
        checkBoxChanged(sender);
    } else {
        return false;
    }
    return true;
}

void LoginController::discard() {
    for (TextField* field : {_username.get(), static_cast<TextField*>(_password.get()),
                             _server.get(), _authName.get(), _displayName.get()})
        if (field && field->delegate() == this)
            field->setDelegate(nullptr);
    if (_myView && _myView->delegate() == this)
        _myView->setDelegate(nullptr);
    if (_parentWindow) {
        _parentWindow->removeView(_myView.get());
        _parentWindow = nullptr;
    }
    // Discarding may run inside one of the controller's own callbacks: the shared reference
    // is let go on the next pass of the run loop, never here.
    if (auto shared = std::move(sharedInstance()))
        platform::RunLoop::main().performInModes([shared] {}, platform::commonModes());
}

platform::TextField* LoginController::password() const {
    return _password.get();
}

platform::Button* LoginController::helpButton() const {
    return _helpButton.get();
}

platform::Button* LoginController::loginButton() const {
    return _loginButton.get();
}

platform::Button* LoginController::forgotPasswordButton() const {
    return _forgotPasswordButton.get();
}

void LoginController::setHasForgotPassword(bool flag) {
    _hasForgotPassword = flag;
    if (_forgotPasswordButton)
        _forgotPasswordButton->setHidden(!flag);
}

void LoginController::setHideAllowRemember(bool flag) {
    _hideAllowRemember = flag;
    if (_remPassword)
        _remPassword->setHidden(flag);
    if (_remAutoSignIn)
        _remAutoSignIn->setHidden(flag);
}

void LoginController::setLoginButtonText(std::string text) {
    _loginButtonText = std::move(text);
    if (_loginButton)
        _loginButton->setTitle(_loginButtonText);
}

void LoginController::setNoLoginMessage(std::string text) {
    _noLoginMessage = std::move(text);
    if (_noLoginText)
        _noLoginText->setStringValue(_noLoginMessage);
}

void LoginController::setLoginStatusMsg(std::string text) {
    _loginStatusMsg = std::move(text);
    if (_loginStatusMessage)
        _loginStatusMessage->setStringValue(_loginStatusMsg);
}

void LoginController::applyFieldState(TextField* field, TextField* label, int state) {
    // The registered state transformers turn the number into the two flags, as the
    // interface's bindings do.
    const bool hidden = QXisHiddenState().transformedValue(Value(state)).boolValue();
    const bool enabled = QXisEnabledState().transformedValue(Value(state)).boolValue();
    if (field) {
        // Disabling a field ends its editing without taking the typed text, so the text is
        // taken first.
        if (!enabled)
            field->validateEditing();
        field->setHidden(hidden);
        field->setEnabled(enabled);
    }
    if (label)
        label->setHidden(hidden);
}

void LoginController::setServerState(int state) {
    _serverState = state;
    applyFieldState(_server.get(), nullptr, state);
}

void LoginController::setUsernameState(int state) {
    _usernameState = state;
    applyFieldState(_username.get(), _usernameLabel.get(), state);
}

void LoginController::setPasswordState(int state) {
    _passwordState = state;
    applyFieldState(_password.get(), _passwordLabel.get(), state);
}

void LoginController::setDisplayNameState(int state) {
    _displayNameState = state;
    applyFieldState(_displayName.get(), _displayNameLabel.get(), state);
}

void LoginController::setAuthNameState(int state) {
    _authNameState = state;
    applyFieldState(_authName.get(), _authNameLabel.get(), state);
}

void LoginController::updateVisuals() {
    configureBottomModule();
    configureMiddleModule();
    configureTopModule();

    const double width = _myView ? _myView->frame().width() : 0;
    if (_topView)
        _layoutManager.setRequiredSize(
            {_topView->frame().width(), _layoutManager.minimumSizeOfView(_topView.get()).height},
            _topView.get());
    for (const auto& part : {_mainView, _bottomView})
        if (part)
            _layoutManager.setRequiredSize(
                {width, _layoutManager.minimumSizeOfView(part.get()).height}, part.get());

    const Size size{width, _layoutManager.calculateRequiredSize().height};
    layoutSubviews();
    if (_myView) {
        _myView->setMinimumSize(size);
        _myView->setMaximumSize(size);
        if (QXBaseWindow* window = _myView->window())
            window->setContentSize(size);
        else
            _myView->setFrameSize(size);
    }
    if (_profilesMenu)
        _profilesMenu->setEnabled(!_loggingIn);
}

void LoginController::configureBottomModule() {
    if (_loginButton)
        _loginButton->setHidden(false);
    if (_errorMsg) {
        if (_errorMsg->stringValue().empty()) {
            _errorMsg->setHidden(true);
        } else {
            _errorMsg->setHidden(false);
            _errorMsg->setFrameSize(calculateMessageSize(*_errorMsg));
        }
    }
    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && profile->type() == LoginProfileItem::NO_LOGIN)
        setLoginButtonText(QXLS("msg.login.CONTINUE", "Continue"));
    else if (_loggingIn || _autoLoginInProgress)
        setLoginButtonText(QXLS("msg.login.CANCEL", "Cancel"));
    else
        setLoginButtonText(QXLS("msg.login.LOGIN", "Login"));
}

void LoginController::configureMiddleModule() {
    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && profile->type() == LoginProfileItem::NO_LOGIN) {
        if (_mainView)
            _mainView->setHidden(true);
        if (_noLoginView)
            _noLoginView->setHidden(false);
        setHasAccountCreation(false);
        if (_errorMsg)
            _errorMsg->setStringValue("");
        return;
    }

    if (_mainView)
        _mainView->setHidden(false);
    updateHelpButton(true);
    if (_noLoginView)
        _noLoginView->setHidden(true);

    const bool busy = _loggingIn || _autoLoginInProgress;
    if (_autoLoginInProgress) {
        if (_errorMsg)
            _errorMsg->setStringValue("");
        if (_autoLoginLevel)
            _autoLoginLevel->setHidden(false);
        if (_autoLoginMessage) {
            _autoLoginMessage->setHidden(false);
            _autoLoginMessage->setStringValue(
                platform::formatString(QXLS("msg.login.countdown", "Logging-in in %d seconds..."),
                                       static_cast<int>(_loginCountdown)));
        }
        const int timeout = profile ? profile->autoLoginTimeout() : 0;
        if (_autoLoginLevel)
            _autoLoginLevel->setDoubleValue(
                _loginCountdown > 0 && timeout > 0 ? _loginCountdown * 10.0 / timeout : 0.0);
    } else {
        if (_autoLoginLevel)
            _autoLoginLevel->setHidden(true);
        if (_autoLoginMessage)
            _autoLoginMessage->setHidden(true);
    }

    auto stateFor = [busy](bool asks) {
        return !asks ? kStateHidden : busy ? kStateReadOnly : kStateEditable;
    };
    setUsernameState(stateFor(profile && profile->askUsername()));
    setDisplayNameState(stateFor(profile && profile->askDisplayName()));
    setAuthNameState(stateFor(profile && profile->askAuthName()));

    if (!(profile && profile->askPassword())) {
        setPasswordState(kStateHidden);
    } else if (busy) {
        for (TextField* field : {static_cast<TextField*>(_password.get()), _username.get(),
                                 _authName.get(), _displayName.get(), _server.get()}) {
            if (field) {
                field->validateEditing();
                field->setEnabled(false);
            }
        }
        setPasswordState(kStateReadOnly);
    } else {
        setPasswordState(kStateEditable);
        for (TextField* field : {static_cast<TextField*>(_password.get()), _username.get(),
                                 _authName.get(), _displayName.get()})
            if (field)
                field->setEnabled(true);
    }

    if (_remAutoSignIn) {
        if (profile && profile->autoLoginTimeout() < 0) {
            _remAutoSignIn->setEnabled(false);
            _remAutoSignIn->setHidden(true);
        } else {
            _remAutoSignIn->setEnabled(true);
        }
    }
    if (_remPassword)
        _remPassword->setEnabled(_remUsername && _remUsername->state() == platform::OnState);
    if (_remPassword && _remPassword->state() == platform::OffState && _remAutoSignIn)
        _remAutoSignIn->setState(platform::OffState);

    // The spinner and its text show while a request is under way.
    if (_loginProgressIndicator) {
        _loginProgressIndicator->setHidden(!_loggingIn);
        if (_loggingIn)
            _loginProgressIndicator->startAnimation(nullptr);
        else
            _loginProgressIndicator->stopAnimation(nullptr);
    }
    if (_loginStatusMessage)
        _loginStatusMessage->setHidden(!_loggingIn);
}

void LoginController::configureTopModule() {
    if (_primaryMsg)
        _primaryMsg->setFrameSize(calculateMessageSize(*_primaryMsg));
    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    if (profile && isManual(profile->type()))
        setServerState(_loggingIn ? kStateReadOnly : kStateEditable);
    else
        setServerState(kStateHidden);
    if (_profilesMenu) {
        _profilesMenu->setHidden(_profilesMenu->numberOfItems() < 2 || _autoLoginInProgress);
        _profilesMenu->setEnabled(!_loggingIn && !_autoLoginInProgress);
    }
    textChanged(nullptr);
}

void LoginController::textChanged(const platform::Notification* /*notification*/) {
    const std::string user =
        _username ? platform::trimmedWhitespace(_username->stringValue()) : std::string();
    const std::string display =
        _displayName ? platform::trimmedWhitespace(_displayName->stringValue()) : std::string();
    const std::string auth =
        _authName ? platform::trimmedWhitespace(_authName->stringValue()) : std::string();
    const std::string pass = _password ? _password->stringValue() : std::string();

    if (_username)
        _username->setPlaceholderString(
            user.empty() ? QXLS("msg.login.username.placeHolder", "Username or Phone Number")
                         : std::string());

    const std::shared_ptr<LoginProfileItem> profile = loginProfile();
    bool complete = true;
    if (profile && profile->type() != LoginProfileItem::NO_LOGIN) {
        complete = !(profile->requiresUsername() && user.empty()) &&
                   !(profile->requiresDisplayName() && display.empty()) &&
                   !(profile->requiresAuthName() && auth.empty()) &&
                   !(profile->requiresPassword() && pass.empty());
    }
    if (_loggingIn)
        return;
    // An error that named a missing field follows the typing: it names the field still
    // missing, or goes once nothing is.
    if (_errorNamesMissingField && _errorMsg) {
        const std::string missing = missingFieldMessage();
        _errorNamesMissingField = !missing.empty();
        if (_errorMsg->stringValue() != missing) {
            _errorMsg->setStringValue(missing);
            updateVisuals();
        }
    }
    for (platform::Control* control : std::initializer_list<platform::Control*>{
             _loginButton.get(), _remPassword.get(), _remAutoSignIn.get()})
        if (control)
            control->setEnabled(complete);
}

Size LoginController::calculateMessageSize(const TextField& field) const {
    const double width = field.superview() ? field.superview()->frame().width() - 10 : -10;
    platform::AttributedString text(field.stringValue(),
                                    platform::TextAttributes{.font = field.font()});
    const Rect used = text.boundingRectWithSize({std::max(width, 0.0), 10000000});
    return {field.frame().width(), std::ceil(used.height()) + 3};
}

void LoginController::layoutSubviews() {
    if (!_myView)
        return;
    _layoutManager.arrangeAllViewsTopDownInSuperview(*_myView);
    _layoutManager.layoutView(_topView.get());
    _layoutManagerMainView.layout();
    _layoutManager.layoutView(_bottomView.get());
}

bool LoginController::qxcvWillResizeSubviews() {
    layoutSubviews();
    return true;
}
