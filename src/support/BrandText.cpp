#include "support/BrandText.h"

#include "platform/foundation/Format.h"

#include <array>
#include <charconv>
#include <limits>

namespace {

bool isTrimmed(char c) {
    return c == '(' || c == ')' || c == ' ' || c == '\t';
}

// The four-component reading shared by colours, rectangles and margins: each of the first
// three numbers is taken up to the next comma (and stays 0 when there is none), the fourth is
// whatever text is left.
std::array<float, 4> fourComponents(std::string_view text) {
    std::array<float, 4> c{};
    std::string_view rest = trimBrandText(text);
    for (int i = 0; i < 3; ++i) {
        const auto comma = rest.find(',');
        if (comma == std::string_view::npos)
            continue;
        c[i] = brandFloatValue(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    c[3] = brandFloatValue(rest);
    return c;
}

std::array<float, 2> twoComponents(std::string_view text) {
    const std::string_view trimmed = trimBrandText(text);
    const auto comma = trimmed.find(',');
    if (comma == std::string_view::npos)
        return {0, 0};
    return {brandFloatValue(trimmed.substr(0, comma)), brandFloatValue(trimmed.substr(comma + 1))};
}

std::string oneDecimal(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 1);
    if (result.ec != std::errc())
        return "0.0";
    return std::string(buffer, result.ptr);
}

std::string joined(std::initializer_list<float> values, std::string_view separator) {
    std::string out = "(";
    bool first = true;
    for (float v : values) {
        if (!first)
            out += separator;
        out += oneDecimal(v);
        first = false;
    }
    return out + ")";
}

} // namespace

std::string_view trimBrandText(std::string_view text) {
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

float brandFloatValue(std::string_view text) {
    return narrowToFloat(platform::leadingDouble(text));
}

float narrowToFloat(double value) {
    // Half a unit above the largest float: from here on, rounding to nearest gives infinity.
    constexpr double overflow = 0x1.ffffffp127;
    if (value >= overflow)
        return std::numeric_limits<float>::infinity();
    if (value <= -overflow)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

platform::Color colorWithRGBAfromString(const std::string* text) {
    if (!text)
        return platform::Color::colorWithCalibratedRed(0.1f, 0.1f, 0.1f, 0.5f);
    return colorWithRGBAfromString(std::string_view(*text));
}

platform::Color colorWithRGBAfromString(std::string_view text) {
    const auto c = fourComponents(text);
    return platform::Color::colorWithCalibratedRed(c[0], c[1], c[2], c[3]);
}

platform::Point valueWithPointFromString(const std::string* text) {
    return text ? valueWithPointFromString(std::string_view(*text)) : platform::ZeroPoint;
}

platform::Point valueWithPointFromString(std::string_view text) {
    const auto c = twoComponents(text);
    return {c[0], c[1]};
}

platform::Size valueWithSizeFromString(const std::string* text) {
    return text ? valueWithSizeFromString(std::string_view(*text)) : platform::ZeroSize;
}

platform::Size valueWithSizeFromString(std::string_view text) {
    const auto c = twoComponents(text);
    return {c[0], c[1]};
}

platform::Rect valueWithRectFromString(const std::string* text) {
    return text ? valueWithRectFromString(std::string_view(*text)) : platform::ZeroRect;
}

platform::Rect valueWithRectFromString(std::string_view text) {
    const auto c = fourComponents(text);
    return {c[0], c[1], c[2], c[3]};
}

QXMargin valueWithMarginFromString(const std::string* text) {
    return text ? valueWithMarginFromString(std::string_view(*text)) : QXMargin{};
}

QXMargin valueWithMarginFromString(std::string_view text) {
    const auto c = fourComponents(text);
    return {c[0], c[1], c[2], c[3]};
}

QXMargin marginFromRectValue(const platform::Rect& rect) {
    return {narrowToFloat(rect.origin.x), narrowToFloat(rect.origin.y),
            narrowToFloat(rect.size.width), narrowToFloat(rect.size.height)};
}

std::string stringFromPointValue(platform::Point point) {
    return joined({narrowToFloat(point.x), narrowToFloat(point.y)}, ",");
}

std::string stringFromSizeValue(platform::Size size) {
    return joined({narrowToFloat(size.width), narrowToFloat(size.height)}, ",");
}

std::string stringFromRectValue(const platform::Rect& rect) {
    return joined({narrowToFloat(rect.origin.x), narrowToFloat(rect.origin.y),
                   narrowToFloat(rect.size.width), narrowToFloat(rect.size.height)},
                  ",");
}

std::string stringFromMarginValue(const QXMargin& margin) {
    return joined({margin.left, margin.right, margin.top, margin.bottom}, ", ");
}
