#include "app/main_window/MainAppWindow.h"

#include "app/calls/CallModuleController.h"
#include "app/core/AppController.h"
#include "app/core/SecureTextField.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/LogoView.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/StartupService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Control.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ProgressIndicator.h"
#include "support/BrandText.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"
#include "widgets/QXBaseFrameView.h"
#include "widgets/QXBezierButtonCell.h"
#include "widgets/QXBezierComboButtonCell.h"
#include "widgets/QXContentView.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"
#include "widgets/QXPartitionView.h"
#include "widgets/QXScalableButton.h"
#include "widgets/QXToolBar.h"

#include <cmath>
#include <string>

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

constexpr std::string_view kLocationTopLeftKey = "mainPhone.locationTopLeft";
constexpr std::string_view kAppSizeKey = "mainPhone.appSize";
constexpr std::string_view kAlwaysOnTopKey = "mainPhone.ui.alwaysOnTop";

std::string productName() {
    return QXLS("msg.product.name", "${PRODUCT_NAME}");
}

bool engineStarted() {
    return StartupService::instance().started();
}

// The first code point of UTF-8 text, 0 for none.
char32_t firstCharacter(std::string_view text) {
    if (text.empty())
        return 0;
    const auto byte = static_cast<unsigned char>(text[0]);
    int extra = 0;
    char32_t c = byte;
    if (byte >= 0xF0) {
        c = byte & 0x07;
        extra = 3;
    } else if (byte >= 0xE0) {
        c = byte & 0x0F;
        extra = 2;
    } else if (byte >= 0xC0) {
        c = byte & 0x1F;
        extra = 1;
    }
    for (int i = 1; i <= extra && i < static_cast<int>(text.size()); ++i)
        c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    return c;
}

// The action a Control shortcut of the main window stands for, or empty.
std::string_view actionForControlKey(char32_t key) {
    switch (key) {
    case U'9':
        return "openTroubleshootingAudioTab:";
    case U'd':
        return "declineIncomingCall:";
    case U'e':
        return "hangUpOrEndTransferActiveCall:";
    case U'h':
        return "toggleHoldActiveCall:";
    case U'm':
        return "toggleMicMute:";
    case U'n':
        return "answerIncomingCall:";
    case U'p':
        return "placeCall:";
    case U'r':
        return "redial:";
    case U't':
        return "performTransferActiveCall:";
    default:
        return {};
    }
}

// The view of a module controller the brand names, or nullptr for a name the window has no
// module for.
std::shared_ptr<platform::View> moduleViewNamed(std::string_view name) {
    if (name == "functional")
        return FunctionModuleController::sharedController().theView();
    if (name == "primary")
        return PrimaryModuleController::sharedController().theView();
    if (name == "calls")
        return CallModuleController::sharedController().theView();
    if (name == "advertisement")
        return AdvertisementModuleController::sharedController().theView();
    return nullptr;
}

// The brand's class-wide button defaults. A key the brand leaves out keeps the built-in value
// rather than an empty shape or a translucent grey.
void applyButtonDefaults(const platform::Value& buttons) {
    if (const platform::Value& shape = buttons["defaultShape"]; shape.isArray()) {
        auto path = std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(shape));
        QXBezierComboButtonCell::setDefaultShape(path);
        QXBezierButtonCell::setDefaultShape(path);
    }
    if (const platform::Value& shape = buttons["defaultShapeRight"]; shape.isArray())
        QXBezierComboButtonCell::setDefaultShapeRight(
            std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(shape)));
    if (auto gradient =
            QXGradient::gradientFromString(buttons["defaultPressedGradient"].string())) {
        QXBezierComboButtonCell::setDefaultPressedGradient(gradient);
        QXBezierButtonCell::setDefaultPressedGradient(gradient);
    }
    if (auto gradient = QXGradient::gradientFromString(buttons["defaultNormalGradient"].string())) {
        QXBezierComboButtonCell::setDefaultNormalGradient(gradient);
        QXBezierButtonCell::setDefaultNormalGradient(gradient);
    }
    if (const std::string* text = buttons["defaultBorderColor"].string()) {
        const platform::Color color = colorWithRGBAfromString(*text);
        QXBezierComboButtonCell::setDefaultBorderColor(color);
        QXBezierButtonCell::setDefaultBorderColor(color);
    }
    if (const std::string* text = buttons["defaultFontColor"].string()) {
        const platform::Color color = colorWithRGBAfromString(*text);
        QXBezierComboButtonCell::setDefaultFontColor(color);
        QXBezierButtonCell::setDefaultFontColor(color);
        QXScalableButton::setDefaultFontColor(color);
    }
    if (const platform::Value& show = buttons["showBorder"]; !show.isNull()) {
        QXBezierComboButtonCell::setDefaultShowBorder(show.boolValue());
        QXBezierButtonCell::setDefaultShowBorder(show.boolValue());
    }
}

} // namespace

