#include "widgets/QXToolWindow.h"

#include "platform/kit/Animation.h"
#include "platform/kit/Event.h"
#include "platform/kit/Screen.h"
#include "platform/kit/View.h"
#include "widgets/QXBubbleView.h"
#include "widgets/QXToolWindowFrameView.h"

#include <cmath>
#include <utility>

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

// The frame-view style that belongs to a window type: the auto-bubble starts as a bubble with
// its arrow at the left centre and its placement picks the side later.
std::int32_t styleForType(std::int32_t type) {
    return type == QXToolWindow::autoBubbleType() ? 5 : type;
}

// Fade-out durations by type.
platform::TimeInterval fadeDuration(std::int32_t type) {
    if (type == QXToolWindow::bubbleType())
        return 0.15;
    if (type == QXToolWindow::toastType())
        return 1.5;
    return 0.2;
}

// The drag starts only once the pointer has left a square of this half-width around the press,
// so that a click with a shaky hand does not tear the window off its anchor.
constexpr double kDragThreshold = 8;

} // namespace

QXToolWindow::QXToolWindow()
    : QXBaseWindow(Rect(0, 0, 10, 10), platform::BorderlessWindowMask,
                   platform::BackingStoreType::Buffered, true) {}

QXToolWindow::~QXToolWindow() {
    if (_anim) {
        _anim->setDelegate(nullptr);
        _anim->stopAnimation();
    }
}

void QXToolWindow::initialize() {
    QXBaseWindow::initialize();
    _frameView.reset();
    _type = bubbleType();
    _anim.reset();
    _anchor = {0, 0};
    _allowMove = false;
}

QXToolWindowFrameView* QXToolWindow::ensureFrameView() {
    if (!_frameView) {
        _frameView = platform::make<QXToolWindowFrameView>(Rect({}, frame().size));
        _frameView->setAutoresizesSubviews(true);
        // A window whose type was never set still draws the shape its placement assumes.
        _frameView->setStyle(styleForType(_type));
        setFrameView(_frameView);
    }
    return _frameView.get();
}

void QXToolWindow::setType(std::int32_t type) {
    QXToolWindowFrameView* view = ensureFrameView();
    _type = type;
    view->setStyle(styleForType(type));
}

void QXToolWindow::setContentView(std::shared_ptr<platform::View> view) {
    ensureFrameView();
    const Rect contentFrame = view ? view->frame() : Rect();
    const Rect wanted = frameRectForContentRect(contentFrame);
    const Rect placed = calculateBestLayoutOnScreen(_anchor, wanted.size);
    if (view)
        view->setFrame(contentRectForFrameRect(placed));
    QXBaseWindow::setContentView(view);
    setFrame(placed, true, true);
    // The content follows the frame view by autoresizing, which cannot take a size below zero
    // on the way from the small initial window; put it exactly where the frame says.
    if (platform::View* content = contentView())
        content->setFrame(contentRectForFrameRect(frame()));
}

void QXToolWindow::setContentSize(Size size) {
    ensureFrameView();
    const Rect wanted = frameRectForContentRect(Rect({}, size));
    const Rect placed = calculateBestLayoutOnScreen(_anchor, wanted.size);
    QXBaseWindow::setContentSize(contentRectForFrameRect(placed).size);
    setFrame(placed, true, true);
    if (platform::View* content = contentView())
        content->setFrame(contentRectForFrameRect(frame()));
}

Point QXToolWindow::anchorFor(platform::Window* window, Point point) const {
    return window ? window->convertBaseToScreen(point) : point;
}

void QXToolWindow::showForWindow(platform::Window* window, Point point) {
    if (isVisible()) {
        if (platform::Window* parent = parentWindow())
            parent->removeChildWindow(this);
        QXBaseWindow::orderOut(nullptr);
    }
    stopAnimation();
    _didMove = false;
    _anchor = anchorFor(window, point);

    const Rect placed = calculateBestLayoutOnScreen(_anchor, frame().size);
    if (platform::View* content = contentView())
        content->setFrame(contentRectForFrameRect(placed));
    setAlphaValue(1.0);
    setFrame(placed, true);

    if (window)
        orderWindow(platform::WindowOrderingMode::Above, window->windowNumber());
    else
        orderFront(nullptr);
    _showForWindow = window ? window->sharedWindow() : nullptr;
    setLevel(platform::FloatingWindowLevel);
}

