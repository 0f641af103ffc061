#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Turning the command the desktop registers for http addresses into the program to start.
namespace platform {

// The registered command is read into a buffer of this many bytes.
inline constexpr std::size_t kCommandBufferSize = 1000;

// What the read of the registered command gave: the buffer's bytes and the data size the read
// reported. For a string value the size counts the terminating zero byte.
struct RegisteredCommand {
    std::string buffer;
    std::size_t reportedSize = 0;
};

// A program and the one argument it is started with.
struct LaunchCommand {
    std::string program;
    std::string argument;

    bool operator==(const LaunchCommand&) const = default;
};

// The command text: the first reportedSize bytes of the buffer, ended by the first zero byte among
// them. Nothing when the reported size is over the buffer's size: a value too long for the buffer
// was not read whole, so there is no command to trust.
std::optional<std::string> CommandText(const RegisteredCommand& registered);

// The text between the first and the second double quote. Nothing with fewer than two quotes.
std::optional<std::string> ProgramPath(std::string_view command);

// The program of the registered command, started with the URL as its one argument; nothing when
// the command names no program.
std::optional<LaunchCommand> BuildLaunchCommand(const RegisteredCommand& registered,
                                                const std::string& url);

// The command line a Windows process is created from: the program path, one blank, the URL,
// neither quoted.
std::string CommandLine(const LaunchCommand& command);

}  // namespace platform
