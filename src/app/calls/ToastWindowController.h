#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Responder.h"
#include "widgets/QXToolWindow.h"

#include <functional>
#include <memory>
#include <string>

class OVEntity;
class OVPresenceData;
class PhoneService;
class QXImageButton;
class QXViewConstraintLayoutManager;
class Toast;
class ToastWindowController;
namespace platform {
class Button;
class ImageView;
class TextField;
class View;
} // namespace platform

// The borderless tool window of a toast, of the toast type; a click on it goes to its
// controller after the window's own handling.
class ToastWindow : public QXToolWindow {
public:
    ToastWindowController* controller() const { return _controller; }
    void setController(ToastWindowController* controller) { _controller = controller; }
    void sendEvent(const platform::Event& event) override;

private:
    ToastWindowController* _controller = nullptr; // not owned
};

// The window of one engine toast: an incoming call with its answer and decline buttons, a
// first message, a contact coming online or going offline, a change of audio or video
// devices, or an alert-list notice. The application controller gives it a slot and a place on
// the screen and closes it when the engine takes the toast back or its time is up.
class ToastWindowController : public platform::Object, public platform::ActionTarget {
public:
    // How long a closing toast takes to fade before its window goes.
    static constexpr double fadeDuration = 1.5;

    // `slot` is the screen slot the toast takes, 0 to 49; kept, never interpreted.
    ToastWindowController(std::shared_ptr<Toast> toast, int slot);
    ~ToastWindowController() override;
    ToastWindowController(const ToastWindowController&) = delete;
    ToastWindowController& operator=(const ToastWindowController&) = delete;

    ToastWindow* window() const { return _window.get(); }
    const std::shared_ptr<Toast>& toast() const { return _toast; }
    int slot() const { return _slot; }
    const std::shared_ptr<OVPresenceData>& presence() const { return _presence; }
    const std::shared_ptr<OVEntity>& contact() const { return _contact; }
    bool videoEnabled() const { return _videoEnabled; }

    // The buttons' actions.
    void answer(platform::Object* sender);
    void answerWithAudioOnly(platform::Object* sender);
    void decline(platform::Object* sender);
    void showDevicePreference(platform::Object* sender);
    void keepOnAlertList(platform::Object* sender);
    // Calls the contact, or opens a chat with them, and closes the toast.
    void audioCall(platform::Object* sender);
    bool canAudioCall() const;
    void sendIM(platform::Object* sender);
    bool canSendIM() const;
    // A click on the window: a message toast brings its chat window to the front, an
    // alert-list toast opens the contact's editor.
    void mouseDown(const platform::Event& event);

    // Fades the window out and closes it once faded; a window not on screen closes at once.
    // Stops every button and observer first.
    void close();
    // The toast closed by the user: the alert-list choice is kept, then the closing handler
    // tells the owner, who frees the slot.
    void close(platform::Object* sender);
    // The alert-list choice is kept and every button stops; the controller shows nothing
    // afterwards.
    void cleanUp();

    // Told once when the toast is closed through close(sender).
    using ClosingHandler = std::function<void(ToastWindowController&)>;
    void setClosingHandler(ClosingHandler handler) { _closingHandler = std::move(handler); }

    // What the toast shows: its caption and the other party's name line.
    std::string title() const;
    std::string message() const;

    // The window's controls, for the program's tests; null where the kind has none.
    struct Outlets {
        std::shared_ptr<platform::TextField> caption, message, presenceLabel, presenceStatusText,
            headsetText, speakerphoneText, cameraCaption, cameraText, displayNameText, addressText,
            accountUsedText, ringerText;
        std::shared_ptr<platform::ImageView> presenceStatusIcon, avatar;
        std::shared_ptr<QXImageButton> answer, video, answerWithAudioOnly, decline;
        std::shared_ptr<platform::Button> keepOnAlertList, close, configureDevice;
    };
    const Outlets& outlets() const { return _o; }

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    // The window of the toast's kind, its controls in _o (ToastWindowController_Layouts.cpp).
    void loadWindow();
    void buildCallLayout(platform::View& content);
    void buildIMLayout(platform::View& content);
    void buildPresenceLayout(platform::View& content);
    void buildDeviceLayout(platform::View& content);
    void buildAlertLayout(platform::View& content);
    void windowDidLoad();
    void fillCallToast();
    void updateAvatar();
    void removeMyselfAsTargetFromView(platform::View& view);
    void disableButtons();

    std::shared_ptr<Toast> _toast;
    int _slot;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<OVPresenceData> _presence;
    std::shared_ptr<OVEntity> _contact;
    bool _videoEnabled = false;
    std::shared_ptr<ToastWindow> _window;
    Outlets _o;
    std::unique_ptr<QXViewConstraintLayoutManager> _callButtonsLayout;
    // Hears the message toast's session until its first message.
    class SessionListener;
    std::unique_ptr<SessionListener> _sessionListener;
    void stopListeningToSession();
    ClosingHandler _closingHandler;
    bool _closed = false;
};
