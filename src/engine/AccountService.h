#pragma once

#include "engine/DelegateList.h"
#include "engine/EngineBackend.h"
#include "engine/OVConstants.h"
#include "engine/OVObject.h"
#include "engine/SettingBlock.h"

#include <memory>
#include <string>
#include <vector>

class EngineContext;
class OVAccount;

// What an account can be used for; the account service names a default account per feature.
enum class OVAccountFeature { featureCall, featureIM, featureSMS, featurePresence };

// Callbacks of one account.
class OVAccountPro {
public:
    virtual ~OVAccountPro() = default;
    virtual void accountStatusChangedToStatus(const std::shared_ptr<OVAccount>& /*account*/,
                                              OVAccountStatus /*status*/) {}
};

// One signalling account (SIP or XMPP) of the session. Enabling registers it with its server;
// a failure keeps the cause (and the SIP code, when the server gave one) until the next try.
class OVAccount : public OVObject,
                  public DelegatingService<OVAccountPro>,
                  public std::enable_shared_from_this<OVAccount> {
public:
    static constexpr OVAccountStatus statusEnabling = OVAccountStatus::statusEnabling;
    static constexpr OVAccountStatus statusEnabled = OVAccountStatus::statusEnabled;
    static constexpr OVAccountStatus statusDisabling = OVAccountStatus::statusDisabling;
    static constexpr OVAccountStatus statusDisabled = OVAccountStatus::statusDisabled;
    static constexpr OVAccountStatus statusFailed = OVAccountStatus::statusFailed;
    static constexpr OVAccountStatus statusShutdown = OVAccountStatus::statusShutdown;
    static constexpr OVAccountProtocol SIPprotocol = OVAccountProtocol::SIPprotocol;
    static constexpr OVAccountProtocol XMPPprotocol = OVAccountProtocol::XMPPprotocol;
    static constexpr OVAccountFeature featureCall = OVAccountFeature::featureCall;
    static constexpr OVAccountFeature featureIM = OVAccountFeature::featureIM;
    static constexpr OVAccountFeature featureSMS = OVAccountFeature::featureSMS;
    static constexpr OVAccountFeature featurePresence = OVAccountFeature::featurePresence;

    OVAccount(std::shared_ptr<EngineContext> context, AccountConfig config);

    int accountID() const { return config_.accountID; }
    const std::string& accountName() const { return config_.accountName; }
    OVAccountProtocol protocol() const { return config_.protocol; }
    const std::string& userName() const { return config_.userName; }
    const std::string& domain() const { return config_.domain; }
    bool isViewable() const { return config_.viewable; }
    const AccountConfig& config() const { return config_; }

    OVAccountStatus status() const { return status_; }
    OVAccountFailureCause failureCause() const { return failureCause_; }
    int sipFailureCode() const { return sipFailureCode_; }
    // Whether the user wants the account enabled.
    bool toEnable() const { return toEnable_; }
    bool isFeatureEnabled(OVAccountFeature feature) const;
    // Voicemail: whether the user keeps it on, the address that calls the box ("" when the
    // account has none) and the messages not yet heard.
    bool voicemailEnabled() const { return config_.voicemailEnabled; }
    const std::string& callVoicemailUri() const { return config_.voicemailUri; }
    int newVoiceMailCount() const { return newVoiceMailCount_; }

    // The account's settings: "sipAccount" or "xmppAccount" / "account" / "accountName".
    std::shared_ptr<SettingBlock> getSettings() const { return settings_; }

    // Registers the account (again); answered by status changes enabling, then enabled or
    // failed. Nothing happens while it is enabling or enabled.
    void enable();
    // Unregisters it: disabling, then disabled.
    void disable();

    // Engine side: the status the network reported, with its failure details, and the end of
    // a registration under way (its answer will be dropped).
    void cancelPendingRequest() { ++requestGeneration_; }
    void applyStatus(OVAccountStatus status,
                     OVAccountFailureCause cause = OVAccountFailureCause::failureNone,
                     int sipFailureCode = 0);

    std::string description() const override { return config_.accountName; }

private:
    friend class AccountService;
    int newVoiceMailCount_ = 0;
    std::shared_ptr<EngineContext> context_;
    AccountConfig config_;
    OVAccountStatus status_ = OVAccountStatus::statusDisabled;
    OVAccountFailureCause failureCause_ = OVAccountFailureCause::failureNone;
    int sipFailureCode_ = 0;
    bool toEnable_;
    // Answers of the network to an older request are dropped.
    unsigned requestGeneration_ = 0;
    std::shared_ptr<SettingBlock> settings_;
};

// Callbacks of the account service.
class OVAccountServicePro {
public:
    virtual ~OVAccountServicePro() = default;
    virtual void accountAdded(const std::shared_ptr<OVAccount>& /*account*/) {}
    virtual void accountRemoved(const std::shared_ptr<OVAccount>& /*account*/) {}
    virtual void accountStatusChanged(const std::shared_ptr<OVAccount>& /*account*/,
                                      OVAccountStatus /*status*/) {}
    virtual void voiceMailUpdate() {}
};

// The session's accounts, in the order provisioning lists them.
class AccountService : public platform::Object, public DelegatingService<OVAccountServicePro> {
public:
    explicit AccountService(std::shared_ptr<EngineContext> context);

    const std::vector<std::shared_ptr<OVAccount>>& accounts() const { return accounts_; }
    std::shared_ptr<OVAccount> account(int accountID) const;
    std::shared_ptr<OVAccount> accountNamed(std::string_view accountName) const;
    // The first enabled account that serves the feature, or nullptr.
    std::shared_ptr<OVAccount> defaultAccount(OVAccountFeature feature) const;
    // The new voicemails of every account.
    int newVoiceMailCount() const { return newVoiceMailCount_; }
    // The accounts with new voicemails, in provisioning order.
    std::vector<std::shared_ptr<OVAccount>> accountsWithNewVoiceMails() const;
    // Accounts shown to the user.
    int viewableAccountCount() const;

    // Engine side. A session's accounts arrive disabled and are announced with accountAdded;
    // enableAll then registers those the user wants enabled.
    void addAccount(const AccountConfig& config);
    void removeAccount(const std::shared_ptr<OVAccount>& account);
    void enableAll();
    // Takes every account down at once (logout, sleep); with remove they are dropped too.
    void disableAll(bool remove);
    // The server's summary of new voicemails: it concerns the first call account with a
    // voicemail box (the first call account when none has one).
    void setNewVoiceMailCount(int count);
    // The new voicemails of one account; the total follows. Either way voiceMailUpdate tells.
    void setNewVoiceMailCount(const std::shared_ptr<OVAccount>& account, int count);
    // Called by an account whose status changed: tells the delegates, then the phone status.
    void accountChangedStatus(const std::shared_ptr<OVAccount>& account);

private:
    std::shared_ptr<EngineContext> context_;
    std::vector<std::shared_ptr<OVAccount>> accounts_;
    int newVoiceMailCount_ = 0;
};
