#pragma once

#include <string>
#include <vector>

// Each command takes the words after its name and returns the process's exit status.
using Arguments = std::vector<std::string>;

int RunAccountCommand(const Arguments& args);
int RunDumpCommand(const Arguments& args);
// fetch, lists, subscriptions, saved-searches, post, favorite and unfavorite: 0 when the request
// reported success; 1 when it returned its failure value (the service refused it, or answered
// with something that is not a document), after the request's message on standard error.
int RunServiceCommand(const std::string& command, const Arguments& args);

// Wrong use of the command line: the message and the usage go to standard error, status 2.
struct UsageError {
    std::string message;
};
