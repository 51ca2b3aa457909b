#include "platform/kit/Matrix.h"

#include "platform/kit/Button.h"
#include "platform/kit/WindowServer.h"

namespace platform {

namespace {

constexpr std::string_view kClicked = "matrixButtonClicked:";
constexpr double kRowHeight = 20;
constexpr double kRowGap = 2;

} // namespace

Matrix::Matrix(const Rect& frame) : View(frame) {}

Matrix::~Matrix() {
    for (const auto& button : buttons_) {
        button->setTarget(nullptr);
    }
}

std::shared_ptr<Button> Matrix::addRadioButton(std::string title, long tag) {
    auto button = make<Button>(Rect{0, 0, frame().width(), kRowHeight});
    button->setButtonType(RadioButton);
    button->setTitle(std::move(title));
    button->setTag(tag);
    button->setTarget(this);
    button->setAction(std::string(kClicked));
    button->setEnabled(enabled_);
    button->setState(buttons_.empty() ? OnState : OffState);
    buttons_.push_back(button);
    addSubview(button);
    layoutButtons();
    return button;
}

void Matrix::layoutButtons() {
    // The first button at the top.
    double y = frame().height() - kRowHeight;
    for (const auto& button : buttons_) {
        button->setFrame({0, y, frame().width(), kRowHeight});
        y -= kRowHeight + kRowGap;
    }
}

long Matrix::selectedTag() const {
    for (const auto& button : buttons_) {
        if (button->state() == OnState) {
            return button->tag();
        }
    }
    return -1;
}

bool Matrix::selectCellWithTag(long tag) {
    Button* chosen = nullptr;
    for (const auto& button : buttons_) {
        if (button->tag() == tag) {
            chosen = button.get();
            break;
        }
    }
    if (!chosen) {
        return false;
    }
    for (const auto& button : buttons_) {
        button->setState(button.get() == chosen ? OnState : OffState);
    }
    return true;
}

void Matrix::setEnabled(bool flag) {
    enabled_ = flag;
    for (const auto& button : buttons_) {
        button->setEnabled(flag);
    }
}

bool Matrix::respondsToAction(std::string_view action) const {
    return action == kClicked || View::respondsToAction(action);
}

bool Matrix::tryToPerform(std::string_view action, Object* sender) {
    if (action != kClicked) {
        return View::tryToPerform(action, sender);
    }
    if (auto* button = dynamic_cast<Button*>(sender)) {
        selectCellWithTag(button->tag());
    }
    if (!action_.empty()) {
        WindowServer::shared().sendAction(action_, target_, this);
    }
    return true;
}

} // namespace platform
