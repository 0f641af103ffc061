#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// Runs a test inside a fresh empty directory, as the program runs inside its working directory,
// and removes it afterwards.
class ScopedWorkingDirectory {
  public:
    ScopedWorkingDirectory() : mPrevious(std::filesystem::current_path()) {
        std::random_device random;
        mPath = std::filesystem::temp_directory_path() /
                ("warblet-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(mPath);
        std::filesystem::current_path(mPath);
    }
    ~ScopedWorkingDirectory() {
        std::filesystem::current_path(mPrevious);
        std::filesystem::remove_all(mPath);
    }
    const std::filesystem::path& path() const { return mPath; }

  private:
    std::filesystem::path mPrevious;
    std::filesystem::path mPath;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
