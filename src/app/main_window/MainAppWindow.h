#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "widgets/QXCollectionWindow.h"

#include <memory>
#include <string>
#include <string_view>

class AdvertisementModuleController;
class CallModuleController;
class LogoView;
class QXContentView;
class QXPartitionView;
class QXToolBar;
class SecureFieldEditor;
namespace platform {
class Menu;
}

// The one main phone window: a collection window whose named views follow the application's
// states (splash, login, importing, the signed-in module stack, the E911 and intro-video
// views). It is assembled from the brand dictionary when the main menu's interface definition
// wakes it, keeps its place and the module stack's size in the user defaults, and is hidden,
// never closed.
class MainAppWindow : public QXCollectionWindow {
public:
    // Where the main menu's interface definition puts the window, as a content rectangle.
    static constexpr platform::Rect kDefinitionContentRect{200, 200, 340, 480};

    MainAppWindow(const platform::Rect& contentRect, platform::WindowStyleMask style);
    ~MainAppWindow() override;

    // The window as the main menu's interface definition makes it: its splash view (the
    // "splash" image), importing view and empty module stack, not yet awake.
    static std::shared_ptr<MainAppWindow> makeFromInterfaceDefinition();

    // Assembly from the brand dictionary (the application controller's).
    void awake() override;

    // Outlets.
    void setSplashScreenView(std::shared_ptr<QXContentView> view);
    void setImportingView(std::shared_ptr<QXContentView> view);
    void setMainView(std::shared_ptr<QXPartitionView> view);
    QXContentView* splashScreenView() const { return _splashScreenView.get(); }
    QXContentView* importingView() const { return _importingView.get(); }
    QXPartitionView* mainView() const { return _mainView.get(); }
    LogoView* logoView() const { return _logoView.get(); }

    // Each swaps to its named view and brings the window forward when it is not visible.
    void displaySplashScreen();
    void displayLogin();
    void displayMain();
    void displayImporting();
    void displayE911Provision();
    void displayE911AddressConfirmation();
    void displayE911Disclaimer();
    void displayConnectVideo();

    // "<product> - <message>", or the product name alone for an empty message.
    void setTitleWithMessage(std::string_view message);
    // Gives the named view the toolbar; a name no view has does nothing.
    using QXCollectionWindow::setToolbar;
    void setToolbar(std::shared_ptr<QXToolBar> toolbar, std::string_view name);
    // Shows or hides the toolbar keeping the current view's frame.
    void toggleToolbarShown(platform::Object* sender) override;
    // Posts the context-menu notification that the focused list answers (by the first
    // responder's tag, 201 to 204) with the menu in the user info.
    void addFocusContextualItems(platform::Menu& menu);

    // Place and size: "mainPhone.locationTopLeft" and "mainPhone.appSize".
    void saveUserSetting();
    void loadUserSetting();
    // The window's level from "mainPhone.ui.alwaysOnTop": floating when set, else normal.
    void applyAlwaysOnTopSetting();

    // The zoom button is allowed unless the window cannot change height.
    void setAllowsZoom();
    bool allowsZoom() const { return _allowsZoom; }
    // Toggles between the largest height (bottom edge kept) and the smallest (top edge kept).
    void zoom(platform::Object* sender) override;
    // The heights the window may take, as its own size clamping answers.
    double largestHeight();
    double smallestHeight();

    // Keys no view took: Control shortcuts go to the application's delegate as actions,
    // Command keys to the base window, everything else is swallowed.
    void keyDown(const platform::Event& event) override;

    // Password fields get an editor that never shows their text.
    platform::View* fieldEditor(bool createFlag, platform::Object* client) override;

    bool windowShouldClose(platform::Window& sender) override;
    void windowDidResignKey(platform::Window& window) override;
    void windowDidBecomeMain(platform::Window& window) override;
    void windowWillMiniaturize(platform::Window& window) override;
    void windowDidDeminiaturize(platform::Window& window) override;
    platform::Size windowWillResize(platform::Window& sender, platform::Size frameSize) override;

    bool dialPadVisibleBeforeHide() const { return _dialPadVisibleBeforeHide; }

private:
    void assembleFromBrand(const platform::Value& brand);
    void replaceApplicationNameInMainMenu();
    void orderFrontIfHidden();
    void swapTo(std::string_view name);

    std::shared_ptr<QXContentView> _splashScreenView;
    std::shared_ptr<QXContentView> _importingView;
    std::shared_ptr<QXPartitionView> _mainView;
    CallModuleController* _callModuleController = nullptr;
    AdvertisementModuleController* _advertisementModuleController = nullptr;
    std::shared_ptr<LogoView> _logoView;
    bool _dialPadVisibleBeforeHide = false;
    bool _allowsZoom = true;
    std::shared_ptr<SecureFieldEditor> _secureFieldEditor;
};
