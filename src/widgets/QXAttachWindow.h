#pragma once

#include "platform/graphics/Geometry.h"
#include "widgets/QXBaseWindow.h"

#include <memory>

// A skinned window that docks to the left or right side of another skinned window and slides
// out from behind it (the dialpad and video windows beside the main window). While it is out
// it follows that window, which tells its observer windows when it moves or resizes; hiding
// slides it back in and collapses it to an empty frame. Without a window to dock to it is an
// ordinary skinned window.
//
// A slide blocks the main thread for its 0.3 seconds, running the main loop meanwhile.
class QXAttachWindow : public QXBaseWindow {
public:
    static constexpr double slideDuration = 0.3;
    static constexpr int stateOpen = 0;
    static constexpr int stateClosed = 1;

    // The original's initWithContentRect:...: always borderless, whatever style is asked for.
    QXAttachWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                   platform::BackingStoreType backing = platform::BackingStoreType::Buffered,
                   bool defer = false, platform::Screen* screen = nullptr);
    // The original's initWithContentStyleRect:...: keeps the style.
    struct KeepStyle {};
    QXAttachWindow(KeepStyle, const platform::Rect& contentRect, platform::WindowStyleMask style,
                   platform::BackingStoreType backing = platform::BackingStoreType::Buffered,
                   bool defer = false, platform::Screen* screen = nullptr);
    ~QXAttachWindow() override;

    // Docks to `window` (collapsing this one until it opens), or undocks with nullptr.
    void setAttachWindow(QXBaseWindow* window);
    QXBaseWindow* attachWindow() const;

    // Slides out (when closed) and follows the attach window.
    void open();
    // Attached: slides in (when open) and stops following; otherwise the platform's close.
    void close() override;
    void orderFront(platform::Object* sender) override;
    void orderOut(platform::Object* sender) override;
    // Attached: whether it is slid out.
    bool isVisible() const override;
    // Attached and open: docks beside the attach window first.
    void displayIfNeeded() override;
    // true: out from behind the attach window; false: back behind it, then collapsed.
    void slideAnimation(bool out);

    platform::Point offset() const { return _offset; }
    void setOffset(platform::Point offset) { _offset = offset; }
    platform::Size initialSize() const { return _initSize; }
    void setInitialSize(platform::Size size) { _initSize = size; }
    bool attachToLeft() const { return _attachToLeft; }
    void setAttachToLeft(bool flag) { _attachToLeft = flag; }
    int state() const { return _state; }

private:
    bool isObserving(QXBaseWindow& window) const;
    void observe(QXBaseWindow& window);
    void stopObserving(QXBaseWindow& window);

    // Not owned: the window docked to; it keeps this one as an observer window meanwhile.
    std::weak_ptr<platform::Window> _attachWindow;
    platform::Point _offset;
    platform::Size _initSize;
    int _state = stateClosed;
    bool _attachToLeft = false;
    bool _sliding = false;
};
