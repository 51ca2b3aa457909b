#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>

class QXToolWindow;
class Toast;

// The small window of one engine toast (an incoming call, a message, a contact coming online
// or going offline, a device change, a notice): a toast-type tool window with the other
// party's name and what happened. The application controller gives it a slot and a place on
// the screen and closes it when the engine takes the toast back or its time is up.
class ToastWindowController : public platform::Object {
public:
    // The size of the toast's content; the window adds its frame around it.
    static constexpr platform::Size contentSize{260, 60};
    // How long a closing toast takes to fade before its window goes.
    static constexpr double fadeDuration = 1.5;

    // `slot` is the screen slot the toast takes, 0 to 49.
    ToastWindowController(std::shared_ptr<Toast> toast, int slot);
    ~ToastWindowController() override;
    ToastWindowController(const ToastWindowController&) = delete;
    ToastWindowController& operator=(const ToastWindowController&) = delete;

    QXToolWindow* window() const { return _window.get(); }
    const std::shared_ptr<Toast>& toast() const { return _toast; }
    int slot() const { return _slot; }

    // Fades the window out and closes it once faded; a window not on screen closes at once.
    void close();
    // The toast closed by the user or by its owner: closes it as close() and tells the
    // closing handler, so the owner can free the slot.
    void close(platform::Object* sender);
    // Lets go of the engine's objects; the controller shows nothing afterwards.
    void cleanUp();

    // Told once when the toast is closed through close(sender).
    using ClosingHandler = std::function<void(ToastWindowController&)>;
    void setClosingHandler(ClosingHandler handler) { _closingHandler = std::move(handler); }

    // The two lines the toast shows.
    std::string title() const;
    std::string message() const;

private:
    std::shared_ptr<Toast> _toast;
    int _slot;
    std::shared_ptr<QXToolWindow> _window;
    ClosingHandler _closingHandler;
    bool _closed = false;
};
