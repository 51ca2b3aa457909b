#include "app/core/MainWindowMenuBar.h"

#include "app/core/AppController.h"
#include "app/main_window/LogoView.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Application.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "support/Localization.h"
#include "widgets/QXFrameView.h"

#include <algorithm>

namespace {

// The gap between the last title and the logo.
constexpr double kLogoGap = 4;

} // namespace

MainWindowMenuBar::MainWindowMenuBar(std::shared_ptr<platform::Menu> menu, MainAppWindow* window)
    : _window(window) {
    setMenu(std::move(menu));
    setFont(platform::Font::menuBarFontOfSize(11));
}

MainWindowMenuBar::~MainWindowMenuBar() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void MainWindowMenuBar::awake() {
    if (!_window)
        return;
    auto* frameView = dynamic_cast<QXFrameView*>(_window->frameView());
    if (!frameView)
        return;
    const platform::Rect bounds = frameView->bounds();
    const double height = frameView->topMargin();
    double right = bounds.maxX();
    if (LogoView* logo = _window->logoView();
        logo && logo->frame().minY() >= bounds.maxY() - height)
        right = std::min(right, logo->frame().minX() - kLogoGap);
    setFrame({bounds.minX(), bounds.maxY() - height, std::max(0.0, right - bounds.minX()), height});
    // The strip keeps its distance from the top and its gap to the logo as the window changes.
    setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    setHidden(height < kMinimumHeight);

    // The application menu's title names the product.
    if (menu())
        for (const auto& item : menu()->itemArray())
            if (item->title() == "NewApplication")
                item->setTitle(QXLS("msg.product.name", "${PRODUCT_NAME}"));

    setIconImage(platform::Application::sharedApplication().dockTile().standardApplicationIcon());
    setIconMenuProvider([]() -> std::shared_ptr<platform::Menu> {
        auto& application = platform::Application::sharedApplication();
        platform::ApplicationDelegate* delegate = application.delegate();
        return delegate ? delegate->applicationDockMenu(application) : nullptr;
    });
    frameView->addSubview(shared_from_this());
    // The window's toolbar strip goes on top of the frame view when it shows; the menu bar
    // stays above it so that its titles keep taking clicks.
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::WindowDidResizeNotification, _window,
        [this](const platform::Notification&) { keepOnTop(); });
}

void MainWindowMenuBar::keepOnTop() {
    View* host = superview();
    if (!host || host->subviews().empty() || host->subviews().back().get() == this)
        return;
    auto keep = shared_from_this();
    removeFromSuperview();
    host->addSubview(keep);
}
