#include "widgets/QXImageButton.h"

#include "platform/kit/Control.h"
#include "platform/kit/View.h"
#include "support/BrandText.h"
#include "support/ConvertObjectIntoSubclass.h"

#include <cctype>
#include <cmath>
#include <functional>
#include <utility>

using platform::Color;
using platform::Rect;

namespace {

std::string lowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The numbers of a numeric item, or nothing when the item is missing, has no "]", holds
// another count of values, or a value beyond the float range (which no frame, colour or
// width can use).
std::optional<std::vector<float>> numbersOf(const std::string& text, std::string_view key,
                                            std::size_t count) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const auto parts = QXImageButton::getParameters(std::string_view(text).substr(at + key.size()));
    if (!parts || parts->size() != count)
        return std::nullopt;
    std::vector<float> values;
    for (const std::string& part : *parts) {
        const float value = brandFloatValue(part);
        if (!std::isfinite(value))
            return std::nullopt;
        values.push_back(value);
    }
    return values;
}

std::optional<std::string> gradientTextOf(const std::string& text, std::string_view key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    return QXImageButton::getParamString(std::string_view(text).substr(at + key.size()));
}

Color colorOf(const std::vector<float>& v) {
    return Color::colorWithCalibratedRed(v[0], v[1], v[2], v[3]);
}

} // namespace

QXImageButton::QXImageButton(const Rect& frame) : Button(frame) {
    setCell(platform::make<QXImageButtonCell>());
    QXImageButton::initialize();
}

std::shared_ptr<QXImageButton>
QXImageButton::initWithCoder(const Rect& frame, std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXImageButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    button->initialize();
    return button;
}

void QXImageButton::initialize() {
    Button::initialize();
    if (!imageCell()) {
        const std::string key = cell()->keyEquivalent();
        if (auto converted = ConvertCellOfControl<QXImageButtonCell, platform::ButtonCell>(*this))
            converted->setKeyEquivalent(key);
    }
    setBordered(true);
    setBezelStyle(platform::BezelStyle::RegularSquare);
    _buttonToggles = true;
    removePressTracking();
    _delegate = nullptr;
}

QXImageButtonCell* QXImageButton::imageCell() const {
    return dynamic_cast<QXImageButtonCell*>(cell());
}

std::optional<std::string> QXImageButton::getParamString(std::string_view text) {
    const std::size_t end = text.find(']');
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(text.substr(0, end));
}

