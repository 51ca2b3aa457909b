#pragma once

#include "engine/AutoCompleteIndex.h"
#include "engine/DelegateList.h"
#include "engine/EngineContext.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/Services.h"
#include "engine/SettingBlock.h"
#include "platform/foundation/Object.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Callbacks of the phone service. Every one is optional.
class OVPhoneServicePro {
public:
    virtual ~OVPhoneServicePro() = default;
    virtual void contactMigrationComplete() {}
    virtual void userNameUpdated() {}
    virtual void speakerEnabledChanged(bool /*enabled*/) {}
    virtual void micMutedChanged(bool /*muted*/) {}
    virtual void speakerOutputLevelChanged(int /*percent*/) {}
    virtual void microphoneInputLevelChanged(int /*percent*/) {}
    virtual void mediaDevicesChanged() {}
    virtual void networkStatusChanged(bool /*up*/) {}
    virtual void speakerVolumeChanged(int /*volume*/) {}
    virtual void speakerMutedChanged(bool /*muted*/) {}
};

// Where stringSetting reads: the application's settings (provisioned with the engine) or the
// user's settings tree.
enum class OVSettingsSource { appSettingsSource, userSettingsSource };

// The engine's hub of long-lived services. Each getter answers the same object for the life
// of the engine.
class PhoneService : public platform::Object,
                     public DelegatingService<OVPhoneServicePro>,
                     public std::enable_shared_from_this<PhoneService> {
public:
    static constexpr OVSettingsSource appSettingsSource = OVSettingsSource::appSettingsSource;
    static constexpr OVSettingsSource userSettingsSource = OVSettingsSource::userSettingsSource;

    // A phone service of its own, for use without the startup service.
    PhoneService();
    explicit PhoneService(std::shared_ptr<EngineContext> context);
    ~PhoneService() override;

    std::shared_ptr<SettingBlock> getPreferenceSettings() const { return preferenceSettings_; }
    std::shared_ptr<ConversationService> getConversationService() const {
        return conversationService_;
    }
    std::shared_ptr<AccountService> getAccountService() const { return accountService_; }
    std::shared_ptr<OVContactManager> getContactManager() const { return contactManager_; }
    std::shared_ptr<OVIMService> getIMService() const { return imService_; }
    std::shared_ptr<PhoneStatusService> getPhoneStatusService() const {
        return phoneStatusService_;
    }
    std::shared_ptr<OVConnectService> getConnectService() const { return connectService_; }
    std::shared_ptr<OVPrivacyService> getPrivacyService() const { return privacyService_; }
    std::shared_ptr<PresenceService> getPresenceService() const { return presenceService_; }
    std::shared_ptr<DiagnosticService> getDiagnosticService() const { return diagnosticService_; }
    std::shared_ptr<FileTransferService> getFileTransferService() const {
        return fileTransferService_;
    }
    std::shared_ptr<DTMFService> getDTMFService() const { return dtmfService_; }
    std::shared_ptr<TonePlayer> getTonePlayer() const { return tonePlayer_; }
    std::shared_ptr<CallHistoryService> getCallHistoryService() const {
        return callHistoryService_;
    }
    std::shared_ptr<ArchiveService> getArchiveService() const { return archiveService_; }
    std::shared_ptr<RemoteVideoService> getRemoteVideoService() const {
        return remoteVideoService_;
    }
    std::shared_ptr<LocalVideoService> getLocalVideoService() const { return localVideoService_; }
    std::shared_ptr<DirectoryService> getDirectoryService() const { return directoryService_; }
    std::shared_ptr<OVDeskphoneService> getDeskphoneService() const { return deskphoneService_; }
    std::shared_ptr<WorkgroupService> getWorkgroupService() const { return workgroupService_; }
    std::shared_ptr<ToastService> getToastService() const { return toastService_; }
    std::shared_ptr<NotificationService> getNotificationService() const {
        return notificationService_;
    }
    std::shared_ptr<MUCListService> getMUCListService() const { return mucListService_; }
    std::shared_ptr<DialPlanService> getDialPlanService() const { return dialPlanService_; }
    std::shared_ptr<OVContactImporterExporter> getContactImporterExporter() const {
        return contactImporterExporter_;
    }

    // The folder of the engine's own files (its store among them): the settings folder,
    // "<company>/<product>" under the application-support folder, from the main bundle's
    // Info. Tests point it elsewhere with setUserSettingFolder.
    std::string getUserSettingFolder() const;
    void setUserSettingFolder(std::optional<std::filesystem::path> folder);

    // The name the engine was initialised or signed in with ("" when none). setUserName
    // changes it quietly; updateUserName tells the delegates (userNameUpdated) of a change.
    const std::string& userName() const { return userName_; }
    void setUserName(std::string name) { userName_ = std::move(name); }
    void updateUserName(std::string name);
    void setCulture(std::string culture) { culture_ = std::move(culture); }

    // First-run request to handle the phone links of the desktop; counted, nothing else.
    void makeUsTheDefaultPhoneApplication() { ++defaultPhoneApplicationRequests_; }
    int defaultPhoneApplicationRequests() const { return defaultPhoneApplicationRequests_; }
    // Contacts of an older version wait to be moved into the store; migrateContacts does it
    // and answers contactMigrationComplete.
    bool contactMigrationRequired() const;
    void migrateContacts();
    // Where the disclaimer's answers are reported ("" when nowhere).
    std::string disclaimerAcceptUrl() const;
    std::string disclaimerRejectUrl() const;
    std::string menuShareTwitterUrl() const;
    std::string menuShareFacebookUrl() const;
    std::string menuShareLinkedInUrl() const;
    // A setting by field name: the provisioned application settings
    // ("feature:auto_update:code_server_url"), or a slash-separated path of the settings tree.
    std::string stringSetting(OVSettingsSource source, std::string_view field) const;

    // Microphone, speaker and levels. Each change is answered by its callback.
    bool micMuted() const { return micMuted_; }
    void muteMic(bool muted);
    bool speakerMuted() const { return speakerMuted_; }
    void muteSpeaker(bool muted);
    bool speakerEnabled() const { return speakerEnabled_; }
    void enableSpeaker(bool enabled);
    int speakerVolume() const { return speakerVolume_; }
    // 0 to 100; other values are clamped.
    void setSpeakerVolume(int volume);
    bool reportingAudioDeviceLevels() const { return reportingLevels_; }
    void enableReportingAudioDeviceLevels(bool enabled) { reportingLevels_ = enabled; }

    // Engine side. The updater behind the auto-update models; the session's start and end,
    // which bring the services' state up and down; the device and level reports.
    std::shared_ptr<AutoUpdater> autoUpdater() const { return autoUpdater_; }
    // The index of the session's suggestions and call history.
    AutoCompleteIndex& autoCompleteIndex() { return *autoCompleteIndex_; }
    std::shared_ptr<EngineContext> context() const { return context_; }
    void startSession(const std::string& loginName);
    void endSession();
    void reportMediaDevicesChanged();
    void reportAudioLevels(int speakerPercent, int microphonePercent);
    void reportNetworkStatus(bool up);

    // Fills the macros the engine knows, matched without regard to case: "$username$" (the
    // user's name), "$culture$" (the culture last set) and "$version$" (the product's short
    // version). Other text is returned as it is.
    std::string resolveUrlMacros(std::string_view text) const;

private:
    std::string configurationText(std::string_view key) const;
    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<SettingBlock> preferenceSettings_;
    std::shared_ptr<ConversationService> conversationService_;
    std::shared_ptr<AccountService> accountService_;
    std::shared_ptr<OVContactManager> contactManager_;
    std::shared_ptr<OVIMService> imService_;
    std::shared_ptr<PhoneStatusService> phoneStatusService_;
    std::shared_ptr<OVConnectService> connectService_;
    std::shared_ptr<OVPrivacyService> privacyService_;
    std::shared_ptr<PresenceService> presenceService_;
    std::shared_ptr<DiagnosticService> diagnosticService_;
    std::shared_ptr<FileTransferService> fileTransferService_;
    std::shared_ptr<DTMFService> dtmfService_;
    std::shared_ptr<TonePlayer> tonePlayer_;
    std::shared_ptr<CallHistoryService> callHistoryService_;
    std::shared_ptr<ArchiveService> archiveService_;
    std::shared_ptr<RemoteVideoService> remoteVideoService_;
    std::shared_ptr<LocalVideoService> localVideoService_;
    std::shared_ptr<DirectoryService> directoryService_;
    std::shared_ptr<OVDeskphoneService> deskphoneService_;
    std::shared_ptr<WorkgroupService> workgroupService_;
    std::shared_ptr<ToastService> toastService_;
    std::shared_ptr<NotificationService> notificationService_;
    std::shared_ptr<MUCListService> mucListService_;
    std::shared_ptr<DialPlanService> dialPlanService_;
    std::shared_ptr<OVContactImporterExporter> contactImporterExporter_;

    std::shared_ptr<AutoUpdater> autoUpdater_;
    std::unique_ptr<AutoCompleteIndex> autoCompleteIndex_ = std::make_unique<AutoCompleteIndex>();

    std::optional<std::filesystem::path> userSettingFolder_;
    std::string userName_;
    std::string culture_;
    int defaultPhoneApplicationRequests_ = 0;
    std::optional<bool> contactMigrationRequired_;
    bool micMuted_ = false;
    bool speakerEnabled_ = false;
    bool speakerMuted_ = false;
    int speakerVolume_ = 50;
    bool reportingLevels_ = false;
};
