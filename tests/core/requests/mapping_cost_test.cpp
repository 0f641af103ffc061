// Crafted documents that once made the mappings quadratic: their cost must grow with their size,
// not its square. Each case doubles the size three times and compares with an ordinary document
// of the same size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
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

// As many lists, each with its one owner: the shape of a real answer.
std::string ListsWithAnOwnerEach(size_t lists) {
    std::string document = std::string(XmlProlog) + "<lists>";
    for (size_t i = 0; i < lists; ++i) {
        document += "<list><name>l</name><user><screen_name>owner_name_" + std::to_string(i) +
                    "</screen_name></user></list>";
    }
    return document + "</lists>\n";
}

// Distinct element names that share their length, first and last eight bytes; or, for
// comparison, as many distinct names of that length that differ near their start.
std::string ElementNames(size_t names, bool sameEnds) {
    std::string document = std::string(XmlProlog) + "<statuses>";
    char name[48];
    for (size_t i = 0; i < names; ++i) {
        std::snprintf(name, sizeof name,
                      sameEnds ? "headhead%08zxtailtail" : "x%08zxheadheadtailtai", i);
        document += "<" + std::string(name) + "/>";
    }
    return document + "</statuses>\n";
}

// The thread's own processor time: other work on a loaded machine does not count against a case.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsFor(const std::string& document, const std::function<void(const std::string&)>& map) {
    const double start = ThreadSeconds();
    map(document);
    return ThreadSeconds() - start;
}

// At each doubling the crafted document costs per byte about what an ordinary one of its size
// does. A quadratic cost puts it hundreds of times over at the larger sizes; 4 is a generous bound.
// The two are timed in turns and the fastest of each counts, so a busy moment weighs on both.
void ExpectLikeOrdinary(const std::function<std::string(size_t)>& crafted,
                        const std::function<std::string(size_t)>& ordinary,
                        const std::function<void(const std::string&)>& map) {
    for (size_t count = 8'000; count <= 64'000; count *= 2) {
        SCOPED_TRACE(std::to_string(count) + " repeats");
        const std::string craftedDocument = crafted(count);
        const std::string ordinaryDocument = ordinary(count);
        double craftedBest = 1e9;
        double ordinaryBest = 1e9;
        for (int round = 0; round < 5; ++round) {
            craftedBest = std::min(craftedBest, SecondsFor(craftedDocument, map));
            ordinaryBest = std::min(ordinaryBest, SecondsFor(ordinaryDocument, map));
        }
        const double craftedPerByte = craftedBest / static_cast<double>(craftedDocument.size());
        const double ordinaryPerByte = ordinaryBest / static_cast<double>(ordinaryDocument.size());
        EXPECT_LT(craftedPerByte, ordinaryPerByte * 4);
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
    ExpectLikeOrdinary(ListWithOwners, ListsWithAnOwnerEach, [](const std::string& document) {
        std::vector<std::string> out;
        MapLists(document, out);
    });
}

TEST(MappingCost, CraftedElementNamesCostLinearTime) {
    ExpectLikeOrdinary([](size_t count) { return ElementNames(count, true); },
                       [](size_t count) { return ElementNames(count, false); },
                       [](const std::string& document) {
                           std::vector<ContributionPtr> out;
                           EXPECT_EQ(MapStatuses(document, out), std::nullopt);
                       });
}

}  // namespace
