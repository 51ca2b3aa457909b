#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/AppController.h"
#include "app/preferences/PrefsWindowController.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "support/StringExtensions.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXImageButton.h"

#include <algorithm>
#include <map>

namespace {

using Model = OVConversationModel;

std::shared_ptr<OVMenuItem> menuItemOf(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !item->representedObject().isObject())
        return nullptr;
    return std::dynamic_pointer_cast<OVMenuItem>(item->representedObject().object());
}

// The quick-transfer list of the settings ("preferences"/"quickTransfer"): names and
// addresses of equal length, read at each use.
std::vector<std::pair<std::string, std::string>> quickTransfers() {
    std::vector<std::pair<std::string, std::string>> entries;
    auto phone = StartupService::instance().phoneService();
    auto node = phone ? phone->getPreferenceSettings()->existingSub("preferences") : nullptr;
    node = node ? node->existingSub("quickTransfer") : nullptr;
    if (!node)
        return entries;
    auto names = node->existingSub("quickTransferNames");
    auto numbers = node->existingSub("quickTransferAddresses");
    if (!names || !numbers)
        return entries;
    const platform::Value nameList = names->value();
    const platform::Value numberList = numbers->value();
    const std::size_t count = std::min(nameList.count(), numberList.count());
    for (std::size_t i = 0; i < count; ++i)
        entries.emplace_back(nameList[i].stringValue(), numberList[i].stringValue());
    return entries;
}

} // namespace

std::string ConversationViewController::numberEntry() const {
    if (!_numberEntryModel)
        return {};
    std::string target = platform::trimmedWhitespace(_numberEntryModel->realizedNumberEntered());
    return !target.empty() && target.front() == '@' ? std::string() : target;
}

void ConversationViewController::answer(platform::Object*) {
    if (_conversation)
        _conversation->answer();
}

void ConversationViewController::decline(platform::Object*) {
    if (_conversation)
        _conversation->decline();
}

void ConversationViewController::answerWithAudioOnly(platform::Object*) {
    if (!_conversation)
        return;
    if (_conversation->canAnswerWithAudioOnly())
        _conversation->answerWithAudioOnly();
    else
        _conversation->answer();
}

void ConversationViewController::end(platform::Object*) {
    if (!_conversation)
        return;
    if (_conversation->connectionStatus() == Conversation::statusRingingIncoming)
        _conversation->decline();
    else
        _conversation->end();
}

void ConversationViewController::hold(platform::Object*) {
    if (_conversation)
        _conversation->hold();
}

void ConversationViewController::resume(platform::Object*) {
    if (_conversation)
        _conversation->resume();
}

void ConversationViewController::im(platform::Object*) {}

void ConversationViewController::muteMic(platform::Object*) {
    if (_phoneService)
        _phoneService->muteMic(!_phoneService->micMuted());
    updateCallButtons();
}

void ConversationViewController::stopRecording(platform::Object*) {
    if (_conversation)
        _conversation->stopRecording();
}

void ConversationViewController::startVideo(platform::Object*) {
    if (!_conversation)
        return;
    // The video window's controller hears how the request ends, so it must be there first.
    VideoWindow::sharedVideoWindow();
    _conversation->startMyVideo();
}

void ConversationViewController::stopVideo(platform::Object*) {
    if (_conversation)
        _conversation->stopMyVideo();
}

void ConversationViewController::canStartMyVideoUpdate() {
    updateCallButtons();
}

void ConversationViewController::canStopMyVideoUpdate() {
    if (_conversation && _conversation->canStopMyVideo() && VideoWindow::videoWindowExist() &&
        !VideoWindow::sharedVideoWindow().isVisible())
        VideoWindow::sharedVideoWindow().orderFront(nullptr);
    updateCallButtons();
}

void ConversationViewController::forward(platform::Object*) {
    if (!_conversationModel)
        return;
    if (_conversationModel->canForwardBegin()) {
        _conversationModel->forwardBegin();
        return;
    }
    const std::string target = numberEntry();
    if (target.empty())
        return;
    _conversation->forward(target);
    _conversationModel->forwardCancel();
}

void ConversationViewController::startTransfer(platform::Object* sender) {
    if (!_conversationModel)
        return;
    if (isTransfering())
        blindTransfer(sender);
    else
        _conversationModel->transferBegin();
}

void ConversationViewController::blindTransfer(platform::Object* sender) {
    if (_o.numberEntryTextField)
        _o.numberEntryTextField->tidyup(false);
    const std::string target = numberEntry();
    if (target.empty() || !_conversation)
        return;
    if (feature("un_attended_transfers"))
        _conversation->blindTransfer(target);
    else
        createRelatedConversation(sender);
}

void ConversationViewController::createRelatedConversation(platform::Object*) {
    // A consultation call to the target: the party waits on hold until it is handed over.
    const std::string target = numberEntry();
    if (target.empty() || !_conversation)
        return;
    _conversation->createRelatedConversation(target);
}

