#pragma once

#include <optional>
#include <string>
#include <vector>

// The desktop program's own command-line options; every other word is left for Qt's (-style,
// -platform and the like).
struct SOptions {
    bool mHelp = false;
    bool mVersion = false;
    bool mDemo = false;
    std::optional<std::string> mDataDir;
    std::vector<char*> mQtArguments;  // argv[0] and the words that are not ours
};

// Throws Exception for an option of ours without its value.
SOptions ParseOptions(int argc, char** argv);

extern const char* const kUsage;
