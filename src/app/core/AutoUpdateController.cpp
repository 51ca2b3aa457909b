#include "app/core/AutoUpdateController.h"

#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"
#include "widgets/QXButton.h"
#include "widgets/QXButtonCell.h"

#include <array>
#include <utility>

namespace {

constexpr std::string_view interfaceName = "AutoUpdate";
constexpr double windowWidth = 440;

std::shared_ptr<AutoUpdateController>& sharedInstance() {
    static std::shared_ptr<AutoUpdateController> controller;
    return controller;
}

std::string productName() {
    return platform::Bundle::mainBundle().bundleName();
}

// A text the user reads but does not edit.
std::shared_ptr<platform::TextField> label(platform::View& parent, const platform::Rect& frame,
                                           std::string text = {}) {
    auto field = platform::TextField::labelWithString(std::move(text), frame);
    field->cell()->setWraps(true);
    parent.addSubview(field);
    return field;
}

std::shared_ptr<platform::Button> button(platform::View& parent, const platform::Rect& frame,
                                         std::string title, std::string action,
                                         platform::ActionTarget* target) {
    auto result = std::make_shared<platform::Button>(frame);
    result->setTitle(std::move(title));
    result->setAction(std::move(action));
    result->setTarget(target);
    parent.addSubview(result);
    return result;
}

std::shared_ptr<platform::ProgressIndicator> progressBar(platform::View& parent,
                                                         const platform::Rect& frame) {
    auto bar = std::make_shared<platform::ProgressIndicator>(frame);
    bar->setIndeterminate(true);
    parent.addSubview(bar);
    return bar;
}

std::shared_ptr<platform::View> pane(double height) {
    return std::make_shared<platform::View>(platform::Rect(0, 0, windowWidth, height));
}

// The main window the update window is placed over, or null.
platform::Window* mainWindow(const platform::Window* own) {
    if (AppController* app = AppController::sharedAppController(); app && app->mainWindow()) {
        return app->mainWindow();
    }
    platform::Window* main = platform::Application::sharedApplication().mainWindow();
    return main == own ? nullptr : main;
}

} // namespace

AutoUpdateController* AutoUpdateController::sharedAutoUpdateController() {
    return sharedInstance().get();
}

AutoUpdateController*
AutoUpdateController::initSharedController(const std::shared_ptr<OVAutoUpdateDialogModel>& model) {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_shared<AutoUpdateController>(model);
        if (!platform::InterfaceDefinition::isRegistered(interfaceName)) {
            registerInterfaceDefinition();
        }
        platform::InterfaceDefinition::load(interfaceName, shared.get());
    }
    return shared.get();
}

void AutoUpdateController::registerInterfaceDefinition() {
    platform::InterfaceDefinition::registerDefinition(
        std::string(interfaceName), [](platform::InterfaceDefinitionLoad& load) {
            if (auto* owner = dynamic_cast<AutoUpdateController*>(load.owner())) {
                owner->buildInterface(load);
            }
        });
}

void AutoUpdateController::buildInterface(platform::InterfaceDefinitionLoad& load) {
    using platform::Rect;
    _theWindow = load.addTopLevelObject(platform::make<platform::Panel>(
        Rect(0, 0, windowWidth, 120), platform::TitledWindowMask | platform::ClosableWindowMask));
    _theWindow->setTitle("Software Update");
    _theWindow->setReleasedWhenClosed(false);

    _checkView = pane(110);
    label(*_checkView, Rect(20, 72, 400, 20), "Checking for updates...");
    _checkProgress = progressBar(*_checkView, Rect(20, 50, 400, 14));
    button(*_checkView, Rect(320, 12, 100, 28), "Cancel", "cancel:", this);

    _newVersionView = pane(280);
    label(*_newVersionView, Rect(20, 244, 400, 20),
          platform::formatString("A new version of %@ is available.", productName()));
    label(*_newVersionView, Rect(20, 220, 110, 18), "Your version:");
    _ourVersion = label(*_newVersionView, Rect(130, 220, 290, 18));
    _newVersion = label(*_newVersionView, Rect(20, 198, 400, 18));
    _releasenote = label(*_newVersionView, Rect(20, 82, 400, 110));
    _releaseURL = std::make_shared<QXButton>(Rect(20, 56, 200, 20));
    _releaseURL->setButtonType(QXButtonTypeHyperlink);
    _releaseURL->setAction("openReleaseURL:");
    _releaseURL->setTarget(this);
    _newVersionView->addSubview(_releaseURL);
    _laterButton = button(*_newVersionView, Rect(20, 12, 100, 28), "Later", "close:", this);
    _quitButton = button(*_newVersionView, Rect(20, 12, 100, 28), "Quit", "quit:", this);
    button(*_newVersionView, Rect(260, 12, 160, 28), "Download and Install",
           "downloadAndInstall:", this);

    _failedView = pane(110);
    label(*_failedView, Rect(20, 60, 400, 36),
          platform::formatString("You have the latest version of %@.", productName()));
    button(*_failedView, Rect(320, 12, 100, 28), "OK", "close:", this);

    _downloadingView = pane(110);
    label(*_downloadingView, Rect(20, 72, 400, 20), "Downloading the new version...");
    _downloadProgress = progressBar(*_downloadingView, Rect(20, 50, 400, 14));
    button(*_downloadingView, Rect(320, 12, 100, 28), "Cancel", "cancel:", this);

    _downloadFailedView = pane(130);
    _downloadFailedLabel = label(*_downloadFailedView, Rect(20, 50, 400, 64));
    button(*_downloadFailedView, Rect(320, 12, 100, 28), "Close", "failClose:", this);

    _restartView = pane(130);
    label(*_restartView, Rect(20, 50, 400, 64),
          platform::formatString(
              "The new version has been downloaded. %@ quits so that it can be installed.",
              productName()));
    _cancelRestart = button(*_restartView, Rect(200, 12, 100, 28), "Cancel", "cancel:", this);
    button(*_restartView, Rect(310, 12, 110, 28), "Install", "install:", this);
}

