#pragma once

#include <httplib.h>

#include <chrono>
#include <string>

namespace standin {

// A connection whose request head has already been read: hands out those bytes first, then reads
// on from the socket. Each read and write waits at most the time-out. The socket stays open; its
// owner closes it.
class CHeadFirstStream final : public httplib::Stream {
  public:
    CHeadFirstStream(int socket, std::string head, std::chrono::milliseconds timeout)
        : mSocket(socket), mHead(std::move(head)), mTimeout(timeout) {}

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* buffer, size_t size) override;
    ssize_t write(const char* bytes, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return mSocket; }

  private:
    bool WaitFor(short events) const;

    int mSocket;
    std::string mHead;
    size_t mHeadRead = 0;
    std::chrono::milliseconds mTimeout;
};

}  // namespace standin