void QXToolWindow::updatePositionForWindow(platform::Window* window, Point point, bool animate) {
    if (_didMove)
        return;
    stopAnimation();
    _anchor = anchorFor(window, point);
    const Rect placed = calculateBestLayoutOnScreen(_anchor, frame().size);
    if (platform::View* content = contentView())
        content->setFrame(contentRectForFrameRect(placed));
    setFrame(placed, true, animate);
}

void QXToolWindow::orderOut(platform::Object* /*sender*/) {
    if (_forceClose) {
        _forceClose = false;
        stopAnimation();
        QXBaseWindow::orderOut(nullptr);
        return;
    }
    if (_anim)
        return;
    auto fade =
        std::make_shared<platform::ViewAnimation>(std::vector<platform::ViewAnimationTarget>{
            {this, nullptr, std::nullopt, std::nullopt, platform::ViewAnimationEffect::FadeOut}});
    fade->setDuration(fadeDuration(_type));
    fade->setAnimationCurve(platform::AnimationCurve::EaseIn);
    fade->setAnimationBlockingMode(platform::AnimationBlockingMode::Nonblocking);
    fade->setDelegate(this);
    _anim = fade;
    fade->startAnimation();
}

void QXToolWindow::orderOut() {
    QXBaseWindow::orderOut(nullptr);
}

bool QXToolWindow::isFading() const {
    return _anim && _anim->isAnimating();
}

void QXToolWindow::stopAnimation() {
    if (!_anim)
        return;
    // Stopping tells animationDidStop, which lets go of it; keep it alive until then.
    auto running = _anim;
    running->stopAnimation();
    _anim.reset();
}

void QXToolWindow::animationDidEnd(platform::Animation& animation) {
    if (&animation != _anim.get())
        return;
    // A toast stays ordered in, transparent, until its owner closes it.
    if (_type != toastType())
        QXBaseWindow::orderOut(nullptr);
    _anim.reset();
}

void QXToolWindow::animationDidStop(platform::Animation& animation) {
    if (&animation == _anim.get())
        _anim.reset();
}

void QXToolWindow::forceClose() {
    _forceClose = true;
    close();
}

void QXToolWindow::close() {
    if (platform::Window* parent = parentWindow())
        parent->removeChildWindow(this);
    setParentWindow(nullptr);
    setLevel(platform::FloatingWindowLevel);
    setHidesOnDeactivate(false);
    QXBaseWindow::close();
}

void QXToolWindow::setBackgroundGradient(std::shared_ptr<QXGradient> gradient) {
    ensureFrameView()->setBkgGradient(std::move(gradient));
}

void QXToolWindow::setImageBackgroundTop(std::shared_ptr<platform::Image> image) {
    ensureFrameView()->setImageBackgroundTop(std::move(image));
}

void QXToolWindow::setImageBackgroundBottom(std::shared_ptr<platform::Image> image) {
    ensureFrameView()->setImageBackgroundBottom(std::move(image));
}

bool QXToolWindow::canBecomeKeyWindow() const {
    return _type != dropdownType();
}

platform::TimeInterval QXToolWindow::animationResizeTime(const Rect& newFrame) const {
    const Rect current = frame();
    // The sum is taken in single precision, as the original's float geometry did.
    const float change = std::fabs(static_cast<float>(newFrame.width() - current.width())) +
                         std::fabs(static_cast<float>(newFrame.height() - current.height()));
    return static_cast<double>(change) / 150.0 * 0.04;
}

Rect QXToolWindow::placementScreenFrame(Point anchor) const {
    if (platform::Window* parent = parentWindow()) {
        platform::Screen* onScreen = parent->screen();
        return onScreen ? onScreen->frame() : Rect();
    }
    // A window about to be shown may still stand where it was last, on another screen; the
    // screen it is going to is the one its anchor lies on.
    for (platform::Screen* candidate : platform::Screen::screens())
        if (candidate->frame().containsPoint(anchor))
            return candidate->frame();
    platform::Screen* onScreen = screen();
    return onScreen ? onScreen->frame() : Rect();
}

Rect QXToolWindow::calculateBestLayoutOnScreen(Point anchor, Size size) {
    std::int32_t style = styleForType(_type);
    const Rect placed =
        calculateBestLayout(_type, anchor, size, placementScreenFrame(anchor), &style);
    if (_type == autoBubbleType() && _frameView)
        _frameView->setStyle(style);
    return placed;
}

