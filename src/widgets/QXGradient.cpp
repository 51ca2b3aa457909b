#include "widgets/QXGradient.h"

#include "support/BrandText.h"

#include <algorithm>

namespace {

std::string lowercased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

std::vector<double> asFloats(const std::vector<double>& locations) {
    std::vector<double> out;
    out.reserve(locations.size());
    for (double location : locations)
        out.push_back(narrowToFloat(location));
    return out;
}

} // namespace

QXGradient::QXGradient() = default;

std::shared_ptr<QXGradient> QXGradient::gradientFromString(const std::string* text) {
    if (!text)
        return nullptr;
    return gradientFromString(std::string_view(*text));
}

std::shared_ptr<QXGradient> QXGradient::gradientFromString(std::string_view original) {
    const std::string text = lowercased(original);
    std::string_view rest = text;

    bool linear = false;
    if (const auto at = rest.find('@'); at != std::string_view::npos) {
        linear = rest.substr(0, at) == "linear";
        rest.remove_prefix(at + 1);
    }

    float angle = 0;
    platform::Point origin(0.5, 0.5);
    if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
        const std::string_view geometry = rest.substr(0, colon);
        if (linear)
            angle = brandFloatValue(geometry);
        else
            origin = valueWithPointFromString(geometry);
        rest.remove_prefix(colon + 1);
    }

    std::vector<platform::Color> colors;
    std::vector<double> locations;
    for (auto stop = rest.find("c("); stop != std::string_view::npos; stop = rest.find("c(")) {
        // Keep the "(" so that the colour text reads as "(r,g,b,a)".
        rest.remove_prefix(stop + 1);
        const auto at = rest.find('@');
        if (at == std::string_view::npos)
            continue; // a stop without its location is dropped
        colors.push_back(colorWithRGBAfromString(rest.substr(0, at)));
        rest.remove_prefix(at + 1);
        locations.push_back(brandFloatValue(rest));
    }
    if (colors.empty())
        return nullptr;

    auto gradient = std::make_shared<QXGradient>();
    if (linear)
        gradient->initAsLinearAtAngle(angle, std::move(colors), locations);
    else
        gradient->initAsRadialAtPoint(origin, std::move(colors), locations);
    return gradient;
}

std::shared_ptr<QXGradient>
QXGradient::linearGradientWithAngle(float angle, std::vector<platform::Color> colors,
                                    const std::vector<double>& locations) {
    auto gradient = std::make_shared<QXGradient>();
    gradient->initAsLinearAtAngle(angle, std::move(colors), locations);
    return gradient;
}

std::shared_ptr<QXGradient>
QXGradient::radialGradientAtPoint(platform::Point relativeCenter,
                                  std::vector<platform::Color> colors,
                                  const std::vector<double>& locations) {
    auto gradient = std::make_shared<QXGradient>();
    gradient->initAsRadialAtPoint(relativeCenter, std::move(colors), locations);
    return gradient;
}

void QXGradient::initAsLinearAtAngle(float angle, std::vector<platform::Color> colors,
                                     const std::vector<double>& locations) {
    _linear = true;
    _angle = angle;
    setStops(std::move(colors), asFloats(locations));
}

void QXGradient::initAsRadialAtPoint(platform::Point relativeCenter,
                                     std::vector<platform::Color> colors,
                                     const std::vector<double>& locations) {
    _linear = false;
    _origin = relativeCenter;
    setStops(std::move(colors), asFloats(locations));
}

void QXGradient::drawInRect(const platform::Rect& rect) const {
    if (_linear)
        platform::Gradient::drawInRect(rect, static_cast<double>(_angle));
    else
        platform::Gradient::drawInRect(rect, _origin);
}

void QXGradient::drawInBezierPath(const platform::BezierPath& path) const {
    if (_linear)
        platform::Gradient::drawInBezierPath(path, static_cast<double>(_angle));
    else
        platform::Gradient::drawInBezierPath(path, _origin);
}
