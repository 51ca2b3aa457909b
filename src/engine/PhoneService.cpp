#include "engine/PhoneService.h"

#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cctype>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Copies a property-list dictionary into the settings tree: a dictionary is a block, anything
// else a committed leaf value.
void applyDefaults(SettingBlock& block, const platform::Value& values) {
    const auto* entries = values.dictionary();
    if (!entries) {
        return;
    }
    for (const auto& [name, value] : *entries) {
        auto child = block.sub(name);
        if (value.isDictionary()) {
            applyDefaults(*child, value);
        } else {
            child->setValue(value, true);
        }
    }
}

} // namespace

PhoneService::PhoneService() : PhoneService(std::make_shared<EngineContext>()) {}

PhoneService::PhoneService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)), preferenceSettings_(std::make_shared<SettingBlock>()),
      conversationService_(std::make_shared<ConversationService>(context_)),
      accountService_(std::make_shared<AccountService>(context_)),
      contactManager_(std::make_shared<OVContactManager>(context_)),
      imService_(std::make_shared<OVIMService>(context_)),
      phoneStatusService_(std::make_shared<PhoneStatusService>(context_)),
      connectService_(std::make_shared<OVConnectService>(context_)),
      privacyService_(std::make_shared<OVPrivacyService>(context_)),
      presenceService_(std::make_shared<PresenceService>(context_)),
      diagnosticService_(std::make_shared<DiagnosticService>()),
      fileTransferService_(std::make_shared<FileTransferService>(context_)),
      dtmfService_(std::make_shared<DTMFService>()), tonePlayer_(std::make_shared<TonePlayer>()),
      callHistoryService_(std::make_shared<CallHistoryService>(conversationService_)),
      archiveService_(std::make_shared<ArchiveService>()),
      remoteVideoService_(std::make_shared<RemoteVideoService>(context_)),
      localVideoService_(std::make_shared<LocalVideoService>()),
      directoryService_(std::make_shared<DirectoryService>()),
      deskphoneService_(std::make_shared<OVDeskphoneService>(context_)),
      workgroupService_(std::make_shared<WorkgroupService>(context_)),
      toastService_(std::make_shared<ToastService>(context_)),
      notificationService_(std::make_shared<NotificationService>(context_)),
      mucListService_(std::make_shared<MUCListService>(context_)),
      dialPlanService_(std::make_shared<DialPlanService>(context_)),
      contactImporterExporter_(std::make_shared<OVContactImporterExporter>(context_)),
      autoUpdater_(std::make_shared<AutoUpdater>(context_)) {
    // The product's defaults ("engine/settings-defaults.plist" of the main bundle) are what a
    // new user starts with; without them every switch would read off.
    const auto defaults =
        platform::Bundle::mainBundle().resourcePath() / "engine" / "settings-defaults.plist";
    if (auto values = platform::Value::readPropertyListFile(defaults)) {
        applyDefaults(*preferenceSettings_, *values);
    }
    contactManager_->setDelegate(autoCompleteIndex_.get());
    callHistoryService_->setIndex(autoCompleteIndex_.get());
    // The archive names its parties as the contact list does.
    std::weak_ptr<OVContactManager> contacts = contactManager_;
    archiveService_->setNameResolver([contacts](const std::string& address) {
        auto manager = contacts.lock();
        if (!manager)
            return std::string();
        const auto found = manager->lookup({}, address, {});
        return found.empty() ? std::string() : found.front()->displayName();
    });
}

PhoneService::~PhoneService() {
    contactManager_->removeDelegate(autoCompleteIndex_.get());
    callHistoryService_->setIndex(nullptr);
}

std::string PhoneService::getUserSettingFolder() const {
    if (userSettingFolder_) {
        return userSettingFolder_->string();
    }
    const auto& bundle = platform::Bundle::mainBundle();
    const std::string company = bundle.objectForInfoDictionaryKey("CompanyName").stringValue();
    return (platform::applicationSupportDirectory() / company / bundle.bundleName()).string();
}

void PhoneService::setUserSettingFolder(std::optional<std::filesystem::path> folder) {
    userSettingFolder_ = std::move(folder);
}

