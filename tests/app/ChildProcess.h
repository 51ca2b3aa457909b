#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace app_test {

// A runtime folder of the test's own, short enough for a socket's path wherever temporary
// folders are: programs started with it find no other test's running instance.
class RuntimeFolder {
public:
    RuntimeFolder();
    ~RuntimeFolder();
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A program started for a test, with its standard error captured. The process is killed if
// the test lets go of it while it still runs.
class ChildProcess {
public:
    // Runs `argv` with the test's environment plus `environment` (which wins); its standard
    // output goes to `standardOutput` when one is given, else nowhere.
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment,
                 const std::filesystem::path& standardOutput = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Reads standard error until a line holds `text` or `timeout` seconds pass.
    bool waitForOutput(std::string_view text, double timeout);
    void sendSignal(int signal);
    // The exit status once it has ended within `timeout` seconds; nullopt when it was still
    // running (it is then killed) or ended through a signal.
    std::optional<int> waitForExit(double timeout);
    const std::string& errorOutput() const { return stderr_; }

private:
    void readAvailable(int timeoutMs);
    pid_t pid_ = -1;
    int stderrFd_ = -1;
    std::string stderr_;
};

} // namespace app_test
