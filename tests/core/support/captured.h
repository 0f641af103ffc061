#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

// Documents captured from the service, or written by the servers' own serialisers, beside the
// checkout when they are at hand. On a developer's machine a test that needs them is skipped
// without them; under CI (the variable CI set) their absence fails the test, so that the coverage
// of real documents cannot vanish unnoticed.
#define REQUIRE_DOCUMENTS_IN(folder)                                                        \
    do {                                                                                    \
        if (!std::filesystem::is_directory(folder)) {                                       \
            if (std::getenv("CI") != nullptr) {                                             \
                FAIL() << "CI is set, but there are no captured documents at " << (folder); \
            }                                                                               \
            GTEST_SKIP() << "no captured documents at " << (folder);                        \
        }                                                                                   \
    } while (false)

#define REQUIRE_CAPTURED_DOCUMENTS() REQUIRE_DOCUMENTS_IN(WARBLET_SHARED_FIXTURES)
