#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "settings/usernameshowtype.h"
#include "twitter_api/model/contribution.h"

// The JSON forms the tool prints; invalid UTF-8 in a stored string comes out as U+FFFD.
nlohmann::ordered_json ToJson(const twitter_api::CContribution& contribution);
nlohmann::ordered_json UserNameShowTypeJson(int32_t value);
nlohmann::ordered_json AutoReloadTypeJson(int32_t value);
std::string Print(const nlohmann::ordered_json& value, int indent = -1);
