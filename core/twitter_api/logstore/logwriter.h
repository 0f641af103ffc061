#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

namespace twitter_api {

// Puts log files on the disk on a thread of its own, so that whoever saves never waits for the
// disk. Each file is replaced as SaveLog replaces it: a crash leaves the old or the new complete
// file. Of several contents queued for one file only the newest is written, and a file's writes
// never overtake each other.
class LogWriter {
  public:
    // Replaces the file at path by bytes, or throws.
    using Commit = std::function<void(const std::string& path, const std::string& bytes)>;

    // Commits through the crash-safe file replacement unless given another way.
    explicit LogWriter(Commit commit = ReplaceFile);
    // Writes everything still queued, then ends the thread.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void Write(std::string path, std::string bytes);
    // Returns once every write queued before the call has ended.
    void Flush();
    // Storage for encoding the next save: that of a file already written, so that saving a list
    // again costs no fresh memory. Empty when there is none.
    std::string TakeBuffer();
    // The message of the oldest failed write not yet taken, if any.
    std::optional<std::string> TakeFailure();

  private:
    static void ReplaceFile(const std::string& path, const std::string& bytes);
    void Run();

    Commit mCommit;

    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<std::string> mQueue;                         // paths, oldest first
    std::unordered_map<std::string, std::string> mPending;  // path -> newest bytes
    bool mWriting = false;
    bool mStopping = false;
    std::deque<std::string> mFailures;
    std::string mSpare;   // the storage of the last file written
    std::thread mThread;  // last, so that it starts with everything above in place
};

}  // namespace twitter_api
