#pragma once

#include "engine/ConversationService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"

#include <memory>
#include <string>

class ConversationViewController;

namespace platform {
class Button;
class ImageView;
class InterfaceDefinitionLoad;
class TextField;
class Timer;
} // namespace platform

// The view of one participant row: it takes the keyboard focus when clicked.
class ParticipantView : public platform::View {
public:
    using platform::View::View;
    bool acceptsFirstResponder() const override { return true; }
    bool becomeFirstResponder() override { return true; }
    bool resignFirstResponder() override { return true; }
};

// The outlets of the interface definition "ParticipantView".
struct ParticipantViewOutlets {
    std::shared_ptr<ParticipantView> participantView;
    std::shared_ptr<platform::ImageView> avatar;
    std::shared_ptr<platform::TextField> callerLine, numberLine;
    std::shared_ptr<platform::Button> actionMenuButton, addContactButton;
};

// One row of a call panel for one remote party of its call: the party's name with the video
// and remote-hold marks, its number (with its label when a contact holds it), its avatar, a
// button that adds an unknown caller to the contacts and, in a conference, a menu of what can
// be done to that party alone. It follows the party's and its address's callbacks; a party
// that failed to connect is hung up 4 seconds later unless the row is cleaned up first.
class ParticipantViewController : public platform::Object,
                                  public platform::ActionTarget,
                                  public platform::MenuDelegate,
                                  public OVParticipantPro,
                                  public OVAddressPro {
public:
    ParticipantViewController(std::shared_ptr<Participant> participant,
                              ConversationViewController* parentController);
    ~ParticipantViewController() override;
    ParticipantViewController(const ParticipantViewController&) = delete;
    ParticipantViewController& operator=(const ParticipantViewController&) = delete;

    static void registerDefinition();
    static void buildDefinition(platform::InterfaceDefinitionLoad& load);
    // Loads the definition with this controller as its owner; false when it gave no row.
    bool instantiate();
    void setOutlets(ParticipantViewOutlets outlets) { _o = std::move(outlets); }
    void awakeFromNib();

    std::shared_ptr<ParticipantView> view() const { return _o.participantView; }
    const ParticipantViewOutlets& outlets() const { return _o; }
    std::shared_ptr<Participant> participant() const { return _participant; }
    std::shared_ptr<platform::Menu> actionsMenu() const { return _actionsMenu; }
    bool callEndTimerRunning() const { return _callEndTimer != nullptr; }

    void initialize();
    void updateDisplayName();
    void appendDisplayName(const std::string& text);
    void menuNeedsUpdate(platform::Menu& menu) override;
    void cleanup();

    // Actions.
    void addToContactList(platform::Object* sender);
    void contextSeparate(platform::Object* sender);
    void contextSendIM(platform::Object* sender);
    void contextSendSMS(platform::Object* sender);
    void contextEnd(platform::Object* sender);
    void contextStartVideo(platform::Object* sender);
    void contextStopVideo(platform::Object* sender);
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Engine callbacks.
    void isConferenceChange(bool inConference) override;
    void transferStatusChanged(const std::shared_ptr<Participant>& participant, int status,
                               const std::string& target) override;
    void connectionStatusChanged(const std::shared_ptr<Participant>& participant,
                                 int status) override;
    void isHoldingRemotelyChanged(const std::shared_ptr<Participant>& participant,
                                  bool onHold) override;
    void audioOnlyUpdate() override;
    void beingRedirected(const std::shared_ptr<Participant>& participant,
                         const std::string& target) override;
    void ovadIsContactUpdate(bool isContact) override;
    void ovadAddressUpdate() override;

private:
    void stopCallEndTimer();

    ParticipantViewOutlets _o;
    std::shared_ptr<platform::Menu> _actionsMenu;
    std::shared_ptr<Participant> _participant;
    std::shared_ptr<CallInfo> _callInfo;
    std::shared_ptr<OVAddress> _callAddress;
    ConversationViewController* _parentController = nullptr;
    std::shared_ptr<platform::Timer> _callEndTimer;
    // Cleared when the timer is stopped, so that a firing already under way does nothing.
    std::shared_ptr<bool> _callEndAlive;
    bool _observing = false;
};
