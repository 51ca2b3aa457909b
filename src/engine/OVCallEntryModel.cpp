#include "engine/OVCallEntryModel.h"

#include "engine/PhoneService.h"
#include "engine/StartupService.h"

namespace {

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

} // namespace

std::shared_ptr<OVCallEntryModel> OVCallEntryModel::create() {
    auto model = std::make_shared<OVCallEntryModel>();
    model->numberEntry_ = OVNumberEntryModel::create();
    model->autoComplete_ = OVAutoCompleteModel::create(model->numberEntry_);
    std::weak_ptr<OVCallEntryModel> weak = model;
    auto dial = [weak] {
        if (auto self = weak.lock())
            self->call();
    };
    std::weak_ptr<OVAutoCompleteModel> suggestions = model->autoComplete_;
    model->numberEntry_->setDialHandler(dial);
    model->numberEntry_->setTextHandler([suggestions](const std::string& text) {
        if (auto list = suggestions.lock())
            list->textChanged(text);
    });
    model->numberEntry_->setDismissHandler([suggestions] {
        if (auto list = suggestions.lock())
            list->dismiss();
    });
    model->autoComplete_->setDialHandler(dial);
    if (auto p = phone())
        p->getConversationService()->setDialingEntry(model->numberEntry_);
    return model;
}

OVCallEntryModel::CallKind OVCallEntryModel::defaultCallKind() {
    auto p = phone();
    auto setting = p ? p->getPreferenceSettings()->existingSub("preferences") : nullptr;
    setting = setting ? setting->existingSub("application") : nullptr;
    setting = setting ? setting->existingSub("defaultCallAction") : nullptr;
    const auto value = setting ? setting->longSetting() : 0;
    return value == 1 ? CallKind::video : value == 2 ? CallKind::conference : CallKind::audio;
}

bool OVCallEntryModel::canCall() const {
    return !numberEntry_->realizedNumberEntered().empty();
}

bool OVCallEntryModel::canAudioCall() const {
    auto p = phone();
    return p && canCall() && p->getConversationService()->canAudioConversation();
}

bool OVCallEntryModel::canVideoCall() const {
    auto p = phone();
    return p && canCall() && p->getConversationService()->canVideoConversation();
}

bool OVCallEntryModel::canConferenceCall() const {
    return canAudioCall();
}

bool OVCallEntryModel::canSendIm() const {
    auto p = phone();
    return p && canCall() &&
           p->getAccountService()->defaultAccount(OVAccountFeature::featureIM) != nullptr;
}

bool OVCallEntryModel::canSendSms() const {
    auto p = phone();
    return p && canCall() &&
           p->getAccountService()->defaultAccount(OVAccountFeature::featureSMS) != nullptr;
}

void OVCallEntryModel::audioCall() {
    place(CallKind::audio);
}

void OVCallEntryModel::videoCall() {
    place(CallKind::video);
}

void OVCallEntryModel::conferenceCall() {
    place(CallKind::conference);
}

void OVCallEntryModel::call() {
    auto kind = defaultCallKind();
    if (kind == CallKind::video && !canVideoCall())
        kind = CallKind::audio;
    place(kind);
}

void OVCallEntryModel::place(CallKind kind) {
    auto p = phone();
    if (!p || !canAudioCall())
        return;
    const auto target = numberEntry_->realizedNumberEntered();
    const auto object = numberEntry_->objectEntered();
    const long long entityID = object ? object->entityID() : -1;
    auto calls = p->getConversationService();
    std::shared_ptr<Conversation> conversation;
    switch (kind) {
    case CallKind::audio:
        conversation = calls->audioConversation(target, entityID);
        break;
    case CallKind::video:
        conversation = calls->videoConversation(target, entityID);
        break;
    case CallKind::conference:
        conversation = calls->conferenceConversation(target, entityID);
        break;
    }
    if (!conversation)
        return;
    last_ = conversation;
    autoComplete_->dismiss();
    numberEntry_->clearNumberEntered();
}
