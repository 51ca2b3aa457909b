#include "engine/PhoneService.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"

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

} // namespace

PhoneService::PhoneService()
    : preferenceSettings_(std::make_shared<SettingBlock>()),
      conversationService_(std::make_shared<ConversationService>()),
      accountService_(std::make_shared<AccountService>()),
      contactManager_(std::make_shared<OVContactManager>()),
      imService_(std::make_shared<OVIMService>()),
      phoneStatusService_(std::make_shared<PhoneStatusService>()),
      connectService_(std::make_shared<OVConnectService>()),
      privacyService_(std::make_shared<OVPrivacyService>()),
      presenceService_(std::make_shared<PresenceService>()),
      diagnosticService_(std::make_shared<DiagnosticService>()),
      fileTransferService_(std::make_shared<FileTransferService>()),
      dtmfService_(std::make_shared<DTMFService>()), tonePlayer_(std::make_shared<TonePlayer>()),
      callHistoryService_(std::make_shared<CallHistoryService>()),
      archiveService_(std::make_shared<ArchiveService>()),
      remoteVideoService_(std::make_shared<RemoteVideoService>()),
      localVideoService_(std::make_shared<LocalVideoService>()),
      directoryService_(std::make_shared<DirectoryService>()),
      deskphoneService_(std::make_shared<OVDeskphoneService>()),
      workgroupService_(std::make_shared<WorkgroupService>()),
      toastService_(std::make_shared<ToastService>()),
      notificationService_(std::make_shared<NotificationService>()),
      mucListService_(std::make_shared<MUCListService>()),
      dialPlanService_(std::make_shared<DialPlanService>()),
      contactImporterExporter_(std::make_shared<OVContactImporterExporter>()) {}

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
