#include "ChildProcess.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
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
    std::unique_ptr<app_test::ChildProcess> launch(const fs::path& bundle) {
        return std::make_unique<app_test::ChildProcess>(
            std::vector<std::string>{LUMIQ_BINARY_DIR "/bin/lumiq", "--headless", "--bundle",
                                     bundle.string()},
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
