#include "widgets/QXAttachWindow.h"

#include "platform/kit/Animation.h"

#include <algorithm>

using platform::Rect;

QXAttachWindow::QXAttachWindow(const Rect& contentRect, platform::WindowStyleMask /*style*/,
                               platform::BackingStoreType backing, bool defer,
                               platform::Screen* screen)
    : QXBaseWindow(contentRect, platform::BorderlessWindowMask, backing, defer, screen),
      _initSize(frame().size) {}

QXAttachWindow::QXAttachWindow(KeepStyle, const Rect& contentRect, platform::WindowStyleMask style,
                               platform::BackingStoreType backing, bool defer,
                               platform::Screen* screen)
    : QXBaseWindow(contentRect, style, backing, defer, screen), _initSize(frame().size) {}

QXAttachWindow::~QXAttachWindow() = default;

QXBaseWindow* QXAttachWindow::attachWindow() const {
    return dynamic_cast<QXBaseWindow*>(_attachWindow.lock().get());
}

bool QXAttachWindow::isObserving(QXBaseWindow& window) const {
    const auto& observers = window.observerWindows();
    return std::any_of(observers.begin(), observers.end(),
                       [this](const auto& observer) { return observer.get() == this; });
}

// Registered once however often it opens, so that one close is enough to stop following.
void QXAttachWindow::observe(QXBaseWindow& window) {
    if (!isObserving(window))
        window.addObserverWindow(this);
}

void QXAttachWindow::stopObserving(QXBaseWindow& window) {
    window.removeObserverWindow(this);
}

void QXAttachWindow::setAttachWindow(QXBaseWindow* window) {
    auto keep = sharedWindow();
    QXBaseWindow* former = attachWindow();
    if (former && former != window)
        stopObserving(*former);
    if (window) {
        setFrame(Rect(), false);
        observe(*window);
    }
    _attachWindow = window ? window->weak_from_this() : std::weak_ptr<platform::Window>();
}

void QXAttachWindow::open() {
    QXBaseWindow* parent = attachWindow();
    if (!parent)
        return;
    auto keep = sharedWindow();
    observe(*parent);
    if (_state == stateClosed)
        slideAnimation(true);
    _state = stateOpen;
}

void QXAttachWindow::close() {
    QXBaseWindow* parent = attachWindow();
    if (!parent) {
        QXBaseWindow::close();
        return;
    }
    auto keep = sharedWindow();
    stopObserving(*parent);
    if (_state != stateClosed)
        slideAnimation(false);
    _state = stateClosed;
}

void QXAttachWindow::orderFront(platform::Object* sender) {
    QXBaseWindow::orderFront(sender);
    if (attachWindow())
        open();
}

void QXAttachWindow::orderOut(platform::Object* sender) {
    if (attachWindow())
        close();
    else
        QXBaseWindow::orderOut(sender);
}

bool QXAttachWindow::isVisible() const {
    if (attachWindow())
        return _state == stateOpen;
    return QXBaseWindow::isVisible();
}

// A slide moves the window itself; docking it meanwhile would undo every step.
void QXAttachWindow::displayIfNeeded() {
    QXBaseWindow* parent = attachWindow();
    if (parent && _state == stateOpen && !_sliding) {
        const Rect p = parent->frame();
        const Rect f = frame();
        const double x = _attachToLeft ? p.minX() - f.width() + _offset.x : p.maxX() + _offset.x;
        const double y = p.maxY() - f.height() - _offset.y;
        setFrame(Rect(x, y, f.width(), f.height()), false);
    }
    QXBaseWindow::displayIfNeeded();
}

void QXAttachWindow::slideAnimation(bool out) {
    QXBaseWindow* parent = attachWindow();
    if (!parent)
        return;
    const Rect p = parent->frame();
    Rect start;
    Rect end;
    if (out) {
        const double w = std::min(_initSize.width, p.width());
        const double h = std::min(_initSize.height, p.height());
        start = Rect(_attachToLeft ? p.minX() : p.maxX() - w, p.maxY() - h - _offset.y, w, h);
        end = start;
        end.origin.x = _attachToLeft ? p.minX() - w + _offset.x : p.maxX() + _offset.x;
    } else {
        start = frame();
        const double w = std::min(start.width(), p.width() - 10);
        const double h = std::min(start.height(), p.height() - 10);
        end = Rect(_attachToLeft ? p.minX() + _offset.x : p.maxX() - w, start.minY(), w, h);
    }

    auto keep = sharedWindow();
    platform::ViewAnimationTarget target;
    target.window = this;
    target.startFrame = start;
    target.endFrame = end;
    auto animation = std::make_shared<platform::ViewAnimation>(
        std::vector<platform::ViewAnimationTarget>{target});
    animation->setDuration(slideDuration);
    animation->setAnimationCurve(platform::AnimationCurve::EaseIn);
    animation->setAnimationBlockingMode(platform::AnimationBlockingMode::Blocking);
    _sliding = true;
    animation->startAnimation();
    _sliding = false;

    if (out)
        setContentSize(end.size);
    else
        setFrame(Rect(), false);
}
