#pragma once

#include <string>
#include <vector>

namespace platform {

// Told by the crash reporter when it needs the application's main window.
class BITCrashReportManagerDelegate {
public:
    virtual ~BITCrashReportManagerDelegate() = default;
    virtual void showMainApplicationWindow() {}
};

// Stands in for the crash-report service the original linked: there is none on this system,
// so the manager keeps its configuration and the calls made to it, and reports nothing.
class BITHockeyManager {
public:
    static BITHockeyManager& sharedHockeyManager();
    // Back to a manager never configured nor started. For tests.
    static void resetSharedHockeyManager();

    void configureWithIdentifier(std::string identifier, std::string companyName,
                                 BITCrashReportManagerDelegate* crashReportManagerDelegate);
    void setExceptionInterceptionEnabled(bool enabled);
    void setLoggingEnabled(bool enabled);
    void setAskUserDetails(bool ask);
    void startManager();

    const std::string& identifier() const { return identifier_; }
    const std::string& companyName() const { return companyName_; }
    BITCrashReportManagerDelegate* crashReportManagerDelegate() const { return delegate_; }
    bool isConfigured() const { return configured_; }
    bool exceptionInterceptionEnabled() const { return exceptionInterception_; }
    bool loggingEnabled() const { return logging_; }
    bool askUserDetails() const { return askUserDetails_; }
    bool isStarted() const { return started_; }
    // The operations called, by name, in order.
    const std::vector<std::string>& calls() const { return calls_; }

private:
    std::string identifier_;
    std::string companyName_;
    BITCrashReportManagerDelegate* delegate_ = nullptr;
    bool configured_ = false;
    bool exceptionInterception_ = false;
    bool logging_ = true;
    bool askUserDetails_ = false;
    bool started_ = false;
    std::vector<std::string> calls_;
};

} // namespace platform
