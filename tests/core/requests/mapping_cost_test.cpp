// Crafted documents that once made the mappings quadratic: their cost must grow with their size,
// not its square. Each table doubles the size; the bounds are generous, a quadratic cost breaks
// them by far.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/requests/mappings.h"

namespace {

using namespace twitter_api;

// One list whose owner block repeats: every screen_name end once copied the growing entry.
std::string ListWithOwners(size_t owners) {
    std::string document = std::string(XmlProlog) + "<lists><list><name>l</name>";
    for (size_t i = 0; i < owners; ++i) {
        document += "<user><screen_name>owner_name_" + std::to_string(i) + "</screen_name></user>";
    }
    return document + "</list></lists>\n";
}

// Distinct element names that share their length, first and last eight bytes.
std::string CraftedNames(size_t names) {
    std::string document = std::string(XmlProlog) + "<statuses>";
    char name[48];
    for (size_t i = 0; i < names; ++i) {
        std::snprintf(name, sizeof name, "headhead%08zxtailtail", i);
        document += "<" + std::string(name) + "/>";
    }
    return document + "</statuses>\n";
}

double FastestSeconds(const std::function<void()>& run) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

// Time per byte may grow by a third at each doubling (cache effects, a loaded machine), not by 2.
void ExpectLinear(const std::function<std::string(size_t)>& make,
                  const std::function<void(const std::string&)>& map) {
    double previousPerByte = 0;
    for (size_t count = 8'000; count <= 64'000; count *= 2) {
        const std::string document = make(count);
        const double perByte =
            FastestSeconds([&] { map(document); }) / static_cast<double>(document.size());
        SCOPED_TRACE(std::to_string(count) + " repeats, " + std::to_string(document.size()) +
                     " bytes");
        if (previousPerByte > 0) {
            EXPECT_LT(perByte, previousPerByte * 1.8 + 2e-9);
        }
        previousPerByte = perByte;
    }
}

TEST(MappingCost, ARepeatedListOwnerCostsLinearTime) {
    for (const size_t owners : {8'000, 16'000, 32'000, 64'000}) {
        const std::string document = ListWithOwners(owners);
        std::vector<std::string> out;
        ASSERT_EQ(MapLists(document, out), std::nullopt);
        ASSERT_EQ(out.size(), 1U);
        // One entry, no larger than the document: nothing was copied per owner.
        EXPECT_LT(out[0].size(), document.size()) << owners;
        EXPECT_EQ(out[0].substr(0, 15), "l,owner_name_0,");
    }
    ExpectLinear(ListWithOwners, [](const std::string& document) {
        std::vector<std::string> out;
        MapLists(document, out);
    });
}

TEST(MappingCost, CraftedElementNamesCostLinearTime) {
    ExpectLinear(CraftedNames, [](const std::string& document) {
        std::vector<ContributionPtr> out;
        EXPECT_EQ(MapStatuses(document, out), std::nullopt);
    });
}

}  // namespace
