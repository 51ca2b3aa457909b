#pragma once

#include "platform/kit/MenuBarView.h"

#include <memory>

class MainAppWindow;
namespace platform {
class Menu;
}

// The application's menu bar as Linux shows it: a strip of menu titles in the main window's top
// skin strip, left of the logo. Its icon at the left end opens the Dock menu that the
// application's delegate builds (applicationDockMenu), the counterpart of a Dock icon's menu.
// The main menu's interface definition makes it after the main window, so that it wakes once
// the window has its skin and logo.
class MainWindowMenuBar : public platform::MenuBarView {
public:
    // The least height of the strip; a skin with a lower top strip gets no menu bar.
    static constexpr double kMinimumHeight = 14;

    MainWindowMenuBar(std::shared_ptr<platform::Menu> menu, MainAppWindow* window);
    ~MainWindowMenuBar() override;

    // Takes its place in the window's frame view.
    void awake() override;

    MainAppWindow* mainWindow() const { return _window; }

private:
    // Back on top of the frame view's other subviews.
    void keepOnTop();

    MainAppWindow* _window;
};
