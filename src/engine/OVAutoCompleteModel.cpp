#include "engine/OVAutoCompleteModel.h"

#include "engine/OVNumberEntryModel.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

namespace {

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

} // namespace

std::shared_ptr<OVAutoCompleteModel>
OVAutoCompleteModel::create(const std::shared_ptr<OVNumberEntryModel>& entry) {
    auto model = std::make_shared<OVAutoCompleteModel>();
    model->entry_ = entry;
    return model;
}

void OVAutoCompleteModel::textChanged(const std::string& text) {
    text_ = text;
    if (lookupPending_) {
        return;
    }
    lookupPending_ = true;
    auto p = phone();
    if (!p) {
        return;
    }
    std::weak_ptr<OVAutoCompleteModel> weak = weak_from_this();
    p->context()->post([weak] {
        if (auto self = weak.lock(); self && self->lookupPending_) {
            self->refreshNow();
        }
    });
}

void OVAutoCompleteModel::refreshNow() {
    lookupPending_ = false;
    std::vector<std::shared_ptr<OVAutoCompleteItem>> list;
    if (auto p = phone(); p && !text_.empty()) {
        for (auto& record : p->autoCompleteIndex().suggestions(text_, maximumSuggestions)) {
            auto item = std::make_shared<OVSpaceItem>(record.displayName, record.address,
                                                      record.addressType, record.entityID,
                                                      record.isContact);
            list.push_back(std::make_shared<OVAutoCompleteItem>(std::move(item), record.lastUsed));
        }
    }
    const bool changed = !(list.empty() && list_.empty());
    list_ = std::move(list);
    if (changed) {
        notifyDelegates(
            [](OVAutoCompleteModelPro& d) { d.ovmdAutoCompleteListCollectionChanged(); });
    }
    // A new list that stays shown is reported too, so the listener shows the new rows.
    setShown(!list_.empty(), changed && !list_.empty());
}

void OVAutoCompleteModel::dismiss() {
    lookupPending_ = false;
    setShown(false);
}

void OVAutoCompleteModel::setShown(bool shown, bool always) {
    if (shown == shown_ && !always) {
        return;
    }
    shown_ = shown;
    const std::string property(isAutoCompleteShownProperty);
    notifyDelegates(
        [&](OVAutoCompleteModelPro& d) { d.ovmdAutoCompletePropertyChanged(property); });
}

void OVAutoCompleteModel::autoCompleteAction() {
    auto entry = entry_.lock();
    if (!item_ || !entry) {
        return;
    }
    entry->setObjectEntered(item_->getSpaceItem());
    dismiss();
    // The user may ask for a call as soon as a suggestion is picked.
    auto p = phone();
    auto setting = p ? p->getPreferenceSettings()->existingSub("preferences") : nullptr;
    setting = setting ? setting->existingSub("application") : nullptr;
    setting = setting ? setting->existingSub("callImmediatelyUponSelection") : nullptr;
    if (setting && setting->boolSetting() && dialHandler_) {
        dialHandler_();
    }
}

void OVAutoCompleteModel::redialShow() {
    auto p = phone();
    auto list = p ? p->getCallHistoryService()->redialHistoryItems()
                  : std::vector<std::shared_ptr<OVModelCallHistoryItem>>{};
    const bool changed =
        list.size() != redial_.size() ||
        !std::equal(list.begin(), list.end(), redial_.begin(),
                    [](const auto& a, const auto& b) { return a->record().id == b->record().id; });
    redial_ = std::move(list);
    if (changed) {
        notifyDelegates([](OVAutoCompleteModelPro& d) { d.ovmdRedialListCollectionChanged(); });
    }
}

void OVAutoCompleteModel::redialAction() {
    auto entry = entry_.lock();
    if (!redialItem_ || !entry) {
        return;
    }
    entry->setObjectEntered(redialItem_->getSpaceItem());
    if (dialHandler_) {
        dialHandler_();
    }
}
