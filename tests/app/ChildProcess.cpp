#include "ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace app_test {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

RuntimeFolder::RuntimeFolder() {
    char name[] = "/tmp/lumiq-rt-XXXXXX";
    path_ = ::mkdtemp(name) ? std::filesystem::path(name) : std::filesystem::path();
}

RuntimeFolder::~RuntimeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& standardOutput) {
    // Everything the child needs is built before fork: after it, only exec-safe calls.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('='));
        if (!environment.contains(name)) {
            envStrings.push_back(entry);
        }
    }
    for (const auto& [name, value] : environment) {
        envStrings.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& entry : envStrings) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& arg : args) {
        argp.push_back(arg.data());
    }
    argp.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        const int out = standardOutput.empty()
                            ? devNull
                            : ::open(standardOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    stderrFd_ = fds[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (stderrFd_ >= 0) {
        ::close(stderrFd_);
    }
}

void ChildProcess::readAvailable(int timeoutMs) {
    if (stderrFd_ < 0) {
        return;
    }
    pollfd p{stderrFd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return;
    }
    char buffer[4096];
    const auto n = ::read(stderrFd_, buffer, sizeof buffer);
    if (n > 0) {
        stderr_.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
        ::close(stderrFd_);
        stderrFd_ = -1;
    }
}

bool ChildProcess::waitForOutput(std::string_view text, double timeout) {
    const auto start = std::chrono::steady_clock::now();
    while (stderr_.find(text) == std::string::npos) {
        if (secondsSince(start) > timeout || stderrFd_ < 0) {
            return stderr_.find(text) != std::string::npos;
        }
        readAvailable(50);
    }
    return true;
}

void ChildProcess::sendSignal(int signal) {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

std::optional<int> ChildProcess::waitForExit(double timeout) {
    if (pid_ <= 0) {
        return std::nullopt;
    }
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            break;
        }
        if (secondsSince(start) > timeout) {
            return std::nullopt;
        }
        readAvailable(20);
    }
    while (stderrFd_ >= 0) {
        readAvailable(100);
    }
    if (!WIFEXITED(status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

} // namespace app_test
