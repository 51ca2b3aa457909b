#include "platform/kit/Panel.h"

namespace platform {

Panel::Panel(const Rect& contentRect, WindowStyleMask style, BackingStoreType backing, bool defer,
             Screen* screen)
    : Window(contentRect, style, backing, defer, screen) {
    setHidesOnDeactivate(true);
    setReleasedWhenClosed(false);
}

void Panel::setFloatingPanel(bool flag) {
    floatingPanel_ = flag;
    setLevel(flag ? FloatingWindowLevel : NormalWindowLevel);
}

} // namespace platform
