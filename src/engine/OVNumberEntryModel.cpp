#include "engine/OVNumberEntryModel.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

namespace {

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

bool isDialKey(int character) {
    return character > 0 && character < 128 &&
           OVNumberEntryModel::dialKeys.find(static_cast<char>(character)) !=
               std::string_view::npos;
}

} // namespace

std::shared_ptr<OVNumberEntryModel> OVNumberEntryModel::create() {
    return std::make_shared<OVNumberEntryModel>();
}

void OVNumberEntryModel::setNumberEntered(std::string text) {
    if (text == number_) {
        return;
    }
    number_ = std::move(text);
    // Typing over a picked item leaves a plain number.
    if (object_ && number_ != object_->addressToDisplay()) {
        object_.reset();
        changed(objectEnteredProperty);
    }
    changed(numberEnteredProperty);
    if (textHandler_) {
        textHandler_(number_);
    }
}

void OVNumberEntryModel::clearNumberEntered() {
    const bool hadObject = object_ != nullptr;
    object_.reset();
    if (hadObject) {
        changed(objectEnteredProperty);
    }
    if (!number_.empty()) {
        number_.clear();
        changed(numberEnteredProperty);
    }
    if (textHandler_) {
        textHandler_(number_);
    }
}

std::string OVNumberEntryModel::realizedNumberEntered() const {
    if (object_) {
        return object_->address();
    }
    auto p = phone();
    return p ? p->getDialPlanService()->dialString(number_) : number_;
}

void OVNumberEntryModel::setObjectEntered(std::string address, std::string display,
                                          OVAddressType addressType, long long entityID) {
    setObjectEntered(std::make_shared<OVSpaceItem>(std::move(display), std::move(address),
                                                   addressType, entityID, entityID >= 0));
}

void OVNumberEntryModel::setObjectEntered(std::shared_ptr<OVSpaceItem> item) {
    object_ = std::move(item);
    changed(objectEnteredProperty);
    const std::string text = object_ ? object_->addressToDisplay() : std::string();
    if (text != number_) {
        number_ = text;
        changed(numberEnteredProperty);
    }
    if (dismissHandler_) {
        dismissHandler_();
    }
}

void OVNumberEntryModel::keyIsPressed(int character) {
    if (!isDialKey(character)) {
        return;
    }
    if (auto p = phone()) {
        p->getDTMFService()->startTone(static_cast<char>(character));
    }
    if (keyHandler_) {
        keyHandler_(static_cast<char>(character));
    }
}

void OVNumberEntryModel::keyIsReleased(int character) {
    if (auto p = phone(); p && isDialKey(character)) {
        p->getDTMFService()->stopTone();
    }
    if (character == ' ' && dismissHandler_) {
        dismissHandler_();
    }
}

void OVNumberEntryModel::specialKeyPressed(int key) {
    if (key == returnKey && dialHandler_) {
        dialHandler_();
    }
}

void OVNumberEntryModel::gotFocus(bool flag) {
    focus_ = flag;
}

void OVNumberEntryModel::lostFocus(bool flag) {
    if (flag) {
        focus_ = false;
    }
}

void OVNumberEntryModel::setTextSelectionState(int /*state*/, long start, long length) {
    selectionStart_ = start;
    selectionLength_ = length;
}

void OVNumberEntryModel::requestFocus() {
    auto self = shared_from_this();
    notifyDelegates([&](OVNumberEntryModelPro& d) { d.ovmdNumberEntryFocusRequested(*self); });
}

void OVNumberEntryModel::requestTextSelectionState(int state) {
    notifyDelegates(
        [&](OVNumberEntryModelPro& d) { d.ovmdNumberEntryTextSelectionStateRequested(state); });
}

void OVNumberEntryModel::changed(std::string_view property) {
    const bool first = pending_.empty();
    pending_.emplace(property);
    if (!first) {
        return;
    }
    auto p = phone();
    auto context = p ? p->context() : nullptr;
    std::weak_ptr<OVNumberEntryModel> weak = weak_from_this();
    auto deliver = [weak] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        const auto properties = std::move(self->pending_);
        self->pending_.clear();
        // The object first, so a listener reading the number sees the item it belongs to.
        for (auto name : {objectEnteredProperty, numberEnteredProperty}) {
            if (properties.count(name)) {
                const std::string property(name);
                self->notifyDelegates(
                    [&](OVNumberEntryModelPro& d) { d.ovmdNumberEntryPropertyChanged(property); });
            }
        }
    };
    if (context) {
        context->post(std::move(deliver));
    } else {
        platform::RunLoop::main().performAfterDelay(0, std::move(deliver));
    }
}
