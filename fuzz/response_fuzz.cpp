// The response reader over a fake connection that hands out the bytes in pieces of varying size:
// whatever the pieces, the response read is the one read from the whole stream at once.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>

#include "common/errors.h"
#include "support.h"
#include "twitter_api/exchange/exchange.h"

namespace {

// Hands out the stream in pieces of 1 to `largest` bytes, their sizes drawn from `seed`; without a
// largest piece, as much as the reader asks for.
class PiecewiseConnection final : public twitter_api::ByteSource {
  public:
    PiecewiseConnection(std::string_view stream, uint32_t seed, size_t largest)
        : mRest(stream), mState(seed | 1), mLargest(largest) {}
    explicit PiecewiseConnection(std::string_view stream) : PiecewiseConnection(stream, 1, 0) {}

    size_t Read(char* buffer, size_t size) override {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        const size_t limit = mLargest == 0 ? size : 1 + mState % mLargest;
        const size_t piece = std::min({size, mRest.size(), limit});
        std::copy_n(mRest.data(), piece, buffer);
        mRest.remove_prefix(piece);
        return piece;
    }

  private:
    std::string_view mRest;
    uint32_t mState;
    size_t mLargest;
};

struct Outcome {
    std::optional<twitter_api::Response> response;
    std::string failure;
};

Outcome Read(twitter_api::ByteSource& connection) {
    try {
        return {twitter_api::ReadResponse(connection), {}};
    } catch (const Exception& e) {  // a Content-Length that is not a 32-bit number
        return {std::nullopt, e.what()};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto seed = provider.ConsumeIntegral<uint32_t>();
    const auto largest = provider.ConsumeIntegralInRange<size_t>(1, 600);
    const std::string stream = provider.ConsumeRemainingBytesAsString();

    PiecewiseConnection pieces(stream, seed, largest);
    PiecewiseConnection whole(stream);
    const Outcome split = Read(pieces);
    const Outcome reference = Read(whole);
    FUZZ_CHECK(split.failure == reference.failure);
    FUZZ_CHECK(split.response.has_value() == reference.response.has_value());
    if (split.response) {
        FUZZ_CHECK(split.response->header == reference.response->header);
        FUZZ_CHECK(split.response->body == reference.response->body);
        FUZZ_CHECK(split.response->body.size() <= stream.size() + 1);
    }
    return 0;
}
