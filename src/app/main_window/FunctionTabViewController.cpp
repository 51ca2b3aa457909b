#include "app/main_window/FunctionTabViewController.h"

#include "platform/foundation/Format.h"
#include "platform/graphics/Color.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

using platform::Rect;

FunctionTabViewController::FunctionTabViewController(std::string title)
    : _title(std::move(title)) {}

FunctionTabViewController::~FunctionTabViewController() = default;

std::shared_ptr<platform::View> FunctionTabViewController::view() {
    if (!_view) {
        _view = std::make_shared<platform::View>(Rect(0, 0, 300, 200));
        _view->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        _notice = platform::TextField::labelWithString({}, Rect(10, 90, 280, 20));
        _notice->setSelectable(true);
        _notice->setAlignment(platform::TextAlignment::Center);
        _notice->setTextColor(platform::Color::colorWithCalibratedWhite(0.45, 1));
        _notice->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin |
                                     platform::ViewMaxYMargin);
        _view->addSubview(_notice);
        setTitle(_title);
    }
    return _view;
}

void FunctionTabViewController::setTitle(std::string title) {
    _title = std::move(title);
    if (_notice)
        _notice->setStringValue(notice());
}

std::string FunctionTabViewController::notice() const {
    return platform::formatString(QXLS("msg.tabs.not_available", "%@ is not available yet."),
                                  _title);
}
