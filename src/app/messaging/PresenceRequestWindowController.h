#pragma once

#include "engine/PresenceService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Control.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <vector>

class OVContactManager;
class OVEntity;
class PhoneService;

namespace platform {
class Button;
class PopUpButton;
class TextField;
} // namespace platform

// The one window that asks the user whether another party may see their presence: who asks,
// on which account, the name to keep the person under and the group to put them in, and the
// answers allow, ignore and block. Allowing also keeps the person among the contacts (a chat
// contact already there is renamed and filed into the group instead of added twice). It shows
// one request at a time; once that is answered it takes the next waiting request from the
// application controller (nextPresenceRequest) and hides when none is left.
class PresenceRequestWindowController : public platform::Object,
                                        public platform::WindowDelegate,
                                        public platform::ActionTarget {
public:
    // Where the window's frame is kept between runs: it comes back where the user left it.
    static constexpr std::string_view frameDefaultsKey = "NSWindow Frame PresenceRequestWindow";

    // Made on first use.
    static PresenceRequestWindowController& sharedPresenceRequestWindowController();
    static bool sharedPresenceRequestWindowControllerExists();
    static void releaseSharedPresenceRequestWindowController();

    PresenceRequestWindowController();
    ~PresenceRequestWindowController() override;
    PresenceRequestWindowController(const PresenceRequestWindowController&) = delete;
    PresenceRequestWindowController& operator=(const PresenceRequestWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // Shows the request. While the application is not to come forward and another window is
    // key, the window goes beside that one, just behind it, without taking the focus.
    void showPresenceRequest(std::shared_ptr<PresenceRequest> request);
    // Shows the next waiting request, or hides the window when none is left; answers whether
    // one was shown.
    bool processNextPresenceRequest();
    const std::shared_ptr<PresenceRequest>& request() const { return _request; }
    int shownCount() const { return _shownCount; }
    // Fills the group pop-up and the contact list again (the contacts changed).
    void updateContent();

    // The user's answers to the request shown. Allowing a request of an account that is not
    // enabled answers nothing and moves on.
    void allow(platform::Object* sender);
    void ignore(platform::Object* sender);
    void block(platform::Object* sender);
    void groupChanged(platform::Object* sender);

    // What the window shows.
    std::string messageText() const;
    platform::TextField* displayAsField() const { return _displayAs.get(); }
    platform::PopUpButton* groupsPopUp() const { return _groups.get(); }
    platform::Button* blockButton() const { return _blockButton.get(); }
    platform::TextField* blockText() const { return _blockText.get(); }
    platform::TextField* inviteText() const { return _inviteText.get(); }
    // The writable contacts, by display name.
    const std::vector<std::shared_ptr<OVEntity>>& contacts() const { return _contacts; }

    // Closing ignores the request shown and shows the next; the window closes only when none
    // is left.
    bool windowShouldClose(platform::Window& sender) override;
    void windowDidMove(platform::Window& window) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void buildWindow();
    void restoreFrame();
    void setup();
    void addContact();
    // The group chosen in the pop-up, nullptr for the placeholder.
    std::shared_ptr<OVEntity> selectedGroup() const;

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TextField> _messageText;
    std::shared_ptr<platform::TextField> _displayAsLabel;
    std::shared_ptr<platform::TextField> _displayAs;
    std::shared_ptr<platform::TextField> _groupLabel;
    std::shared_ptr<platform::PopUpButton> _groups;
    std::shared_ptr<platform::TextField> _inviteText;
    std::shared_ptr<platform::TextField> _blockText;
    std::shared_ptr<platform::Button> _allowButton;
    std::shared_ptr<platform::Button> _ignoreButton;
    std::shared_ptr<platform::Button> _blockButton;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<OVContactManager> _contactManager;
    std::shared_ptr<PresenceRequest> _request;
    // The groups of the pop-up's items, in order; nullptr for the placeholder.
    std::vector<std::shared_ptr<OVEntity>> _groupItems;
    std::vector<std::shared_ptr<OVEntity>> _contacts;
    long _selectedGroupIndex = 0;
    int _shownCount = 0;
};
