#include "platform/kit/Workspace.h"

#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace platform {

namespace {

// What the opener's exit status means (xdg-open's own numbers), with the last line it wrote on
// its error output when there is one.
std::string failureOf(int status, const std::string& program, const std::string& said) {
    std::string reason;
    if (WIFSIGNALED(status)) {
        reason = program + " was ended by signal " + std::to_string(WTERMSIG(status));
    } else if (!WIFEXITED(status)) {
        reason = program + " did not finish";
    } else {
        switch (WEXITSTATUS(status)) {
        case 0:
            return {};
        case 2:
            reason = "the file does not exist";
            break;
        case 3:
            reason = "no program to open it with is installed";
            break;
        case 4:
            reason = "the program that should open it failed";
            break;
        default:
            reason = program + " failed with status " + std::to_string(WEXITSTATUS(status));
            break;
        }
    }
    std::string line = said;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (const auto cut = line.rfind('\n'); cut != std::string::npos)
        line.erase(0, cut + 1);
    if (!line.empty())
        reason += " (" + line + ")";
    return reason;
}

} // namespace

Workspace& Workspace::sharedWorkspace() {
    // Never destroyed: an opening may still be waited for while the process ends.
    static auto* shared = new Workspace;
    return *shared;
}

void Workspace::setOpenerProgram(std::string program) {
    opener_ = program.empty() ? std::string("xdg-open") : std::move(program);
}

void Workspace::openURL(const std::string& url, Completion completion) {
    const auto answer = [completion](std::string failure) {
        if (completion)
            RunLoop::main().postFromAnyThread(
                [completion, failure = std::move(failure)] { completion(failure); });
    };
    if (url.empty()) {
        answer("there is no address to open");
        return;
    }
    int errors[2];
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        answer(std::string("no pipe to the opener: ") + std::strerror(errno));
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    const std::string program = opener_;
    const char* argv[] = {program.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr,
                                     const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errors[1]);
    if (spawned != 0) {
        ::close(errors[0]);
        answer(spawned == ENOENT ? program + " is not installed"
                                 : program + " could not be started: " + std::strerror(spawned));
        return;
    }
    // The opener is waited for on a thread of its own. What it said is read after it ended and
    // without waiting: a browser it started may keep the pipe open long after.
    std::thread([pid, fd = errors[0], program, answer] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        std::string said;
        char buffer[512];
        ssize_t n = 0;
        while (said.size() < 4096 && (n = ::read(fd, buffer, sizeof buffer)) > 0)
            said.append(buffer, static_cast<std::size_t>(n));
        ::close(fd);
        answer(failureOf(status, program, said));
    }).detach();
}

} // namespace platform
