#include "platform/foundation/RunLoop.h"
#include "platform/kit/Workspace.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::RunLoop;
using platform::Workspace;
namespace fs = std::filesystem;

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::resetMain();
        folder = fs::temp_directory_path() / ("workspace-test-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        Workspace::sharedWorkspace().setOpenerProgram({});
        fs::remove_all(folder);
        RunLoop::resetMain();
    }
    // An opener that writes `said` on its error output and ends with `status`.
    std::string opener(const std::string& said, int status) {
        const fs::path script = folder / ("opener-" + std::to_string(++openers));
        std::ofstream(script) << "#!/bin/sh\n"
                              << "[ \"$1\" = \"https://help.example/en-US/\" ] || exit 1\n"
                              << "printf '%s\\n' '" << said << "' >&2\nexit " << status << "\n";
        fs::permissions(script, fs::perms::owner_all);
        return script.string();
    }
    // What the opening answered, once the main loop heard it.
    static std::optional<std::string> open(const std::string& url) {
        std::optional<std::string> answer;
        Workspace::sharedWorkspace().openURL(url, [&](const std::string& f) { answer = f; });
        EXPECT_FALSE(answer) << "told on a later pass of the loop";
        RunLoop::main().runUntil([&] { return answer.has_value(); }, 20.0);
        return answer;
    }

    fs::path folder;
    int openers = 0;
};

TEST_F(WorkspaceTest, AnOpeningSaysWhyItFailed) {
    const std::string help = "https://help.example/en-US/";
    const std::string fine = opener("", 0);
    const std::string missing = (folder / "missing-opener").string();
    const struct {
        std::string program;
        std::string url;
        std::string answer;
    } cases[] = {
        {fine, help, ""},
        {opener("xdg-open: no method available for opening x", 3), help,
         "no program to open it with is installed (xdg-open: no method available for opening "
         "x)"},
        {opener("", 4), help, "the program that should open it failed"},
        {fine, "https://other.example/", fine + " failed with status 1"},
        {missing, help, missing + " is not installed"},
        {fine, "", "there is no address to open"},
    };
    for (const auto& c : cases) {
        Workspace::sharedWorkspace().setOpenerProgram(c.program);
        const auto answer = open(c.url);
        ASSERT_TRUE(answer) << c.program;
        EXPECT_EQ(*answer, c.answer) << c.program << " " << c.url;
    }
}

} // namespace
