#pragma once

#include "platform/kit/Window.h"

namespace platform {

// A secondary window: inspectors, dialogs, sheets, tool windows. It never becomes the main
// window, hides when the application deactivates, and may float above ordinary windows.
class Panel : public Window {
public:
    Panel(const Rect& contentRect, WindowStyleMask style,
          BackingStoreType backing = BackingStoreType::Buffered, bool defer = false,
          Screen* screen = nullptr);

    bool canBecomeMainWindow() const override { return false; }
    bool worksWhenModal() const override { return worksWhenModal_; }
    void setWorksWhenModal(bool flag) { worksWhenModal_ = flag; }
    bool isFloatingPanel() const { return floatingPanel_; }
    // Floating panels live at the floating level, others at the normal one.
    void setFloatingPanel(bool flag);
    // When set, the panel becomes key only for a view that needs the keyboard.
    bool becomesKeyOnlyIfNeeded() const { return becomesKeyOnlyIfNeeded_; }
    void setBecomesKeyOnlyIfNeeded(bool flag) { becomesKeyOnlyIfNeeded_ = flag; }

private:
    bool worksWhenModal_ = false;
    bool floatingPanel_ = false;
    bool becomesKeyOnlyIfNeeded_ = false;
};

} // namespace platform