Rect QXToolWindow::calculateBestLayout(std::int32_t type, Point a, Size size, const Rect& screen,
                                       std::int32_t* style) {
    const double w = size.width;
    const double h = size.height;
    switch (type) {
    case dropdownType():
        return Rect(a.x, a.y - h, w, h);
    case popupType():
        return Rect(a.x + w / 2, a.y + h / 2, w, h);
    case toastType():
        return Rect(a.x - w, a.y - h, w, h);
    case bubbleType(): {
        // Clamped against the screen's own edges, so that a bubble on a screen away from the
        // origin stays on that screen. The tests use the full size, not half of it.
        const double x0 = screen.minX();
        const double y0 = screen.minY();
        const double ay = y0 > a.y - h ? y0 + h : a.y;
        double x = a.x - w / 2;
        if (a.x - w / 2 < x0)
            x = x0;
        else if (a.x + w > x0 + screen.width())
            x = x0 + screen.width() - w;
        return Rect(x, ay - h / 2, w, h);
    }
    case autoBubbleType(): {
        // Each candidate is moved so that its arrow tip lands on the anchor.
        const auto candidate = [&](std::int32_t bubble) {
            const Rect at(a, size);
            const Point tip = QXBubbleView::arrowTipInFrameRect(at, bubble);
            return at.offsetBy(a.x - tip.x, a.y - tip.y);
        };
        const Rect rightUp = candidate(QXBubbleView::rightUpBubble());
        const Rect rightCenter = candidate(QXBubbleView::rightCenterBubble());
        const Rect rightDown = candidate(QXBubbleView::rightDownBubble());
        const Rect leftUp = candidate(QXBubbleView::leftUpBubble());
        const Rect leftCenter = candidate(QXBubbleView::leftCenterBubble());
        const Rect leftDown = candidate(QXBubbleView::leftDownBubble());

        enum class Vertical { Down, Up, Center };
        Vertical vertical = Vertical::Center;
        if (rightCenter.maxY() > screen.maxY())
            vertical = Vertical::Down;
        else if (rightCenter.minY() < screen.minY())
            vertical = Vertical::Up;

        Rect chosen;
        std::int32_t chosenStyle = 5;
        if (rightCenter.maxX() > screen.maxX()) {
            switch (vertical) {
            case Vertical::Down:
                chosen = leftDown;
                chosenStyle = 9;
                break;
            case Vertical::Up:
                chosen = leftUp;
                chosenStyle = 7;
                break;
            case Vertical::Center:
                chosen = leftCenter;
                chosenStyle = 8;
                break;
            }
        } else {
            switch (vertical) {
            case Vertical::Down:
                chosen = rightDown;
                chosenStyle = 6;
                break;
            case Vertical::Up:
                chosen = rightUp;
                chosenStyle = 4;
                break;
            case Vertical::Center:
                chosen = rightCenter;
                chosenStyle = 5;
                break;
            }
            // A bubble that would start left of its screen keeps 10 points inside it.
            if (chosen.minX() < screen.minX())
                chosen.origin.x = screen.minX() + 10;
        }
        if (style)
            *style = chosenStyle;
        return chosen;
    }
    default:
        return Rect();
    }
}

void QXToolWindow::mouseDown(const platform::Event& event) {
    _start = convertBaseToScreen(event.locationInWindow());
}

void QXToolWindow::mouseDragged(const platform::Event& event) {
    if (!_allowMove)
        return;
    const Point p = convertBaseToScreen(event.locationInWindow());
    if (!_dragging) {
        if (std::fabs(p.x - _start.x) > kDragThreshold ||
            std::fabs(p.y - _start.y) > kDragThreshold) {
            // The drag counts from here, so the window does not jump by the threshold.
            _start = p;
            _dragging = true;
        }
        return;
    }
    if (_type == autoBubbleType() && !_didMove) {
        // Torn off its anchor, the bubble loses its arrow for good.
        setHasShadow(false);
        setType(bubbleType());
        if (_frameView)
            _frameView->display();
        setHasShadow(true);
    }
    if (!_didMove) {
        _didMove = true;
        if (platform::Window* parent = parentWindow())
            parent->removeChildWindow(this);
        setParentWindow(nullptr);
        setLevel(platform::FloatingWindowLevel);
        setHidesOnDeactivate(true);
    }
    const Rect moved = frame().offsetBy(p.x - _start.x, p.y - _start.y);
    setFrame(moved, true);
    _anchor = moved.center();
    _start = p;
}

void QXToolWindow::mouseUp(const platform::Event& event) {
    if (!_dragging || !_allowMove)
        return;
    _dragging = false;
    const Point p = convertBaseToScreen(event.locationInWindow());
    const Rect moved = frame().offsetBy(p.x - _start.x, p.y - _start.y);
    _anchor = moved.center();
    setFrame(moved, true);
}
