#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/file.h"
#include "twitter_api/model/contributionlistofday.h"

namespace twitter_api {

// What a day log holds once the saves queued for it are written: which list it holds and how
// much of it, so that the next save of that list can append what it has added since.
struct SSavedDay {
    std::weak_ptr<const CContributionListOfDay> list;
    uint64_t changes = 0;                 // the list's EntryChanges() when it was saved
    size_t entries = 0;                   // its first entries, all in the file
    const CContribution* last = nullptr;  // the last of them, and its id: an entry added where
    int64_t lastId = 0;                   // one was removed may take its memory
    int64_t largestId = 0;                // the largest id among them
    uint64_t bytes = 0;                   // the file's length
    uint64_t countOffset = 0;             // where the file holds the number of entries
};

// Puts day logs on the disk on a thread of its own, so that whoever saves never waits for the
// disk. A file is either replaced whole, as SaveLog replaces it (a crash leaves the old or the
// new complete file), or grown by the records of the entries added since its last save, with the
// number of entries set only once they are on the disk (a crash leaves the old or the new list;
// a reader ignores what lies past the last record). Of several writes queued for one file they
// merge into one, and a file's writes never overtake each other.
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

    // Replaces the file by bytes; with saved, what the file then holds.
    void Write(std::string path, std::string bytes, std::optional<SSavedDay> saved = std::nullopt);
    // Appends the records in tail to the file that Saved(path) describes as before, and sets its
    // number of entries to that of after. False, with nothing queued, when the file is no longer
    // known to be as before (a write of it failed meanwhile): the caller writes it whole.
    bool Append(std::string path, std::string tail, const SSavedDay& before, SSavedDay after);
    // What the file holds once its queued writes are done, when that is known.
    std::optional<SSavedDay> Saved(const std::string& path);
    // The file, as file describes it, holds what saved says, as if this writer had written it
    // (it has been read, and what was read is shown); ignored while a write of it waits.
    void Adopt(const std::string& path, SSavedDay saved, const platform::FileIdentity& file);

    // Returns once every write queued before the call has ended.
    void Flush();
    // Storage for encoding the next save: that of a file already written, so that saving a list
    // again costs no fresh memory. Empty when there is none.
    std::string TakeBuffer();
    // The message of the oldest failed write not yet taken, if any.
    std::optional<std::string> TakeFailure();
    // Called on the writer's thread whenever a failure is there to be taken; to be replaced by
    // nothing before whatever it calls into is gone.
    void SetFailureListener(std::function<void()> listener);

  private:
    // One write waiting for its file: the file's new bytes, or records to append to it.
    struct SPending {
        bool append = false;
        std::string bytes;  // the whole file, or the records appended
        SSavedDay before;   // what the file holds before an append
        SSavedDay after;    // what an append leaves in the file
    };

    static void ReplaceFile(const std::string& path, const std::string& bytes);
    void Run();
    void Perform(const std::string& path, SPending& write);
    // The file is no longer as this writer left it: nothing may be appended until it is written
    // whole again.
    void Forget(const std::string& path);

    Commit mCommit;

    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<std::string> mQueue;                                   // paths, oldest first
    std::unordered_map<std::string, SPending> mPending;               // path -> its next write
    std::unordered_map<std::string, SSavedDay> mSaved;                // path -> once queue is done
    std::unordered_map<std::string, platform::FileIdentity> mOnDisk;  // as this writer left it
    bool mWriting = false;
    std::string mWritingPath;  // while mWriting
    bool mStopping = false;
    std::deque<std::string> mFailures;
    std::function<void()> mFailureListener;
    std::string mSpare;   // the storage of the last file written
    std::thread mThread;  // last, so that it starts with everything above in place
};

}  // namespace twitter_api
