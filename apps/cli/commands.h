#pragma once

#include <string>
#include <vector>

// Each command takes the words after its name and returns the process's exit status.
using Arguments = std::vector<std::string>;

int RunAccountCommand(const Arguments& args);
int RunDumpCommand(const Arguments& args);

// Wrong use of the command line: the message and the usage go to standard error, status 2.
struct UsageError {
    std::string message;
};
