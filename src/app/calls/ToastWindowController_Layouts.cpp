// The five windows of the toasts, one per kind: incoming call, message, presence change,
// device change and alert-list notice. Each is a dark rounded panel with a caption on top.
#include "app/calls/ToastWindowController.h"
#include "app/core/AppController.h"
#include "engine/ToastService.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "widgets/QXConstraintLayoutManager.h"
#include "widgets/QXImageButton.h"

namespace {

using platform::Rect;

constexpr double kWidth = 280;

// The toast's face.
class ToastBackground : public platform::View {
public:
    using View::View;
    void drawRect(const Rect& /*dirtyRect*/) override {
        platform::Color(0.12, 0.14, 0.18, 0.94).setFill();
        platform::BezierPath::bezierPathWithRoundedRect(bounds().insetBy(1, 1), 8, 8).fill();
    }
    bool acceptsFirstMouse(const platform::Event* /*event*/) override { return true; }
};

std::shared_ptr<platform::TextField> line(platform::View& content, const Rect& frame, double size,
                                          bool bold = false, bool dim = false) {
    auto field = platform::TextField::labelWithString(
        {}, frame,
        bold ? platform::Font::boldSystemFontOfSize(size) : platform::Font::systemFontOfSize(size));
    field->setTextColor(dim ? platform::Color(0.78, 0.8, 0.84) : platform::Color::whiteColor());
    content.addSubview(field);
    return field;
}

std::shared_ptr<platform::ImageView> picture(platform::View& content, const Rect& frame) {
    auto view = std::make_shared<platform::ImageView>(frame);
    content.addSubview(view);
    return view;
}

std::shared_ptr<platform::Button> plainButton(platform::View& content, const Rect& frame,
                                              const std::string& title, std::string action,
                                              ToastWindowController& target) {
    auto button = std::make_shared<platform::Button>(frame);
    button->setTitle(title);
    button->setAction(std::move(action));
    button->setTarget(&target);
    content.addSubview(button);
    return button;
}

// The close box at the top right of every toast but the incoming call's.
std::shared_ptr<platform::Button> closeBox(platform::View& content, double height,
                                           ToastWindowController& target) {
    auto button =
        plainButton(content, Rect(kWidth - 26, height - 24, 18, 18), "\u00d7", "close:", target);
    button->setBordered(false);
    return button;
}

// A call button in the brand's look of the call panels' answer or end buttons.
std::shared_ptr<QXImageButton> callButton(platform::View& content, const std::string& title,
                                          bool ends, std::string action,
                                          ToastWindowController& target) {
    static const platform::Value empty;
    auto* app = AppController::sharedAppController();
    const platform::Value& brand = app ? app->brandDict()["ConversationView"] : empty;
    auto button = std::make_shared<QXImageButton>(Rect(0, 0, 64, 24));
    if (brand["ButtonShape"].isArray())
        button->setShape(brand["ButtonShape"]);
    const auto apply = [&](const char* section, const char* key) {
        if (const std::string* text = brand[section][key].string())
            button->setProperties(*text);
    };
    if (ends) {
        apply("ButtonEnd", "Geometry");
        apply("ButtonEnd", "GradientEnd");
    } else {
        apply("IncomingButtons", "Geometry");
        apply("ButtonAnswer", "GradientAnswer");
    }
    button->setTitle(title);
    // Wide enough for the whole title in the brand's font, never narrower than the brand's.
    platform::TextAttributes attributes;
    attributes.font = button->font();
    const double fitting = platform::sizeWithAttributes(title, attributes).width + 20;
    if (fitting > button->frame().width())
        button->setFrameSize(platform::Size(fitting, button->frame().height()));
    button->setAction(std::move(action));
    button->setTarget(&target);
    content.addSubview(button);
    return button;
}

} // namespace

void ToastWindowController::loadWindow() {
    const int type = _toast ? _toast->type() : Toast::typeIncomingCall;
    double height = 0;
    switch (type) {
    case Toast::typeNewIM:
        height = 78;
        break;
    case Toast::typeContactOnline:
    case Toast::typeContactOffline:
        height = 78;
        break;
    case Toast::typeDevice:
        height = 112;
        break;
    case Toast::typeAlertList:
        height = 100;
        break;
    default:
        height = 112;
        break;
    }
    _window = platform::make<ToastWindow>();
    _window->setType(QXToolWindow::toastType());
    _window->setController(this);
    auto content = platform::make<ToastBackground>(Rect(0, 0, kWidth, height));
    _o.caption = line(*content, Rect(12, height - 24, kWidth - 44, 16), 11, true);
    switch (type) {
    case Toast::typeNewIM:
        buildIMLayout(*content);
        break;
    case Toast::typeContactOnline:
    case Toast::typeContactOffline:
        buildPresenceLayout(*content);
        break;
    case Toast::typeDevice:
        buildDeviceLayout(*content);
        break;
    case Toast::typeAlertList:
        buildAlertLayout(*content);
        break;
    default:
        buildCallLayout(*content);
        break;
    }
    _window->setContentView(content);
}

