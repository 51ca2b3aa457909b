#include "app/core/ExitAppWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "support/Localization.h"

#include <array>
#include <utility>

namespace {

constexpr std::string_view interfaceName = "ExitApp";

} // namespace

// The interface definition "ExitApp": a titled panel with the message over OK and Cancel,
// OK the default button, Cancel answering Escape.
struct ExitAppBuilder {
    static void build(platform::InterfaceDefinitionLoad& load) {
        auto* owner = dynamic_cast<ExitAppWindowController*>(load.owner());
        auto panel = platform::make<platform::Panel>(platform::Rect{0, 0, 360, 110},
                                                     platform::TitledWindowMask);
        panel->setTitle(platform::Bundle::mainBundle().bundleName());
        platform::View* content = panel->contentView();

        auto message = platform::TextField::labelWithString({}, platform::Rect{20, 50, 320, 44});
        message->cell()->setWraps(true);
        content->addSubview(message);

        auto button = [&](const platform::Rect& frame, std::string title, std::string action,
                          std::string key) {
            auto result = std::make_shared<platform::Button>(frame);
            result->setTitle(std::move(title));
            result->setAction(std::move(action));
            result->setTarget(owner);
            result->setKeyEquivalent(std::move(key));
            content->addSubview(result);
            return result;
        };
        auto ok = button({260, 12, 80, 28}, QXLS("msg.opt.dialog.button.ok", "OK"), "ok:", "\r");
        auto cancel = button({170, 12, 80, 28}, QXLS("msg.opt.dialog.button.cancel", "Cancel"),
                             "cancel:", "\x1b");

        load.addTopLevelObject(panel);
        if (!owner)
            return;
        owner->_window = panel;
        owner->_ibMessage = message;
        owner->_okButton = ok;
        owner->_cancelButton = cancel;
    }
};

void ExitAppWindowController::registerInterfaceDefinition() {
    if (!platform::InterfaceDefinition::isRegistered(interfaceName))
        platform::InterfaceDefinition::registerDefinition(std::string(interfaceName),
                                                          &ExitAppBuilder::build);
}

ExitAppWindowController::ExitAppWindowController() {
    registerInterfaceDefinition();
    if (!platform::InterfaceDefinition::load(interfaceName, this))
        platform::Log("The exit window cannot be loaded");
}

ExitAppWindowController::~ExitAppWindowController() {
    if (_okButton)
        _okButton->setTarget(nullptr);
    if (_cancelButton)
        _cancelButton->setTarget(nullptr);
    if (_window)
        _window->orderOut(nullptr);
}

bool ExitAppWindowController::runModal(const std::string& message) {
    if (!_window)
        return false;
    // Top edge on the main window's top edge, centred on it horizontally.
    platform::Point topLeft;
    if (platform::Window* main = platform::Application::sharedApplication().mainWindow()) {
        const platform::Rect frame = main->frame();
        topLeft = {frame.origin.x + frame.size.width / 2 - _window->frame().size.width / 2,
                   frame.origin.y + frame.size.height};
    }
    _window->setFrameTopLeftPoint(topLeft);
    _window->makeKeyAndOrderFront(this);
    if (_ibMessage)
        _ibMessage->setStringValue(message);
    // The window may be answered and taken off the screen inside the modal run.
    const auto window = _window;
    platform::Application::sharedApplication().runModalForWindow(*window);
    return _exit;
}

void ExitAppWindowController::ok(platform::Object* /*sender*/) {
    finish(true);
}

void ExitAppWindowController::cancel(platform::Object* /*sender*/) {
    finish(false);
}

void ExitAppWindowController::finish(bool exit) {
    _exit = exit;
    platform::Application::sharedApplication().abortModal();
    if (_window)
        _window->orderOut(this);
}

namespace {

using Action = void (ExitAppWindowController::*)(platform::Object*);
constexpr std::array<std::pair<std::string_view, Action>, 2> actions{{
    {"ok:", &ExitAppWindowController::ok},
    {"cancel:", &ExitAppWindowController::cancel},
}};

} // namespace

bool ExitAppWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    for (const auto& [name, member] : actions) {
        if (name == action) {
            (this->*member)(sender);
            return true;
        }
    }
    return false;
}

bool ExitAppWindowController::respondsToAction(std::string_view action) const {
    for (const auto& [name, member] : actions) {
        if (name == action)
            return true;
    }
    return false;
}
