#pragma once

#include <string>
#include <string_view>

#include "twitter_api/search/searchhit.h"

// The two forms in which `search` writes its hits.

// "2010-04-05" for the day key "20100405".
std::string DayText(std::string_view dayKey);

// One line: the contribution's fields as dump writes them, then "day" and "tabs"; byte for byte
// what Print writes for that object.
void AppendHitJsonLine(std::string& out, const twitter_api::SSearchHit& hit);

// RFC 4180: the header and one record per hit, each ending in CR LF; a field holding a comma, a
// quote or a line break is quoted, its quotes doubled. The kinds are joined by "|".
inline constexpr std::string_view kCsvHeader =
    "id,day,tabs,created_at,screen_name,name,text,favorited,is_read\r\n";
void AppendHitCsvRecord(std::string& out, const twitter_api::SSearchHit& hit);
