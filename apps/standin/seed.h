#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "live.h"
#include "model.h"

namespace standin {

class CStore;

// Fills the store from a seed file and returns the live feed's pool. Times in the seed are
// minutes (statuses, messages, saved searches) or days (accounts) before `now`, so every start
// shows fresh content. Unknown user names and replies to no earlier status throw Exception.
SLivePool LoadSeed(const nlohmann::json& seed, Time now, CStore& store);

// The same from a seed file; a file that cannot be read (missing, no regular file, too large)
// throws Exception, one that is not JSON throws the JSON parser's exception.
SLivePool LoadSeedFile(const std::string& path, Time now, CStore& store);

}  // namespace standin
