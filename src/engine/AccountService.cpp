#include "engine/AccountService.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

#include <algorithm>

OVAccount::OVAccount(std::shared_ptr<EngineContext> context, AccountConfig config)
    : context_(std::move(context)), config_(std::move(config)), toEnable_(config_.toEnable),
      settings_(std::make_shared<SettingBlock>()) {
    const char* kind =
        config_.protocol == OVAccountProtocol::XMPPprotocol ? "xmppAccount" : "sipAccount";
    settings_->sub(kind)
        ->sub("account")
        ->sub("accountName")
        ->setStringSetting(config_.accountName, true);
}

bool OVAccount::isFeatureEnabled(OVAccountFeature feature) const {
    switch (feature) {
    case OVAccountFeature::featureCall:
    case OVAccountFeature::featureSMS:
        return config_.protocol == OVAccountProtocol::SIPprotocol;
    case OVAccountFeature::featureIM:
    case OVAccountFeature::featurePresence:
        return true;
    }
    return false;
}

void OVAccount::enable() {
    toEnable_ = true;
    if (!context_ || status_ == OVAccountStatus::statusEnabling ||
        status_ == OVAccountStatus::statusEnabled) {
        return;
    }
    const unsigned generation = ++requestGeneration_;
    std::weak_ptr<OVAccount> weak = weak_from_this();
    context_->post([weak, generation] {
        auto self = weak.lock();
        if (!self || generation != self->requestGeneration_ || !self->context_->started()) {
            return;
        }
        self->applyStatus(OVAccountStatus::statusEnabling);
        self->context_->backend()->registerAccount(
            self->config_, self->context_->guard([weak, generation](const AccountAnswer& answer) {
                auto account = weak.lock();
                if (!account || generation != account->requestGeneration_) {
                    return;
                }
                if (answer.enabled) {
                    account->applyStatus(OVAccountStatus::statusEnabled);
                } else {
                    account->applyStatus(OVAccountStatus::statusFailed, answer.failureCause,
                                         answer.sipFailureCode);
                }
            }));
    });
}

void OVAccount::disable() {
    toEnable_ = false;
    if (!context_ || status_ == OVAccountStatus::statusDisabled ||
        status_ == OVAccountStatus::statusDisabling) {
        return;
    }
    const unsigned generation = ++requestGeneration_;
    std::weak_ptr<OVAccount> weak = weak_from_this();
    context_->post([weak, generation] {
        auto self = weak.lock();
        if (!self || generation != self->requestGeneration_) {
            return;
        }
        self->applyStatus(OVAccountStatus::statusDisabling);
        self->context_->backend()->unregisterAccount(
            self->accountID(), self->context_->guard([weak, generation] {
                auto account = weak.lock();
                if (account && generation == account->requestGeneration_) {
                    account->applyStatus(OVAccountStatus::statusDisabled);
                }
            }));
    });
}

void OVAccount::applyStatus(OVAccountStatus status, OVAccountFailureCause cause,
                            int sipFailureCode) {
    if (status == OVAccountStatus::statusFailed) {
        failureCause_ = cause;
        sipFailureCode_ = sipFailureCode;
    } else if (status == OVAccountStatus::statusEnabled ||
               status == OVAccountStatus::statusEnabling) {
        failureCause_ = OVAccountFailureCause::failureNone;
        sipFailureCode_ = 0;
    }
    if (status == status_) {
        return;
    }
    status_ = status;
    auto self = shared_from_this();
    notifyDelegates([&](OVAccountPro& d) { d.accountStatusChangedToStatus(self, status); });
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getAccountService()->accountChangedStatus(self);
    }
}

AccountService::AccountService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

std::shared_ptr<OVAccount> AccountService::account(int accountID) const {
    auto it = std::find_if(accounts_.begin(), accounts_.end(),
                           [&](const auto& a) { return a->accountID() == accountID; });
    return it == accounts_.end() ? nullptr : *it;
}