void ConversationViewController::add(platform::Object*) {
    const std::string target = numberEntry();
    if (target.empty() || !_conversation || !_conversation->canCallAndAddParticipant())
        return;
    _conversation->callAndAddParticipant(_numberEntryModel->realizedNumberEntered(), -1);
}

void ConversationViewController::cancel(platform::Object*) {
    if (!_conversationModel)
        return;
    auto model = _conversationModel;
    if (model->canForwardCancel())
        model->forwardCancel();
    if (model->canTransferCancel())
        model->transferCancel();
    if (model->canAddToConferenceCancel())
        model->addToConferenceCancel();
}

void ConversationViewController::addContact(platform::Object*) {
    if (_o.addContact)
        _o.addContact->setHidden(true);
    if (_conversation && _conversation->participants().size() == 1) {
        const auto& party = _conversation->participants().front();
        ContactEditorController::addParty(party->displayName(), party->address(),
                                          OVFieldNames::fieldSoftphone);
    }
}

void ConversationViewController::contextCommand(platform::Object* sender) {
    if (auto item = menuItemOf(sender))
        item->executeCommand();
}

void ConversationViewController::contextTransfer(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !item->representedObject().isString())
        return;
    if (_o.quickTransfer)
        _o.quickTransfer->highlight(false);
    const std::string target = item->representedObject().stringValue();
    if (!target.empty() && _conversation)
        _conversation->blindTransfer(target);
}

void ConversationViewController::contextEditQuickTransfer(platform::Object*) {
    auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
    preferences.showWindow(this);
    preferences.displayViewWithIdentifier("QuickTransfer", false);
    if (_o.quickTransfer)
        _o.quickTransfer->highlight(false);
}

void ConversationViewController::escapeKeyPressed() {
    if (!_conversationModel || textEditor())
        return;
    auto model = _conversationModel;
    if (model->canForwardCancel())
        model->forwardCancel();
    else if (model->canTransferCancel())
        model->transferCancel();
    else if (model->canAddToConferenceCancel())
        model->addToConferenceCancel();
    else
        end(nullptr);
}

void ConversationViewController::menuNeedsUpdate(platform::Menu& menu) {
    OrvantaExtensions::removeAllItems(menu);
    menu.addItemWithTitle("", "", "");
    if (!_conversationModel)
        return;
    if (&menu == _actionsMenu.get()) {
        static const std::map<int, std::pair<const char*, const char*>> titles = {
            {Model::menuItemAddToConferenceBegin,
             {"msg.menuitem.call_action.add_to_conference", "Invite to Conference Call"}},
            {Model::menuItemAddToServerConference,
             {"msg.contextmenuitem.addtoconference", "Add to Conference Call"}},
            {Model::menuItemMerge, {"msg.menuitem.call_action.merge_calls", "Merge Calls"}},
            {Model::menuItemSendIM, {"msg.menuitem.call_action.send_im", "Send Instant Message"}},
            {Model::menuItemSendSMS,
             {"msg.menuitem.call_action.send_sms", "Send Mobile Text Message"}},
            {Model::menuItemStartRecording,
             {"msg.menuitem.call_action.start_recording", "Start Call Recording"}},
            {Model::menuItemStopRecording,
             {"msg.menuitem.call_action.stop_recording", "Stop Call Recording"}},
            {Model::menuItemStartVideo, {"msg.menuitem.call_action.start_video", "Start Video"}},
            {Model::menuItemStopVideo, {"msg.menuitem.call_action.stop_video", "Stop Video"}},
            {Model::menuItemPushCallToMobile,
             {"msg.menuitem.call_action.push_call_to_mobile", "Pushing call to Mobile"}},
        };
        for (const auto& item : _conversationModel->getMenuItems()) {
            const int type = item->getType();
            if ((type == Model::menuItemStartVideo && _o.startVideo) ||
                (type == Model::menuItemStopVideo && _o.stopVideo))
                continue;
            auto found = titles.find(type);
            if (found == titles.end())
                continue;
            OrvantaExtensions::addItemWithTitle(menu,
                                                QXLS(found->second.first, found->second.second),
                                                this, "contextCommand:", "", platform::Value(item));
        }
        if (!_o.transfer && feature("transfersEnabled") && _conversation &&
            _conversation->canAttendedTransfer())
            OrvantaExtensions::addItemWithTitle(
                menu, QXLS("msg.menuitem.call_action.transfer", "Transfer"), this,
                "startTransfer:", "");
    } else if (&menu == _quickTransferMenu.get()) {
        const auto entries = quickTransfers();
        for (const auto& [name, number] : entries)
            OrvantaExtensions::addItemWithTitle(menu, name, this, "contextTransfer:", "",
                                                platform::Value(number));
        if (!entries.empty())
            menu.addItem(platform::MenuItem::separatorItem());
        OrvantaExtensions::addItemWithTitle(
            menu,
            QXLS("msg.menuitem.call_action.edit_quick_transfer", "Edit quick transfer list..."),
            this, "contextEditQuickTransfer:", "");
    } else if (&menu == _ibNumberEntryActionsMenu.get()) {
        for (const auto& item : _conversationModel->getMenuItems())
            if (item->getType() == Model::menuItemAttendedTransfer)
                OrvantaExtensions::addItemWithTitle(
                    menu, QXLS("msg.menuitem.call_action.call", "Call"), this,
                    "contextCommand:", "", platform::Value(item));
    }
}

