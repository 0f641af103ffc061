#include "process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace program_bench {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Threads(pid_t process) {
    std::vector<std::string> threads;
    const std::string folder = "/proc/" + std::to_string(process) + "/task";
    if (DIR* tasks = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(tasks)) {
            if (entry->d_name[0] != '.') {
                threads.push_back(folder + "/" + entry->d_name);
            }
        }
        ::closedir(tasks);
    }
    return threads;
}

// The first field of schedstat: the time the thread has run, in nanoseconds.
uint64_t RunNs(const std::string& thread) {
    return std::strtoull(ReadFile(thread + "/schedstat").c_str(), nullptr, 10);
}

uint64_t FieldOf(const std::string& text, const std::string& name) {
    const size_t at = text.find(name);
    return at == std::string::npos ? 0
                                   : std::strtoull(text.c_str() + at + name.size(), nullptr, 10);
}

}  // namespace

Process::Process(const std::string& path, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& variables, const std::string& logFile) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& added : variables) {
            replaced = replaced || added.substr(0, added.find('=')) == name;
        }
        if (!replaced) {
            environment.push_back(entry);
        }
    }
    environment.insert(environment.end(), variables.begin(), variables.end());
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);
    mId = ::fork();
    if (mId < 0) {
        throw std::runtime_error("cannot start " + path);
    }
    if (mId == 0) {
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
}

Process::~Process() {
    ::kill(mId, SIGKILL);
    ::waitpid(mId, nullptr, 0);
}

uint64_t Process::CpuNs() const {
    uint64_t total = 0;
    for (const std::string& thread : Threads(mId)) {
        total += RunNs(thread);
    }
    return total;
}

uint64_t Process::Runs() const {
    uint64_t total = 0;
    for (const std::string& thread : Threads(mId)) {
        std::istringstream fields(ReadFile(thread + "/schedstat"));
        uint64_t ran = 0;
        uint64_t waited = 0;
        uint64_t runs = 0;
        fields >> ran >> waited >> runs;
        total += runs;
    }
    return total;
}

uint64_t Process::MainThreadCpuNs() const {
    return RunNs("/proc/" + std::to_string(mId) + "/task/" + std::to_string(mId));
}

uint64_t Process::MainThreadWaitNs() const {
    std::istringstream fields(
        ReadFile("/proc/" + std::to_string(mId) + "/task/" + std::to_string(mId) + "/schedstat"));
    uint64_t ran = 0;
    uint64_t waited = 0;
    fields >> ran >> waited;
    return waited;
}

uint64_t Process::BytesWritten() const {
    return FieldOf(ReadFile("/proc/" + std::to_string(mId) + "/io"), "wchar: ");
}

uint64_t Process::ResidentBytes() const {
    return FieldOf(ReadFile("/proc/" + std::to_string(mId) + "/status"), "VmRSS:") * 1024;
}

}  // namespace program_bench
