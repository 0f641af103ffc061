#pragma once

#include <cstdint>

namespace DialogSetting {

// Both choices are stored (settings file, log records): the values never change, 1 is the default,
// and a reader tells 0 from everything else.
enum EUserNameShowType : int32_t {
    SCREENNAME = 0,
    NICKNAME = 1,
};

enum EAutoReloadType : int32_t {
    EVERY3MINUTES = 0,
    NONE = 1,
};

}  // namespace DialogSetting