std::shared_ptr<OVAccount> AccountService::accountNamed(std::string_view accountName) const {
    auto it = std::find_if(accounts_.begin(), accounts_.end(),
                           [&](const auto& a) { return a->accountName() == accountName; });
    return it == accounts_.end() ? nullptr : *it;
}

std::shared_ptr<OVAccount> AccountService::defaultAccount(OVAccountFeature feature) const {
    for (const auto& account : accounts_) {
        if (account->status() == OVAccountStatus::statusEnabled &&
            account->isFeatureEnabled(feature)) {
            return account;
        }
    }
    return nullptr;
}

int AccountService::viewableAccountCount() const {
    return static_cast<int>(std::count_if(accounts_.begin(), accounts_.end(),
                                          [](const auto& a) { return a->isViewable(); }));
}

void AccountService::addAccount(const AccountConfig& config) {
    auto account = std::make_shared<OVAccount>(context_, config);
    accounts_.push_back(account);
    notifyDelegates([&](OVAccountServicePro& d) { d.accountAdded(account); });
}

void AccountService::removeAccount(const std::shared_ptr<OVAccount>& account) {
    auto it = std::find(accounts_.begin(), accounts_.end(), account);
    if (it == accounts_.end()) {
        return;
    }
    accounts_.erase(it);
    notifyDelegates([&](OVAccountServicePro& d) { d.accountRemoved(account); });
}

void AccountService::enableAll() {
    for (const auto& account : accounts_) {
        if (account->toEnable()) {
            account->enable();
        }
    }
}

void AccountService::disableAll(bool remove) {
    const auto accounts = accounts_;
    for (const auto& account : accounts) {
        account->cancelPendingRequest();
        account->applyStatus(remove ? OVAccountStatus::statusShutdown
                                    : OVAccountStatus::statusDisabled);
    }
    if (remove) {
        for (const auto& account : accounts) {
            removeAccount(account);
        }
        newVoiceMailCount_ = 0;
    }
}

void AccountService::setNewVoiceMailCount(int count) {
    std::shared_ptr<OVAccount> target;
    for (const auto& account : accounts_) {
        if (!account->isFeatureEnabled(OVAccountFeature::featureCall))
            continue;
        if (!account->callVoicemailUri().empty()) {
            target = account;
            break;
        }
        if (!target)
            target = account;
    }
    if (target) {
        setNewVoiceMailCount(target, count);
        return;
    }
    newVoiceMailCount_ = std::max(0, count);
    notifyDelegates([](OVAccountServicePro& d) { d.voiceMailUpdate(); });
}

void AccountService::setNewVoiceMailCount(const std::shared_ptr<OVAccount>& account, int count) {
    if (!account)
        return;
    account->newVoiceMailCount_ = std::max(0, count);
    int total = 0;
    for (const auto& each : accounts_)
        total += each->newVoiceMailCount_;
    newVoiceMailCount_ = total;
    notifyDelegates([](OVAccountServicePro& d) { d.voiceMailUpdate(); });
}

std::vector<std::shared_ptr<OVAccount>> AccountService::accountsWithNewVoiceMails() const {
    std::vector<std::shared_ptr<OVAccount>> found;
    for (const auto& account : accounts_) {
        if (account->newVoiceMailCount() > 0)
            found.push_back(account);
    }
    return found;
}

void AccountService::accountChangedStatus(const std::shared_ptr<OVAccount>& account) {
    const auto status = account->status();
    notifyDelegates([&](OVAccountServicePro& d) { d.accountStatusChanged(account, status); });
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getPhoneStatusService()->update();
        phone->getConversationService()->updateAvailability();
        if (status == OVAccountStatus::statusEnabled &&
            account->isFeatureEnabled(OVAccountFeature::featurePresence)) {
            phone->getPresenceService()->presenceAccountEnabled(account->protocol());
        }
    }
}
