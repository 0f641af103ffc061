#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Each command takes the words after its name and returns the process's exit status.
using Arguments = std::vector<std::string>;

int RunAccountCommand(const Arguments& args);
int RunDumpCommand(const Arguments& args);
// service set and service show: the hosts in the data folder's service file. A CA file's relative
// path is taken from calledFrom, the folder the tool was started in.
int RunServiceConfCommand(const Arguments& args, const std::filesystem::path& calledFrom);
// fetch, lists, subscriptions, saved-searches, post, favorite, unfavorite, repeat, message, delete
// and conversation: 0 when the request reported success; 1 when it returned its failure value (the
// service refused it, or answered with something that is not a document), after the request's
// message on standard error.
int RunServiceCommand(const std::string& command, const Arguments& args);

// Wrong use of the command line: the message and the usage go to standard error, status 2.
struct UsageError {
    std::string message;
};
