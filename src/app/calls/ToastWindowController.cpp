#include "app/calls/ToastWindowController.h"

#include "engine/ToastService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/View.h"
#include "support/Localization.h"
#include "widgets/QXToolWindow.h"

namespace {

std::string deviceText(Toast::DeviceEvent event) {
    switch (event) {
    case Toast::DeviceEvent::ringer:
        return QXLS("msg.toast.device.ringer", "Ringer device changed");
    case Toast::DeviceEvent::camera:
        return QXLS("msg.toast.device.camera", "Camera changed");
    case Toast::DeviceEvent::headsetIn:
        return QXLS("msg.toast.device.headset_in", "Headset connected");
    case Toast::DeviceEvent::headsetOut:
        return QXLS("msg.toast.device.headset_out", "Headset disconnected");
    case Toast::DeviceEvent::speakerPhoneIn:
        return QXLS("msg.toast.device.speakerphone_in", "Speakerphone connected");
    case Toast::DeviceEvent::speakerPhoneOut:
        return QXLS("msg.toast.device.speakerphone_out", "Speakerphone disconnected");
    case Toast::DeviceEvent::none:
        break;
    }
    return QXLS("msg.toast.device.changed", "Audio device changed");
}

} // namespace

// The toast's face: a dark rounded panel with the name above what happened. A click on a
// notice closes it; a ringing call is left to the call area's controls.
class ToastView : public platform::View {
public:
    ToastView(const platform::Rect& frame, std::string title, std::string message,
              bool closesOnClick)
        : View(frame), title_(std::move(title)), message_(std::move(message)),
          closesOnClick_(closesOnClick) {}

    void setOwner(ToastWindowController* owner) { owner_ = owner; }

    void drawRect(const platform::Rect& /*dirtyRect*/) override {
        const platform::Rect area = bounds().insetBy(1, 1);
        platform::Color(0.12, 0.14, 0.18, 0.92).setFill();
        platform::BezierPath::bezierPathWithRoundedRect(area, 8, 8).fill();

        platform::TextAttributes titleAttributes;
        titleAttributes.font = platform::Font::boldSystemFontOfSize(13);
        titleAttributes.foregroundColor = platform::Color::whiteColor();
        platform::TextAttributes messageAttributes;
        messageAttributes.font = platform::Font::systemFontOfSize(11);
        messageAttributes.foregroundColor = platform::Color(0.8, 0.82, 0.86);
        const double width = area.width() - 24;
        platform::drawInRect(title_, platform::Rect(area.minX() + 12, area.maxY() - 28, width, 18),
                             titleAttributes);
        platform::drawInRect(message_,
                             platform::Rect(area.minX() + 12, area.maxY() - 46, width, 16),
                             messageAttributes);
    }

    bool acceptsFirstMouse(const platform::Event* /*event*/) override { return true; }
    void mouseDown(const platform::Event& /*event*/) override {
        if (closesOnClick_ && owner_) {
            owner_->close(this);
        }
    }

private:
    std::string title_;
    std::string message_;
    bool closesOnClick_;
    ToastWindowController* owner_ = nullptr;
};

ToastWindowController::ToastWindowController(std::shared_ptr<Toast> toast, int slot)
    : _toast(std::move(toast)), _slot(slot) {
    _window = platform::make<QXToolWindow>();
    _window->setType(QXToolWindow::toastType());
    auto view =
        platform::make<ToastView>(platform::Rect(platform::Point(), contentSize), title(),
                                  message(), !_toast || _toast->type() != Toast::typeIncomingCall);
    view->setOwner(this);
    _window->setContentView(view);
}

ToastWindowController::~ToastWindowController() {
    if (auto* view = dynamic_cast<ToastView*>(_window->contentView())) {
        view->setOwner(nullptr);
    }
    if (!_closed) {
        _window->forceClose();
    }
}

std::string ToastWindowController::title() const {
    if (!_toast) {
        return {};
    }
    if (!_toast->display().empty()) {
        return _toast->display();
    }
    return _toast->addressToDisplay();
}

std::string ToastWindowController::message() const {
    if (!_toast) {
        return {};
    }
    switch (_toast->type()) {
    case Toast::typeIncomingCall:
        return _toast->videoRequestedIncomingCall()
                   ? QXLS("msg.toast.incoming_video_call", "Incoming video call")
                   : QXLS("msg.toast.incoming_call", "Incoming call");
    case Toast::typeNewIM:
        return QXLS("msg.toast.new_message", "New message");
    case Toast::typeContactOnline:
        return QXLS("msg.toast.online", "is now online");
    case Toast::typeContactOffline:
        return QXLS("msg.toast.offline", "went offline");
    case Toast::typeDevice:
        return deviceText(_toast->deviceEvent());
    case Toast::typeAlertList:
        return QXLS("msg.toast.alert_list", "is available");
    default:
        return _toast->addressToDisplay();
    }
}

void ToastWindowController::close() {
    if (_closed) {
        return;
    }
    _closed = true;
    if (!_window->isVisible()) {
        _window->forceClose();
        return;
    }
    // A toast fades and stays in, transparent, until its owner closes it; the timer keeps the
    // window alive for that long even when this controller has gone.
    _window->orderOut(this);
    platform::Timer::scheduledTimerWithTimeInterval(
        fadeDuration, false, [window = _window](platform::Timer&) { window->forceClose(); });
}

void ToastWindowController::close(platform::Object* /*sender*/) {
    close();
    // The handler may drop this controller; nothing here is touched after it.
    if (auto handler = std::move(_closingHandler)) {
        handler(*this);
    }
}

void ToastWindowController::cleanUp() {
    _toast.reset();
}
