#include "widgets/QXLayerColor.h"

QXColorSpace QXLayerColor::genericRGBSpace() {
    return QXColorSpace::genericRGB;
}

const platform::Color& QXLayerColor::black() {
    static const platform::Color color = newColorWithRed(0.0, 0.0, 0.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::blue() {
    static const platform::Color color = newColorWithRed(0.0, 0.0, 1.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::brown() {
    static const platform::Color color = newColorWithRed(0.6, 0.4, 0.2, 1.0);
    return color;
}

const platform::Color& QXLayerColor::clear() {
    static const platform::Color color = newColorWithRed(1.0, 1.0, 1.0, 0.0);
    return color;
}

const platform::Color& QXLayerColor::cyan() {
    static const platform::Color color = newColorWithRed(0.0, 1.0, 1.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::darkGray() {
    static const platform::Color color = newColorWithRed(0.3, 0.3, 0.3, 1.0);
    return color;
}

const platform::Color& QXLayerColor::gray() {
    static const platform::Color color = newColorWithRed(0.5, 0.5, 0.5, 1.0);
    return color;
}

const platform::Color& QXLayerColor::green() {
    static const platform::Color color = newColorWithRed(0.0, 1.0, 0.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::lightGray() {
    static const platform::Color color = newColorWithRed(0.7, 0.7, 0.7, 1.0);
    return color;
}

const platform::Color& QXLayerColor::magenta() {
    static const platform::Color color = newColorWithRed(1.0, 0.0, 1.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::orange() {
    static const platform::Color color = newColorWithRed(1.0, 0.5, 0.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::purple() {
    static const platform::Color color = newColorWithRed(0.5, 0.0, 0.5, 1.0);
    return color;
}

const platform::Color& QXLayerColor::red() {
    static const platform::Color color = newColorWithRed(1.0, 0.0, 0.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::white() {
    static const platform::Color color = newColorWithRed(1.0, 1.0, 1.0, 1.0);
    return color;
}

const platform::Color& QXLayerColor::yellow() {
    static const platform::Color color = newColorWithRed(1.0, 1.0, 0.0, 1.0);
    return color;
}

platform::Color QXLayerColor::newColorWithRed(double red, double green, double blue, double alpha) {
    return platform::Color(red, green, blue, alpha);
}
