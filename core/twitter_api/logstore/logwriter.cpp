#include "twitter_api/logstore/logwriter.h"

#include <exception>
#include <utility>

#include "platform/file.h"

namespace twitter_api {

LogWriter::LogWriter(Commit commit) : mCommit(std::move(commit)), mThread([this] { Run(); }) {}

LogWriter::~LogWriter() {
    {
        std::lock_guard lock(mLock);
        mStopping = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void LogWriter::Write(std::string path, std::string bytes) {
    {
        std::lock_guard lock(mLock);
        if (mPending.insert_or_assign(path, std::move(bytes)).second) {
            mQueue.push_back(std::move(path));
        }
    }
    mChanged.notify_all();
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

void LogWriter::ReplaceFile(const std::string& path, const std::string& bytes) {
    platform::AtomicFileWriter(path).Commit(bytes);
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
        std::string bytes = std::move(pending->second);
        mPending.erase(pending);
        mWriting = true;
        lock.unlock();
        std::optional<std::string> failure;
        try {
            mCommit(path, bytes);
        } catch (const std::exception& error) {
            failure = error.what();
        }
        lock.lock();
        mWriting = false;
        if (bytes.capacity() > mSpare.capacity()) {
            mSpare = std::move(bytes);
        }
        if (failure) {
            mFailures.push_back(std::move(*failure));
        }
        mChanged.notify_all();
    }
}

}  // namespace twitter_api
