#include "app/core/AppController.h"

#include "app/contacts/ContactOperations.h"
#include "app/core/StorageAlerts.h"
#include "app/core/TemporaryLeftovers.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/ToolbarController.h"
#include "app/pab/PabContactOperations.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "support/Localization.h"
#include "support/ValueTransformers.h"
#include "widgets/QXValueTransformers.h"

#include <cstdlib>

namespace {

// "<company>/<product>" of the main bundle's Info, the folder name used in both places.
std::filesystem::path companyAndProductFolder() {
    const auto& bundle = platform::Bundle::mainBundle();
    const std::string company = bundle.objectForInfoDictionaryKey("CompanyName").stringValue();
    return std::filesystem::path(company) / bundle.bundleName();
}

} // namespace

AppController::AppController() : _logoutReason(StartupService::LogoutReason::user) {
    StartupService::instance().setDelegate(this);
    _toastSlots.assign(toastSlotCount, false);
    _imWindowControllers.reserve(16);
    _imSessions.reserve(16);
}

AppController::~AppController() {
    tearDownSignIn();
    detachToastService();
    detachPhoneStatusMessage();
    detachEventHubServices();
    StartupService::instance().removeDelegate(this);
    auto& application = platform::Application::sharedApplication();
    if (application.delegate() == this) {
        application.setDelegate(nullptr);
    }
}

AppController* AppController::sharedAppController() {
    return dynamic_cast<AppController*>(platform::Application::sharedApplication().delegate());
}

const platform::Value& AppController::brandDict() {
    std::string ignored;
    return brandDict(ignored);
}

const platform::Value& AppController::brandDict(std::string& whyNot) {
    if (!_brandDictionary) {
        if (auto path = platform::Bundle::mainBundle().pathForResource("brand", "plist")) {
            auto brand = platform::Value::readPropertyListFile(*path, &whyNot);
            if (brand && brand->isDictionary()) {
                _brandDictionary = std::move(*brand);
            } else if (brand) {
                whyNot = "it holds no dictionary";
            }
        } else {
            whyNot = "the bundle has none";
        }
    }
    return _brandDictionary ? *_brandDictionary : platform::Value::null();
}

void AppController::moveSettingsFolder(const std::filesystem::path& oldFolder,
                                       const std::filesystem::path& newFolder) {
    auto& files = platform::FileManager::defaultManager();
    bool newIsFolder = false;
    const bool newExists = files.fileExistsAtPath(newFolder, &newIsFolder);
    bool oldIsFolder = false;
    const bool oldExists = files.fileExistsAtPath(oldFolder, &oldIsFolder);
    if ((newExists && newIsFolder) || !oldExists || !oldIsFolder) {
        return;
    }
    files.createDirectoryAtPath(newFolder.parent_path(), true);
    files.copyItemAtPath(oldFolder, newFolder);
}

void AppController::awake() {
    std::string why;
    if (!brandDict(why).isDictionary()) {
        // Every window is drawn from the brand dictionary, so there is nothing to show without
        // it. The original ended with status 0 here; a failure must not read as success.
        platform::Logf("FATAL ERROR: the brand dictionary (brand.plist) cannot be read: %@", why);
        std::exit(EXIT_FAILURE);
    }
    platform::Application::sharedApplication().setDelegate(this);
}

void AppController::applicationWillFinishLaunching(const platform::Notification& /*notification*/) {
    const auto folder = companyAndProductFolder();
    moveSettingsFolder(platform::preferencesDirectory() / folder,
                       platform::applicationSupportDirectory() / folder);
    StorageAlerts::reportSettingsSaveFailures();
    const auto phone = StartupService::instance().phoneService();
    removeTemporaryLeftovers(platform::applicationSupportDirectory() / folder,
                             phone ? std::filesystem::path(phone->getUserSettingFolder())
                                   : std::filesystem::path());
    registerTransformers();
    initializeEngine();
}

void AppController::initializeEngine() {
    auto userName =
        platform::UserDefaults::standardUserDefaults().stringForKey("login.last_value.username");
    auto& startup = StartupService::instance();
    startup.intialize(std::move(userName),
                      {QXLS("msg.phone.default_group_1", "Friends"),
                       QXLS("msg.phone.default_group_2", "Family"),
                       QXLS("msg.phone.default_group_3", "Work")},
                      QXLS("msg.phone.fallback_group", "Others"),
                      QXLS("msg.phone.added_friends_group", "Added Contacts"));
    startup.setCulture(platform::currentLocaleIdentifier());
}

void AppController::registerTransformers() {
    // Only the two interface-state transformers are looked up by name; the others are made by
    // the code that uses them. The presence-message transformers reach the contact stacks
    // through the translators these two singletons register on first use.
    QXValueTransformers::registerTransformers();
    // The presence helpers draw the brand's icon set; they find it through this one.
    platform::ValueTransformer::setValueTransformer(
        std::make_shared<PresenceStatusIconTransformer>(brandDict()),
        "PresenceStatusIconTransformer");
    // The call panels' mute binding.
    platform::ValueTransformer::setValueTransformer(std::make_shared<MicMuteTransformer>(),
                                                    "MicMuteTransformer");
    ContactOperations::instance();
    PabContactOperations::instance();
}

void AppController::applicationDidFinishLaunching(const platform::Notification& /*notification*/) {
    auto& startup = StartupService::instance();
    startup.setCulture(TranslateUrlMacros("$language$"));

    const platform::Value& identifier = brandDict()["HockeyappIdentifier"];
    if (startup.featuresService()->featureAvailable("hockeyappCcrashReportingEnabled") &&
        identifier.isString() && !identifier.string()->empty()) {
        auto& manager = platform::BITHockeyManager::sharedHockeyManager();
        manager.configureWithIdentifier(
            *identifier.string(),
            platform::Bundle::mainBundle().objectForInfoDictionaryKey("CompanyName").stringValue(),
            this);
        manager.setExceptionInterceptionEnabled(true);
        manager.setLoggingEnabled(false);
        manager.setAskUserDetails(true);
        manager.startManager();
    }
}

void AppController::applicationWillResignActive(const platform::Notification& /*notification*/) {
    // A key tone must never keep sounding while the application is in the background.
    auto& startup = StartupService::instance();
    if (startup.started()) {
        startup.phoneService()->getDTMFService()->stopTone();
    }
}

void AppController::applicationWillHide(const platform::Notification& /*notification*/) {
    _dialPadVisibleBeforeHide = false;
    if (!DialpadWindowController::dialpadExist()) {
        return;
    }
    auto& dialpad = DialpadWindowController::sharedController();
    _dialPadVisibleBeforeHide = dialpad.isVisible();
    StartupService::instance()
        .phoneService()
        ->getPreferenceSettings()
        ->sub("preferences")
        ->sub("application")
        ->sub("dialpadExpanded")
        ->setBoolSetting(_dialPadVisibleBeforeHide, true);
    if (_dialPadVisibleBeforeHide) {
        dialpad.close();
    }
}

void AppController::applicationDidUnhide(const platform::Notification& /*notification*/) {
    if (_dialPadVisibleBeforeHide && !_appIsTerminating) {
        DialpadWindowController::sharedController().showWindow(this);
        updateToolbar();
    }
}

void AppController::applicationWillTerminate(const platform::Notification& /*notification*/) {
    saveMainWindowSettings();
}

void AppController::updateToolbar() {
    ToolbarController::sharedController().updateToolbar();
}
