#include "app/main_window/DialpadViewController.h"

#include "app/core/AppController.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/View.h"

#include <algorithm>

namespace {

constexpr std::string_view kCodes = "123456789*0#";
// Corner keys carry the shapes of their corner: 1 top-left, 2 top-right, 3 bottom-right,
// 4 bottom-left.
int tagOf(char code) {
    switch (code) {
    case '1':
        return 1;
    case '3':
        return 2;
    case '#':
        return 3;
    case '*':
        return 4;
    default:
        return 0;
    }
}

const platform::Value& brandSection() {
    static const platform::Value empty;
    auto* app = AppController::sharedAppController();
    return app ? app->brandDict()["Dialpad"] : empty;
}

} // namespace

DialpadViewController::DialpadViewController() {
    _view = std::make_shared<platform::View>(platform::Rect(0, 0, 240, 190));
    _view->setAutoresizingMask(platform::ViewWidthSizable);
    _keys = std::make_shared<platform::View>(platform::Rect(0, 0, 200, 180));
    _view->addSubview(_keys);
    const platform::Value& brand = brandSection();
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        const char code = kCodes[i];
        auto button = platform::make<QXImageButton>(platform::Rect(0, 0, 60, 40));
        button->setTitle(std::string(1, code));
        button->setTag(tagOf(code));
        // 1. The brand's look, then the shape of the key's place.
        for (const char* key : {"buttonGeometry", "buttonGradients", "buttonBorderColors"})
            if (const auto* text = brand[key].string())
                button->setProperties(*text);
        static constexpr const char* shapes[] = {"middleButtonShape", "topLeftButtonShape",
                                                 "topRightButtonShape", "bottomRightButtonShape",
                                                 "bottomLeftButtonShape"};
        if (const platform::Value& shape = brand[shapes[tagOf(code)]]; shape.isArray())
            button->setShape(shape);
        button->setButtonToggles(false);
        button->setDelegate(this);
        // 2. The brand's label for the key's title.
        if (const auto* label = brand["labels"][std::string(1, code)].string())
            button->setAttributedTitle(labelFromBrandText(*label));
        _keys->addSubview(button);
        _buttons[i] = button;
    }
    layoutKeys();
    // 4. The model, once the keys are in place.
    _model = OVDialpadModel::create();
    _model->setDelegate(this);
}

DialpadViewController::~DialpadViewController() {
    _model->removeDelegate(this);
    for (const auto& button : _buttons)
        button->setDelegate(nullptr);
}

platform::AttributedString DialpadViewController::labelFromBrandText(const std::string& text) {
    std::string unescaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 't' || text[i + 1] == 'n')) {
            unescaped += text[i + 1] == 't' ? '\t' : '\n';
            ++i;
        } else {
            unescaped += text[i];
        }
    }
    platform::TextAttributes large;
    large.font = platform::Font::fontWithName("Verdana", 17);
    large.foregroundColor = platform::Color(0, 0, 0, 1);
    platform::TextAttributes small;
    small.font = platform::Font::fontWithName("Verdana", 11);
    small.foregroundColor = platform::Color(0.33, 0.33, 0.33, 1);
    platform::AttributedString label;
    bool inBraces = false;
    for (char c : unescaped) {
        if (c == '{') {
            inBraces = true;
            continue;
        }
        if (c == '}') {
            inBraces = false;
            continue;
        }
        label.appendAttributedString(
            platform::AttributedString(std::string(1, c), inBraces ? small : large));
    }
    return label;
}

void DialpadViewController::layoutKeys() {
    const platform::Value& brand = brandSection();
    const double h = brand["horizontalButtonSpace"].doubleValue();
    const double v = brand["verticalButtonSpace"].doubleValue();
    const auto size = _buttons[kCodes.find('0')]->frame().size;
    const double w = 3 * size.width + 2 * h;
    const double ht = 4 * size.height + 3 * v;
    // The container's superview keeps its origin and grows to hold the grid; the grid is
    // centred in it.
    auto frame = _view->frame();
    frame.size.width = std::max(frame.size.width, w);
    frame.size.height = std::max(frame.size.height, ht);
    _view->setFrame(frame);
    _keys->setFrame(
        platform::Rect((frame.size.width - w) / 2, (frame.size.height - ht) / 2, w, ht));
    // Rows from the bottom: "*0#", "789", "456", "123".
    static constexpr std::string_view rows[] = {"*0#", "789", "456", "123"};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) {
            auto* key = keyFor(rows[row][static_cast<std::size_t>(column)]);
            key->setFrame(platform::Rect(column * (size.width + h), row * (size.height + v),
                                         size.width, size.height));
        }
}

QXImageButton* DialpadViewController::keyFor(char code) const {
    const auto at = kCodes.find(code);
    return at == std::string_view::npos ? nullptr : _buttons[at].get();
}

int DialpadViewController::keyCodeOf(const QXImageButton& button) const {
    for (std::size_t i = 0; i < _buttons.size(); ++i)
        if (_buttons[i].get() == &button)
            return kCodes[i];
    return 0;
}

void DialpadViewController::buttonWasPressed(QXImageButton& button) {
    if (const int code = keyCodeOf(button))
        _model->keyIsPressed(code);
}

void DialpadViewController::buttonWasReleased(QXImageButton& button, bool /*sendAction*/) {
    if (const int code = keyCodeOf(button))
        _model->keyIsReleased(code);
}

void DialpadViewController::ovmdDialpadPropertyChanged(const std::string& /*propertyName*/) {
    const int pressed = _model->getPressedKey();
    for (const auto& button : _buttons)
        button->highlight(false);
    if (pressed > 0 && pressed < 256)
        if (auto* key = keyFor(static_cast<char>(pressed)))
            key->highlight(true);
}
