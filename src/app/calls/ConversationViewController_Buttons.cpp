#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/core/AppController.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXCollectionView.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXImageButton.h"

#include <string_view>

namespace {

using Model = OVConversationModel;

// The look of one button while the buttons are redrawn: starts from what it shows now.
struct Flags {
    bool shown = false;
    bool enabled = true;
};

Flags current(const std::shared_ptr<platform::View>& view) {
    if (!view)
        return {};
    auto* control = dynamic_cast<platform::Control*>(view.get());
    return {!view->isHidden(), control ? control->isEnabled() : true};
}

void apply(const std::shared_ptr<platform::View>& view, bool shown, bool enabled) {
    if (!view)
        return;
    view->setHidden(!shown);
    if (auto* control = dynamic_cast<platform::Control*>(view.get()))
        control->setEnabled(enabled);
}

void applyShown(const std::shared_ptr<platform::View>& view, bool shown) {
    if (view)
        view->setHidden(!shown);
}

} // namespace

bool ConversationViewController::isEnding() const {
    return _conversationModel &&
           _conversationModel->getVisualStateName() == Model::endedVisualState;
}

bool ConversationViewController::isTransfering() const {
    return _conversationModel &&
           _conversationModel->getVisualStateName() == Model::transferBeginVisualState;
}

bool ConversationViewController::invitingToConference() const {
    return _conversationModel &&
           _conversationModel->getVisualStateName() == Model::invitingToConferenceVisualState;
}

bool ConversationViewController::callForwardInProgress() const {
    return _conversationModel &&
           _conversationModel->getVisualStateName() == Model::forwardBeginVisualState;
}

bool ConversationViewController::attendedTransferPending() const {
    if (!_conversationModel)
        return false;
    const auto state = _conversationModel->getVisualStateName();
    return state == Model::transferAttendedVisualState ||
           state == Model::transferAttendedHoldingLocallyVisualState;
}

bool ConversationViewController::isLocalOnHold() const {
    return _conversation && _conversation->isHoldingLocally();
}

