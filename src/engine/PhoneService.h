#pragma once

#include "engine/DelegateList.h"
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
};

// The engine's hub of long-lived services. Each getter answers the same object for the life
// of the engine.
class PhoneService : public platform::Object, public DelegatingService<OVPhoneServicePro> {
public:
    PhoneService();

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

    // The name the engine was initialised or signed in with ("" when none).
    const std::string& userName() const { return userName_; }
    void setUserName(std::string name) { userName_ = std::move(name); }
    void setCulture(std::string culture) { culture_ = std::move(culture); }

    // Fills the macros the engine knows, matched without regard to case: "$username$" (the
    // user's name), "$culture$" (the culture last set) and "$version$" (the product's short
    // version). Other text is returned as it is.
    std::string resolveUrlMacros(std::string_view text) const;

private:
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

    std::optional<std::filesystem::path> userSettingFolder_;
    std::string userName_;
    std::string culture_;
};
