#include "ChildProcess.h"
#include "platform/foundation/BinaryPlistBytes.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using foundation_test::TempDir;
using foundation_test::writeFile;
namespace fs = std::filesystem;

namespace {

const double kTimeout = 20.0;

// Runs the real program headless on a bundle of the test's making, with home and settings
// in a temporary folder.
class ExecutableTest : public ::testing::Test {
protected:
    fs::path copyResources() {
        const fs::path bundle = tmp / "bundle";
        fs::create_directories(bundle);
        fs::copy(LUMIQ_RESOURCES_DIR, bundle,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        return bundle;
    }
    std::unique_ptr<app_test::ChildProcess> launch(const fs::path& bundle,
                                                   std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{LUMIQ_BINARY_DIR "/bin/lumiq", "--headless", "--bundle",
                                           bundle.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return std::make_unique<app_test::ChildProcess>(
            std::move(arguments),
            std::map<std::string, std::string>{{"HOME", (tmp / "home").string()},
                                               {"XDG_DATA_HOME", (tmp / "data").string()},
                                               {"XDG_CONFIG_HOME", (tmp / "config").string()},
                                               {"XDG_RUNTIME_DIR", runtime.path().string()},
                                               {"LUMIQ_BUNDLE", bundle.string()}});
    }
    static bool hasLineStartingWith(const std::string& text, std::string_view prefix) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) == 0) {
                return true;
            }
        }
        return false;
    }

    TempDir tmp;
    app_test::RuntimeFolder runtime;
};

TEST_F(ExecutableTest, ABundleWithoutAUsableBrandDictionaryEndsWithAFatalError) {
    const struct {
        const char* name;
        std::optional<std::string> brand;
    } cases[] = {
        {"no brand.plist", std::nullopt},
        {"not a property list", "this is not a property list\n"},
        {"root is not a dictionary",
         platform::Value(platform::Value::Array{"a", "b"}).toPropertyList()},
        {"binary list with a NUL in a key", foundation_test::bplist::nulInKey()},
        {"binary list with a date that is not a number", foundation_test::bplist::nanDate()},
    };
    for (const auto& c : cases) {
        const fs::path bundle = copyResources();
        fs::remove(bundle / "brand.plist");
        if (c.brand) {
            writeFile(bundle / "brand.plist", *c.brand);
        }
        auto program = launch(bundle);
        ASSERT_TRUE(program->started());

        const auto status = program->waitForExit(kTimeout);

        ASSERT_TRUE(status) << c.name << ": still running or killed\n" << program->errorOutput();
        EXPECT_NE(*status, 0) << c.name << ": a failure must not report success";
        EXPECT_TRUE(hasLineStartingWith(program->errorOutput(), "FATAL ERROR:"))
            << c.name << "\n"
            << program->errorOutput();
        EXPECT_EQ(program->errorOutput().find("Engine initialisation"), std::string::npos)
            << c.name << ": nothing else of the start-up runs";
    }
}

// A settings file no reader could take is put aside and the program starts without it.
TEST_F(ExecutableTest, AnUnreadableSettingsFileIsPutAsideAndTheProgramStarts) {
    const struct {
        const char* name;
        std::string contents;
    } cases[] = {
        {"binary list with a NUL in a key", foundation_test::bplist::nulInKey()},
        {"binary list with a date that is not a number", foundation_test::bplist::nanDate()},
    };
    const fs::path bundle = copyResources();
    const auto identifier = platform::Value::readPropertyListFile(bundle / "Info.plist")
                                ->objectForKey("CFBundleIdentifier");
    for (const auto& c : cases) {
        fs::remove_all(tmp / "config");
        const fs::path settings = tmp / "config" / (identifier.stringValue() + ".plist");
        writeFile(settings, c.contents);
        auto program = launch(bundle);
        ASSERT_TRUE(program->started());

        ASSERT_TRUE(program->waitForOutput("Engine initialisation completed", kTimeout))
            << c.name << "\n"
            << program->errorOutput();
        program->sendSignal(SIGTERM);
        const auto status = program->waitForExit(kTimeout);

        ASSERT_TRUE(status) << c.name << "\n" << program->errorOutput();
        EXPECT_EQ(*status, 0) << c.name << "\n" << program->errorOutput();
        EXPECT_NE(program->errorOutput().find("could not be read"), std::string::npos)
            << c.name << "\n"
            << program->errorOutput();
        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(settings.parent_path()))
            if (entry.path().filename().string().find(".unreadable-") != std::string::npos)
                aside.push_back(entry.path());
        ASSERT_EQ(aside.size(), 1u) << c.name;
        EXPECT_EQ(foundation_test::readFile(aside[0]), c.contents) << c.name;
    }
}

