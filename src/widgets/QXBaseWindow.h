#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

class QXBaseFrameView;
class QXContentView;
class QXGenericFieldEditor;
class QXGradient;
class QXOutlinePath;

// Every skinned window of the interface. The window is transparent; a frame view it owns
// covers it and paints its shape, and the visible content is one content view placed inside
// the frame view's margins. Because the window draws its own edges it also resizes itself from
// its handle, and every size change it makes passes through one clamping rule
// (windowWillResize) that honours the screen, the content view's limits and the margins.
//
// It also offers shared field editors, observer views told of every mouse-down, and observer
// windows: child windows (an attached window) that follow it when it moves or resizes.
// A skinned window that must take keys is made resizable and not titled: the screen then
// shows it without decoration, and the kit lets it become key.
class QXBaseWindow : public platform::Window, public platform::WindowDelegate {
public:
    QXBaseWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                 platform::BackingStoreType backing = platform::BackingStoreType::Buffered,
                 bool defer = false, platform::Screen* screen = nullptr);
    ~QXBaseWindow() override;

    void initialize() override;

    // The frame view, made on first need: a QXFrameView filling the window, installed as the
    // platform content view.
    QXBaseFrameView* frameView();
    // Installs another frame view and moves the content view into it.
    void setFrameView(std::shared_ptr<QXBaseFrameView> frameView);

    // The content view lives inside the frame view, placed by its margins; it follows the
    // frame view's size. Setting the view already shown does nothing.
    void setContentView(std::shared_ptr<platform::View> view) override;
    platform::View* contentView() const override;
    // The content view when it is a QXContentView, else nullptr.
    QXContentView* qxContentView() const;
    // Resizes the window, clamped, keeping its top edge, so that its content takes `size`.
    void setContentSize(platform::Size size) override;
    platform::Size contentSize() const;
    platform::Rect frameRectForContentRect(const platform::Rect& contentRect) const override;
    platform::Rect contentRectForFrameRect(const platform::Rect& frameRect) const override;

    // The skin; ignored unless the frame view is a QXFrameView.
    void setBkgGradient(std::shared_ptr<QXGradient> gradient);
    void setBkgPath(std::shared_ptr<QXOutlinePath> path);
    void setBkgMarginsLeft(float left, float right, float top, float bottom);
    // "image;p(x,y)a(ax,ay)": the handle image's resource name, the offset of its lower-left
    // corner from the anchored spot, and the anchor as fractions of the window's size.
    void setResizeHandle(std::string_view text);
    void setResizeHandle(std::string_view imageName, platform::Point pos, platform::Point anchor);
    // Takes the skin from a brand section: "Gradient", "Margin", "Path" and "Resize", then
    // shows or hides the handle. A section without "Path" paints the whole window.
    void setSkinFromBrandSection(const platform::Value& section, bool showResize = true);

    void setAllowKeyWindow(bool flag) { _allowKeyWindow = flag; }
    bool allowKeyWindow() const { return _allowKeyWindow; }
    bool canBecomeKeyWindow() const override;

    // Search fields share one editor that allows copy and paste; fields that bar it share
    // another. The text-field layer says which exact classes (not subclasses) get which.
    platform::View* fieldEditor(bool createFlag, platform::Object* client) override;
    static void registerSharedFieldEditorClass(std::type_index fieldClass, bool allowCopyPaste);
    static void unregisterSharedFieldEditorClass(std::type_index fieldClass);

    // Views told of each mouse-down anywhere in the window (through hitTest).
    void addObserverView(platform::View* view);
    void removeObserverView(platform::View* view);
    void notifyObserverViews();
    const std::vector<std::shared_ptr<platform::View>>& observerViews() const {
        return _observerViews;
    }
    // Child windows that follow this one, ordered below it.
    void addObserverWindow(platform::Window* window);
    void removeObserverWindow(platform::Window* window);
    const std::vector<std::shared_ptr<platform::Window>>& observerWindows() const {
        return _observerWindows;
    }
    // Sent to an observer window when the window it observes is about to take `size`.
    virtual void observedWindowWillResize(platform::Window& window, platform::Size size);

    bool toolbarVisible() const;
    // The platform's toggle with a 100-point allowance for the toolbar, so that showing it
    // never pushes the window past its limits.
    void toggleToolbarShown(platform::Object* sender) override;
    // The toolbar's strip goes under the frame's top margin, and the content view under the
    // strip: the content rectangle less the toolbar's height while it shows.
    double toolbarTopInset() const override;
    platform::Rect contentViewFrame(const platform::Rect& frameRect) const;

    // Dragging the resize handle.
    void mouseDown(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    bool isResizing() const { return _start.x > -10000 && _start.y > -10000; }

    // The window is its own delegate.
    platform::Size windowWillResize(platform::Window& sender, platform::Size frameSize) override;
    void windowDidMove(platform::Window& window) override;
    void windowDidResize(platform::Window& window) override;

private:
    // The frame view if one is installed; never makes one.
    QXBaseFrameView* installedFrameView() const;
    // Gives the window `height`, keeping its top edge; displayed, not animated.
    void setHeightKeepingTop(double height);
    void tellObserverWindowsToDisplay();
    // Whether the window's toolbar is shown, and hiding or showing it.
    bool isToolbarShown() const;
    void setToolbarShown(bool shown);

    std::shared_ptr<QXGenericFieldEditor> _genericFieldEditor;
    std::shared_ptr<QXGenericFieldEditor> _genericNoCopyPasteFieldEditor;
    std::vector<std::shared_ptr<platform::View>> _observerViews;
    std::vector<std::shared_ptr<platform::Window>> _observerWindows;
    bool _allowKeyWindow = true;
    std::weak_ptr<platform::View> _childContentView;
    platform::Point _start{-100000, -100000};
    bool _notifying = false;
};
