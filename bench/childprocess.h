#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

// What one run of a program cost, as its parent saw it.
struct ChildCost {
    double wall = 0;       // seconds from start to exit
    double cpu = 0;        // user and system seconds of the child: what other programs on the
                           // machine leave unchanged
    double peakRssMb = 0;  // the child's largest resident set
};

// Starts the program with its standard output going to /dev/null, waits for its exit with
// status 0 (or 1 when allowOne, as grep gives for no match) and returns its cost.
inline ChildCost RunChild(std::vector<std::string> words, bool allowOne = false) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    const bool waited = failed == 0 && wait4(child, &status, 0, &usage) == child;
    if (!waited || !WIFEXITED(status) ||
        (WEXITSTATUS(status) != 0 && !(allowOne && WEXITSTATUS(status) == 1))) {
        throw std::runtime_error("cannot run " + words[0]);
    }
    ChildCost cost;
    cost.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    cost.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    cost.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return cost;
}
