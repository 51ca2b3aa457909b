#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Image;
class Screen;
class Toolbar;
class Window;

// Style mask bits, as the original numbered them. Windows draw no title bar of their own:
// on Linux the window manager decorates titled windows outside their frame, so the frame and
// the content rectangle of every style are the same rectangle.
using WindowStyleMask = unsigned;
inline constexpr WindowStyleMask BorderlessWindowMask = 0;
inline constexpr WindowStyleMask TitledWindowMask = 1 << 0;
inline constexpr WindowStyleMask ClosableWindowMask = 1 << 1;
inline constexpr WindowStyleMask MiniaturizableWindowMask = 1 << 2;
inline constexpr WindowStyleMask ResizableWindowMask = 1 << 3;
inline constexpr WindowStyleMask UtilityWindowMask = 1 << 4;
inline constexpr WindowStyleMask DocModalWindowMask = 1 << 6;
inline constexpr WindowStyleMask NonactivatingPanelMask = 1 << 7;
inline constexpr WindowStyleMask HUDWindowMask = 1 << 13;

enum class BackingStoreType { Retained = 0, Nonretained = 1, Buffered = 2 };

// Window levels, as the original numbered them; higher levels stay in front.
using WindowLevel = int;
inline constexpr WindowLevel NormalWindowLevel = 0;
inline constexpr WindowLevel FloatingWindowLevel = 3;
inline constexpr WindowLevel SubmenuWindowLevel = 3;
inline constexpr WindowLevel TornOffMenuWindowLevel = 3;
inline constexpr WindowLevel ModalPanelWindowLevel = 8;
inline constexpr WindowLevel MainMenuWindowLevel = 24;
inline constexpr WindowLevel StatusWindowLevel = 25;
inline constexpr WindowLevel PopUpMenuWindowLevel = 101;
inline constexpr WindowLevel ScreenSaverWindowLevel = 1000;

// Posted through the default notification centre with the window as object.
inline constexpr std::string_view WindowDidBecomeKeyNotification = "WindowDidBecomeKeyNotification";
inline constexpr std::string_view WindowDidResignKeyNotification = "WindowDidResignKeyNotification";
inline constexpr std::string_view WindowDidBecomeMainNotification =
    "WindowDidBecomeMainNotification";
inline constexpr std::string_view WindowDidResignMainNotification =
    "WindowDidResignMainNotification";
inline constexpr std::string_view WindowWillCloseNotification = "WindowWillCloseNotification";
inline constexpr std::string_view WindowDidMoveNotification = "WindowDidMoveNotification";
inline constexpr std::string_view WindowDidResizeNotification = "WindowDidResizeNotification";
inline constexpr std::string_view WindowWillMiniaturizeNotification =
    "WindowWillMiniaturizeNotification";
inline constexpr std::string_view WindowDidMiniaturizeNotification =
    "WindowDidMiniaturizeNotification";
inline constexpr std::string_view WindowDidDeminiaturizeNotification =
    "WindowDidDeminiaturizeNotification";

// What a window tells its delegate. Every function is optional; the defaults answer as the
// original did for a delegate that does not implement the message. A delegate that also
// derives from ActionTarget takes part in the responder chain after its window.
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;

    virtual bool windowShouldClose(Window& /*sender*/) { return true; }
    virtual void windowWillClose(Window& /*window*/) {}
    virtual void windowDidBecomeKey(Window& /*window*/) {}
    virtual void windowDidResignKey(Window& /*window*/) {}
    virtual void windowDidBecomeMain(Window& /*window*/) {}
    virtual void windowDidResignMain(Window& /*window*/) {}
    virtual void windowWillMiniaturize(Window& /*window*/) {}
    virtual void windowDidMiniaturize(Window& /*window*/) {}
    virtual void windowDidDeminiaturize(Window& /*window*/) {}
    // The size a user resize (or a caller that asks, like setContentSize of skinned windows)
    // may take.
    virtual Size windowWillResize(Window& /*sender*/, Size frameSize) { return frameSize; }
    virtual void windowDidMove(Window& /*window*/) {}
    virtual void windowDidResize(Window& /*window*/) {}
    // A field editor for `client`, or nullptr for the window's own.
    virtual View* windowWillReturnFieldEditor(Window& /*sender*/, Object* /*client*/) {
        return nullptr;
    }
    virtual void windowWillBeginSheet(Window& /*window*/) {}
    virtual void windowDidEndSheet(Window& /*window*/) {}
};