MainAppWindow::MainAppWindow(const Rect& contentRect, platform::WindowStyleMask style)
    : QXCollectionWindow(contentRect, style) {}

MainAppWindow::~MainAppWindow() = default;

std::shared_ptr<MainAppWindow> MainAppWindow::makeFromInterfaceDefinition() {
    ToolbarController::registerInterfaceDefinition();
    // Titled, so that the desktop lets the user move, minimise and close the phone window.
    auto window = platform::make<MainAppWindow>(
        kDefinitionContentRect, platform::TitledWindowMask | platform::ClosableWindowMask |
                                    platform::MiniaturizableWindowMask |
                                    platform::ResizableWindowMask);
    window->setMinSize({260, 140});
    window->setMaxSize({800, 1400});

    auto splash = platform::make<QXContentView>(Rect(0, 0, 340, 420));
    auto picture = std::make_shared<platform::ImageView>(Rect(0, 0, 340, 420));
    picture->setImage(platform::Image::imageNamed("Splash"));
    picture->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    splash->addSubview(picture);
    window->setSplashScreenView(splash);

    auto importing = platform::make<QXContentView>(Rect(0, 0, 340, 120));
    auto spinner = std::make_shared<platform::ProgressIndicator>(Rect(154, 44, 32, 32));
    spinner->setStyle(platform::ProgressIndicatorStyle::Spinning);
    spinner->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMaxXMargin |
                                 platform::ViewMinYMargin | platform::ViewMaxYMargin);
    importing->addSubview(spinner);
    window->setImportingView(importing);

    window->setMainView(platform::make<QXPartitionView>(Rect(0, 0, 340, 450)));
    return window;
}

void MainAppWindow::setSplashScreenView(std::shared_ptr<QXContentView> view) {
    _splashScreenView = std::move(view);
}

void MainAppWindow::setImportingView(std::shared_ptr<QXContentView> view) {
    _importingView = std::move(view);
}

void MainAppWindow::setMainView(std::shared_ptr<QXPartitionView> view) {
    _mainView = std::move(view);
}

void MainAppWindow::awake() {
    QXCollectionWindow::awake();
    AppController* controller = AppController::sharedAppController();
    assembleFromBrand(controller ? controller->brandDict() : platform::Value::null());
}

void MainAppWindow::assembleFromBrand(const platform::Value& brand) {
    ToolbarController::registerInterfaceDefinition();
    ToolbarController& toolbarController = ToolbarController::sharedController();
    if (!platform::InterfaceDefinition::load("ToolbarView", &toolbarController))
        return;
    auto toolbar = std::make_shared<QXToolBar>(toolbarController.theView());

    if (_mainView)
        addView(_mainView, "mainView", true, toolbar);
    if (_splashScreenView)
        addView(_splashScreenView, "splash");
    if (_importingView)
        addView(_importingView, "importing");
    setViewRemembersSize(indexOfViewNamed("mainView"), true);

    if (_splashScreenView) {
        for (const auto& subview : _splashScreenView->subviews()) {
            auto* imageView = dynamic_cast<platform::ImageView*>(subview.get());
            if (!imageView)
                continue;
            imageView->setImageAlignment(platform::ImageAlignment::Center);
            imageView->setImageScaling(platform::ImageScaling::None);
            const Size size = imageView->image() ? imageView->image()->size() : Size();
            _splashScreenView->setMinimumSize(size);
            _splashScreenView->setMaximumSize(size);
        }
    }

    const platform::Value& frameSection = brand["MainWindowFrame"];
    if (_mainView) {
        if (const auto* modules = frameSection["Modules"].array()) {
            for (const auto& entry : *modules) {
                const std::string name = entry["name"].stringValue();
                if (auto view = moduleViewNamed(name))
                    _mainView->addModule(std::move(view), name);
            }
        }
    }
    _callModuleController = &CallModuleController::sharedController();
    _advertisementModuleController = &AdvertisementModuleController::sharedController();

    setBkgGradient(QXGradient::gradientFromString(frameSection["Gradient"].string()));
    // The margin text is read as a rectangle; only its last two numbers (top and bottom) are
    // used, the skin has no side margins.
    const Rect margin = valueWithRectFromString(frameSection["Margin"].string());
    setBkgMarginsLeft(0, 0, static_cast<float>(margin.width()),
                      static_cast<float>(margin.height()));
    const platform::Value& path = frameSection["Path"];
    if (path.isArray())
        setBkgPath(std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(path)));

    setExcludedFromWindowsMenu(true);
    applyButtonDefaults(brand["Buttons"]);

    _logoView = LogoView::initOnView(*frameView(), brand["Logo"]);

    ListTransformer::createListTransformerWithName(
        "TransportListTransformer", {platform::Value("Automatic"), platform::Value("TCP"),
                                     platform::Value("UDP"), platform::Value("TLS")});

    setAutorecalculatesKeyViewLoop(true);
    replaceApplicationNameInMainMenu();

    setTitle(productName());
    loadUserSetting();
}

