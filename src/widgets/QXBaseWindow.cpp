#include "widgets/QXBaseWindow.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/Screen.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/WindowServer.h"
#include "support/BrandText.h"
#include "widgets/QXContentView.h"
#include "widgets/QXFrameView.h"
#include "widgets/QXGenericFieldEditor.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <unordered_map>

using platform::Event;
using platform::EventType;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::View;
using platform::Window;

namespace {

// The point of "<opener>x,y)" anywhere in the text; (0, 0) when the opener is missing.
Point pointAfter(std::string_view text, std::string_view opener) {
    const auto at = text.find(opener);
    if (at == std::string_view::npos)
        return {};
    const auto start = at + opener.size();
    const auto close = text.find(')', start);
    return valueWithPointFromString(text.substr(
        start, close == std::string_view::npos ? std::string_view::npos : close - start));
}

// Exact field classes that share a window's editors, with whether their editor allows copy
// and paste.
std::unordered_map<std::type_index, bool>& sharedEditorClasses() {
    static std::unordered_map<std::type_index, bool> classes;
    return classes;
}

} // namespace

QXBaseWindow::QXBaseWindow(const Rect& contentRect, platform::WindowStyleMask style,
                           platform::BackingStoreType backing, bool defer, platform::Screen* screen)
    : Window(contentRect, style, backing, defer, screen) {}

QXBaseWindow::~QXBaseWindow() {
    if (delegate() == this)
        setDelegate(nullptr);
    for (const auto& window : _observerWindows)
        removeChildWindow(window.get());
}

void QXBaseWindow::initialize() {
    Window::initialize();
    setOpaque(false);
    setBackgroundColor(platform::Color::clearColor());
    setDelegate(this);
    _allowKeyWindow = true;
    _start = {-100000, -100000};
}

QXBaseFrameView* QXBaseWindow::installedFrameView() const {
    return dynamic_cast<QXBaseFrameView*>(rootView());
}

QXBaseFrameView* QXBaseWindow::frameView() {
    if (QXBaseFrameView* existing = installedFrameView())
        return existing;
    auto view = platform::make<QXFrameView>(Rect({}, frame().size));
    view->setAutoresizesSubviews(true);
    Window::setContentView(view);
    view->setFrame(Rect({}, frame().size));
    return view.get();
}

void QXBaseWindow::setFrameView(std::shared_ptr<QXBaseFrameView> view) {
    auto content = _childContentView.lock();
    if (content)
        content->removeFromSuperview();
    Window::setContentView(view);
    if (!view)
        return;
    // The base window sizes its content view by the content rectangle; the frame view fills
    // the whole window.
    view->setFrame(Rect({}, frame().size));
    if (content)
        view->addSubview(content);
}

void QXBaseWindow::setContentView(std::shared_ptr<View> view) {
    auto current = _childContentView.lock();
    if (view == current)
        return;
    if (current)
        current->removeFromSuperview();
    _childContentView = view;
    if (!view)
        return;
    QXBaseFrameView* holder = frameView();
    view->setFrame(contentViewFrame(Rect({}, frame().size)));
    view->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    holder->addSubview(view);
}

View* QXBaseWindow::contentView() const {
    return _childContentView.lock().get();
}

QXContentView* QXBaseWindow::qxContentView() const {
    return dynamic_cast<QXContentView*>(contentView());
}

void QXBaseWindow::setContentSize(Size size) {
    Rect f = frame();
    // The toolbar's strip comes on top of the content.
    Size proposal = frameRectForContentRect(Rect({}, size)).size;
    if (toolbarVisible())
        proposal.height += toolbar()->height();
    const Size clamped = windowWillResize(*this, proposal);
    f.origin.y -= clamped.height - f.height();
    f.size = clamped;
    setFrame(f, true);
    if (View* content = contentView())
        content->setFrame(contentViewFrame(f));
}

Size QXBaseWindow::contentSize() const {
    return contentViewFrame(frame()).size;
}

Rect QXBaseWindow::frameRectForContentRect(const Rect& contentRect) const {
    const Rect rect = Window::frameRectForContentRect(contentRect);
    if (QXBaseFrameView* view = installedFrameView())
        return view->frameRectForContentRect(rect);
    return rect;
}

Rect QXBaseWindow::contentRectForFrameRect(const Rect& frameRect) const {
    const Rect rect = Window::contentRectForFrameRect(frameRect);
    if (QXBaseFrameView* view = installedFrameView())
        return view->contentRectForFrameRect(rect);
    return rect;
}

Rect QXBaseWindow::contentViewFrame(const Rect& frameRect) const {
    Rect rect = contentRectForFrameRect(frameRect);
    if (toolbarVisible())
        rect.size.height = std::max(0.0, rect.height() - toolbar()->height());
    return rect;
}

double QXBaseWindow::toolbarTopInset() const {
    QXBaseFrameView* view = installedFrameView();
    if (!view)
        return 0;
    const Rect whole({}, frame().size);
    const Rect content = view->contentRectForFrameRect(whole);
    return std::max(0.0, whole.maxY() - content.maxY());
}

