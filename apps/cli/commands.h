#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Each command takes the words after its name and returns the process's exit status.
using Arguments = std::vector<std::string>;

int RunAccountCommand(const Arguments& args);
int RunDumpCommand(const Arguments& args);
// search [--data-dir DIR] [--account NAME] [--limit N] [--json|--csv] QUERY...: 0 with hits or
// none, 1 for a query that cannot be understood, 2 when the logs cannot be read at all. The data
// folder is the search's own --data-dir, else the one given before the command.
int RunSearchCommand(const Arguments& args, const std::optional<std::string>& globalDataDir);
// service set and service show: the hosts in the data folder's service file. A CA file's relative
// path is taken from calledFrom, the folder the tool was started in.
int RunServiceConfCommand(const Arguments& args, const std::filesystem::path& calledFrom);
// fetch, lists, subscriptions, saved-searches, post, favorite and unfavorite: 0 when the request
// reported success; 1 when it returned its failure value (the service refused it, or answered
// with something that is not a document), after the request's message on standard error.
int RunServiceCommand(const std::string& command, const Arguments& args);

// Wrong use of the command line: the message and the usage go to standard error, status 2.
struct UsageError {
    std::string message;
};
