#pragma once

#include <string>

// The file to read for an icon path below "dat/": the data folder's own when it exists, else the
// installed copy found from the program's folder, so an installed program needs no copy of its
// icons. Other paths, and paths found in neither place, come back as they are.
std::string FindIconFile(const std::string& path);
