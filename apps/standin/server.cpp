#include "server.h"

#include <sys/socket.h>
#include <unistd.h>

#include "headfirststream.h"

namespace standin {
namespace {

// How long one read or write of an answer may wait for the client.
constexpr std::chrono::seconds kAnswerTimeout{5};

}  // namespace

CServer::CServer(std::chrono::milliseconds headDeadline)
    : mReader(std::make_unique<CHeadReader>(headDeadline, [this](int socket, std::string head) {
          mWorkers.enqueue([this, socket, head = std::move(head)]() mutable {
              Answer(socket, std::move(head));
          });
      })) {}

// The workers answer what the reader handed them before they end.
CServer::~CServer() {
    mReader.reset();
    mWorkers.shutdown();
}

// Called by the library for each accepted connection: the reader takes it from here.
bool CServer::process_and_close_socket(socket_t socket) {
    mReader->Add(socket);
    return true;
}

void CServer::Answer(int socket, std::string head) {
    CHeadFirstStream stream(socket, std::move(head), kAnswerTimeout);
    bool closed = false;
    process_request(stream, true, closed, nullptr);
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

}  // namespace standin
