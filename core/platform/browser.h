#pragma once

#include <optional>

#include "platform/urlcommand.h"

// The two things opening a web address asks of the platform.
namespace platform {

// The command the desktop has registered for opening http addresses, read anew on every call;
// nothing when no handler is registered.
std::optional<RegisteredCommand> ReadRegisteredHttpCommand();

// Starts the program with its argument and returns at once, without waiting for it to end.
// Standard input is empty; standard output and standard error are the caller's standard output.
// False when the program could not be started.
bool StartDetached(const LaunchCommand& command);

}  // namespace platform
