#include "platform/graphics/AffineTransform.h"

#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <numbers>

namespace platform {

AffineTransform composeTransforms(const AffineTransform& a, const AffineTransform& b) {
    return {b.m11 * a.m11 + b.m21 * a.m12,      b.m12 * a.m11 + b.m22 * a.m12,
            b.m11 * a.m21 + b.m21 * a.m22,      b.m12 * a.m21 + b.m22 * a.m22,
            b.m11 * a.tX + b.m21 * a.tY + b.tX, b.m12 * a.tX + b.m22 * a.tY + b.tY};
}

void AffineTransform::translateXBy(double dx, double dy) {
    prependTransform({1, 0, 0, 1, dx, dy});
}

void AffineTransform::rotateByDegrees(double degrees) {
    rotateByRadians(degrees * std::numbers::pi / 180.0);
}

void AffineTransform::rotateByRadians(double radians) {
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    prependTransform({c, s, -s, c, 0, 0});
}

void AffineTransform::scaleXBy(double sx, double sy) {
    prependTransform({sx, 0, 0, sy, 0, 0});
}

void AffineTransform::invert() {
    const double det = m11 * m22 - m12 * m21;
    if (det == 0 || !std::isfinite(det))
        return;
    const AffineTransform inv(m22 / det, -m12 / det, -m21 / det, m11 / det,
                              (m21 * tY - m22 * tX) / det, (m12 * tX - m11 * tY) / det);
    *this = inv;
}

void AffineTransform::appendTransform(const AffineTransform& other) {
    *this = composeTransforms(*this, other);
}

void AffineTransform::prependTransform(const AffineTransform& other) {
    *this = composeTransforms(other, *this);
}

Point AffineTransform::transformPoint(Point p) const {
    return {m11 * p.x + m21 * p.y + tX, m12 * p.x + m22 * p.y + tY};
}

Size AffineTransform::transformSize(Size s) const {
    return {m11 * s.width + m21 * s.height, m12 * s.width + m22 * s.height};
}

void AffineTransform::concat() const {
    if (auto* context = GraphicsContext::currentContext())
        context->concat(*this);
}

void AffineTransform::set() const {
    if (auto* context = GraphicsContext::currentContext())
        context->setTransform(*this);
}

} // namespace platform
