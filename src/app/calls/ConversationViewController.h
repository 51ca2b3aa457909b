#pragma once

#include "app/calls/ConversationViewPr.h"
#include "app/core/NumberEntrySuggestions.h"
#include "engine/ConversationService.h"
#include "engine/OVAutoCompleteModel.h"
#include "engine/OVConversationModel.h"
#include "engine/OVNumberEntryModel.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TableView.h"
#include "widgets/QXConstraintLayoutManager.h"
#include "widgets/QXSearchField.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ConversationView;
class OVEntity;
class ParticipantViewController;
class RelatedConversationViewController;
class QXBezierComboButton;
class QXCollectionViewItem;
class QXImageButton;

namespace platform {
class Button;
class ImageView;
class InterfaceDefinitionLoad;
class ProgressIndicator;
class TextField;
class View;
} // namespace platform

// The outlets of the interface definition "ConversationView", as its builder hands them over.
struct ConversationViewOutlets {
    std::shared_ptr<ConversationView> conversationView, conversationHoldView;
    std::shared_ptr<platform::TextField> connectionStatus, connectionStatusHoldView,
        holdParticipant;
    std::shared_ptr<platform::ImageView> speakerIndicator, micIndicator, encryptedIndicator;
    std::shared_ptr<platform::View> buttonsView, buttonsPlaceholderView, numberEntryView;
    std::shared_ptr<QXImageButton> answer, answerVideo, answerAudio, decline, callForward, muteMic,
        hold, startVideo, stopVideo, transfer, quickTransfer, close, resume, mute, transferInert,
        video, forwardNow, add;
    std::shared_ptr<QXImageButton> resumeOnHold, closeOnHold, muteOnHold, forwardOnHold,
        videoOnHold, answerOnHold, declineOnHold;
    std::shared_ptr<platform::Button> actionMenuButton, addContact, im, cancel;
    std::shared_ptr<QXBezierComboButton> transferNow;
    std::shared_ptr<platform::Button> recordingStop, recordingStopOnHold;
    std::shared_ptr<platform::TextField> recordingLabel, recordingLabelOnHold;
    std::shared_ptr<platform::ProgressIndicator> recordingProgress, recordingProgressOnHold;
    std::shared_ptr<QXSearchField> numberEntryTextField;
};