// Pixels of a window's backing store: 32-bit premultiplied ARGB words in native byte order
// (Cairo's ARGB32, SDL's ARGB8888), the first row at the top of the window.
struct WindowPixels {
    const unsigned char* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    double scale = 1.0;
};

// A top-level window. Frames are in screen coordinates, points, y upwards from the bottom of
// the main screen. The window owns its content view (the root of its views) and draws them
// into its own backing store, which the screen backend shows. Windows are held by shared_ptr
// by whoever owns them; the window server lists the live ones without owning them, and a
// window that is destroyed leaves the screen.
class Window : public Responder, public std::enable_shared_from_this<Window> {
public:
    Window(const Rect& contentRect, WindowStyleMask style,
           BackingStoreType backing = BackingStoreType::Buffered, bool defer = false,
           Screen* screen = nullptr);
    ~Window() override;

    // The overridable set-up of the two-phase creation (make<T>(...)).
    virtual void initialize() {}
    virtual void awake() {}

    // The live window with that number, or nullptr.
    static Window* windowWithNumber(int windowNumber);
    int windowNumber() const { return windowNumber_; }
    std::shared_ptr<Window> sharedWindow();

    WindowStyleMask styleMask() const { return styleMask_; }
    virtual void setStyleMask(WindowStyleMask style);
    const std::string& title() const { return title_; }
    virtual void setTitle(std::string title);