void MainAppWindow::replaceApplicationNameInMainMenu() {
    platform::Menu* menu = platform::Menu::mainMenu();
    if (!menu)
        return;
    static constexpr std::string_view kPlaceholder = "NewApplication";
    const std::string product = productName();
    for (const auto& top : menu->itemArray()) {
        if (!top->submenu())
            continue;
        for (const auto& item : top->submenu()->itemArray()) {
            std::string title = item->title();
            bool replaced = false;
            for (std::size_t at = title.find(kPlaceholder); at != std::string::npos;
                 at = title.find(kPlaceholder, at + product.size())) {
                title.replace(at, kPlaceholder.size(), product);
                replaced = true;
            }
            if (replaced)
                item->setTitle(title);
        }
    }
}

void MainAppWindow::orderFrontIfHidden() {
    if (!isVisible())
        makeKeyAndOrderFront(nullptr);
}

void MainAppWindow::swapTo(std::string_view name) {
    swapViewWithName(name);
    orderFrontIfHidden();
}

void MainAppWindow::displaySplashScreen() {
    setTitleWithMessage("");
    swapTo("splash");
}

void MainAppWindow::displayLogin() {
    swapTo("login");
}

void MainAppWindow::displayMain() {
    if (StartupService::instance().featuresService()->featureAvailable("connectServiceEnabled"))
        setTitle("");
    else
        setTitleWithMessage("");
    swapTo("mainView");
    setAllowsZoom();
    if (!toolbarVisible())
        toggleToolbarShown(nullptr);
}

void MainAppWindow::displayImporting() {
    swapTo("importing");
}

void MainAppWindow::displayE911Provision() {
    swapTo("e911provision");
}

void MainAppWindow::displayE911AddressConfirmation() {
    swapTo("e911addressConfirmation");
}

void MainAppWindow::displayE911Disclaimer() {
    swapTo("e911disclaimer");
}

void MainAppWindow::displayConnectVideo() {
    setTitle(QXLS("msg.product.videoWindow.title", "Welcome to ${PRODUCT_NAME}"));
    swapTo("connectVideo");
}

void MainAppWindow::setTitleWithMessage(std::string_view message) {
    const std::string product = productName();
    if (message.empty())
        setTitle(product);
    else
        setTitle(product + " - " + std::string(message));
}

void MainAppWindow::setToolbar(std::shared_ptr<QXToolBar> toolbar, std::string_view name) {
    for (const auto& view : views()) {
        if (view->name() == name) {
            view->setToolbar(std::move(toolbar));
            return;
        }
    }
}

void MainAppWindow::toggleToolbarShown(platform::Object* sender) {
    QXContentView* current = currentView();
    const Rect frame = current ? current->frame() : Rect();
    QXCollectionWindow::toggleToolbarShown(sender);
    if (current)
        current->setFrame(frame);
}

void MainAppWindow::addFocusContextualItems(platform::Menu& menu) {
    auto* control = dynamic_cast<platform::Control*>(firstResponder());
    if (!control)
        return;
    std::string_view name;
    switch (control->tag()) {
    case 201:
        name = ContextMenuUpdateContactList;
        break;
    case 202:
        name = ContextMenuUpdateHistoryList;
        break;
    case 203:
        name = ContextMenuUpdateFavoriteList;
        break;
    case 204:
        name = ContextMenuUpdateDirectoryList;
        break;
    default:
        return;
    }
    platform::Value userInfo;
    userInfo.setObject(ContextMenu, platform::Value(menu.shared_from_this()));
    platform::NotificationCenter::defaultCenter().postNotificationName(name, nullptr,
                                                                       std::move(userInfo));
}

void MainAppWindow::saveUserSetting() {
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    const Rect f = frame();
    defaults.setString(kLocationTopLeftKey,
                       platform::stringFromPoint({f.minX(), f.minY() + f.height()}));
    defaults.setString(kAppSizeKey,
                       platform::stringFromRect(_mainView ? _mainView->frame() : Rect()));
}

void MainAppWindow::loadUserSetting() {
    const platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    const Point topLeft =
        platform::pointFromString(defaults.stringForKey(kLocationTopLeftKey).value_or(""));
    if (topLeft != Point())
        setFrameTopLeftPoint(topLeft);
    if (!_mainView)
        return;
    const Rect size = platform::rectFromString(defaults.stringForKey(kAppSizeKey).value_or(""));
    if (size != Rect())
        _mainView->setFrameSize(size.size);
    else
        _mainView->setFrameSize({_mainView->frame().width(), 100});
}

