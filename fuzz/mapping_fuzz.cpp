// One mapping of the service's or a server's documents (chosen by WARBLET_FUZZ_MAPPING when built)
// over any document: it agrees with the well-formedness check, hands out nothing from a malformed
// document, and fails, if at all, only with an Exception on a well-formed one.
#include <type_traits>

#include "common/errors.h"
#include "support.h"
#include "twitter_api/exchange/xmlmapping.h"
#include "twitter_api/requests/mappings.h"
#include "twitter_api/requests/servermappings.h"

namespace {

template <class Record, class Map>
void Check(Map map, std::string_view document) {
    const bool wellFormed = !twitter_api::CheckWellFormed(document).has_value();
    std::vector<Record> out;
    std::optional<std::string> malformed;
    try {
        malformed = map(document, out);
    } catch (const Exception&) {
        FUZZ_CHECK(wellFormed);
        return;
    }
    FUZZ_CHECK(malformed.has_value() != wellFormed);
    if (malformed) {
        FUZZ_CHECK(out.empty());
        FUZZ_CHECK(!malformed->empty());
    }
    if constexpr (std::is_same_v<Record, twitter_api::ContributionPtr>) {
        for (const auto& record : out) {
            FUZZ_CHECK(record != nullptr);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using Record =
        std::conditional_t<std::is_invocable_v<decltype(twitter_api::WARBLET_FUZZ_MAPPING),
                                               std::string_view, std::vector<std::string>&>,
                           std::string, twitter_api::ContributionPtr>;
    Check<Record>(
        [](std::string_view document, std::vector<Record>& out) {
            return twitter_api::WARBLET_FUZZ_MAPPING(document, out);
        },
        fuzzing::Bytes(data, size));
    return 0;
}
