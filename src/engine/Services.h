#pragma once

#include "engine/AccountService.h"
#include "engine/ArchiveService.h"
#include "engine/CallHistoryService.h"
#include "engine/ConversationService.h"
#include "engine/DelegateList.h"
#include "engine/DialPlanService.h"
#include "engine/FileTransferService.h"
#include "engine/LocalVideoService.h"
#include "engine/MUCListService.h"
#include "engine/NotificationService.h"
#include "engine/OVConnectService.h"
#include "engine/OVContactImporterExporter.h"
#include "engine/OVContactManager.h"
#include "engine/OVDeskphoneService.h"
#include "engine/OVIMService.h"
#include "engine/OVPrivacyService.h"
#include "engine/PhoneStatusService.h"
#include "engine/PresenceService.h"
#include "engine/RemoteVideoService.h"
#include "engine/ToastService.h"
#include "engine/WorkgroupService.h"
#include "platform/foundation/Object.h"

#include <memory>

// The phone service's smaller services. Those with behaviour of their own have their own
// files (included above); the rest keep their delegate protocol here until a feature needs
// more of them.

class OVDiagnosticLoggingPro {
public:
    virtual ~OVDiagnosticLoggingPro() = default;
    virtual void loggingStateChanged(bool /*started*/) {}
};
// Advanced (diagnostic) logging, which the user starts for a problem report.
class OVDiagnosticLogging : public platform::Object,
                            public DelegatingService<OVDiagnosticLoggingPro> {
public:
    bool isLoggingStarted() const { return started_; }
    void startLogging() { setStarted(true); }
    void stopLogging() { setStarted(false); }

private:
    void setStarted(bool started) {
        if (started_ != started) {
            started_ = started;
            notifyDelegates([&](OVDiagnosticLoggingPro& d) { d.loggingStateChanged(started); });
        }
    }
    bool started_ = false;
};

class OVDiagnosticServicePro {
public:
    virtual ~OVDiagnosticServicePro() = default;
};
class DiagnosticService : public platform::Object,
                          public DelegatingService<OVDiagnosticServicePro> {
public:
    std::shared_ptr<OVDiagnosticLogging> getDiagnosticLogging() const { return logging_; }

private:
    std::shared_ptr<OVDiagnosticLogging> logging_ = std::make_shared<OVDiagnosticLogging>();
};

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

class OVDirectoryServicePro {
public:
    virtual ~OVDirectoryServicePro() = default;
};
class DirectoryService : public platform::Object,
                         public DelegatingService<OVDirectoryServicePro> {};
