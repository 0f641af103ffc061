#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace program_bench {

// A data folder for Warblet as a user who has run it for a while has one: the demo account of the
// stand-in, the service file pointing at a port, and day logs for every page. Beside it the plain
// texts of the pages, as the window shows them, for the plain program.
struct Scenario {
    // Entries logged yesterday and today, by page in tab order.
    std::array<int, 5> yesterday{};
    std::array<int, 5> today{};
    bool autoReload = false;
};

// Writes the scenario into folder (made anew) for a service on 127.0.0.1:port; icons come from
// iconFolder. The plain texts go to folder/page0.txt ... page4.txt. Entry ids stay far below the
// stand-in's, so that its statuses count as new.
void WriteScenario(const Scenario& scenario, const std::string& folder, int port,
                   const std::string& iconFolder);

// The lists page's and the search page's choice for the stand-in's demo account: the first of its
// lists, the first of its saved searches.
inline constexpr const char* kListChoice = "tech";
inline constexpr const char* kSearchChoice = "ラーメン";

}  // namespace program_bench