// One call panel of the call area: binds itself to the engine's conversation, its model and
// number entry (its suggestions come with the in-call number entry), lays out its buttons from the
// brand dictionary, mirrors the model's visual state in the buttons and its display constant in the
// status line, and sends the user's actions to the engine. The call area makes one per conversation
// and calls cleanup() before dropping it.
class ConversationViewController : public platform::Object,
                                   public platform::ActionTarget,
                                   public platform::MenuDelegate,
                                   public OVConversationModelPro,
                                   public OVNumberEntryModelPro,
                                   public OVConversationBasePro,
                                   public OVPhoneServicePro,
                                   public OVAutoCompleteModelPro,
                                   public QXSearchFieldFilterDelegate,
                                   public platform::TableViewDataSource,
                                   public ConversationViewPr {
public:
    explicit ConversationViewController(std::shared_ptr<OVConversationModel> model);
    ~ConversationViewController() override;

    // Registers the built-in definition "ConversationView" unless one is registered already.
    static void registerDefinition();
    // The builder of the built-in definition, for a replacement that wraps it.
    static void buildDefinition(platform::InterfaceDefinitionLoad& load);
    // Loads the definition with this controller as its owner; false when it gave no panel.
    bool instantiate();
    void setOutlets(ConversationViewOutlets outlets);
    // The interface is loaded: observes the level notifications, styles and lays out the
    // buttons, and draws the first state.
    void awake();

    ConversationView* conversationView() const { return _o.conversationView.get(); }
    ConversationView* conversationHoldView() const { return _o.conversationHoldView.get(); }
    platform::TextField* callStatus() const { return _o.connectionStatus.get(); }
    const ConversationViewOutlets& outlets() const { return _o; }
    std::shared_ptr<QXCollectionViewItem> conversationViewItem() const { return _viewItem; }
    std::shared_ptr<Conversation> conversation() const { return _conversation; }
    std::shared_ptr<OVConversationModel> conversationModel() const { return _conversationModel; }
    std::shared_ptr<OVNumberEntryModel> numberEntryModel() const { return _numberEntryModel; }
    void setStartCallWithConference(bool flag) { _startCallWithConference = flag; }
    bool startCallWithConference() const { return _startCallWithConference; }
    // The field editor of the in-call number entry while it is being edited, else nullptr.
    platform::TextView* textEditor() const;
    bool isNumberEntryShown() const { return _numberEntryShown; }

    // State predicates, read from the model's visual state.
    bool isEnding() const;
    bool isTransfering() const;
    bool invitingToConference() const;
    bool callForwardInProgress() const;
    bool attendedTransferPending() const;
    bool isLocalOnHold() const;

    // Redraws.
    void updateCallButtons();
    void updateConnectionMessage();
    void updateParticipantInfo();
    // The rows of the call's parties, in the order they came (one per party).
    const std::vector<std::shared_ptr<ParticipantViewController>>& participantRows() const {
        return _participantRows;
    }
    // The strip of the call's second call while there is one, else nullptr.
    RelatedConversationViewController* relatedConversationStrip() const {
        return _relatedStrip.get();
    }
    // The row of the party, found by the party itself, or nullptr.
    ParticipantViewController* participantRowFor(const std::shared_ptr<Participant>& party) const;
    void newCallAdded() { updateCallButtons(); }
    void callRemoved() { updateCallButtons(); }
    void cleanup();

    // Actions.
    void answer(platform::Object* sender);
    void decline(platform::Object* sender);
    void answerWithAudioOnly(platform::Object* sender);
    void end(platform::Object* sender);
    void hold(platform::Object* sender);
    void resume(platform::Object* sender);
    void im(platform::Object* sender);
    void muteMic(platform::Object* sender);
    void stopRecording(platform::Object* sender);
    void startVideo(platform::Object* sender);
    void stopVideo(platform::Object* sender);
    void forward(platform::Object* sender);
    void startTransfer(platform::Object* sender);
    void blindTransfer(platform::Object* sender);
    void createRelatedConversation(platform::Object* sender);
    void add(platform::Object* sender);
    void cancel(platform::Object* sender);
    void addContact(platform::Object* sender);
    void contextCommand(platform::Object* sender);
    void contextTransfer(platform::Object* sender);
    void contextEditQuickTransfer(platform::Object* sender);
    void escapeKeyPressed() override;
    // The entered target of a transfer, forward or added party: trimmed, "" when it starts
    // with "@".
    std::string numberEntry() const;

    // Menus, built when they open.
    std::shared_ptr<platform::Menu> actionsMenu() const { return _actionsMenu; }
    std::shared_ptr<platform::Menu> quickTransferMenu() const { return _quickTransferMenu; }
    std::shared_ptr<platform::Menu> numberEntryActionsMenu() const {
        return _ibNumberEntryActionsMenu;
    }
    void menuNeedsUpdate(platform::Menu& menu) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Level meters: the image number each shows ("SpeakerOutputLevel%i"), -1 before any.
    int speakerLevelImage() const { return _speakerLevel; }
    int micLevelImage() const { return _micLevel; }
    void setSpeakerVolumeLevelPercentage(int percent);
    void setMicVolumeLevelPercentage(int percent);
    // The diameter of the mic level dot drawn at the level.
    static int micIndicatorDiameter(int level) { return (level + 9) / 10; }
    bool micShownMuted() const { return _micShownMuted; }

    // Engine callbacks.
    void ovmdConversationPropertyChanged(const std::string& propertyName) override;
    void ovmdConversationFocusRequested(const std::string& propertyName) override;
    void participantAdded(const std::shared_ptr<Participant>& participant) override;
    void participantRemoved(const std::shared_ptr<Participant>& participant) override;
    void connectionStatusChange(int status) override;
    void isHoldingLocallyChange(bool holding) override;
    void isConferenceChange(bool conference) override;
    void isSecureUpdate(bool secure) override;
    void recordingStarted() override;
    void recordingStopped(const std::string& folder, const std::string& name,
                          const std::string& extension) override;
    void startRecordingFailed() override;
    void canStartMyVideoUpdate() override;
    // Also brings the video window up when this call's picture is being sent.
    void canStopMyVideoUpdate() override;
    void conversationEnded() override;
    void micMutedChanged(bool muted) override;
    void microphoneInputLevelChanged(int level) override;
    void ovmdNumberEntryPropertyChanged(const std::string& propertyName) override;
    void applySearchFilter(const std::string& text) override;
    void textDidChange(const platform::Notification& notification) override;
    void ovmdNumberEntryFocusRequested(OVNumberEntryModel& model) override;
    void ovmdNumberEntryTextSelectionStateRequested(int state) override;
    void ovmdNumberEntryUpdateTextSelectionState(int state, long start, long length) override;
    void ovmdAutoCompletePropertyChanged(const std::string& propertyName) override;
    void ovmdAutoCompleteListCollectionChanged() override;

    // The panel's view: focus, dial keys and drops.
    void conversationViewGotFocus() override;
    void conversationViewLostFocus() override;
    void keyPressedOnView(const platform::Event& event) override;
    void keyReleasedOnView(const platform::Event& event) override;
    // One dropped thing: a contact row or entity, a call-history row, or an address text. Put
    // into the number entry while a target is being entered, else called and added to the call
    // where the call allows it.
    void receivedDraggedItem(const platform::Value& item) override;

    // The in-call number entry field.
    std::optional<bool> keyPressed(const platform::Event& event) override;
    std::optional<bool> keyReleased(const platform::Event& event) override;
    void clearPressed() override;
    void textFieldGotFocus(QXTextField& field) override;
    void textFieldLostFocus(QXTextField& field) override;
    void rowEntryPicked(long row) override;
    void rowEntryDoubleClicked(long row) override;
    void dropDownMenuWillShowMenu(QXTextField& field, platform::Menu& menu) override;
    void contextRedialItemPicked(platform::Object* sender);
    // An address of the menu of a dropped contact's numbers.
    void contextCallDroppedAddress(platform::Object* sender);
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    const std::vector<std::shared_ptr<OVAutoCompleteItem>>& suggestions() const {
        return _cefSuggestions.items();
    }
    std::shared_ptr<OVAutoCompleteModel> autoCompleteModel() const { return _autoCompleteModel; }
    // The menu of a dropped contact's numbers shown last (tests).
    std::shared_ptr<platform::Menu> droppedContactMenu() const { return _droppedContactMenu; }

private:
    // A target is being entered: forwarding, inviting or transferring.
    bool inTargetEntry() const;
    void receivedDraggedEntity(const std::shared_ptr<OVEntity>& entity);
    void styleButtons();
    void constrainButtons();
    void setHiddenNumberEntryField(bool hide);
    void updateMicMuteImage(int level);
    void setRecordingMarkersVisible(bool visible);
    void relayoutItem();
    void addParticipantRow(const std::shared_ptr<Participant>& participant);
    void removeParticipantRow(const std::shared_ptr<Participant>& participant);
    void cleanupParticipantRows();
    // Shows the strip of the model's second call, replacing or dropping the one shown.
    void updateRelatedConversationStrip();
    void removeRelatedConversationStrip();
    // Stacks the rows above the buttons and sizes the panel to hold them.
    void layoutParticipantRows();
    bool feature(std::string_view name) const;

    ConversationViewOutlets _o;
    std::shared_ptr<platform::Menu> _actionsMenu, _quickTransferMenu, _ibNumberEntryActionsMenu;
    std::vector<std::shared_ptr<Participant>> _participants;
    std::vector<std::shared_ptr<ParticipantViewController>> _participantRows;
    std::shared_ptr<RelatedConversationViewController> _relatedStrip;
    double _panelBaseHeight = 0;
    std::string _baseParticipantStatus;
    int _transferStatus = 0;
    bool _collapseOnHold = false;
    bool _startCallWithConference = false;
    bool _numberEntryShown = true;
    bool _observing = false;
    bool _micShownMuted = false;
    int _speakerLevel = -1;
    int _micLevel = -1;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<Conversation> _conversation;
    std::shared_ptr<OVConversationModel> _conversationModel;
    std::shared_ptr<OVNumberEntryModel> _numberEntryModel;
    std::shared_ptr<OVAutoCompleteModel> _autoCompleteModel;
    NumberEntrySuggestions _cefSuggestions;
    std::shared_ptr<platform::Menu> _droppedContactMenu;
    QXViewConstraintLayoutManager _callButtonsLayout;
    std::shared_ptr<QXCollectionViewItem> _viewItem;
};
