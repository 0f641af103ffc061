#pragma once

#include "Clock.h"
#include "Keyboard.h"
#include "twitter_api/exchange/service.h"

// What the windows need from outside besides gSetting: where the service is, the current time and
// the keyboard. The program passes the real ones; tests pass their own.
struct UiContext {
    twitter_api::Service service;
    Clock* clock = nullptr;
    Keyboard* keyboard = nullptr;
};