void QXBaseWindow::setBkgGradient(std::shared_ptr<QXGradient> gradient) {
    if (auto* view = dynamic_cast<QXFrameView*>(frameView()))
        view->setGradient(std::move(gradient));
}

void QXBaseWindow::setBkgPath(std::shared_ptr<QXOutlinePath> path) {
    if (auto* view = dynamic_cast<QXFrameView*>(frameView()))
        view->setOutlinePath(std::move(path));
}

void QXBaseWindow::setBkgMarginsLeft(float left, float right, float top, float bottom) {
    if (auto* view = dynamic_cast<QXFrameView*>(frameView()))
        view->setMarginsLeft(left, right, top, bottom);
}

void QXBaseWindow::setResizeHandle(std::string_view text) {
    const auto semicolon = text.find(';');
    const std::string_view name =
        semicolon == std::string_view::npos ? std::string_view() : text.substr(0, semicolon);
    setResizeHandle(name, pointAfter(text, "p("), pointAfter(text, "a("));
}

void QXBaseWindow::setResizeHandle(std::string_view imageName, Point pos, Point anchor) {
    std::shared_ptr<platform::Image> image;
    if (auto path = platform::Bundle::mainBundle().pathForResource(imageName))
        image = platform::Image::imageWithContentsOfFile(*path);
    frameView()->setResize(std::move(image), pos, anchor);
}

void QXBaseWindow::setSkinFromBrandSection(const platform::Value& section, bool showResize) {
    setBkgGradient(QXGradient::gradientFromString(section["Gradient"].string()));
    const QXMargin margin =
        marginFromRectValue(valueWithRectFromString(section["Margin"].string()));
    setBkgMarginsLeft(margin.left, margin.right, margin.top, margin.bottom);
    const platform::Value& path = section["Path"];
    setBkgPath(path.isArray() ? std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(path))
                              : nullptr);
    const std::string* resize = section["Resize"].string();
    setResizeHandle(resize ? std::string_view(*resize) : std::string_view());
    frameView()->showResize(showResize);
}

bool QXBaseWindow::canBecomeKeyWindow() const {
    return _allowKeyWindow && Window::canBecomeKeyWindow();
}

void QXBaseWindow::addObserverView(View* view) {
    if (!view)
        return;
    if (auto held = view->weak_from_this().lock())
        _observerViews.push_back(std::move(held));
}

void QXBaseWindow::removeObserverView(View* view) {
    auto it = std::find_if(_observerViews.begin(), _observerViews.end(),
                           [view](const auto& held) { return held.get() == view; });
    if (it != _observerViews.end())
        _observerViews.erase(it);
}

void QXBaseWindow::notifyObserverViews() {
    const Event* event = platform::WindowServer::shared().currentEvent();
    if (!event || _notifying)
        return;
    const EventType type = event->type();
    if (type != EventType::LeftMouseDown && type != EventType::RightMouseDown &&
        type != EventType::OtherMouseDown)
        return;
    // An observer's own hit test may reach a frame view of this window again.
    _notifying = true;
    const Point location = event->locationInWindow();
    const auto views = _observerViews;
    for (const auto& view : views)
        view->hitTest(location);
    _notifying = false;
}

void QXBaseWindow::addObserverWindow(Window* window) {
    if (!window)
        return;
    auto held = window->sharedWindow();
    if (!held)
        return;
    _observerWindows.push_back(std::move(held));
    addChildWindow(window, platform::WindowOrderingMode::Below);
}

void QXBaseWindow::removeObserverWindow(Window* window) {
    auto it = std::find_if(_observerWindows.begin(), _observerWindows.end(),
                           [window](const auto& held) { return held.get() == window; });
    if (it == _observerWindows.end())
        return;
    auto held = *it;
    _observerWindows.erase(it);
    removeChildWindow(window);
}

void QXBaseWindow::observedWindowWillResize(Window& /*window*/, Size /*size*/) {
    displayIfNeeded();
}

void QXBaseWindow::setHeightKeepingTop(double height) {
    Rect f = frame();
    f.origin.y += f.height() - height;
    f.size.height = height;
    setFrame(f, true);
}

void QXBaseWindow::toggleToolbarShown(platform::Object* sender) {
    QXContentView* content = qxContentView();
    if (!content || !content->hasToolbar() || !toolbar()) {
        if (toolbar())
            setToolbarShown(false);
        return;
    }
    const Rect f = frame();
    const double allowed = windowWillResize(*this, {f.width(), f.height() + 100}).height;
    const double excess = f.height() + 100 - allowed;
    if (excess > 0.1 && !isToolbarShown())
        setHeightKeepingTop(allowed - 100);
    else if (excess > 5)
        setHeightKeepingTop(allowed - 5);
    Window::toggleToolbarShown(sender);
    if (View* shown = contentView())
        shown->setFrame(contentViewFrame(frame()));
    const Rect after = frame();
    const Size clamped = windowWillResize(*this, after.size);
    if (std::abs(clamped.height - after.height()) > 0.1)
        setHeightKeepingTop(clamped.height);
}