AutoUpdateController::AutoUpdateController(std::shared_ptr<OVAutoUpdateDialogModel> model)
    : _theModel(std::move(model)) {
    if (_theModel) {
        _theModel->setDelegate(this);
    }
}

AutoUpdateController::~AutoUpdateController() {
    if (_theModel) {
        _theModel->removeDelegate(this);
    }
    for (const auto& progress : {_checkProgress, _downloadProgress}) {
        if (progress) {
            progress->stopAnimation(nullptr);
        }
    }
    if (_theWindow) {
        _theWindow->orderOut(nullptr);
    }
}

platform::View* AutoUpdateController::currentContentView() const {
    return _theWindow ? _theWindow->contentView() : nullptr;
}

void AutoUpdateController::display() {
    setup();
    if (_theModel && _theModel->isModal()) {
        displayCenteredOnMainModal();
    } else {
        displayCenteredOnMain();
    }
}

void AutoUpdateController::setup() {
    if (!_theModel || !_theWindow) {
        return;
    }
    const std::string state = _theModel->visualStateName();
    if (state == OVAutoUpdateDialogModel::checkingForUpdatesVisualState) {
        _checkProgress->startAnimation(this);
        showView(_checkView);
    } else if (state == OVAutoUpdateDialogModel::updateAvailableVisualState ||
               state == OVAutoUpdateDialogModel::mandatoryUpdateVisualState) {
        setupNewVersion();
        showView(_newVersionView);
    } else if (state == OVAutoUpdateDialogModel::noUpdateAvailableVisualState) {
        showView(_failedView);
    } else if (state == OVAutoUpdateDialogModel::downloadingVisualState) {
        _downloadProgress->startAnimation(this);
        showView(_downloadingView);
    } else if (state == OVAutoUpdateDialogModel::downloadFailedVisualState) {
        showDownloadFailed();
    } else if (state == OVAutoUpdateDialogModel::installingVisualState) {
        const std::string& file = _theModel->installFileName();
        _dmg = file.empty() ? std::nullopt : std::optional<std::string>(file);
        showView(_restartView);
    }
}

