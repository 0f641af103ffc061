#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/browser.h"

namespace platform {
namespace {

// The desktop's own opener hands the address to whatever browser the user has chosen.
constexpr std::string_view kOpener = "xdg-open";

std::optional<std::string> FindOnPath(std::string_view program) {
    const char* searchPath = std::getenv("PATH");
    std::string_view folders = searchPath != nullptr ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = folders.find(':');
        const auto folder = folders.substr(0, colon);
        if (!folder.empty()) {
            std::string candidate = std::string(folder) + "/" + std::string(program);
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        folders.remove_prefix(colon + 1);
    }
}

}  // namespace

std::optional<RegisteredCommand> ReadRegisteredHttpCommand() {
    const auto opener = FindOnPath(kOpener);
    if (!opener) {
        return std::nullopt;
    }
    // Laid out like a registered string value: the quoted program, its placeholder argument and
    // a terminating zero counted in the size, which may exceed the buffer as a long value would.
    const std::string command = "\"" + *opener + "\" \"%1\"";
    RegisteredCommand registered;
    registered.buffer.assign(kCommandBufferSize, '\0');
    registered.reportedSize = command.size() + 1;
    if (registered.reportedSize <= kCommandBufferSize) {
        command.copy(registered.buffer.data(), command.size());
    }
    return registered;
}

bool StartDetached(const LaunchCommand& command) {
    // Everything the children need is prepared here: between fork and exec only async-signal-safe
    // calls are allowed. The middle child exits at once and is reaped below, so the program's
    // grandchild belongs to init and never lingers as our zombie. The grandchild reports a failed
    // exec through a pipe that a successful exec closes.
    std::string program = command.program;
    std::string argument = command.argument;
    char* const arguments[] = {program.data(), argument.data(), nullptr};
    const int emptyInput = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        if (emptyInput >= 0) {
            ::close(emptyInput);
        }
        return false;
    }

    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            if (emptyInput >= 0) {
                ::dup2(emptyInput, STDIN_FILENO);
            }
            ::dup2(STDOUT_FILENO, STDERR_FILENO);
            ::execv(program.c_str(), arguments);
            const int failure = errno;
            [[maybe_unused]] const auto written = ::write(report[1], &failure, sizeof failure);
            ::_exit(127);
        }
        ::_exit(grandchild > 0 ? 0 : 1);
    }
    ::close(report[1]);
    int middleStatus = 0;
    if (middle > 0) {
        while (::waitpid(middle, &middleStatus, 0) < 0 && errno == EINTR) {
        }
    }
    // End of file without a word: the exec went through.
    int failure = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (emptyInput >= 0) {
        ::close(emptyInput);
    }
    const bool forked = middle > 0 && WIFEXITED(middleStatus) && WEXITSTATUS(middleStatus) == 0;
    return forked && got == 0;
}

}  // namespace platform