std::string PhoneService::resolveUrlMacros(std::string_view text) const {
    const std::string version = platform::Bundle::mainBundle()
                                    .objectForInfoDictionaryKey("CFBundleShortVersionString")
                                    .stringValue();
    const std::pair<std::string_view, std::string_view> macros[] = {
        {"$username$", userName_}, {"$culture$", culture_}, {"$version$", version}};

    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const auto& [macro, value] : macros) {
            if (equalsIgnoringCase(text.substr(i, macro.size()), macro)) {
                result += value;
                i += macro.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            result += text[i++];
        }
    }
    return result;
}

std::string PhoneService::configurationText(std::string_view key) const {
    return context_->backend()->configuration(key).stringValue();
}

void PhoneService::updateUserName(std::string name) {
    if (name == userName_) {
        return;
    }
    userName_ = std::move(name);
    notifyDelegates([](OVPhoneServicePro& d) { d.userNameUpdated(); });
}

bool PhoneService::contactMigrationRequired() const {
    if (!contactMigrationRequired_) {
        return context_->backend()->configuration("contactMigrationRequired").boolValue();
    }
    return *contactMigrationRequired_;
}

void PhoneService::migrateContacts() {
    std::weak_ptr<PhoneService> weak = weak_from_this();
    context_->post(context_->backend()->latency("migrateContacts"), [weak] {
        if (auto self = weak.lock()) {
            self->contactMigrationRequired_ = false;
            self->notifyDelegates([](OVPhoneServicePro& d) { d.contactMigrationComplete(); });
        }
    });
}

std::string PhoneService::disclaimerAcceptUrl() const {
    return configurationText("disclaimerAcceptUrl");
}

std::string PhoneService::disclaimerRejectUrl() const {
    return configurationText("disclaimerRejectUrl");
}

std::string PhoneService::menuShareTwitterUrl() const {
    return configurationText("menuShareTwitterUrl");
}

std::string PhoneService::menuShareFacebookUrl() const {
    return configurationText("menuShareFacebookUrl");
}

std::string PhoneService::menuShareLinkedInUrl() const {
    return configurationText("menuShareLinkedInUrl");
}

std::string PhoneService::stringSetting(OVSettingsSource source, std::string_view field) const {
    if (source == OVSettingsSource::appSettingsSource) {
        return context_->backend()->configuration("appSettings")[field].stringValue();
    }
    // A path of the settings tree; a missing block reads as "" without being made.
    std::shared_ptr<SettingBlock> block = preferenceSettings_;
    while (block && !field.empty()) {
        const auto slash = field.find('/');
        block = block->existingSub(field.substr(0, slash));
        field = slash == std::string_view::npos ? std::string_view() : field.substr(slash + 1);
    }
    return block ? block->stringSetting() : "";
}

void PhoneService::muteMic(bool muted) {
    if (muted == micMuted_) {
        return;
    }
    micMuted_ = muted;
    std::weak_ptr<PhoneService> weak = weak_from_this();
    context_->post([weak, muted] {
        if (auto self = weak.lock()) {
            self->notifyDelegates([&](OVPhoneServicePro& d) { d.micMutedChanged(muted); });
        }
    });
}

void PhoneService::enableSpeaker(bool enabled) {
    if (enabled == speakerEnabled_) {
        return;
    }
    speakerEnabled_ = enabled;
    std::weak_ptr<PhoneService> weak = weak_from_this();
    context_->post([weak, enabled] {
        if (auto self = weak.lock()) {
            self->notifyDelegates([&](OVPhoneServicePro& d) { d.speakerEnabledChanged(enabled); });
        }
    });
}

void PhoneService::muteSpeaker(bool muted) {
    if (muted == speakerMuted_) {
        return;
    }
    speakerMuted_ = muted;
    std::weak_ptr<PhoneService> weak = weak_from_this();
    context_->post([weak, muted] {
        if (auto self = weak.lock()) {
            self->notifyDelegates([&](OVPhoneServicePro& d) { d.speakerMutedChanged(muted); });
        }
    });
}

