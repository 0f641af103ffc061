#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a file read once into memory of its own, shared by the objects that view
// it. Unlike a string, the memory is not cleared before the file is read into it.
class FileImage {
  public:
    // Throws Exception "Cannot open or create file '...'" or "Cannot read file '...': reason".
    static std::shared_ptr<const FileImage> Read(const std::string& path);

    std::string_view Bytes() const { return {mBytes.get(), mSize}; }

  private:
    std::unique_ptr<char[]> mBytes;
    size_t mSize = 0;
};

}  // namespace platform
