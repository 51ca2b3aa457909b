#pragma once

#include "app/calls/VideoWindow.h"
#include "app/core/AppController.h"
#include "engine/ConversationService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/kit/Application.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace entry_test {

using foundation_test::ScopedEnv;
using foundation_test::TempDir;

// The simulated engine on a manual clock with its store in a temporary folder, an empty
// window server, and the log captured.
class EntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        platform::Application::resetSharedApplication();
        platform::WindowServer::shared().reset();
        StartupService::resetInstance();
        engine().phoneService()->setUserSettingFolder(tmp / "settings");
        platform::setLogSink([this](std::string_view line) { log.emplace_back(line); });
    }
    void TearDown() override {
        VideoWindow::sharedVideoWindowRelease();
        StartupService::resetInstance();
        platform::setLogSink(nullptr);
        platform::WindowServer::shared().reset();
        platform::Application::resetSharedApplication();
        platform::RunLoop::resetMain();
    }

    static StartupService& engine() { return StartupService::instance(); }
    static std::shared_ptr<ConversationService> calls() {
        return engine().phoneService()->getConversationService();
    }
    static std::vector<std::shared_ptr<Conversation>> conversations() {
        return calls()->getAllConversations();
    }
    static void settle() { platform::RunLoop::main().runUntilIdle(); }
    static void pass(platform::TimeInterval seconds,
                     platform::RunLoopMode mode = platform::DefaultRunLoopMode) {
        platform::RunLoop::main().runFor(seconds, mode);
        platform::RunLoop::main().runUntilIdle(mode);
    }
    static platform::TimeInterval now() { return platform::RunLoop::main().now(); }
    // Initialises and starts the engine without waiting for its accounts.
    static void startEngine() {
        engine().intialize(std::nullopt, {"Friends", "Family", "Work"}, "Others", "Added Contacts");
        settle();
        engine().start("alice");
        settle();
    }
    // Starts the engine and lets its accounts come up, so calls are allowed.
    static void startEngineAndAccounts() {
        startEngine();
        pass(1);
        ASSERT_TRUE(calls()->newConversationAllowed());
    }
    bool logged(std::string_view text) const {
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }

    TempDir tmp;
    std::vector<std::string> log;
};

} // namespace entry_test