void PhoneService::setSpeakerVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == speakerVolume_) {
        return;
    }
    speakerVolume_ = volume;
    std::weak_ptr<PhoneService> weak = weak_from_this();
    context_->post([weak, volume] {
        if (auto self = weak.lock()) {
            self->notifyDelegates([&](OVPhoneServicePro& d) { d.speakerVolumeChanged(volume); });
        }
    });
}

void PhoneService::reportMediaDevicesChanged() {
    notifyDelegates([](OVPhoneServicePro& d) { d.mediaDevicesChanged(); });
}

void PhoneService::reportAudioLevels(int speakerPercent, int microphonePercent) {
    if (!reportingLevels_) {
        return;
    }
    speakerPercent = std::clamp(speakerPercent, 0, 100);
    microphonePercent = std::clamp(microphonePercent, 0, 100);
    notifyDelegates([&](OVPhoneServicePro& d) { d.speakerOutputLevelChanged(speakerPercent); });
    notifyDelegates(
        [&](OVPhoneServicePro& d) { d.microphoneInputLevelChanged(microphonePercent); });
}

void PhoneService::reportNetworkStatus(bool up) {
    context_->setNetworkUp(up);
    notifyDelegates([&](OVPhoneServicePro& d) { d.networkStatusChanged(up); });
    phoneStatusService_->update();
    conversationService_->updateAvailability();
}

void PhoneService::startSession(const std::string& loginName) {
    const auto backend = context_->backend();
    std::string ungrouped = "Others";
    if (auto* startup = context_->startup()) {
        if (const auto& arguments = startup->initializeArguments();
            arguments && !arguments->upgroupedGrouopName.empty()) {
            ungrouped = arguments->upgroupedGrouopName;
        }
    }
    // The contacts live in the engine's database next to its other facts.
    std::optional<std::filesystem::path> contactStoreFile;
    if (auto* startup = context_->startup(); startup && startup->store().isOpen()) {
        contactStoreFile = startup->store().file();
    }
    // Suggestions and the history share that database; without it they last the session.
    autoCompleteIndex_->setOwner(loginName);
    if (auto error = autoCompleteIndex_->open(contactStoreFile)) {
        platform::Log("The call history cannot be kept: " + *error);
        autoCompleteIndex_->open(std::nullopt);
    }
    if (auto error = archiveService_->open(contactStoreFile, loginName)) {
        platform::Log("The message archive cannot be kept: " + *error);
        archiveService_->open(std::nullopt, loginName);
    }
    contactManager_->loadSession(loginName, backend->contactsFor(loginName), ungrouped,
                                 contactStoreFile);
    presenceService_->resetSession();
    std::weak_ptr<PresenceService> presence = presenceService_;
    backend->watchPresence(
        loginName, context_->guard([presence](const std::string& address, OVPresenceStatus status,
                                              const std::string& message) {
            if (auto service = presence.lock()) {
                service->contactPresenceChanged(address, status, message);
            }
        }));
    for (const auto& config : backend->accountsFor(loginName)) {
        accountService_->addAccount(config);
    }
    const auto voiceMail = backend->configuration("voiceMailCount");
    if (voiceMail.isNumber()) {
        accountService_->setNewVoiceMailCount(voiceMail.intValue());
    }
    accountService_->enableAll();
    // Accounts to enable report their own way up; without any, the status is settled now.
    const auto& accounts = accountService_->accounts();
    if (std::none_of(accounts.begin(), accounts.end(),
                     [](const auto& a) { return a->toEnable(); })) {
        phoneStatusService_->update();
        conversationService_->updateAvailability();
    }
}

void PhoneService::endSession() {
    if (const auto backend = context_->backend()) {
        backend->stopWatchingPresence();
    }
    conversationService_->endAll();
    imService_->endAll();
    fileTransferService_->cancelAll();
    toastService_->removeAll();
    accountService_->disableAll(true);
    contactManager_->clear();
    autoCompleteIndex_->close();
    archiveService_->close();
    presenceService_->resetSession();
    connectService_->setState(false, false);
    phoneStatusService_->update();
    conversationService_->updateAvailability();
}
