#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

// Replaces PATH for one test.
class ScopedSearchPath {
  public:
    explicit ScopedSearchPath(const std::string& value) {
        if (const char* old = std::getenv("PATH")) {
            mOld = old;
        }
        ::setenv("PATH", value.c_str(), 1);
    }
    ~ScopedSearchPath() {
        if (mOld) {
            ::setenv("PATH", mOld->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }
    ScopedSearchPath(const ScopedSearchPath&) = delete;
    ScopedSearchPath& operator=(const ScopedSearchPath&) = delete;

  private:
    std::optional<std::string> mOld;
};

}  // namespace testing_support