    // Geometry, in screen coordinates.
    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame, bool display) { setFrame(frame, display, false); }
    // Animated changes run on the main run loop over animationResizeTime seconds (in the
    // default and modal modes); the frame is set at once when the time is zero.
    virtual void setFrame(const Rect& frame, bool display, bool animate);
    virtual TimeInterval animationResizeTime(const Rect& newFrame) const;
    bool isAnimatingFrame() const;
    void setFrameOrigin(Point origin);
    void setFrameTopLeftPoint(Point point);
    // Places the window's top left at `point` (unless it is the zero point) and answers the
    // point the next window of a cascade should use.
    Point cascadeTopLeftFromPoint(Point point);
    // Centred horizontally on its screen's visible frame, a little above the middle.
    virtual void center();
    // Where the window may stand on `screen` (the screen holding most of the frame when
    // null): inside its visible frame, moved in and cut to its size where larger. Titled
    // windows are kept there when ordered in and when the program sets the frame of a visible
    // one (a sheet, an alert, a zoom, a frame read from the settings); moves and resizes by
    // the window manager are the user's and stay as they are.
    virtual Rect constrainFrameRect(const Rect& frameRect, const Screen* screen) const;
    virtual Rect frameRectForContentRect(const Rect& contentRect) const;
    virtual Rect contentRectForFrameRect(const Rect& frameRect) const;
    // Resizes the frame so that the content gets `size`, keeping the top left corner.
    virtual void setContentSize(Size size);
    Size minSize() const { return minSize_; }
    void setMinSize(Size size) { minSize_ = size; }
    Size maxSize() const { return maxSize_; }
    void setMaxSize(Size size) { maxSize_ = size; }
    Size contentMinSize() const;
    void setContentMinSize(Size size);
    Size contentMaxSize() const;
    void setContentMaxSize(Size size);

    // The content view. A skinned window overrides both to put its content inside a frame
    // view; rootView() is always the view that fills the window (what the base setContentView
    // installed), and drawing and hit testing start there.
    virtual View* contentView() const { return rootView_.get(); }
    virtual void setContentView(std::shared_ptr<View> view);
    View* rootView() const { return rootView_.get(); }

    WindowLevel level() const { return level_; }
    virtual void setLevel(WindowLevel level);
    double alphaValue() const { return alphaValue_; }
    virtual void setAlphaValue(double alpha);
    bool hasShadow() const { return hasShadow_; }
    void setHasShadow(bool flag);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool flag);
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Color& color);
    bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
    void setIgnoresMouseEvents(bool flag) { ignoresMouseEvents_ = flag; }

    // Ordering. Windows are kept front to back by level, then by recency.
    virtual bool isVisible() const { return visible_; }
    virtual void orderFront(Object* sender);
    virtual void orderBack(Object* sender);
    virtual void orderOut(Object* sender);
    virtual void orderFrontRegardless();
    virtual void makeKeyAndOrderFront(Object* sender);
    // Above or below the window numbered `otherWindowNumber` (0: all windows of the level),
    // or out.
    virtual void orderWindow(WindowOrderingMode place, int otherWindowNumber);
    // Asks the delegate (windowShouldClose) and closes when it agrees.
    virtual void performClose(Object* sender);
    // Orders the window out for good: the delegate hears windowWillClose, and the window
    // stops being key, main, a sheet or a child window.
    virtual void close();
    bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
    // Kept for the original's calls; owners decide lifetimes here.
    void setReleasedWhenClosed(bool flag) { releasedWhenClosed_ = flag; }
    bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
    void setHidesOnDeactivate(bool flag) { hidesOnDeactivate_ = flag; }
    bool isExcludedFromWindowsMenu() const { return excludedFromWindowsMenu_; }
    void setExcludedFromWindowsMenu(bool flag) { excludedFromWindowsMenu_ = flag; }
    bool canHide() const { return canHide_; }
    void setCanHide(bool flag) { canHide_ = flag; }
    bool isMiniaturized() const { return miniaturized_; }
    virtual void miniaturize(Object* sender);
    virtual void deminiaturize(Object* sender);
    void performMiniaturize(Object* sender) { miniaturize(sender); }
    bool isZoomed() const { return zoomed_; }
    virtual void zoom(Object* sender);
    // Whether the window takes events while another window runs a modal session.
    virtual bool worksWhenModal() const { return false; }

    // Key and main status.
    bool isKeyWindow() const;
    bool isMainWindow() const;
    // Titled or resizable windows; a borderless window must say yes itself.
    virtual bool canBecomeKeyWindow() const;
    virtual bool canBecomeMainWindow() const;
    virtual void makeKeyWindow();
    virtual void makeMainWindow();
    virtual void becomeKeyWindow();
    virtual void resignKeyWindow();
    virtual void becomeMainWindow();
    virtual void resignMainWindow();

    // The first responder: the window itself, a view of it, or the field editor. Null makes
    // the window its own first responder; false when the old one refuses to resign or the new
    // one refuses to become.
    Responder* firstResponder() const { return firstResponder_; }
    virtual bool makeFirstResponder(Responder* responder);
    View* initialFirstResponder() const;
    void setInitialFirstResponder(View* view);
    // The window's shared text editor for `client`: the delegate's, or the window's own, made
    // by the registered factory when `createFlag` is set.
    virtual View* fieldEditor(bool createFlag, Object* client);
    using FieldEditorFactory = std::function<std::shared_ptr<View>()>;
    // The text-editing layer registers how a window makes its own field editor.
    static void setFieldEditorFactory(FieldEditorFactory factory);
    // Ends editing: the field editor resigns (or, when it refuses, is forced out).
    void endEditingFor(Object* object);
    void selectNextKeyView(Object* sender);
    void selectPreviousKeyView(Object* sender);
    void selectKeyViewFollowingView(View* view);
    void selectKeyViewPrecedingView(View* view);
    bool autorecalculatesKeyViewLoop() const { return autorecalculatesKeyViewLoop_; }
    void setAutorecalculatesKeyViewLoop(bool flag) { autorecalculatesKeyViewLoop_ = flag; }
    // Links the views that can become key in reading order (top to bottom, left to right).
    void recalculateKeyViewLoop();

    // Events. sendEvent routes mouse events to the view under the pointer (drags and the up
    // go to the view that took the down), keys to the first responder, and moves to tracking
    // areas.
    virtual void sendEvent(const Event& event);
    // Offers a key equivalent to the window's views.
    bool performKeyEquivalent(const Event& event) override;
    // Tab and Shift-Tab move along the key view loop; other keys end at noResponderFor.
    void keyDown(const Event& event) override;
    bool acceptsMouseMovedEvents() const { return acceptsMouseMovedEvents_; }
    void setAcceptsMouseMovedEvents(bool flag) { acceptsMouseMovedEvents_ = flag; }
    // The pointer in window base coordinates, as last known.
    Point mouseLocationOutsideOfEventStream() const;
    // Queues an event for the application (at the front when atStart).
    void postEvent(const Event& event, bool atStart);
    Point convertBaseToScreen(Point point) const;
    Point convertScreenToBase(Point point) const;
    Rect convertRectToScreen(const Rect& rect) const;
    Rect convertRectFromScreen(const Rect& rect) const;
    // Tracking areas are re-read after layout changes; this asks every view to update them.
    void invalidateTrackingAreas();
    // Cursor rectangles are rebuilt at the next pointer move; the cursor follows them.
    void invalidateCursorRectsForView(View* view);
    void resetCursorRects();
    void discardCursorRects();
    bool areCursorRectsEnabled() const { return cursorRectsEnabled_; }
    void enableCursorRects() { cursorRectsEnabled_ = true; }
    void disableCursorRects() { cursorRectsEnabled_ = false; }

    // Drawing into the backing store. display draws everything; displayIfNeeded only views
    // that asked, then tells the screen backend what changed.
    virtual void display();
    virtual void displayIfNeeded();
    bool viewsNeedDisplay() const;
    void setViewsNeedDisplay(bool flag);
    // A picture of the window as drawn (after displayIfNeeded), its size the frame's.
    std::shared_ptr<Image> snapshot();
    // The backing store, brought up to date first; empty for a zero-sized window.
    WindowPixels backingPixels();
    // Draws the whole window into someone else's pixels (same format as WindowPixels).
    void renderInto(unsigned char* data, int width, int height, int stride, double scale = 1.0);

    // Sheets and child windows. Children are not owned; they move with their parent and are
    // ordered with it.
    Window* attachedSheet() const { return attachedSheet_; }
    Window* sheetParent() const { return sheetParent_; }
    bool isSheet() const { return sheetParent_ != nullptr; }
    void addChildWindow(Window* child, WindowOrderingMode place);
    void removeChildWindow(Window* child);
    const std::vector<Window*>& childWindows() const { return childWindows_; }
    Window* parentWindow() const { return parentWindow_; }
    virtual void setParentWindow(Window* parent);

    WindowDelegate* delegate() const { return delegate_; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }

    // The screen holding most of the window (the main screen when it is on none).
    Screen* screen() const;

    // The toolbar belongs to the toolbar layer; the window only keeps it and shows or hides it.
    const std::shared_ptr<Toolbar>& toolbar() const { return toolbar_; }
    virtual void setToolbar(std::shared_ptr<Toolbar> toolbar);
    virtual void toggleToolbarShown(Object* sender);
    // How far below the window's top edge the toolbar's strip goes: the height of a frame's
    // own top strip, none for a plain window.
    virtual double toolbarTopInset() const { return 0; }
    bool showsToolbarButton() const { return showsToolbarButton_; }
    void setShowsToolbarButton(bool flag) { showsToolbarButton_ = flag; }
    bool showsResizeIndicator() const { return showsResizeIndicator_; }
    void setShowsResizeIndicator(bool flag) { showsResizeIndicator_ = flag; }

    std::string description() const override;