bool QXBaseWindow::toolbarVisible() const {
    QXContentView* content = qxContentView();
    return content && content->hasToolbar() && toolbar() && isToolbarShown();
}

void QXBaseWindow::mouseDown(const Event& event) {
    if (QXBaseFrameView* view = installedFrameView();
        view && view->pointInResize(event.locationInWindow()))
        _start = convertBaseToScreen(event.locationInWindow());
    Window::mouseDown(event);
}

void QXBaseWindow::mouseDragged(const Event& event) {
    if (!isResizing()) {
        Window::mouseDragged(event);
        return;
    }
    const Point q = convertBaseToScreen(event.locationInWindow());
    Rect f = frame();
    const Size proposal{f.width() + (q.x - _start.x), f.height() - (q.y - _start.y)};
    const Size clamped = windowWillResize(*this, proposal);
    // The start point moves only by what was applied, so a drag the limits stopped takes
    // effect again as soon as the pointer comes back.
    _start.x += clamped.width - f.width();
    _start.y += f.height() - clamped.height;
    f.origin.y += f.height() - clamped.height;
    f.size = clamped;
    setFrame(f, true);
}

void QXBaseWindow::mouseUp(const Event& event) {
    if (isResizing()) {
        mouseDragged(event);
        _start = {-10000, -10000};
        return;
    }
    Window::mouseUp(event);
}

Size QXBaseWindow::windowWillResize(Window& sender, Size frameSize) {
    double w = frameSize.width;
    double h = frameSize.height;
    if (platform::Screen* screen = sender.screen()) {
        const Rect visible = screen->visibleFrame();
        w = std::min(w, visible.width());
        h = std::min(h, visible.height());
    } else {
        w = std::min(0.0, w);
        h = std::min(0.0, h);
    }
    if (&sender != this)
        return {w, h};
    QXContentView* content = qxContentView();
    if (!content)
        return {w, h};
    if (!content->canResize()) {
        const Size fixed = frameRectForContentRect(content->frame()).size;
        w = fixed.width;
        h = fixed.height;
    }
    const Size minF = frameRectForContentRect(Rect({}, content->minimumSize())).size;
    const Size maxF = frameRectForContentRect(Rect({}, content->maximumSize())).size;
    const double maxHeight =
        toolbarVisible() ? maxF.height : std::max(maxF.height - 40, minF.height);
    h = std::max(minF.height, std::min(maxHeight, h));
    w = std::max(minF.width, std::min(maxF.width, w));
    const auto observers = _observerWindows;
    for (const auto& observer : observers)
        if (auto* base = dynamic_cast<QXBaseWindow*>(observer.get()))
            base->observedWindowWillResize(sender, {w, h});
    return {w, h};
}

void QXBaseWindow::tellObserverWindowsToDisplay() {
    const auto observers = _observerWindows;
    for (const auto& observer : observers)
        if (auto* base = dynamic_cast<QXBaseWindow*>(observer.get()))
            base->displayIfNeeded();
}

void QXBaseWindow::windowDidMove(Window& /*window*/) {
    tellObserverWindowsToDisplay();
}

void QXBaseWindow::windowDidResize(Window& /*window*/) {
    tellObserverWindowsToDisplay();
}

bool QXBaseWindow::isToolbarShown() const {
    return toolbar() && toolbar()->isVisible();
}

void QXBaseWindow::setToolbarShown(bool shown) {
    if (toolbar())
        toolbar()->setVisible(shown);
}

void QXBaseWindow::registerSharedFieldEditorClass(std::type_index fieldClass, bool allowCopyPaste) {
    sharedEditorClasses()[fieldClass] = allowCopyPaste;
}

void QXBaseWindow::unregisterSharedFieldEditorClass(std::type_index fieldClass) {
    sharedEditorClasses().erase(fieldClass);
}

platform::View* QXBaseWindow::fieldEditor(bool createFlag, platform::Object* client) {
    if (client) {
        const auto& classes = sharedEditorClasses();
        // The exact class decides: a subclass of a search field edits in the window's own
        // editor.
        if (auto found = classes.find(std::type_index(typeid(*client))); found != classes.end()) {
            const bool allowCopyPaste = found->second;
            auto& editor = allowCopyPaste ? _genericFieldEditor : _genericNoCopyPasteFieldEditor;
            if (!editor && createFlag) {
                const auto* view = dynamic_cast<const View*>(client);
                editor = platform::make<QXGenericFieldEditor>(view ? view->frame() : Rect());
                editor->setAllowCopyPaste(allowCopyPaste);
            }
            if (editor) {
                if (allowCopyPaste)
                    editor->setAllowCopyPaste(true);
                return editor.get();
            }
        }
    }
    return Window::fieldEditor(createFlag, client);
}
