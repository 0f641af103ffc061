#include "twitter_api/logstore/logwriter.h"

#include <pthread.h>

#include <cstring>
#include <exception>
#include <utility>

#include "common/errors.h"

namespace twitter_api {
namespace {

// The number of entries as the archive holds it: four bytes, least significant first.
std::string CountBytes(size_t entries) {
    Enforce(entries <= UINT32_MAX, "a day list's count is 32 bits");
    const auto count = static_cast<uint32_t>(entries);
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &count, 4);
    return bytes;
}

bool SameFile(const SSavedDay& a, const SSavedDay& b) {
    return a.list.lock() == b.list.lock() && a.changes == b.changes && a.entries == b.entries &&
           a.last == b.last && a.lastId == b.lastId && a.bytes == b.bytes &&
           a.countOffset == b.countOffset;
}

}  // namespace

LogWriter::LogWriter(Commit commit) : mCommit(std::move(commit)), mThread([this] { Run(); }) {
    // Named, so that its share of the program's work can be told apart.
    ::pthread_setname_np(mThread.native_handle(), "warblet-log");
}

LogWriter::~LogWriter() {
    {
        std::lock_guard lock(mLock);
        mStopping = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void LogWriter::Write(std::string path, std::string bytes, std::optional<SSavedDay> saved) {
    {
        std::lock_guard lock(mLock);
        if (saved) {
            mSaved.insert_or_assign(path, std::move(*saved));
        } else {
            mSaved.erase(path);
        }
        SPending write;
        write.bytes = std::move(bytes);
        if (mPending.insert_or_assign(path, std::move(write)).second) {
            mQueue.push_back(std::move(path));
        }
    }
    mChanged.notify_all();
}

bool LogWriter::Append(std::string path, std::string tail, const SSavedDay& before,
                       SSavedDay after) {
    {
        std::lock_guard lock(mLock);
        const auto saved = mSaved.find(path);
        if (saved == mSaved.end() || !SameFile(saved->second, before)) {
            return false;
        }
        saved->second = after;
        const auto pending = mPending.find(path);
        if (pending == mPending.end()) {
            SPending write{true, std::move(tail), before, std::move(after)};
            mPending.emplace(path, std::move(write));
            mQueue.push_back(std::move(path));
        } else if (pending->second.append) {
            pending->second.bytes += tail;
            pending->second.after = std::move(after);
        } else {
            // The whole file is still to be written: it takes the records and the new count.
            std::string& bytes = pending->second.bytes;
            bytes += tail;
            const std::string count = CountBytes(after.entries);
            bytes.replace(static_cast<size_t>(after.countOffset), count.size(), count);
        }
    }
    mChanged.notify_all();
    return true;
}

std::optional<SSavedDay> LogWriter::Saved(const std::string& path) {
    std::lock_guard lock(mLock);
    const auto saved = mSaved.find(path);
    if (saved == mSaved.end()) {
        return std::nullopt;
    }
    return saved->second;
}

void LogWriter::Adopt(const std::string& path, SSavedDay saved,
                      const platform::FileIdentity& file) {
    std::lock_guard lock(mLock);
    if (mPending.contains(path) || (mWriting && mWritingPath == path)) {
        return;  // what the file will hold is what that write leaves
    }
    mSaved.insert_or_assign(path, std::move(saved));
    mOnDisk.insert_or_assign(path, file);
}

void LogWriter::Flush() {
    std::unique_lock lock(mLock);
    mChanged.wait(lock, [this] { return mQueue.empty() && !mWriting; });
}

std::string LogWriter::TakeBuffer() {
    std::lock_guard lock(mLock);
    return std::exchange(mSpare, std::string());
}

std::optional<std::string> LogWriter::TakeFailure() {
    std::lock_guard lock(mLock);
    if (mFailures.empty()) {
        return std::nullopt;
    }
    std::string failure = std::move(mFailures.front());
    mFailures.pop_front();
    return failure;
}

void LogWriter::SetFailureListener(std::function<void()> listener) {
    std::lock_guard lock(mLock);
    mFailureListener = std::move(listener);
}

void LogWriter::ReplaceFile(const std::string& path, const std::string& bytes) {
    platform::AtomicFileWriter(path).Commit(bytes);
}

void LogWriter::Forget(const std::string& path) {
    mOnDisk.erase(path);
    const auto pending = mPending.find(path);
    if (pending != mPending.end() && !pending->second.append) {
        return;  // a whole file is on its way, and what it leaves is known
    }
    mSaved.erase(path);
    if (pending != mPending.end()) {
        mPending.erase(pending);  // records for a file that is not as they expect
        std::erase(mQueue, path);
    }
}

// Runs without the lock; takes it only to record the outcome.
void LogWriter::Perform(const std::string& path, SPending& write) {
    std::optional<platform::FileIdentity> left;
    std::optional<std::string> failure;
    try {
        if (!write.append) {
            mCommit(path, write.bytes);
            left = platform::IdentityOf(path);
        } else {
            std::optional<platform::FileIdentity> known;
            {
                std::lock_guard lock(mLock);
                const auto found = mOnDisk.find(path);
                if (found != mOnDisk.end()) {
                    known = found->second;
                }
            }
            // A file changed behind our back is left alone; the next save writes it whole.
            if (known && known->size == write.before.bytes) {
                left = platform::AppendThenPatch(
                    path, *known, write.bytes, write.before.countOffset,
                    CountBytes(write.before.entries), CountBytes(write.after.entries));
            }
        }
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::lock_guard lock(mLock);
    if (left) {
        mOnDisk.insert_or_assign(path, *left);
    } else {
        Forget(path);
    }
    if (failure) {
        mFailures.push_back(std::move(*failure));
        // Under the lock, so that a listener replaced by nothing is never called again.
        if (mFailureListener) {
            mFailureListener();
        }
    }
    if (!write.append && write.bytes.capacity() > mSpare.capacity()) {
        mSpare = std::move(write.bytes);
    }
}

void LogWriter::Run() {
    std::unique_lock lock(mLock);
    for (;;) {
        mChanged.wait(lock, [this] { return mStopping || !mQueue.empty(); });
        if (mQueue.empty()) {
            return;  // stopping, with nothing left to write
        }
        std::string path = std::move(mQueue.front());
        mQueue.pop_front();
        const auto pending = mPending.find(path);
        SPending write = std::move(pending->second);
        mPending.erase(pending);
        mWriting = true;
        mWritingPath = path;
        lock.unlock();
        Perform(path, write);
        lock.lock();
        mWriting = false;
        mChanged.notify_all();
    }
}

}  // namespace twitter_api
