#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

// How long a connection may take to send its whole request head: a client that trickles it in
// byte by byte is answered 408 once this has passed, however often its bytes came.
inline constexpr std::chrono::seconds kRequestHeadDeadline{10};
// How long a refused connection is read on and its bytes thrown away, so that the client, still
// sending, gets to read the answer before the connection closes.
inline constexpr std::chrono::seconds kRefusalDrainTime{1};

// One thread that waits on every new connection at once until its request head is complete, and
// only then hands it on, so that slow clients never hold a worker. Heads beyond a cap (see
// requesthead.h) or past the deadline are answered here with an error document and closed.
class CHeadReader {
  public:
    // onHead takes the socket, which it must close, and the bytes read so far (the whole head);
    // it is called on the reader's thread and must not block.
    using HeadHandler = std::function<void(int socket, std::string bytes)>;

    CHeadReader(std::chrono::milliseconds deadline, HeadHandler onHead);
    // Stops the thread and closes the connections still waiting.
    ~CHeadReader();
    CHeadReader(const CHeadReader&) = delete;
    CHeadReader& operator=(const CHeadReader&) = delete;

    // Takes over a newly accepted socket; any thread may call it.
    void Add(int socket);

  private:
    struct SConnection;

    void Run();
    void TakeArrivals(std::vector<SConnection>& waiting);
    bool ReadFrom(SConnection& connection);
    void Refuse(SConnection& connection, int status);

    std::chrono::milliseconds mDeadline;
    HeadHandler mOnHead;
    int mWake = -1;  // an eventfd that ends the wait when sockets arrive or the reader stops
    std::mutex mLock;
    std::vector<int> mArrived;
    std::atomic<bool> mStopping{false};
    std::thread mThread;
};

}  // namespace standin
