#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A service host on 127.0.0.1 that answers request after request by its route table: the newest
// route whose key starts the request line ("GET /saved_searches.xml") gives the response. A silent
// route accepts the request and never answers, as a server that hangs; a broken one resets the
// connection. A request without a route is answered 404. It stops by itself when destroyed.
class FakeService {
  public:
    FakeService();
    ~FakeService();
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // "127.0.0.1:PORT", as a host setting.
    std::string Address() const;

    void Route(std::string requestStart, std::string response);
    void Silent(std::string requestStart);
    void Broken(std::string requestStart);

    // The request lines received so far, without " HTTP/1.0".
    std::vector<std::string> Requests() const;

  private:
    enum class Kind { Answer, Silent, Broken };
    struct SRoute {
        std::string requestStart;
        std::string response;
        Kind kind;
    };

    void Serve();
    void Answer(int connection);

    int mListener = -1;
    int mPort = 0;
    std::atomic<bool> mStopping{false};
    mutable std::mutex mLock;
    std::vector<SRoute> mRoutes;
    std::vector<std::string> mRequests;
    std::vector<int> mHeld;  // connections of silent routes, closed at the end
    std::thread mThread;
};

// An HTTP response with the status line and the body; the body is sent as it is.
std::string HttpResponse(const std::string& statusLine, const std::string& body);
// A 200 response with the text of a fixture of recorded service responses.
std::string FixtureResponse(const std::string& name);