protected:
    // Changes the frame without asking anyone: the animation steps and the backend's reports
    // of moves by the window manager use it. Tells the delegate it moved or resized.
    void applyFrame(const Rect& frame, bool display, bool fromScreen);

private:
    friend class View;
    friend class WindowServer;
    struct Impl;
    void viewRemovedFromWindow(View* view);
    void invalidateBaseRect(const Rect& rect);
    void displayBaseRect(const Rect& rect);
    void dispatchMouse(const Event& event);
    void updateTrackingAreasFor(const Event& event);
    // The pointer left the window: every tracking area it was inside hears mouseExited.
    void mouseExitedWindow(const Event& event);
    void updateCursorFor(Point location);
    void orderIn(WindowOrderingMode place, Window* relativeTo);
    void runFrameAnimation(const Rect& frame, bool display, TimeInterval duration);
    WindowOrderingMode placeOfChild(Window* child) const;

    std::unique_ptr<Impl> impl_;
    int windowNumber_;
    WindowStyleMask styleMask_;
    std::string title_;
    Rect frame_;
    Size minSize_;
    Size maxSize_{10000, 10000};
    std::shared_ptr<View> rootView_;
    WindowLevel level_ = NormalWindowLevel;
    double alphaValue_ = 1.0;
    bool hasShadow_ = true;
    bool opaque_ = true;
    Color backgroundColor_ = Color::windowBackgroundColor();
    bool ignoresMouseEvents_ = false;
    bool visible_ = false;
    bool releasedWhenClosed_ = true;
    bool hidesOnDeactivate_ = false;
    bool excludedFromWindowsMenu_ = false;
    bool canHide_ = true;
    bool miniaturized_ = false;
    bool zoomed_ = false;
    bool acceptsMouseMovedEvents_ = false;
    bool autorecalculatesKeyViewLoop_ = false;
    bool showsToolbarButton_ = true;
    bool showsResizeIndicator_ = true;
    bool cursorRectsEnabled_ = true;
    Responder* firstResponder_ = nullptr;
    Window* attachedSheet_ = nullptr;
    Window* sheetParent_ = nullptr;
    Window* parentWindow_ = nullptr;
    std::vector<Window*> childWindows_;
    WindowDelegate* delegate_ = nullptr;
    std::shared_ptr<Toolbar> toolbar_;
};

} // namespace platform
