#pragma once

#include <string>
#include <string_view>

// A creation time as the pages show it. The stored text (Japan time for statuses and messages,
// UTC for search results) is read back and shown in the display form in the machine's time zone,
// or in Japan time when asked; a text that cannot be read is shown as it is stored.
std::string ShownTime(std::string_view stored, bool japanTime);