std::optional<bool> ConversationViewController::validateMenuItem(platform::MenuItem& item) {
    if (item.action() != "createRelatedConversation:")
        return true;
    auto phone = StartupService::instance().phoneService();
    return _conversation && _conversation->canAttendedTransfer() && phone &&
           phone->getConversationService()->canAudioConversation() && !numberEntry().empty();
}

void ConversationViewController::setRecordingMarkersVisible(bool visible) {
    for (const auto& indicator : {_o.recordingProgress, _o.recordingProgressOnHold})
        if (indicator) {
            indicator->setHidden(!visible);
            visible ? indicator->startAnimation(nullptr) : indicator->stopAnimation(nullptr);
        }
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _o.recordingLabel, _o.recordingLabelOnHold, _o.recordingStop, _o.recordingStopOnHold})
        if (view)
            view->setHidden(!visible);
}

void ConversationViewController::recordingStarted() {
    setRecordingMarkersVisible(true);
}

void ConversationViewController::recordingStopped(const std::string& folder,
                                                  const std::string& name,
                                                  const std::string& extension) {
    setRecordingMarkersVisible(false);
    CallModuleController::sharedController().addCallRecordingPrompt(folder, name, extension);
}

void ConversationViewController::startRecordingFailed() {
    auto* window = _o.conversationView ? _o.conversationView->window() : nullptr;
    OrvantaExtensions::sheetOK(
        window, QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
        QXLS("msg.opt.dialog.message.call_recording_failed",
             "Failed to start call recording. Make sure you have enough disk space and the "
             "reocording path has proper write permission."),
        platform::AlertStyle::Critical);
}

bool ConversationViewController::respondsToAction(std::string_view action) const {
    static constexpr std::string_view actions[] = {"answer:",
                                                   "decline:",
                                                   "answerWithAudioOnly:",
                                                   "end:",
                                                   "hold:",
                                                   "resume:",
                                                   "im:",
                                                   "muteMic:",
                                                   "stopRecording:",
                                                   "startVideo:",
                                                   "stopVideo:",
                                                   "forward:",
                                                   "startTransfer:",
                                                   "blindTransfer:",
                                                   "createRelatedConversation:",
                                                   "add:",
                                                   "cancel:",
                                                   "addContact:",
                                                   "contextCommand:",
                                                   "contextTransfer:",
                                                   "contextEditQuickTransfer:",
                                                   "contextRedialItemPicked:",
                                                   "contextCallDroppedAddress:"};
    return std::find(std::begin(actions), std::end(actions), action) != std::end(actions);
}

bool ConversationViewController::tryToPerform(std::string_view action, platform::Object* sender) {
    using Handler = void (ConversationViewController::*)(platform::Object*);
    static const std::map<std::string_view, Handler> handlers = {
        {"answer:", &ConversationViewController::answer},
        {"decline:", &ConversationViewController::decline},
        {"answerWithAudioOnly:", &ConversationViewController::answerWithAudioOnly},
        {"end:", &ConversationViewController::end},
        {"hold:", &ConversationViewController::hold},
        {"resume:", &ConversationViewController::resume},
        {"im:", &ConversationViewController::im},
        {"muteMic:", &ConversationViewController::muteMic},
        {"stopRecording:", &ConversationViewController::stopRecording},
        {"startVideo:", &ConversationViewController::startVideo},
        {"stopVideo:", &ConversationViewController::stopVideo},
        {"forward:", &ConversationViewController::forward},
        {"startTransfer:", &ConversationViewController::startTransfer},
        {"blindTransfer:", &ConversationViewController::blindTransfer},
        {"createRelatedConversation:", &ConversationViewController::createRelatedConversation},
        {"add:", &ConversationViewController::add},
        {"cancel:", &ConversationViewController::cancel},
        {"addContact:", &ConversationViewController::addContact},
        {"contextCommand:", &ConversationViewController::contextCommand},
        {"contextTransfer:", &ConversationViewController::contextTransfer},
        {"contextEditQuickTransfer:", &ConversationViewController::contextEditQuickTransfer},
        {"contextRedialItemPicked:", &ConversationViewController::contextRedialItemPicked},
        {"contextCallDroppedAddress:", &ConversationViewController::contextCallDroppedAddress},
    };
    auto found = handlers.find(action);
    if (found == handlers.end())
        return false;
    (this->*(found->second))(sender);
    return true;
}
