#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "support.h"
#include "twitter_api/exchange/exchange.h"

// What the response reader's targets share: a connection that hands out a stream in pieces, and
// the check that what is read from pieces is what is read from the whole stream at once.
namespace fuzzing {

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

struct ResponseOutcome {
    std::optional<twitter_api::Response> response;
    std::string failure;
};

inline ResponseOutcome ReadOutcome(twitter_api::ByteSource& connection) {
    try {
        return {twitter_api::ReadResponse(connection), {}};
    } catch (const Exception& e) {  // a Content-Length that is no number, an answer beyond a cap
        return {std::nullopt, e.what()};
    }
}

inline void CheckSameResponse(const ResponseOutcome& split, const ResponseOutcome& reference,
                              size_t streamSize) {
    FUZZ_CHECK(split.failure == reference.failure);
    FUZZ_CHECK(split.response.has_value() == reference.response.has_value());
    if (split.response) {
        FUZZ_CHECK(split.response->statusLine == reference.response->statusLine);
        FUZZ_CHECK(split.response->header == reference.response->header);
        FUZZ_CHECK(split.response->body == reference.response->body);
        FUZZ_CHECK(split.response->location == reference.response->location);
        FUZZ_CHECK(split.response->body.size() <= streamSize + 1);
    }
}

}  // namespace fuzzing
