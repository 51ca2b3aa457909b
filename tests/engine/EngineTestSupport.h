#pragma once

#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace engine_test {

using foundation_test::ScopedEnv;
using foundation_test::TempDir;
using foundation_test::writeFile;

// Writes down every startup callback it hears, as "name" or "name:argument".
class RecordingDelegate : public OVStartupServicePro {
public:
    std::vector<std::string> calls;

    void ovssInitCompleted() override { calls.push_back("InitCompleted"); }
    void ovssInitFailed(const std::string& reason) override {
        calls.push_back("InitFailed");
        failure = reason;
    }
    void ovssLoginStarted() override { calls.push_back("LoginStarted"); }
    void ovssLoginSucceeded(const std::string& name) override {
        calls.push_back("LoginSucceeded:" + name);
    }
    void ovssLoginFailed(StartupService::LoginFailureReason, const std::string&) override {
        calls.push_back("LoginFailed");
    }
    void ovssLoginCancelled() override { calls.push_back("LoginCancelled"); }
    void ovssStartCompleted() override { calls.push_back("StartCompleted"); }
    void ovssStartFailed(const std::string&) override { calls.push_back("StartFailed"); }
    void ovssLogoutStarted(StartupService::LogoutReason reason) override {
        calls.push_back(reason == StartupService::LogoutReason::user ? "LogoutStarted:user"
                                                                     : "LogoutStarted:other");
    }
    void ovssLogoutComplete() override { calls.push_back("LogoutComplete"); }
    void ovssStopped() override { calls.push_back("Stopped"); }

    std::string failure;
};

// A fresh engine on a manual clock, with its store in a temporary folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        StartupService::resetInstance();
        settingsFolder = tmp / "settings";
        engine().phoneService()->setUserSettingFolder(settingsFolder);
    }
    void TearDown() override {
        StartupService::resetInstance();
        platform::RunLoop::resetMain();
    }

    static StartupService& engine() { return StartupService::instance(); }
    static void settle() { platform::RunLoop::main().runUntilIdle(); }
    // Lets simulated time pass: the network's answers due by then arrive.
    static void pass(platform::TimeInterval seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static platform::Value credentials(std::string_view user, std::string_view password) {
        return platform::Value(platform::Value::Dictionary{
            {"username", user}, {"displayname", ""}, {"authname", ""}, {"password", password}});
    }
    // The first profile of the given type, or nullptr.
    static std::shared_ptr<LoginProfileItem> profileOfType(LoginProfileItem::Type type) {
        for (const auto& profile : engine().loginProfiles()) {
            if (profile->type() == type) {
                return profile;
            }
        }
        return nullptr;
    }
    // Initialises, signs in with the demo user and starts, letting every answer arrive.
    static void startSession(std::string_view user = "alice",
                             std::string_view password = "wonderland") {
        initialize();
        settle();
        engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials(user, password));
        pass(1);
        engine().start(std::string(user));
        pass(1);
    }
    static void initialize(std::optional<std::string> userName = std::nullopt) {
        engine().intialize(std::move(userName), {"Friends", "Family", "Work"}, "Others",
                           "Added Contacts");
    }

    TempDir tmp;
    std::filesystem::path settingsFolder;
};

} // namespace engine_test
