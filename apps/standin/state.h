#pragma once

#include <string>

namespace standin {

class CStore;

// The state file keeps the stand-in's statuses, direct messages and favourites from one start to
// the next, so that a client sees the same history, with the same ids, plus what is new.

// Writes the store's records to the file, replacing it whole; throws Exception when it cannot.
void SaveState(const CStore& store, const std::string& path);

// Puts the file's records in place of the store's; false, leaving the store alone, when there
// is no file. A file that cannot be read throws Exception.
bool LoadState(CStore& store, const std::string& path);

}  // namespace standin