void ConversationViewController::updateCallButtons() {
    if (!_conversation || !_conversationModel || !_o.conversationView)
        return;
    const auto& c = *_conversation;
    // 1. What the buttons show now: a value no state sets keeps it.
    Flags answer = current(_o.answer), answerVideo = current(_o.answerVideo),
          decline = current(_o.decline), addContact = current(_o.addContact), add = current(_o.add),
          startVideo = current(_o.startVideo), stopVideo = current(_o.stopVideo),
          transfer = current(_o.transfer), transferNow = current(_o.transferNow),
          callForward = current(_o.callForward), forwardNow = current(_o.forwardNow),
          close = current(_o.close), muteMic = current(_o.muteMic),
          actions = current(_o.actionMenuButton), im = current(_o.im), resume = current(_o.resume),
          hold = current(_o.hold);
    Flags holdRow{_o.mute && !_o.mute->isHidden(), true};
    bool answerAudioShown = !!_o.answerAudio && !_o.answerAudio->isHidden();
    // 2. Defaults from the engine.
    answer.shown = c.canAnswer();
    answerVideo.shown = answerAudioShown = c.canAnswer();
    decline.shown = c.canDecline();
    callForward.shown = forwardNow.shown = c.canForward();
    close.shown = c.canEnd();
    hold.shown = c.canHold();
    const bool noRelated = !c.getRelatedConversation();
    startVideo.shown = c.canStartMyVideo() && noRelated;
    stopVideo.shown = c.canStopMyVideo() && noRelated;
    im.shown = c.canIm();
    resume.enabled = c.canResume();
    hold.enabled = c.canHold();
    // 3. The mute state.
    const bool muted = _phoneService && _phoneService->micMuted();
    for (const auto& button : {_o.muteMic, _o.muteOnHold, _o.mute})
        if (button)
            button->setState(muted ? 1 : 0);
    updateMicMuteImage(0);

    // 4. The row of the visual state.
    const std::string state = _conversationModel->getVisualStateName();
    const bool transferCapable = c.canAttendedTransfer() || c.canBlindTransfer();
    const bool entered = _numberEntryModel && !_numberEntryModel->realizedNumberEntered().empty();
    bool incoming = false;
    bool numberEntry = false;
    if (state == Model::activeVisualState || state == Model::holdingRemotelyVisualState ||
        state == Model::failedToConnectVisualState) {
        transfer.shown = transferNow.shown = transferCapable;
        actions.shown = true;
        add = {false, false};
        muteMic.shown = true;
        holdRow.shown = false;
        resume.shown = false;
        hold.shown = true;
    } else if (state == Model::ringingVisualState) {
        incoming = true;
        hold.shown = close.shown = false;
        answerVideo.shown = answerAudioShown = false;
        add.shown = false;
    } else if (state == Model::holdingLocallyVisualState) {
        muteMic.shown = false;
        holdRow.shown = true;
        resume.shown = true;
        hold.shown = false;
    } else if (state == Model::endedVisualState) {
        actions.shown = transfer.shown = callForward.shown = forwardNow.shown = im.shown =
            transferNow.shown = resume.shown = holdRow.shown = false;
        for (Flags* f :
             {&answer, &answerVideo, &decline, &addContact, &add, &startVideo, &stopVideo,
              &transfer, &callForward, &forwardNow, &close, &muteMic, &actions, &im, &resume})
            f->enabled = false;
    } else if (state == Model::ringingWithVideoVisualState) {
        incoming = true;
        hold.shown = close.shown = answer.shown = actions.shown = false;
    } else if (state == Model::connectingVisualState) {
        resume.shown = c.isHoldingLocally();
        startVideo.shown = startVideo.shown && c.participants().size() < 2;
        stopVideo.shown = stopVideo.shown && c.participants().size() < 2;
        close.shown = true;
        hold.shown = actions.shown = false;
    } else if (state == Model::preCallingVisualState) {
        hold.shown = answer.shown = answerVideo.shown = answerAudioShown = false;
        actions.shown = transfer.shown = callForward.shown = forwardNow.shown = false;
    } else if (state == Model::transferBeginVisualState) {
        numberEntry = true;
        transfer = {false, true};
        transferNow = {transferCapable, entered};
        holdRow.shown = resume.shown = close.shown = actions.shown = false;
    } else if (state == Model::transferAttendedVisualState) {
        hold.shown = true;
        resume.shown = close.shown = holdRow.shown = false;
    } else if (state == Model::transferAttendedHoldingLocallyVisualState) {
        holdRow.shown = resume.shown = true;
        close.shown = hold.shown = false;
    } else if (state == Model::invitingToConferenceVisualState) {
        numberEntry = true;
        resume.shown = c.isHoldingLocally();
        close = {false, true};
        add = {true, entered && c.canCallAndAddParticipant()};
        transfer.shown = transferNow.shown = false;
    } else if (state == Model::isConferenceVisualState) {
        muteMic.shown = add.shown = true;
        holdRow.shown = resume.shown = false;
        close = {true, true};
        actions.shown = true;
        transfer.shown = transferNow.shown = false;
    } else if (state == Model::isConferenceHoldingLocallyVisualState) {
        close.shown = resume.shown = true;
        holdRow.shown = false;
        numberEntry = textEditor() != nullptr;
    } else if (state == Model::forwardBeginVisualState) {
        numberEntry = true;
        forwardNow = {true, entered};
        decline.shown = callForward.shown = answer.shown = answerVideo.shown = answerAudioShown =
            false;
    } else {
        numberEntry = textEditor() != nullptr;
    }

    // 5. Look, menu, rows.
    _o.conversationView->setIncomming(incoming);
    if (_o.conversationHoldView)
        _o.conversationHoldView->setIncomming(incoming);
    if (_actionsMenu)
        menuNeedsUpdate(*_actionsMenu);
    const long menuItems = _actionsMenu ? _actionsMenu->numberOfItems() : 0;
    setHiddenNumberEntryField(!numberEntry);

    // 6. Apply, with the feature gates.
    const bool transfers = feature("transfersEnabled");
    const bool quick = feature("quickTransferEnabled");
    const bool forwarding = feature("forwardEnabled");
    const bool dropdown = feature("call_panel_dropdown");
    apply(_o.answer, answer.shown, answer.enabled);
    apply(_o.answerOnHold, answer.shown, answer.enabled);
    apply(_o.answerVideo, answerVideo.shown, answerVideo.enabled);
    apply(_o.answerAudio, answerVideo.shown, answerVideo.shown);
    apply(_o.resume, resume.shown, resume.enabled);
    apply(_o.resumeOnHold, resume.shown, resume.enabled);
    applyShown(_o.mute, holdRow.shown);
    // The hold row's inert Transfer stands in for the real one only while that is not shown.
    applyShown(_o.transferInert, holdRow.shown && !(transfers && transfer.shown && _o.transfer));
    applyShown(_o.video, holdRow.shown);
    apply(_o.decline, decline.shown, decline.enabled);
    apply(_o.declineOnHold, decline.shown, decline.enabled);
    if (_o.addContact)
        _o.addContact->setEnabled(addContact.enabled);
    apply(_o.hold, hold.shown, c.canHold());
    apply(_o.add, add.shown, add.enabled);
    apply(_o.startVideo, startVideo.shown, startVideo.enabled);
    apply(_o.stopVideo, stopVideo.shown, stopVideo.enabled);
    apply(_o.transfer, transfers && transfer.shown, transfers && transfer.enabled);
    apply(_o.forwardOnHold, transfers && transfer.shown, transfers && transfer.enabled);
    apply(_o.quickTransfer, quick && transfers && transfer.shown,
          quick && transfers && transfer.enabled);
    apply(_o.transferNow, transfers && transferNow.shown, transferNow.enabled);
    apply(_o.callForward, forwarding && callForward.shown, forwarding && callForward.enabled);
    apply(_o.forwardNow, forwarding && forwardNow.shown, forwarding && forwardNow.enabled);
    apply(_o.close, close.shown, close.enabled);
    apply(_o.closeOnHold, close.shown, close.enabled);
    apply(_o.muteMic, muteMic.shown, muteMic.enabled);
    apply(_o.actionMenuButton, dropdown && actions.shown && menuItems >= 2,
          dropdown && actions.enabled);
    apply(_o.im, im.shown && !dropdown, !dropdown && im.enabled);
    // While on hold the transfer waits.
    if (_o.transfer && isLocalOnHold())
        _o.transfer->setEnabled(false);

    // 7. Close up the rows.
    _callButtonsLayout.layout();
    _o.conversationView->setNeedsDisplay(true);
}

