// The response reader over the program's own TLS stream, as a request to an https host reads it:
// the server sends the stream in records of varying size, over memory, and the response read is
// the one read from the whole stream at once.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <memory>

#include "platform/tls.h"
#include "responses.h"
#include "testauthority.h"
#include "tlsserverend.h"

namespace {

// The server's certificate, made once per run. The client trusts its CA as the system's store:
// loading the real store for every input would cost more than all the rest.
struct Server {
    testing_tls::TestAuthority authority;
    testing_tls::TlsServerContext context{authority.Issue({})};

    Server() {
        ::setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
        ::setenv("SSL_CERT_DIR", "/nonexistent", 1);
    }
};

// The wire between the client and the server end. What the client writes goes to the server
// end; when the client waits for bytes and none are there, the server end takes its next step:
// the rest of its handshake, the next piece of the stream as one record, or TLS's closing
// message.
class MemoryWire final : public platform::Stream {
  public:
    MemoryWire(testing_tls::TlsServerEnd& server, twitter_api::ByteSource& pieces)
        : mServer(server), mPieces(pieces) {}

    void SendAll(std::string_view bytes) override { mServer.Feed(bytes); }

    size_t Receive(char* buffer, size_t size) override {
        while (mWaiting.empty() && Step()) {
        }
        const size_t count = std::min(size, mWaiting.size());
        std::copy_n(mWaiting.data(), count, buffer);
        mWaiting.erase(0, count);
        return count;
    }

  private:
    // False once the server has nothing more to send.
    bool Step() {
        char piece[16384];
        size_t length = 0;
        if (!mAccepted) {
            mAccepted = mServer.Accept();
        } else if ((length = mPieces.Read(piece, sizeof piece)) > 0) {
            mServer.Write(std::string_view(piece, length));
        } else if (!mClosed) {
            mServer.Close();
            mClosed = true;
        } else {
            return false;
        }
        mWaiting += mServer.TakeOutput();
        return mAccepted || !mWaiting.empty();
    }

    testing_tls::TlsServerEnd& mServer;
    twitter_api::ByteSource& mPieces;
    std::string mWaiting;
    bool mAccepted = false;
    bool mClosed = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Server server;
    FuzzedDataProvider provider(data, size);
    const auto seed = provider.ConsumeIntegral<uint32_t>();
    const auto largest = provider.ConsumeIntegralInRange<size_t>(1, 600);
    const std::string stream = provider.ConsumeRemainingBytesAsString();

    fuzzing::PiecewiseConnection pieces(stream, seed, largest);
    testing_tls::TlsServerEnd serverEnd(server.context);
    twitter_api::ResponseStream overTls(
        std::make_unique<platform::TlsConnection>(std::make_unique<MemoryWire>(serverEnd, pieces),
                                                  "localhost", ""),
        std::nullopt);
    fuzzing::PiecewiseConnection whole(stream);
    fuzzing::CheckSameResponse(fuzzing::ReadOutcome(overTls), fuzzing::ReadOutcome(whole),
                               stream.size());
    return 0;
}
