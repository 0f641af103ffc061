#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace program_bench {

// A program started for one measurement, killed when this goes.
class Process {
  public:
    // Starts path with the arguments and the variables added to (or replacing) this process's
    // environment; its output goes to logFile.
    Process(const std::string& path, const std::vector<std::string>& arguments,
            const std::vector<std::string>& variables, const std::string& logFile);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Id() const { return mId; }
    // Processor time of all its threads, and of its main thread, in nanoseconds.
    uint64_t CpuNs() const;
    uint64_t MainThreadCpuNs() const;
    // How long its main thread has been ready to run and waiting for a processor, in nanoseconds:
    // time a busy machine took from it.
    uint64_t MainThreadWaitNs() const;
    // The times any of its threads has been given a processor: its wake-ups, near enough.
    uint64_t Runs() const;
    // Bytes it has written, to files, sockets and pipes alike.
    uint64_t BytesWritten() const;
    // Resident memory in bytes.
    uint64_t ResidentBytes() const;

  private:
    pid_t mId = -1;
};

}  // namespace program_bench
