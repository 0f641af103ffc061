#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "twitter_api/model/contributionlistofday.h"

// The tool's JSON written piece by piece into a buffer, byte for byte what Print writes for the
// same values: large outputs need no tree of values first.

// text as a JSON string literal; invalid UTF-8 comes out as U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

// The contribution as Print(ToJson(c), 2) writes it when it stands at nesting depth depth (each
// level two spaces), without a line break before or after.
void AppendContributionJson(std::string& out, const twitter_api::CContribution& c, int depth);

// The contribution's members as Print(ToJson(c)) writes them on one line, without the braces
// around them: "id":1,"created_at":"...",...,"user_name_show_type":"SCREENNAME".
void AppendContributionMembers(std::string& out, const twitter_api::CContribution& c);

// The day list as Print(tree, 2) and a line break write it, in pieces of a few tens of kilobytes: a
// day can hold tens of thousands of contributions.
void WriteDayListJson(const twitter_api::CContributionListOfDay& list, std::ostream& output);
