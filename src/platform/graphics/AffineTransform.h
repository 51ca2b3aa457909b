#pragma once

#include "platform/graphics/Geometry.h"

namespace platform {

// A 2-D affine transform mapping (x, y) to (m11·x + m21·y + tX, m12·x + m22·y + tY).
// translateXBy, rotateBy and scaleBy apply their step before the existing transform, as the
// original did, so building "translate, then scale" scales first and translates the result.
class AffineTransform {
public:
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, tX = 0, tY = 0;

    constexpr AffineTransform() = default;
    constexpr AffineTransform(double a, double b, double c, double d, double tx, double ty)
        : m11(a), m12(b), m21(c), m22(d), tX(tx), tY(ty) {}

    static constexpr AffineTransform transform() { return {}; }

    void translateXBy(double dx, double dy);
    void rotateByDegrees(double degrees);
    void rotateByRadians(double radians);
    void scaleBy(double s) { scaleXBy(s, s); }
    void scaleXBy(double sx, double sy);
    // Turns the transform into its inverse; a singular transform is left as it is.
    void invert();
    // Afterwards the transform applies itself first, then `other`.
    void appendTransform(const AffineTransform& other);
    // Afterwards the transform applies `other` first, then itself.
    void prependTransform(const AffineTransform& other);

    Point transformPoint(Point p) const;
    // Sizes ignore the translation.
    Size transformSize(Size s) const;
    bool isIdentity() const { return *this == AffineTransform(); }

    // Concatenates with, or replaces, the current context's transform.
    void concat() const;
    void set() const;

    friend constexpr bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

// The transform that applies `first`, then `second`.
AffineTransform composeTransforms(const AffineTransform& first, const AffineTransform& second);

} // namespace platform
