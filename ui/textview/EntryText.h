#pragma once

#include <cstdint>
#include <string>

#include "twitter_api/model/contribution.h"

class TimelineView;

// How one timeline entry stands in a box, on a page or among search results alike: the shown name
// and the text on one line, then the creation time and the favourite star on a small grey line.

// Appends the entry's text as it goes into the box; time: its creation time as shown (ShownTime).
void AppendEntryText(const twitter_api::CContribution& entry, const std::string& time,
                     std::string& text);

// Styles the entry whose text starts at start in the box: the name in the colour of its read
// flag, the time line small and grey, the star shown for a favourite. Returns where the next entry
// starts.
int32_t StyleEntry(TimelineView& box, const twitter_api::CContribution& entry,
                   const std::string& time, int32_t start);

// Where the entry's text starts, after its name and the blank.
int32_t EntryTextStart(const twitter_api::CContribution& entry, int32_t start);

// The position of the star of the entry that ends where the next one starts.
inline int32_t EntryStarPosition(int32_t entryEnd) {
    return entryEnd - 2;
}
