#pragma once

namespace twitter_api {

// Registers the settings record, the contribution and the day list under their type tags with
// this thread's class register; start-up calls it once, before the settings are read.
void RegisterArchivableClasses();

}  // namespace twitter_api