void AutoUpdateController::setupNewVersion() {
    _ourVersion->setStringValue(
        platform::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion").stringValue());
    _newVersion->setStringValue(platform::formatString(
        QXLS("msg.autoupdate.new_version", "New version: %@"), _theModel->newAppVersion()));

    _releaseURLHyperlink = _theModel->releaseNotesUrl();
    if (!_releaseURLHyperlink.empty()) {
        _releaseURL->setTitle(QXLS("msg.autoupdate.release_url_title", "Learn more..."));
        _releaseURL->setHidden(false);
    } else {
        _releaseURL->setHidden(true);
    }

    std::string notes;
    for (const std::string& note : _theModel->releaseNotes()) {
        notes += platform::formatString("\u2713 %@", note) + "\n";
    }
    _releasenote->setStringValue(notes);
    _releasenote->setHidden(notes.empty());

    const bool modal = _theModel->isModal();
    _laterButton->setHidden(modal);
    _quitButton->setHidden(!modal);
}

void AutoUpdateController::showView(const std::shared_ptr<platform::View>& view) {
    _theWindow->setContentSize(view->frame().size);
    _theWindow->setContentView(view);
}

void AutoUpdateController::showDownloadFailed() {
    _downloadFailedLabel->setStringValue(
        QXLS("msg.autoupdate.download_failed",
             "There was a problem downloading the latest version. Please close ${PRODUCT_NAME} "
             "and try again later."));
    showView(_downloadFailedView);
}

void AutoUpdateController::placeOverMainWindow() {
    if (_theWindow->isVisible()) {
        return;
    }
    platform::Point origin;
    if (const platform::Window* main = mainWindow(_theWindow.get())) {
        const platform::Rect m = main->frame();
        const platform::Rect w = _theWindow->frame();
        origin = platform::Point(m.minX() + m.width() / 2 - w.width() / 2,
                                 m.minY() + m.height() - 2 * w.height());
    }
    _theWindow->setFrameOrigin(origin);
}

void AutoUpdateController::displayCenteredOnMain() {
    if (!_theWindow) {
        return;
    }
    placeOverMainWindow();
    _theWindow->makeKeyAndOrderFront(this);
}

void AutoUpdateController::displayCenteredOnMainModal() {
    if (!_theWindow || _theWindow->isVisible()) {
        return;
    }
    SheetsTracker::sharedController().closeAllSheets();
    placeOverMainWindow();
    // The controller may close (and be let go) while its window runs modally; both stay until
    // the modal loop has returned.
    const auto self = shared_from_this();
    const auto window = _theWindow;
    platform::Application::sharedApplication().runModalForWindow(*window);
}

void AutoUpdateController::ovmdPropertyChanged(const std::string& propertyName) {
    if (propertyName == OVModel::visualStateNameProperty) {
        display();
    }
}

void AutoUpdateController::close(platform::Object* /*sender*/) {
    if (_theModel && _theModel->canClose()) {
        _theModel->close();
    }
    _inProgress = false;
    if (_theModel) {
        // Nothing the model reports from now on may bring the closed window back.
        _theModel->removeDelegate(this);
    }
    auto& application = platform::Application::sharedApplication();
    if (_theWindow) {
        // A modal window that disappears without ending its session would leave the
        // application waiting for it.
        if (application.modalWindow() == _theWindow.get()) {
            application.stopModal();
        }
        _theWindow->orderOut(this);
    }
    for (const auto& progress : {_checkProgress, _downloadProgress}) {
        if (progress) {
            progress->stopAnimation(this);
        }
    }
    auto& shared = sharedInstance();
    if (shared.get() == this) {
        // Let go on the next pass: this very call still runs on the controller.
        platform::RunLoop::main().performInModes([doomed = std::move(shared)] {},
                                                 platform::commonModes());
    }
}

void AutoUpdateController::failClose(platform::Object* sender) {
    if (_theModel && _theModel->isModal()) {
        quit(sender);
    } else {
        close(sender);
    }
}

void AutoUpdateController::downloadAndInstall(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().stopModal();
    SheetsTracker::sharedController().closeAllSheets();
    if (_theModel && _theModel->canDownloadAndInstall()) {
        _theModel->downloadAndInstall();
    }
}

void AutoUpdateController::cancel(platform::Object* sender) {
    if (_theModel && _theModel->canCancel()) {
        _theModel->cancel();
    }
    close(sender);
}

void AutoUpdateController::quit(platform::Object* sender) {
    auto& application = platform::Application::sharedApplication();
    application.stopModal();
    close(sender);
    SheetsTracker::sharedController().closeAllSheets();
    application.terminate(this);
}

void AutoUpdateController::install(platform::Object* sender) {
    // Quitting only makes sense once the package is with the desktop: a missing file or an
    // opener that fails is reported here and the application keeps running.
    if (!_dmg || !OrvantaExtensions::openAndWait(*_dmg)) {
        platform::Log(platform::formatString("Update package could not be opened: %@",
                                             _dmg ? *_dmg : std::string("(none)")));
        showDownloadFailed();
        return;
    }
    auto& application = platform::Application::sharedApplication();
    application.stopModal();
    SheetsTracker::sharedController().closeAllSheets();
    close(sender);
    application.terminate(this);
}

void AutoUpdateController::openReleaseURL(platform::Object* /*sender*/) {
    if (_releaseURLHyperlink.empty()) {
        return;
    }
    OrvantaExtensions::launchDetached({"xdg-open", TranslateUrlMacros(_releaseURLHyperlink)});
}

namespace {

using Action = void (AutoUpdateController::*)(platform::Object*);
constexpr std::array<std::pair<std::string_view, Action>, 7> actions{{
    {"close:", &AutoUpdateController::close},
    {"failClose:", &AutoUpdateController::failClose},
    {"downloadAndInstall:", &AutoUpdateController::downloadAndInstall},
    {"cancel:", &AutoUpdateController::cancel},
    {"quit:", &AutoUpdateController::quit},
    {"install:", &AutoUpdateController::install},
    {"openReleaseURL:", &AutoUpdateController::openReleaseURL},
}};

} // namespace

bool AutoUpdateController::tryToPerform(std::string_view action, platform::Object* sender) {
    for (const auto& [name, member] : actions) {
        if (name == action) {
            (this->*member)(sender);
            return true;
        }
    }
    return false;
}

bool AutoUpdateController::respondsToAction(std::string_view action) const {
    for (const auto& [name, member] : actions) {
        if (name == action) {
            return true;
        }
    }
    return false;
}
