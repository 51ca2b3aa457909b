#include "support/StringExtensions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace OrvantaExtensions {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// The code point of the UTF-8 sequence text[begin, end), or nullopt when it is not one.
std::optional<char32_t> decode(std::string_view text, std::size_t begin, std::size_t end) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t length = end - begin;
    const unsigned char lead = byte(begin);
    if (length == 1)
        return lead < 0x80 ? std::optional<char32_t>(lead) : std::nullopt;
    std::size_t expected = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        expected = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        expected = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        expected = 4;
        c = lead & 0x07;
    }
    if (expected != length)
        return std::nullopt;
    for (std::size_t i = begin + 1; i < end; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return c;
}

// The length of the UTF-8 sequence starting at `index` (1 for a stray byte).
std::size_t sequenceLength(std::string_view text, std::size_t index) {
    const auto lead = static_cast<unsigned char>(text[index]);
    std::size_t length = 1;
    if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    return std::min(length, text.size() - index);
}

// Where the character ending at `end` starts (its lead byte, at most three bytes back).
std::size_t previousStart(std::string_view text, std::size_t end) {
    std::size_t start = end - 1;
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return start;
}

std::optional<std::string> findProgram(const std::string& name) {
    namespace fs = std::filesystem;
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? std::optional<std::string>(name) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        const fs::path candidate = fs::path(dir.empty() ? "." : std::string(dir)) / name;
        std::error_code ignored;
        if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate, ignored))
            return candidate.string();
        if (colon == std::string_view::npos)
            return std::nullopt;
        dirs.remove_prefix(colon + 1);
    }
}

DesktopLauncher& launcher() {
    static DesktopLauncher instance;
    return instance;
}

} // namespace

bool isNumeric(std::string_view text) {
    std::size_t i = 0;
    std::size_t before = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++before;
    }
    if (i == text.size())
        return before > 0;
    if (text[i] != '.')
        return false;
    ++i;
    std::size_t after = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++after;
    }
    return i == text.size() && after > 0;
}

std::string spaceTrimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string whitespaceAndNewlineTrimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t length = sequenceLength(text, begin);
        const auto c = decode(text, begin, begin + length);
        if (!c || !isWhitespaceOrNewline(*c))
            break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t start = std::max(previousStart(text, end), begin);
        const auto c = decode(text, start, end);
        if (!c || !isWhitespaceOrNewline(*c))
            break;
        end = start;
    }
    return std::string(text.substr(begin, end - begin));
}

void setDesktopLauncher(DesktopLauncher newLauncher) {
    launcher() = std::move(newLauncher);
}

bool launchDetached(const std::vector<std::string>& argv) {
    if (argv.empty())
        return false;
    const std::optional<std::string> program = findProgram(argv.front());
    if (!program)
        return false;
    // Everything the children need is made before forking: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The grandchild runs the program and is adopted by init, so nobody has to wait for it
        // and no zombie is left behind.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            const int devNull = ::open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                ::dup2(devNull, STDIN_FILENO);
                if (devNull != STDIN_FILENO)
                    ::close(devNull);
            }
            ::execv(program->c_str(), args.data());
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool launchAndWait(const std::vector<std::string>& argv) {
    if (argv.empty())
        return false;
    const std::optional<std::string> program = findProgram(argv.front());
    if (!program)
        return false;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
            if (devNull != STDIN_FILENO)
                ::close(devNull);
        }
        ::execv(program->c_str(), args.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

// The opener's arguments for an existing path, or nothing.
std::optional<std::vector<std::string>> openerArguments(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error))
        return std::nullopt;
    // Absolute, so that the opener can take the path neither for an option ("-x") nor for an
    // address ("name:rest").
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return std::nullopt;
    return std::vector<std::string>{"xdg-open", absolute.string()};
}

} // namespace

bool openAndWait(const std::string& path) {
    const auto argv = openerArguments(path);
    if (!argv)
        return false;
    return launcher() ? launcher()(*argv) : launchAndWait(*argv);
}

void openInFinder(const std::string& path) {
    const auto argv = openerArguments(path);
    if (!argv)
        return;
    if (launcher())
        launcher()(*argv);
    else
        launchDetached(*argv);
}

} // namespace OrvantaExtensions
