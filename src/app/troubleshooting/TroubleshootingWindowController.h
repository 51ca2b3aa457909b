#pragma once

#include "widgets/QXPrefWindowController.h"

#include <string>
#include <string_view>

// The troubleshooting window: panes for audio, video, devices and diagnostics, the last two
// by feature switch. Only the frame of it so far: the panes are placeholders until the
// troubleshooting panes are built. It sends the diagnostic log whenever
// SendDiagnosticLogNotification is posted.
class TroubleshootingWindowController : public QXPrefWindowController {
public:
    static TroubleshootingWindowController& sharedTroubleshootingWindowController();
    static bool sharedControllerExists();
    // Closes the window and lets the shared controller go.
    static void releaseSharedController();

    TroubleshootingWindowController();
    ~TroubleshootingWindowController() override;

    static std::string_view nibName() { return "Troubleshooting"; }
    std::string windowNibName() const override { return std::string(nibName()); }

    void setupToolbar() override;
    void close();

    // Hands the engine's diagnostic log over for sending; the count is what has been sent.
    void sendDiagnosticLog();
    int diagnosticLogsSent() const { return _diagnosticLogsSent; }

private:
    int _diagnosticLogsSent = 0;
};