void MainAppWindow::applyAlwaysOnTopSetting() {
    const bool onTop = platform::UserDefaults::standardUserDefaults().boolForKey(kAlwaysOnTopKey);
    setLevel(onTop ? platform::FloatingWindowLevel : platform::NormalWindowLevel);
}

double MainAppWindow::largestHeight() {
    return windowWillResize(*this, maxSize()).height;
}

double MainAppWindow::smallestHeight() {
    return windowWillResize(*this, minSize()).height;
}

void MainAppWindow::setAllowsZoom() {
    const double height = frame().height();
    const bool fixed =
        std::fabs(height - largestHeight()) < 0.1 && std::fabs(height - smallestHeight()) < 0.1;
    _allowsZoom = !fixed;
}

void MainAppWindow::zoom(platform::Object* /*sender*/) {
    Rect f = frame();
    const double largest = largestHeight();
    if (std::fabs(f.height() - largest) >= 0.01) {
        f.size.height = largest;
    } else {
        const double smallest = smallestHeight();
        f.origin.y += f.height() - smallest;
        f.size.height = smallest;
    }
    setFrame(f, true, true);
}

void MainAppWindow::keyDown(const platform::Event& event) {
    const platform::EventModifierFlags flags = event.modifierFlags();
    if (flags & platform::CommandKeyMask) {
        QXCollectionWindow::keyDown(event);
        return;
    }
    const char32_t key = firstCharacter(event.charactersIgnoringModifiers());
    const bool deletes = key == 8 || key == 127 || key == 0xF728 || key == 0xF73E;
    if (event.isARepeat() && !deletes) {
        QXCollectionWindow::keyDown(event);
        return;
    }
    if (flags & platform::ControlKeyMask) {
        const std::string_view action = actionForControlKey(key);
        if (action.empty()) {
            QXCollectionWindow::keyDown(event);
            return;
        }
        auto* target = dynamic_cast<platform::ActionTarget*>(
            platform::Application::sharedApplication().delegate());
        if (target)
            target->tryToPerform(action, this);
        return;
    }
    // The platform offered every key to the views' key equivalents before it reached the
    // window (Return presses the default button); the kit does that only for Command and
    // Control, so the offer is made here.
    if (platform::View* root = rootView(); root && root->performKeyEquivalent(event))
        return;
    // Other plain keys are dropped without a beep: the phone window has no use for them.
}

platform::View* MainAppWindow::fieldEditor(bool createFlag, platform::Object* client) {
    if (dynamic_cast<SecureTextField*>(client)) {
        if (!_secureFieldEditor && createFlag)
            _secureFieldEditor = std::make_shared<SecureFieldEditor>();
        return _secureFieldEditor.get();
    }
    return QXCollectionWindow::fieldEditor(createFlag, client);
}

bool MainAppWindow::windowShouldClose(platform::Window& /*sender*/) {
    orderOut(nullptr);
    return false;
}

void MainAppWindow::windowDidResignKey(platform::Window& /*window*/) {
    if (engineStarted())
        StartupService::instance().phoneService()->getDTMFService()->stopTone();
}

void MainAppWindow::windowDidBecomeMain(platform::Window& /*window*/) {
    if (engineStarted()) {
        if (AppController* controller = AppController::sharedAppController())
            controller->updateToolbar();
    } else if (!canBecomeKeyWindow()) {
        orderOut(nullptr);
    }
}

void MainAppWindow::windowWillMiniaturize(platform::Window& /*window*/) {
    _dialPadVisibleBeforeHide = false;
    if (!DialpadWindowController::dialpadExist())
        return;
    auto& dialpad = DialpadWindowController::sharedController();
    _dialPadVisibleBeforeHide = dialpad.isVisible();
    if (auto phone = StartupService::instance().phoneService())
        phone->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("dialpadExpanded")
            ->setBoolSetting(_dialPadVisibleBeforeHide, true);
    if (_dialPadVisibleBeforeHide)
        dialpad.close();
}

void MainAppWindow::windowDidDeminiaturize(platform::Window& /*window*/) {
    AppController* controller = AppController::sharedAppController();
    const bool terminating = controller && controller->isAppTerminating();
    if (_dialPadVisibleBeforeHide && !terminating) {
        DialpadWindowController::sharedController().showWindow(this);
        if (controller)
            controller->updateToolbar();
    }
}

Size MainAppWindow::windowWillResize(platform::Window& sender, Size frameSize) {
    // The contact list's in-place editing would be aborted here; the list is not part of the
    // window yet.
    return QXCollectionWindow::windowWillResize(sender, frameSize);
}
