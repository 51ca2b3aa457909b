#pragma once

#include "app/AppTestSupport.h"
#include "app/LoopbackHTTPServer.h"
#include "platform/kit/WindowServer.h"
#include "platform/kit/Workspace.h"
#include "platform/web/WebView.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace app_test {

// A window showing a page from the loopback server, with the desktop's opener replaced by a
// script that writes down the address it was given.
class RemotePageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        opened = tmp / "opened.txt";
        opener = tmp / "opener.sh";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened.string() << "'\n";
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        platform::Workspace::sharedWorkspace().setOpenerProgram(opener.string());
    }
    void TearDown() override {
        platform::Workspace::sharedWorkspace().setOpenerProgram({});
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }
    // Short network limits, so that a server that never answers gives up within the test.
    static void quickNetwork(platform::WebView& view) {
        platform::HTTPLoader::Options options;
        options.timeout = 1;
        options.connectTimeout = 1;
        view.setNetworkOptions(options);
    }
    // Runs the main loop on the wall clock (fetches and the opener run elsewhere) until `done`.
    static bool waitFor(const std::function<bool()>& done, double seconds = 10) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            platform::RunLoop::main().runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        platform::RunLoop::main().runUntilIdle();
        return done();
    }
    std::string openedAddress() const {
        std::ifstream in(opened);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    LoopbackHTTPServer server;
    std::filesystem::path opened;
    std::filesystem::path opener;
};

} // namespace app_test
