#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {
class Button;
class InterfaceDefinitionLoad;
class TextField;
class Window;
} // namespace platform

// A small modal window that asks whether to exit, with a message and OK and Cancel, placed
// at the top of the main window. Made from the interface definition "ExitApp".
class ExitAppWindowController : public platform::Object, public platform::ActionTarget {
public:
    // Loads "ExitApp"; the answer starts as NO.
    ExitAppWindowController();
    ~ExitAppWindowController() override;
    ExitAppWindowController(const ExitAppWindowController&) = delete;
    ExitAppWindowController& operator=(const ExitAppWindowController&) = delete;

    // Registered by the constructor on first use.
    static void registerInterfaceDefinition();

    // Shows the message in the window, top edge on the main window's top edge and centred on
    // it, runs the window modally and answers whether OK ended it.
    bool runModal(const std::string& message);
    // End the modal run with YES or NO and take the window off the screen.
    void ok(platform::Object* sender);
    void cancel(platform::Object* sender);

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    platform::Window* window() const { return _window.get(); }
    platform::TextField* message() const { return _ibMessage.get(); }
    platform::Button* okButton() const { return _okButton.get(); }
    platform::Button* cancelButton() const { return _cancelButton.get(); }

private:
    friend struct ExitAppBuilder;
    void finish(bool exit);

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TextField> _ibMessage;
    std::shared_ptr<platform::Button> _okButton;
    std::shared_ptr<platform::Button> _cancelButton;
    bool _exit = false;
};
