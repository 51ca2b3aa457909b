#include "platform/kit/Application.h"
#include "platform/kit/Window.h"

namespace platform {

std::vector<Window*> Application::windows() const {
    return WindowServer::shared().windows();
}

Window* Application::keyWindow() const {
    return WindowServer::shared().keyWindow();
}

Window* Application::mainWindow() const {
    return WindowServer::shared().mainWindow();
}

const Event* Application::currentEvent() const {
    return WindowServer::shared().currentEvent();
}

void Application::sendEvent(const Event& event) {
    WindowServer::shared().sendEvent(event);
}

void Application::postEvent(const Event& event, bool atStart) {
    WindowServer::shared().postEvent(event, atStart);
}

std::optional<Event> Application::nextEventMatchingMask(EventMask mask, TimeInterval untilDate,
                                                        RunLoopMode mode, bool dequeue) {
    return WindowServer::shared().nextEventMatchingMask(mask, untilDate, mode, dequeue);
}

void Application::discardEventsMatchingMask(EventMask mask, TimeInterval beforeTimestamp) {
    WindowServer::shared().discardEventsMatchingMask(mask, beforeTimestamp);
}

bool Application::sendAction(std::string_view action, ActionTarget* target, Object* sender) {
    return WindowServer::shared().sendAction(action, target, sender);
}

ActionTarget* Application::targetForAction(std::string_view action, ActionTarget* target,
                                           Object* sender) const {
    return WindowServer::shared().targetForAction(action, target, sender);
}

int Application::runModalForWindow(Window& window) {
    return WindowServer::shared().runModalForWindow(window);
}

void Application::stopModal() {
    WindowServer::shared().stopModal();
}

void Application::stopModalWithCode(int returnCode) {
    WindowServer::shared().stopModalWithCode(returnCode);
}

void Application::abortModal() {
    WindowServer::shared().abortModal();
}

Window* Application::modalWindow() const {
    return WindowServer::shared().modalWindow();
}

void Application::beginSheet(Window& sheet, Window& parent,
                             WindowServer::SheetCompletion completion) {
    WindowServer::shared().beginSheet(sheet, parent, std::move(completion));
}

void Application::endSheet(Window& sheet, int returnCode) {
    WindowServer::shared().endSheet(sheet, returnCode);
}

bool Application::respondsToAction(std::string_view action) const {
    return action == "terminate:" || action == "hide:" || action == "unhide:" || action == "stop:";
}

bool Application::tryToPerform(std::string_view action, Object* sender) {
    if (action == "terminate:")
        terminate(sender);
    else if (action == "hide:")
        hide(sender);
    else if (action == "unhide:")
        unhide(sender);
    else if (action == "stop:")
        stop(sender);
    else
        return false;
    return true;
}

} // namespace platform
