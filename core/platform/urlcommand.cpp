#include "platform/urlcommand.h"

namespace platform {

std::optional<std::string> CommandText(const RegisteredCommand& registered) {
    if (registered.reportedSize > registered.buffer.size()) {
        return std::nullopt;
    }
    const std::string_view data(registered.buffer.data(), registered.reportedSize);
    return std::string(data.substr(0, data.find('\0')));
}

std::optional<std::string> ProgramPath(std::string_view command) {
    const auto first = command.find('"');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const auto second = command.find('"', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(command.substr(first + 1, second - first - 1));
}

std::optional<LaunchCommand> BuildLaunchCommand(const RegisteredCommand& registered,
                                                const std::string& url) {
    const auto command = CommandText(registered);
    if (!command) {
        return std::nullopt;
    }
    auto program = ProgramPath(*command);
    if (!program || program->empty()) {
        return std::nullopt;
    }
    return LaunchCommand{std::move(*program), url};
}

std::string CommandLine(const LaunchCommand& command) {
    return command.program + " " + command.argument;
}

}  // namespace platform
