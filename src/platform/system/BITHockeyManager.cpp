#include "platform/system/BITHockeyManager.h"

#include "platform/foundation/Log.h"

namespace platform {

namespace {

BITHockeyManager& sharedManager() {
    static BITHockeyManager manager;
    return manager;
}

} // namespace

BITHockeyManager& BITHockeyManager::sharedHockeyManager() {
    return sharedManager();
}

void BITHockeyManager::resetSharedHockeyManager() {
    sharedManager() = BITHockeyManager{};
}

void BITHockeyManager::configureWithIdentifier(
    std::string identifier, std::string companyName,
    BITCrashReportManagerDelegate* crashReportManagerDelegate) {
    identifier_ = std::move(identifier);
    companyName_ = std::move(companyName);
    delegate_ = crashReportManagerDelegate;
    configured_ = true;
    calls_.push_back("configureWithIdentifier");
}

void BITHockeyManager::setExceptionInterceptionEnabled(bool enabled) {
    exceptionInterception_ = enabled;
    calls_.push_back("setExceptionInterceptionEnabled");
}

void BITHockeyManager::setLoggingEnabled(bool enabled) {
    logging_ = enabled;
    calls_.push_back("setLoggingEnabled");
}

void BITHockeyManager::setAskUserDetails(bool ask) {
    askUserDetails_ = ask;
    calls_.push_back("setAskUserDetails");
}

void BITHockeyManager::startManager() {
    started_ = true;
    calls_.push_back("startManager");
    if (logging_) {
        Logf("Crash reporting configured for %@ (%@); no reports are sent from this system",
             identifier_, companyName_);
    }
}

} // namespace platform
