#pragma once

#include "engine/DelegateList.h"
#include "platform/foundation/Object.h"

#include <memory>

// The long-lived services of the phone service whose behaviour the interface does not rely
// on yet. Each is a service with its delegate protocol; the features that use them add their
// operations and callbacks here or move them to a file of their own.

class OVConversationServicePro {
public:
    virtual ~OVConversationServicePro() = default;
};
class ConversationService : public platform::Object,
                            public DelegatingService<OVConversationServicePro> {
public:
    // Calls in progress on any line.
    int linesInUse() const { return 0; }
};

class OVAccountServicePro {
public:
    virtual ~OVAccountServicePro() = default;
};
class AccountService : public platform::Object, public DelegatingService<OVAccountServicePro> {};

class OVContactManagerPro {
public:
    virtual ~OVContactManagerPro() = default;
};
class OVContactManager : public platform::Object, public DelegatingService<OVContactManagerPro> {};

class OVIMServicePro {
public:
    virtual ~OVIMServicePro() = default;
};
class OVIMService : public platform::Object, public DelegatingService<OVIMServicePro> {};

class OVPhoneStatusServicePro {
public:
    virtual ~OVPhoneStatusServicePro() = default;
};
// The phone's overall state as one number: 0 or 6 nothing enabled, 1 enabling, 2 partly
// enabled, 3 partial failure, 4 ready, 5 failed, 7 no SIP account, 8 network down.
class OVPhoneStatus : public platform::Object {
public:
    int value() const { return value_; }
    void setValue(int value) { value_ = value; }
    void refresh() {}

private:
    int value_ = 0;
};
class PhoneStatusService : public platform::Object,
                           public DelegatingService<OVPhoneStatusServicePro> {
public:
    std::shared_ptr<OVPhoneStatus> status() const { return status_; }

private:
    std::shared_ptr<OVPhoneStatus> status_ = std::make_shared<OVPhoneStatus>();
};

class OVConnectServicePro {
public:
    virtual ~OVConnectServicePro() = default;
};
class OVConnectService : public platform::Object, public DelegatingService<OVConnectServicePro> {
public:
    // Whether the hosted service is connected; the simulation sets it.
    bool isConnected() const { return connected_; }
    void setConnected(bool connected) { connected_ = connected; }

private:
    bool connected_ = false;
};

class OVPrivacyServicePro {
public:
    virtual ~OVPrivacyServicePro() = default;
};
class OVPrivacyService : public platform::Object, public DelegatingService<OVPrivacyServicePro> {};

class OVPresenceServicePro {
public:
    virtual ~OVPresenceServicePro() = default;
};
class PresenceService : public platform::Object, public DelegatingService<OVPresenceServicePro> {};

class OVDiagnosticServicePro {
public:
    virtual ~OVDiagnosticServicePro() = default;
};
class DiagnosticService : public platform::Object,
                          public DelegatingService<OVDiagnosticServicePro> {};

class OVFileTransferServicePro {
public:
    virtual ~OVFileTransferServicePro() = default;
};
class FileTransferService : public platform::Object,
                            public DelegatingService<OVFileTransferServicePro> {};

class OVDTMFServicePro {
public:
    virtual ~OVDTMFServicePro() = default;
};
// Key tones of the dialpad and the in-call number fields.
class DTMFService : public platform::Object, public DelegatingService<OVDTMFServicePro> {
public:
    void startTone(char key) { tone_ = key; }
    void stopTone() { tone_ = 0; }
    bool isPlayingTone() const { return tone_ != 0; }
    char currentTone() const { return tone_; }

private:
    char tone_ = 0;
};

class OVTonePlayerPro {
public:
    virtual ~OVTonePlayerPro() = default;
};
class TonePlayer : public platform::Object, public DelegatingService<OVTonePlayerPro> {};

class OVCallHistoryServicePro {
public:
    virtual ~OVCallHistoryServicePro() = default;
};
class CallHistoryService : public platform::Object,
                           public DelegatingService<OVCallHistoryServicePro> {};

class OVArchiveServicePro {
public:
    virtual ~OVArchiveServicePro() = default;
};
class ArchiveService : public platform::Object, public DelegatingService<OVArchiveServicePro> {};

class OVVideoServicePro {
public:
    virtual ~OVVideoServicePro() = default;
};
class RemoteVideoService : public platform::Object, public DelegatingService<OVVideoServicePro> {};

class OVLocalVideoServicePro {
public:
    virtual ~OVLocalVideoServicePro() = default;
};
class LocalVideoService : public platform::Object,
                          public DelegatingService<OVLocalVideoServicePro> {};

class OVDirectoryServicePro {
public:
    virtual ~OVDirectoryServicePro() = default;
};
class DirectoryService : public platform::Object,
                         public DelegatingService<OVDirectoryServicePro> {};

class OVDeskphoneServicePro {
public:
    virtual ~OVDeskphoneServicePro() = default;
};
class OVDeskphoneService : public platform::Object,
                           public DelegatingService<OVDeskphoneServicePro> {};

class OVWorkgroupServicePro {
public:
    virtual ~OVWorkgroupServicePro() = default;
};
class WorkgroupService : public platform::Object,
                         public DelegatingService<OVWorkgroupServicePro> {};

class OVToastServicePro {
public:
    virtual ~OVToastServicePro() = default;
};
class ToastService : public platform::Object, public DelegatingService<OVToastServicePro> {};

class OVNotificationServicePro {
public:
    virtual ~OVNotificationServicePro() = default;
};
class NotificationService : public platform::Object,
                            public DelegatingService<OVNotificationServicePro> {};

class OVMUCListServicePro {
public:
    virtual ~OVMUCListServicePro() = default;
};
class MUCListService : public platform::Object, public DelegatingService<OVMUCListServicePro> {};

class OVDialPlanServicePro {
public:
    virtual ~OVDialPlanServicePro() = default;
};
class DialPlanService : public platform::Object, public DelegatingService<OVDialPlanServicePro> {};

class OVContactImporterExporterPro {
public:
    virtual ~OVContactImporterExporterPro() = default;
};
class OVContactImporterExporter : public platform::Object,
                                  public DelegatingService<OVContactImporterExporterPro> {};
