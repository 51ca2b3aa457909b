#include "SdlXvfb.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sdltest {

namespace {

std::string findExecutable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/bin:/bin";
    dirs += ":/usr/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool displayInUse(int number) {
    namespace fs = std::filesystem;
    std::error_code ec;
    return fs::exists("/tmp/.X11-unix/X" + std::to_string(number), ec) ||
           fs::exists("/tmp/.X" + std::to_string(number) + "-lock", ec);
}

// The server is ready once its socket takes a connection.
bool acceptsConnections(int number) {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

} // namespace

bool Xvfb::start(std::string& why) {
    if (running())
        return true;
    const std::string program = findExecutable("Xvfb");
    if (program.empty()) {
        why = "Xvfb is not installed (scripts/setup installs the xvfb package)";
        return false;
    }
    // Parallel test programs each look for their own number; a clash makes Xvfb exit, and
    // the next number is tried.
    const int first = 100 + static_cast<int>(getpid() % 800);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = first + attempt * 7;
        if (displayInUse(number))
            continue;
        const std::string displayName = ":" + std::to_string(number);
        std::vector<std::string> args = {program,       displayName, "-screen", "0",
                                         "1280x800x24", "-nolisten", "tcp",     "-noreset"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid < 0) {
            why = "Xvfb cannot be started: " + std::string(std::strerror(errno));
            return false;
        }
        if (pid == 0) {
            // The server goes when the tests go, even when they crash.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_WRONLY);
            if (null >= 0) {
                dup2(null, 1);
                dup2(null, 2);
            }
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        bool exited = false;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                break;
            }
            if (acceptsConnections(number)) {
                pid_ = pid;
                number_ = number;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            why = "Xvfb did not take connections within 15 s";
            return false;
        }
    }
    why = "Xvfb exited on every display number tried";
    return false;
}

void Xvfb::stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    number_ = -1;
}

} // namespace sdltest
