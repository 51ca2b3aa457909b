#pragma once

#include <string>
#include <vector>

namespace platform {

// An RGBA colour, each component from 0 to 1, not premultiplied. The original's generic,
// calibrated and device RGB spaces are treated alike: there is one RGB space here, sRGB.
// A colour that may be missing (the original's nil) is a std::optional<Color>.
class Color {
public:
    constexpr Color() = default;
    constexpr Color(double r, double g, double b, double a = 1.0)
        : red_(r), green_(g), blue_(b), alpha_(a) {}

    static constexpr Color colorWithCalibratedRed(double r, double g, double b, double a) {
        return {r, g, b, a};
    }
    static constexpr Color colorWithDeviceRed(double r, double g, double b, double a) {
        return {r, g, b, a};
    }
    static constexpr Color colorWithSRGBRed(double r, double g, double b, double a) {
        return {r, g, b, a};
    }
    static constexpr Color colorWithCalibratedWhite(double white, double a) {
        return {white, white, white, a};
    }
    static constexpr Color colorWithDeviceWhite(double white, double a) {
        return {white, white, white, a};
    }

    // The named colours of the original platform, as RGBA.
    static Color clearColor();
    static Color blackColor();
    static Color whiteColor();
    static Color grayColor();      // white 0.5
    static Color darkGrayColor();  // white 1/3
    static Color lightGrayColor(); // white 2/3
    static Color redColor();
    static Color greenColor();
    static Color blueColor();
    static Color yellowColor();
    static Color orangeColor();
    static Color controlTextColor();
    static Color disabledControlTextColor();
    static Color textColor();
    static Color textBackgroundColor();
    static Color controlColor();
    static Color controlBackgroundColor();
    static Color windowBackgroundColor();
    static Color selectedTextBackgroundColor();
    static Color selectedControlColor();
    static Color alternateSelectedControlColor();
    static Color secondarySelectedControlColor();
    static Color gridColor();
    static Color keyboardFocusIndicatorColor();
    static Color shadowColor();
    // The two background colours of alternating table rows: white, then a pale blue.
    static std::vector<Color> controlAlternatingRowBackgroundColors();

    constexpr double redComponent() const { return red_; }
    constexpr double greenComponent() const { return green_; }
    constexpr double blueComponent() const { return blue_; }
    constexpr double alphaComponent() const { return alpha_; }
    // The luminance-free grey level the original answered for grey colours: the mean of RGB.
    constexpr double whiteComponent() const { return (red_ + green_ + blue_) / 3.0; }

    constexpr Color colorWithAlphaComponent(double a) const { return {red_, green_, blue_, a}; }
    // Mixes `fraction` of `other` into this colour, alpha included.
    Color blendedColorWithFraction(double fraction, const Color& other) const;
    // Blends towards white (highlight) or black (shadow) by `level`.
    Color highlightWithLevel(double level) const;
    Color shadowWithLevel(double level) const;

    // Make this the current context's fill and stroke colour, or one of them. Without a
    // current context nothing happens.
    void set() const;
    void setFill() const;
    void setStroke() const;

    // "RGBA(r, g, b, a)" for logs and test messages.
    std::string description() const;

    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    double red_ = 0;
    double green_ = 0;
    double blue_ = 0;
    double alpha_ = 0;
};

} // namespace platform