// The tour signs in with the demo account, pictures each window it passes and ends with 0; a
// sign-in that never gets through ends it with 1 and the reason.
TEST_F(ExecutableTest, TheSnapshotTourPicturesEachWindowAndSaysWhenAStepFails) {
    const fs::path bundle = copyResources();
    const fs::path shots = tmp / "shots";
    auto program = launch(bundle, {"--snapshots", shots.string()});
    ASSERT_TRUE(program->started());
    auto status = program->waitForExit(60);
    ASSERT_TRUE(status) << program->errorOutput();
    EXPECT_EQ(*status, 0) << program->errorOutput();
    for (const char* name :
         {"login.png", "main-view.png", "contacts-tree.png", "contacts-flat.png",
          "contacts-filter.png", "contact-editor.png", "main-view-calls.png", "chat.png",
          "archive.png", "chat-rooms.png", "video-call.png", "main-view-wide.png",
          "main-view-call-parties.png", "main-view-dialpad.png", "dialpad-window.png"})
        EXPECT_GT(fs::exists(shots / name) ? fs::file_size(shots / name) : 0u, 100u) << name;

    // The demo user's password no longer works: the tour stops at the login view.
    auto demo = platform::Value::readPropertyListFile(bundle / "engine" / "demo.plist");
    ASSERT_TRUE(demo);
    platform::Value users = (*demo)["users"];
    platform::Value alice = users[0];
    alice.setObject("password", platform::Value("changed"));
    auto list = *users.array();
    list[0] = alice;
    demo->setObject("users", platform::Value(list));
    ASSERT_TRUE(demo->writePropertyListFile(bundle / "engine" / "demo.plist"));
    fs::remove_all(tmp / "home");
    fs::remove_all(tmp / "config");
    fs::remove_all(tmp / "data");
    const fs::path failed = tmp / "failed";
    program = launch(bundle, {"--snapshots", failed.string()});
    status = program->waitForExit(90);
    ASSERT_TRUE(status) << program->errorOutput();
    EXPECT_EQ(*status, 1);
    EXPECT_NE(program->errorOutput().find("Snapshot tour failed: the sign-in"), std::string::npos)
        << program->errorOutput();
    EXPECT_TRUE(fs::exists(failed / "login.png"));
    EXPECT_FALSE(fs::exists(failed / "main-view.png"));
}

TEST_F(ExecutableTest, StartsInitialisesTheEngineAndEndsCleanlyOnASignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        const fs::path bundle = copyResources();
        auto program = launch(bundle);
        ASSERT_TRUE(program->started());

        ASSERT_TRUE(program->waitForOutput("Engine initialisation completed", kTimeout))
            << program->errorOutput();
        program->sendSignal(signal);
        const auto status = program->waitForExit(kTimeout);

        ASSERT_TRUE(status) << "signal " << signal << "\n" << program->errorOutput();
        EXPECT_EQ(*status, 0) << program->errorOutput();
        EXPECT_TRUE(fs::exists(tmp / "data" / "Orvanta" / "Lumiq" / "engine.sqlite"));
    }
}

// Processes whose command line names the path: what is left of programs started on it.
std::vector<std::string> processesNaming(const fs::path& path) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::replace(text.begin(), text.end(), '\0', ' ');
        if (text.find(path.string()) != std::string::npos)
            found.push_back(pid + ": " + text);
    }
    return found;
}

// With a call up, a termination signal ends the calls and the program without asking anyone.
TEST_F(ExecutableTest, ASignalWithACallUpEndsTheProgramWithoutAsking) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        // A profile without sign-in: the engine starts by itself and the link becomes a call.
        const fs::path bundle = copyResources();
        const fs::path features = bundle / "engine" / "features.plist";
        auto switches = platform::Value::readPropertyListFile(features);
        ASSERT_TRUE(switches);
        switches->setObject("loginEnabled", platform::Value(false));
        ASSERT_TRUE(switches->writePropertyListFile(features));
        auto program = launch(bundle, {"sip:5551234"});
        ASSERT_TRUE(program->started());
        ASSERT_TRUE(program->waitForOutput("Placing an audio call to 5551234", kTimeout))
            << program->errorOutput();

        program->sendSignal(signal);
        const auto status = program->waitForExit(kTimeout);

        ASSERT_TRUE(status) << "still running, or killed\n" << program->errorOutput();
        EXPECT_EQ(*status, 0) << program->errorOutput();
        EXPECT_EQ(processesNaming(bundle), std::vector<std::string>{});
        fs::remove_all(bundle);
    }
}

TEST_F(ExecutableTest, AnEngineThatCannotStartEndsWithAFailureStatus) {
    const fs::path bundle = copyResources();
    writeFile(tmp / "data" / "Orvanta" / "Lumiq", "a file where the settings folder belongs");
    auto program = launch(bundle);

    const auto status = program->waitForExit(kTimeout);

    ASSERT_TRUE(status) << program->errorOutput();
    EXPECT_NE(*status, 0);
    EXPECT_NE(program->errorOutput().find("Engine initialisation failed"), std::string::npos)
        << program->errorOutput();
}

} // namespace
