#pragma once

#include "platform/graphics/Color.h"

// The colour space of layer colours. There is one RGB space here (see platform::Color); the
// tag keeps the calls that name it.
enum class QXColorSpace { genericRGB };

// Ready-made colours for layer drawing (the video view). The named colours are made once, on
// first use, and kept for the life of the program. Main thread only.
class QXLayerColor {
public:
    static QXColorSpace genericRGBSpace();

    static const platform::Color& black();
    static const platform::Color& blue();
    static const platform::Color& brown();
    // White with no opacity, so that fading to it does not darken.
    static const platform::Color& clear();
    static const platform::Color& cyan();
    static const platform::Color& darkGray();
    static const platform::Color& gray();
    static const platform::Color& green();
    static const platform::Color& lightGray();
    static const platform::Color& magenta();
    static const platform::Color& orange();
    static const platform::Color& purple();
    static const platform::Color& red();
    static const platform::Color& white();
    static const platform::Color& yellow();

    // A new colour on every call.
    static platform::Color newColorWithRed(double red, double green, double blue, double alpha);
};
