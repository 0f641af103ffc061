// The response reader over a fake connection that hands out the bytes in pieces of varying size:
// whatever the pieces, the response read is the one read from the whole stream at once.
#include <fuzzer/FuzzedDataProvider.h>

#include "responses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto seed = provider.ConsumeIntegral<uint32_t>();
    const auto largest = provider.ConsumeIntegralInRange<size_t>(1, 600);
    const std::string stream = provider.ConsumeRemainingBytesAsString();

    fuzzing::PiecewiseConnection pieces(stream, seed, largest);
    fuzzing::PiecewiseConnection whole(stream);
    fuzzing::CheckSameResponse(fuzzing::ReadOutcome(pieces), fuzzing::ReadOutcome(whole),
                               stream.size());
    return 0;
}
