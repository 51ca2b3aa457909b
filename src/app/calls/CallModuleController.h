#pragma once

#include "engine/ConversationService.h"
#include "engine/OVConversationsModel.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"
#include "widgets/QXCollectionView.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

class ConversationViewController;
class QXCollectionViewItem;
class ServerConferenceViewController;

namespace platform {
class Button;
class Panel;
class TextField;
class TextView;
class Timer;
class Window;
} // namespace platform

// The main window's call area: one panel per engine conversation, in the order the calls came.
// It creates and removes the panels as the engine's conversations model adds and removes
// calls, answers the call menu's commands and hot keys, and shows, one at a time, where each
// finished call recording was saved.
class CallModuleController : public platform::Object,
                             public platform::ActionTarget,
                             public OVConversationServicePro,
                             public OVConversationsModelPro,
                             public QXCollectionViewDelegate {
public:
    CallModuleController();
    ~CallModuleController() override;

    // Made on first use.
    static CallModuleController& sharedController();
    static bool sharedControllerExists();
    static void releaseSharedController();

    // The collection of panels, the module view the main window stacks as "calls".
    std::shared_ptr<platform::View> theView();
    QXCollectionView* collectionView() const { return _collectionView.get(); }
    // Applies the brand section "CallModuleConfig" to the module and the collection.
    void setup();
    // Listens to the engine's conversation service and conversations model.
    void setupServices();
    // At logout and shutdown: closes the sheets, drops every panel and prompt, stops listening.
    void cleanup();
    void setStartCallWithConference(bool flag) { _startCallWithConference = flag; }
    bool startCallWithConference() const { return _startCallWithConference; }

    // The panels in order.
    const std::vector<std::shared_ptr<ConversationViewController>>& panels() const {
        return _panels;
    }
    ConversationViewController* panelOf(const Conversation* conversation) const;
    // The panels of conferences held on a conference server, in the order they came.
    const std::vector<std::shared_ptr<ServerConferenceViewController>>& conferencePanels() const {
        return _conferencePanels;
    }
    // The conversations of the panels, in panel order.
    std::vector<std::shared_ptr<Conversation>> conversations() const;

    // Hot keys and the Calls menu. Answer and decline act on the first panel whose call rings
    // (status 1 or 5); answering moves the keyboard focus to it.
    void answerFirstIncomingCall();
    void declineIncomingCall();
    // The focused panel, else the only one: ends its call (a ringing one is left alone).
    void hangUpOrEndTransferActiveCall(platform::Object* sender);
    // The focused panel, else the first: holds or resumes.
    void toggleHoldActiveCall(platform::Object* sender);
    // The focused panel, or the one whose number field is being edited: starts a transfer.
    void performTransferActiveCall(platform::Object* sender);
    void endAllConversations();
    bool inConference() const;
    bool recordingInProgress() const;
    void cameraStopped();
    platform::TextView* getCurrentTextEditor() const;
    // Gives the keyboard focus to the first panel neither on hold nor ending.
    bool makeCallViewFirstResponder();
    // The panel holding the keyboard focus, else nullptr.
    ConversationViewController* focusedPanel() const;
    void removeCall(const std::shared_ptr<QXCollectionViewItem>& item);

    // Recording prompts: queued, shown one at a time while no other sheet is on the window.
    void addCallRecordingPrompt(const std::string& path, const std::string& name,
                                const std::string& extension);
    std::size_t queuedRecordingPrompts() const { return _callRecordingPrompts.size(); }
    bool recordingPromptTimerRunning() const { return _showCallRecordingTimer != nullptr; }
    void showNextCallRecordingPrompt();
    platform::Panel* recordingSaveSheet() const { return _recordingSaveSheet.get(); }
    std::string recordingSheetName() const;
    std::string recordingSheetLocation() const;
    void recordingSaveOK(platform::Object* sender);
    void recordingOpenFolder(platform::Object* sender);

    // Engine callbacks.
    // A call to a conference server gets the conference-bridge panel.
    void conversationAdded(const std::shared_ptr<Conversation>& conversation, bool isIncoming,
                           bool remoteConferenceFocus) override;
    void ovmdConversationCollectionAdded(
        const std::vector<std::shared_ptr<OVConversationModel>>& models) override;
    void ovmdConversationCollectionRemoved(
        const std::vector<std::shared_ptr<OVConversationModel>>& models) override;
    void collectionViewRequiresSize(QXCollectionView& view, platform::Size size) override;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Whether the engine services are held (between setupServices and cleanup).
    bool hasServices() const { return _conversationsModel != nullptr; }
    OVConversationsModel* conversationsModel() const { return _conversationsModel.get(); }

private:
    struct Prompt {
        std::string path, name, extension;
    };
    void buildRecordingSheet();
    void applyModuleConfig();
    void recordingSaveDidEnd(int returnCode);
    ConversationViewController* targetOf(platform::Object* sender, bool onlyCallOtherwise) const;
    platform::Window* window() const;

    std::shared_ptr<QXCollectionView> _collectionView;
    std::vector<std::shared_ptr<ConversationViewController>> _panels;
    std::vector<std::shared_ptr<ServerConferenceViewController>> _conferencePanels;
    std::shared_ptr<platform::Panel> _recordingSaveSheet;
    std::shared_ptr<platform::TextField> _recordingSaveSheetNameLabel;
    std::shared_ptr<platform::TextField> _recordingSaveSheetLocationLabel;
    std::shared_ptr<platform::Button> _recordingOKButton, _recordingOpenButton;
    std::shared_ptr<ConversationService> _conversationService;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<OVConversationsModel> _conversationsModel;
    bool _startCallWithConference = false;
    bool _sheetShowing = false;
    bool _brandApplied = false;
    std::deque<Prompt> _callRecordingPrompts;
    std::shared_ptr<platform::Timer> _showCallRecordingTimer;
};