std::optional<std::vector<std::string>> QXImageButton::getParameters(std::string_view text) {
    const auto param = getParamString(text);
    if (!param)
        return std::nullopt;
    std::vector<std::string> parts;
    std::string_view rest = *param;
    for (;;) {
        const std::size_t comma = rest.find(',');
        parts.emplace_back(rest.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return parts;
}

void QXImageButton::setProperties(std::string_view properties) {
    const std::string text = lowercased(properties);
    QXImageButtonCell* c = imageCell();

    // Each key in this order, at its first occurrence only.
    if (auto v = numbersOf(text, "size[", 2); v && (*v)[0] >= 0 && (*v)[1] >= 0)
        setFrameSize(platform::Size((*v)[0], (*v)[1]));
    if (c) {
        if (auto v = numbersOf(text, "inset[", 4))
            c->setMargins(QXMargin{(*v)[0], (*v)[1], (*v)[2], (*v)[3]});
        if (auto v = numbersOf(text, "border[", 1))
            c->setBorderWidth((*v)[0]);

        using ColorSetter = void (QXImageButtonCell::*)(const Color&);
        const std::pair<std::string_view, ColorSetter> borderColors[] = {
            {"disabledbordercolor[", &QXImageButtonCell::setDsBorderColor},
            {"onstatebordercolor[", &QXImageButtonCell::setOsBorderColor},
            {"offstatebordercolor[", &QXImageButtonCell::setFsBorderColor},
            {"pressedstatebordercolor[", &QXImageButtonCell::setPsBorderColor},
            {"hoverstatebordercolor[", &QXImageButtonCell::setHsBorderColor},
        };
        for (const auto& [key, setter] : borderColors)
            if (auto v = numbersOf(text, key, 4))
                (c->*setter)(colorOf(*v));

        using FractionSetter = void (QXImageButtonCell::*)(float);
        const std::pair<std::string_view, FractionSetter> fractions[] = {
            {"disabledimagefraction[", &QXImageButtonCell::setDsFraction},
            {"onstateimagefraction[", &QXImageButtonCell::setOsFraction},
            {"offstateimagefraction[", &QXImageButtonCell::setFsFraction},
            {"pressedstateimagefraction[", &QXImageButtonCell::setPsFraction},
            {"hoverstateimagefraction[", &QXImageButtonCell::setHsFraction},
        };
        for (const auto& [key, setter] : fractions)
            if (auto v = numbersOf(text, key, 1))
                (c->*setter)((*v)[0]);

        using GradientSetter = void (QXImageButtonCell::*)(std::shared_ptr<QXGradient>);
        const std::pair<std::string_view, GradientSetter> gradients[] = {
            {"disabledgradient[", &QXImageButtonCell::setDsGradient},
            {"onstategradient[", &QXImageButtonCell::setOsGradient},
            {"offstategradient[", &QXImageButtonCell::setFsGradient},
            {"pressedstategradient[", &QXImageButtonCell::setPsGradient},
            {"hoverstategradient[", &QXImageButtonCell::setHsGradient},
        };
        // A text that is no gradient leaves that state's face unfilled.
        for (const auto& [key, setter] : gradients)
            if (auto g = gradientTextOf(text, key))
                (c->*setter)(QXGradient::gradientFromString(std::string_view(*g)));

        if (auto v = numbersOf(text, "badgecolor[", 4))
            c->setBadgeColor(colorOf(*v));
    }
    setNeedsDisplay(true);
}

void QXImageButton::setShape(const platform::Value& commands) {
    if (QXImageButtonCell* c = imageCell())
        c->setShape(std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(commands)));
    setNeedsDisplay(true);
}

void QXImageButton::setBadgeShape(const platform::Value& commands) {
    if (QXImageButtonCell* c = imageCell())
        c->setBadgeShape(std::make_shared<QXOutlinePath>(QXOutlinePath::initFromArray(commands)));
    setNeedsDisplay(true);
}

void QXImageButton::setBadgeText(platform::AttributedString text) {
    if (QXImageButtonCell* c = imageCell())
        c->setBadgeText(std::move(text));
    setNeedsDisplay(true);
}

void QXImageButton::removePressTracking() {
    if (_tracking) {
        removeTrackingArea(_tracking.get());
        _tracking.reset();
    }
}

void QXImageButton::mouseDown(const platform::Event& /*event*/) {
    if (!isEnabled())
        return;
    auto keep = weak_from_this().lock();
    highlight(true);
    removePressTracking();
    _tracking = std::make_shared<platform::TrackingArea>(
        Rect(0, 0, frame().width(), frame().height()),
        platform::TrackingMouseEnteredAndExited | platform::TrackingActiveAlways |
            platform::TrackingEnabledDuringMouseDrag | platform::TrackingAssumeInside,
        this);
    addTrackingArea(_tracking);
    if (_delegate)
        _delegate->buttonWasPressed(*this);
}

void QXImageButton::mouseEntered(const platform::Event& event) {
    if (!_tracking || event.trackingArea() != _tracking.get()) {
        Button::mouseEntered(event);
        return;
    }
    highlight(true);
    if (_delegate)
        _delegate->buttonWasPressed(*this);
}

void QXImageButton::mouseExited(const platform::Event& event) {
    if (!_tracking || event.trackingArea() != _tracking.get()) {
        Button::mouseExited(event);
        return;
    }
    highlight(false);
    if (_delegate)
        _delegate->buttonWasReleased(*this, false);
}

void QXImageButton::mouseUp(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    highlight(false);
    removePressTracking();
    const platform::Point p = platform::pointInView(event, *this);
    const bool inside = p.x >= 0 && p.y >= 0 && p.x < frame().width() && p.y < frame().height();
    bool sent = false;
    if (inside && isEnabled()) {
        // Toggling goes off, on (and mixed when allowed) whatever the platform button type.
        if (_buttonToggles)
            setState(cell()->platform::Cell::nextState());
        // To the target alone: without one nothing is delivered, yet the action counts as sent.
        if (target())
            sendAction(action(), target());
        sent = true;
    }
    if (_delegate)
        _delegate->buttonWasReleased(*this, sent);
}