void ConversationViewController::setHiddenNumberEntryField(bool hide) {
    if (!_o.numberEntryView || !_o.buttonsView || !_o.conversationView)
        return;
    auto& panel = *_o.conversationView;
    auto frame = panel.frame();
    const double entryHeight = _o.numberEntryView->frame().height();
    const double buttonsHeight = _o.buttonsView->frame().height();
    if (hide && _numberEntryShown) {
        frame.size.height = frame.height() - entryHeight + buttonsHeight;
        panel.setFrameSize(frame.size);
        _o.numberEntryView->setHidden(true);
        _o.buttonsView->setHidden(false);
        _numberEntryShown = false;
    } else if (!hide && !_numberEntryShown) {
        frame.size.height = frame.height() + entryHeight - buttonsHeight;
        panel.setFrameSize(frame.size);
        _o.numberEntryView->setHidden(false);
        _o.buttonsView->setHidden(true);
        _numberEntryShown = true;
        if (_o.numberEntryTextField) {
            _o.numberEntryTextField->setStringValue(
                _numberEntryModel ? _numberEntryModel->numberEntered() : std::string());
            if (auto* window = panel.window())
                window->makeFirstResponder(_o.numberEntryTextField.get());
        }
    } else if (hide) {
        _o.numberEntryView->setHidden(true);
        _o.buttonsView->setHidden(false);
    }
    relayoutItem();
}