void ToastWindowController::buildCallLayout(platform::View& content) {
    _o.avatar = picture(content, Rect(12, 44, 40, 40));
    _o.displayNameText = line(content, Rect(60, 68, kWidth - 72, 18), 13, true);
    _o.addressText = line(content, Rect(60, 52, kWidth - 72, 16), 11, false, true);
    _o.accountUsedText = line(content, Rect(60, 36, kWidth - 72, 14), 10, false, true);
    // The buttons' row, in a view of its own so that the row's constraints see its edges.
    auto row = std::make_shared<platform::View>(Rect(12, 8, kWidth - 29, 24));
    content.addSubview(row);
    _o.video = callButton(*row, QXLS("msg.toast.button.video", "Video"), false, "answer:", *this);
    _o.answerWithAudioOnly = callButton(*row, QXLS("msg.toast.button.audio_only", "Audio"), false,
                                        "answerWithAudioOnly:", *this);
    _o.answer =
        callButton(*row, QXLS("msg.toast.button.answer", "Answer"), false, "answer:", *this);
    _o.decline =
        callButton(*row, QXLS("msg.toast.button.decline", "Decline"), true, "decline:", *this);
    using C = QXViewConstraint;
    auto& layout = *_callButtonsLayout;
    layout.addConstraint(C(C::MinX, nullptr, C::MinX, 0), _o.video);
    layout.addConstraint(C(C::MinY, nullptr, C::MinY, 0), _o.video);
    layout.addConstraint(C(C::MinX, _o.video, C::MaxX, 5), _o.answerWithAudioOnly);
    layout.addConstraint(C(C::MinY, nullptr, C::MinY, 0), _o.answerWithAudioOnly);
    layout.addConstraint(C(C::MinX, _o.answerWithAudioOnly, C::MaxX, 5), _o.answer);
    layout.addConstraint(C(C::MinY, nullptr, C::MinY, 0), _o.answer);
    layout.addConstraint(C(C::MaxX, nullptr, C::MaxX, 5), _o.decline);
    layout.addConstraint(C(C::MinY, nullptr, C::MinY, 0), _o.decline);
    _o.caption->setFrame(Rect(12, 90, kWidth - 24, 16));
}

void ToastWindowController::buildIMLayout(platform::View& content) {
    _o.avatar = picture(content, Rect(12, 10, 36, 36));
    _o.message = line(content, Rect(56, 24, kWidth - 68, 28), 12);
    _o.displayNameText = line(content, Rect(56, 8, kWidth - 68, 14), 10, false, true);
    _o.close = closeBox(content, content.frame().height(), *this);
}

void ToastWindowController::buildPresenceLayout(platform::View& content) {
    _o.avatar = picture(content, Rect(12, 10, 36, 36));
    _o.presenceLabel = line(content, Rect(56, 30, kWidth - 68, 18), 13, true);
    _o.presenceStatusIcon = picture(content, Rect(56, 10, 16, 16));
    _o.presenceStatusText = line(content, Rect(76, 10, kWidth - 88, 16), 11, false, true);
    _o.close = closeBox(content, content.frame().height(), *this);
}

void ToastWindowController::buildDeviceLayout(platform::View& content) {
    const auto caption = [&](double y, const std::string& text) {
        line(content, Rect(12, y, 90, 14), 10, false, true)->setStringValue(text);
    };
    caption(66, QXLS("msg.toast.label.headset", "Headset:"));
    _o.headsetText = line(content, Rect(104, 66, kWidth - 116, 14), 10);
    caption(50, QXLS("msg.toast.label.speakerphone", "Speakerphone:"));
    _o.speakerphoneText = line(content, Rect(104, 50, kWidth - 116, 14), 10);
    caption(34, QXLS("msg.toast.label.ringer", "Ringer:"));
    _o.ringerText = line(content, Rect(104, 34, kWidth - 116, 14), 10);
    _o.cameraCaption = line(content, Rect(12, 18, 90, 14), 10, false, true);
    _o.cameraCaption->setStringValue(QXLS("msg.toast.label.camera", "Camera:"));
    _o.cameraText = line(content, Rect(104, 18, kWidth - 116, 14), 10);
    _o.configureDevice = plainButton(content, Rect(kWidth - 104, 2, 92, 16),
                                     QXLS("msg.toast.button.configure", "Configure..."),
                                     "showDevicePreference:", *this);
    _o.configureDevice->setBordered(false);
    _o.close = closeBox(content, content.frame().height(), *this);
}

void ToastWindowController::buildAlertLayout(platform::View& content) {
    _o.avatar = picture(content, Rect(12, 34, 36, 36));
    _o.displayNameText = line(content, Rect(56, 56, kWidth - 68, 18), 13, true);
    _o.presenceStatusText = line(content, Rect(56, 38, kWidth - 68, 16), 11, false, true);
    _o.keepOnAlertList = plainButton(content, Rect(12, 8, kWidth - 24, 18),
                                     QXLS("msg.toast.keep_on_alert_list", "Keep on alert list"),
                                     "keepOnAlertList:", *this);
    _o.keepOnAlertList->setButtonType(platform::SwitchButton);
    _o.close = closeBox(content, content.frame().height(), *this);
}
