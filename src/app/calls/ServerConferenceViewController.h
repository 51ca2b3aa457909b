#pragma once

#include "app/calls/CallDurationClock.h"
#include "app/calls/ConversationViewPr.h"
#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <memory>
#include <string>

class ConversationView;
class QXBezierButton;
class QXCollectionViewItem;

namespace platform {
class Button;
class InterfaceDefinitionLoad;
class ProgressIndicator;
class TextField;
class Timer;
} // namespace platform

// The outlets of the interface definition "ServerConferenceConversationView".
struct ServerConferenceOutlets {
    std::shared_ptr<ConversationView> conversationView;
    std::shared_ptr<platform::TextField> callTimer, title, description, connectionStatus,
        recordingLabel;
    std::shared_ptr<QXBezierButton> hold, resume, end, addCalls;
    std::shared_ptr<platform::Button> mute, recordingStop;
    std::shared_ptr<platform::ProgressIndicator> recordingProgress;
};

// The panel of a conference held on a conference server (the conference bridge), shown by the
// call area in place of an ordinary call panel: the title, a welcome text, a status line made
// from the conference's and its parties' states, the running call-duration clock, hold,
// resume, end, add-calls and mute buttons and the recording marks. When the conference ends
// the panel stays 4 seconds, then asks the call area to remove it.
class ServerConferenceViewController : public platform::Object,
                                       public platform::ActionTarget,
                                       public OVConversationBasePro,
                                       public ConversationViewPr {
public:
    explicit ServerConferenceViewController(std::shared_ptr<Conversation> conversation);
    ~ServerConferenceViewController() override;
    ServerConferenceViewController(const ServerConferenceViewController&) = delete;
    ServerConferenceViewController& operator=(const ServerConferenceViewController&) = delete;

    static void registerDefinition();
    static void buildDefinition(platform::InterfaceDefinitionLoad& load);
    bool instantiate();
    void setOutlets(ServerConferenceOutlets outlets) { _o = std::move(outlets); }
    void awakeFromNib();

    std::shared_ptr<QXCollectionViewItem> conversationViewItem() const { return _viewItem; }
    const ServerConferenceOutlets& outlets() const { return _o; }
    platform::TextField* callTimerTextField() const { return _o.callTimer.get(); }
    std::shared_ptr<PhoneService> phoneService() const { return _phoneService; }
    std::shared_ptr<Conversation> conversation() const { return _conversation; }
    // The running clock, nullptr before the conference connected and after it ended.
    CallDurationClock* callDurationClock() const { return _callTimer.get(); }
    bool removalPending() const { return _callEndTimer != nullptr; }

    bool isEnding() const;
    bool isLocalOnHold() const;
    void newCallAdded() { updateStatusMessage(nullptr); }
    void updateStatusMessage(const std::shared_ptr<Participant>& participant);
    void updateCallButtons();
    // The call area lets the panel go: the clock and the removal timer stop, delegates go.
    void cleanup();

    // Actions.
    void hold(platform::Object* sender);
    void resume(platform::Object* sender);
    void end(platform::Object* sender);
    void addCalls(platform::Object* sender);
    void muteMic(platform::Object* sender);
    void startRecording(platform::Object* sender);
    void stopRecording(platform::Object* sender);
    // The panel's body: Escape ends the conference; a drop only refreshes the buttons.
    void escapeKeyPressed() override { end(nullptr); }
    void receivedDraggedItem(const platform::Value& /*item*/) override { updateCallButtons(); }
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Engine callbacks.
    void participantAdded(const std::shared_ptr<Participant>& participant) override;
    void participantRemoved(const std::shared_ptr<Participant>& participant) override;
    void connectionStatusChanged(const std::shared_ptr<Participant>& participant,
                                 int status) override;
    void connectionStatusChange(int status) override;
    void isHoldingLocallyChange(bool holding) override;
    void isHoldingRemotelyChange(bool holding) override;
    void isConferenceChange(bool conference) override;
    void recordingStarted() override;
    void recordingStopped(const std::string& folder, const std::string& name,
                          const std::string& extension) override;
    void startRecordingFailed() override;
    void conversationEnded() override;

private:
    void startCallTimer();
    void stopCallTimer();
    void conversationEndedCallBack();
    void setRecordingMarksVisible(bool visible);

    ServerConferenceOutlets _o;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<Conversation> _conversation;
    std::shared_ptr<QXCollectionViewItem> _viewItem;
    bool _holdingLocally = false;
    bool _callFailed = false;
    bool _ended = false;
    std::string _baseParticipantStatus;
    std::unique_ptr<CallDurationClock> _callTimer;
    std::shared_ptr<platform::Timer> _callEndTimer;
    // Cleared when the panel is cleaned up, so that a removal already under way does nothing.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