void ConversationViewController::updateConnectionMessage() {
    if (!_conversationModel)
        return;
    const int display = _conversationModel->connectionStatusDisplay();
    const std::string& param = _conversationModel->connectionStatusDisplayParam();
    std::string text;
    switch (display) {
    case Model::transferSucceededDisplay:
        text = QXLS("msg.participant.transfer_status.transfersucceeded", "Transfer Succeeded");
        break;
    case Model::beingTransferredDisplay:
        text = QXLS("msg.participant.transfer_status.beingtransfering",
                    "You are being transferred...");
        break;
    case Model::transferringDisplay:
        text = platform::formatString(
            QXLS("msg.participant.transfer_status.calling", "Transfer: calling %@"), param);
        break;
    case Model::transferFailedDisplay:
        text = QXLS("msg.participant.transfer_status.transferfailed",
                    "Sorry, transfer cannot be completed");
        break;
    case Model::callEstablishedDisplay:
        if (_startCallWithConference) {
            // The call was the first leg of a conference: invite the next party now.
            _startCallWithConference = false;
            _conversationModel->addToConferenceBegin();
        }
        // A quit that asked for confirmation gives way to the call.
        if (auto* controller = AppController::sharedAppController();
            controller && controller->quitAlert())
            if (platform::Panel* sheet = controller->quitAlert()->window())
                platform::Application::sharedApplication().endSheet(*sheet);
        text = QXLS("msg.participant.connection_status.connected", "Call Established");
        break;
    case Model::callingDisplay:
        text = QXLS("msg.participant.connection_status.connecting", "Calling");
        break;
    case Model::incomingCallDisplay:
        text = QXLS("msg.call.connection_status.ringing", "Incoming call");
        break;
    case Model::callEndedDisplay:
        text = QXLS("msg.call.connection_status.end", "Call ended");
        break;
    case Model::failedToConnectDisplay:
    case Model::conferenceInviteFailedDisplay:
        text = QXLS("msg.call.connection_status.fialed", "Call failed to connect");
        break;
    case Model::localHoldDisplay:
        text = QXLS("msg.participant.connection_status.onhold", "Call on Hold");
        break;
    case Model::remoteHoldDisplay:
        text = QXLS("msg.call.connection_status.holding", "Placed on hold by other party");
        break;
    case Model::conferenceCallingParticipantsDisplay:
        text = QXLS("msg.call.conference.calling_more_participants",
                    "Conference: calling more participants");
        break;
    case Model::conferenceCallingOneParticipantDisplay:
        text = platform::formatString(
            QXLS("msg.call.conference.calling_participant", "Conference: calling %@"), param);
        break;
    case Model::conferenceOnLocalHoldDisplay:
        text = QXLS("msg.call.conference.onhold", "Conference on Hold");
        break;
    case Model::conferenceDefaultDisplay:
        text = platform::formatString(
            QXLS("msg.call.conference.status", "Conference call %i participants"),
            static_cast<int>(_conversation ? _conversation->participants().size() + 1 : 1));
        break;
    default:
        break;
    }
    const std::string line = _conversationModel->accountUsed() + text;
    for (const auto& field : {_o.connectionStatus, _o.connectionStatusHoldView})
        if (field)
            field->setStringValue(line);
}

void ConversationViewController::updateParticipantInfo() {
    if (!_conversation)
        return;
    std::string line;
    for (const auto& party : _conversation->participants()) {
        if (!line.empty())
            line += ", ";
        const std::string& name = party->displayName();
        const std::string address = party->addressToDisplay();
        if (name.empty()) {
            line += address;
        } else {
            line += name;
            const auto info = party->getCallInfo();
            if (!address.empty() && address != name && !(info && info->isRemotePartyAnonymous()))
                line += " [" + address + "]";
        }
        if (!party->audioOnly())
            line += " (" + QXLS("msg.video.caption", "Video") + ")";
    }
    if (_o.holdParticipant)
        _o.holdParticipant->setStringValue(line);
}

void ConversationViewController::isHoldingLocallyChange(bool holding) {
    for (auto* view : {_o.conversationView.get(), _o.conversationHoldView.get()})
        if (view)
            view->setHold(holding);
    auto* collection = _viewItem ? _viewItem->collectionView() : nullptr;
    if (_collapseOnHold && collection && _o.conversationHoldView) {
        collection->setAnimationDuration(1.0);
        if (holding && !isTransfering() && !attendedTransferPending()) {
            collection->swapView(_o.conversationHoldView, _viewItem);
        } else if (_viewItem->view() != _o.conversationView) {
            collection->swapView(_o.conversationView, _viewItem);
            collection->makeKeyItem(_viewItem.get());
        }
    }
    if (_o.micIndicator)
        _o.micIndicator->setHidden(holding);
    if (_o.transfer)
        _o.transfer->setEnabled(!holding);
    if (holding) {
        if (!isTransfering() && _o.conversationView && _o.conversationView->window() &&
            _o.conversationView->window()->firstResponder() == _o.conversationView.get())
            _o.conversationView->window()->makeFirstResponder(nullptr);
    } else if (collection && _viewItem) {
        collection->makeKeyItem(_viewItem.get());
    }
    updateParticipantInfo();
}

void ConversationViewController::isConferenceChange(bool conference) {
    if (_o.hold)
        _o.hold->setToolTip(
            conference ? QXLS("msg.call.tooltip.conference.hold", "Put this conference on hold")
                       : QXLS("msg.call.tooltip.hold", "Put call on hold"));
    for (const auto& b : {_o.resume, _o.resumeOnHold})
        if (b)
            b->setToolTip(conference ? QXLS("msg.call.tooltip.conference.resume",
                                            "Take all participants off hold")
                                     : QXLS("msg.call.tooltip.resume", "Take call off hold"));
    for (const auto& b : {_o.close, _o.closeOnHold})
        if (b)
            b->setToolTip(conference
                              ? QXLS("msg.call.tooltip.conference.end", "End conference call")
                              : QXLS("msg.call.tooltip.end", "End call"));
    updateParticipantInfo();
}
