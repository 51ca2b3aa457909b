#include "widgets/QXBubbleView.h"

#include "platform/graphics/Compositing.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"

#include <utility>
#include <vector>

using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

bool arrowOnRightSide(std::int32_t type) {
    return type >= 0 && type <= 2;
}
bool arrowOnLeftSide(std::int32_t type) {
    return type >= 3 && type <= 5;
}
bool arrowOnBottomSide(std::int32_t type) {
    return type >= 6 && type <= 8;
}
bool arrowOnTopSide(std::int32_t type) {
    return type >= 9 && type <= 11;
}

// Fills `rect` with nothing, replacing what was drawn there.
void clearRect(const Rect& rect) {
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (!context)
        return;
    context->saveGraphicsState();
    context->setFillColor(Color::clearColor());
    context->fillRect(rect, platform::CompositingOperation::Copy);
    context->restoreGraphicsState();
}

} // namespace

QXBubbleView::QXBubbleView(const Rect& frame) : View(frame) {}

Point QXBubbleView::arrowTipInFrameRect(const Rect& f, std::int32_t type) {
    const double x = f.minX();
    const double y = f.minY();
    const double w = f.width();
    const double h = f.height();
    switch (type) {
    case 0:
        return {x + w, y};
    case 1:
        return {x + w, y + h / 2};
    case 2:
        return {x + w, y + h};
    case 3:
        return {x, y};
    case 4:
        return {x, y + h / 2};
    case 5:
        return {x, y + h};
    case 6:
        return {x + w, y};
    case 7:
        return {x + w / 2, y};
    case 8:
        return {x, y};
    case 9:
        return {x + w, y + h};
    case 10:
        return {x + w / 2, y + h};
    case 11:
        return {x, y + h};
    default:
        return {x, y};
    }
}

Point QXBubbleView::arrowTipInFrameRect(const Rect& frame) const {
    return arrowTipInFrameRect(frame, _type);
}

Rect QXBubbleView::contentRectForFrameRect(const Rect& frame) const {
    Rect r({}, frame.size);
    const double L = _arrowLength;
    if (arrowOnRightSide(_type)) {
        r.size.width -= L;
    } else if (arrowOnLeftSide(_type)) {
        r.origin.x = L;
        r.size.width -= L;
    } else if (arrowOnBottomSide(_type)) {
        r.origin.y = L;
        r.size.height -= L;
    } else if (arrowOnTopSide(_type)) {
        r.size.height -= L;
    }
    return r;
}

Rect QXBubbleView::frameRectForContentRect(const Rect& content) const {
    Rect r = content;
    const double L = _arrowLength;
    if (arrowOnRightSide(_type)) {
        r.size.width += L;
    } else if (arrowOnLeftSide(_type)) {
        r.size.width += L;
        r.origin.x -= L;
    } else if (arrowOnBottomSide(_type)) {
        r.size.height += L;
        r.origin.y -= L;
    } else if (arrowOnTopSide(_type)) {
        r.size.height += L;
    }
    return r;
}

void QXBubbleView::drawRect(const Rect& dirtyRect) {
    clearRect(dirtyRect);
    drawBubbleInRect(frame());
}

BezierPath QXBubbleView::bubblePathInRect(const Rect& R) const {
    const double L = _arrowLength;
    const double A = _arrowWidth;
    const double r = _cornerRadius;
    Rect body = R;
    if (arrowOnRightSide(_type)) {
        body.size.width -= L;
    } else if (arrowOnLeftSide(_type)) {
        body.origin.x += L;
        body.size.width -= L;
    } else if (arrowOnBottomSide(_type)) {
        body.origin.y += L;
        body.size.height -= L;
    } else if (arrowOnTopSide(_type)) {
        body.size.height -= L;
    }
    const double x = body.minX();
    const double y = body.minY();
    const double w = body.width();
    const double h = body.height();

    // Every step after the start is relative to the current point; the path runs
    // counter-clockwise from the bottom of the left edge.
    BezierPath path;
    const auto line = [&path](double dx, double dy) { path.relativeLineToPoint({dx, dy}); };
    const auto curve = [&path](Point by, Point c1, Point c2) {
        path.relativeCurveToPoint(by, c1, c2);
    };

    // Bottom-left corner.
    if (_type == 3) {
        path.moveToPoint({x, y + A});
        line(-L, -A);
        line(L + r, 0);
    } else {
        path.moveToPoint({x, y + r});
        if (_type == 8) {
            line(0, -(r + L));
            line(A, L);
            line(r - A, 0);
        } else {
            curve({r, -r}, {0, -r / 2}, {r / 2, -r});
        }
    }
    // Bottom edge.
    if (_type == 7) {
        const double s = w / 2 - r - A / 2;
        line(s, 0);
        line(A / 2, -L);
        line(A / 2, L);
        line(s, 0);
    } else {
        line(w - 2 * r, 0);
    }
    // Bottom-right corner.
    if (_type == 0) {
        line(r + L, 0);
        line(-L, A);
        line(0, r - A);
    } else if (_type == 6) {
        line(r - A, 0);
        line(A, -L);
        line(0, r + L);
    } else {
        curve({r, r}, {r / 2, 0}, {r, r / 2});
    }
    // Right edge.
    if (_type == 1) {
        const double s = h / 2 - r - A / 2;
        line(0, s);
        line(L, A / 2);
        line(-L, A / 2);
        line(0, s);
    } else {
        line(0, h - 2 * r);
    }
    // Top-right corner.
    if (_type == 9) {
        line(0, r + L);
        line(-A, -L);
        line(A - r, 0);
    } else if (_type == 2) {
        line(0, r - A);
        line(L, A);
        line(-L - r, 0);
    } else {
        curve({-r, r}, {0, r / 2}, {-r / 2, r});
    }
    // Top edge.
    if (_type == 10) {
        const double s = w / 2 - r - A / 2;
        line(-s, 0);
        line(-A / 2, L);
        line(-A / 2, -L);
        line(-s, 0);
    } else {
        line(2 * r - w, 0);
    }
    // Top-left corner.
    if (_type == 11) {
        line(A - r, 0);
        line(-A, L);
        line(0, -L - r);
    } else if (_type == 5) {
        line(-r - L, 0);
        line(L, -A);
        line(0, A - r);
    } else {
        curve({-r, -r}, {-r / 2, 0}, {-r, -r / 2});
    }
    // Left edge: closing the path draws what is left of it.
    if (_type == 4) {
        line(0, -(h / 2 - r - A / 2));
        line(-L, -A / 2);
        line(L, -A / 2);
    }
    path.closePath();
    return path;
}

void QXBubbleView::drawBubbleInRect(const Rect& rect) const {
    clearRect(rect);
    const BezierPath path = bubblePathInRect(rect);
    const Color base = _color;
    const Color light = base.blendedColorWithFraction(0.4, Color::whiteColor());
    const Color dark = base.blendedColorWithFraction(0.2, Color::blackColor());

    double bodyHeight = rect.height();
    if (arrowOnBottomSide(_type) || arrowOnTopSide(_type))
        bodyHeight -= _arrowLength;
    // The stops are worked in single precision, as the drawing always did.
    const float edge = _cornerRadius / static_cast<float>(bodyHeight);
    const platform::Gradient gradient(std::vector<std::pair<Color, double>>{
        {light, 0.01},
        {base, static_cast<double>(edge)},
        {base, static_cast<double>(1.0f - edge)},
        {dark, 0.99},
    });
    // At -90 degrees the gradient's start lies at the top: a thin highlight along the top
    // edge and a darker band along the bottom.
    gradient.drawInBezierPath(path, -90);
}
