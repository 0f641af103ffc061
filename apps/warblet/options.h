#pragma once

#include <optional>
#include <string>
#include <vector>

#include "twitter_api/exchange/flavour.h"

// The desktop program's own command-line options; every other word is left for Qt's (-style,
// -platform and the like).
struct SOptions {
    bool mHelp = false;
    bool mVersion = false;
    bool mDemo = false;
    // The kind of server the demo's stand-in plays; the service without --flavour.
    twitter_api::Flavour mFlavour = twitter_api::Flavour::Service;
    std::optional<std::string> mDataDir;
    std::vector<char*> mQtArguments;  // argv[0] and the words that are not ours
};

// Throws Exception for an option of ours without its value, and for --flavour without --demo or
// with another value than gnusocial or friendica.
SOptions ParseOptions(int argc, char** argv);

extern const char* const kUsage;
