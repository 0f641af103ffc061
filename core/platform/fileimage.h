#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a file read once into memory of its own, shared by the objects that view
// it. Unlike a string, the memory is not cleared before the file is read into it, and its pages are
// mapped in one step instead of one fault at a time.
class FileImage {
  public:
    FileImage() = default;
    ~FileImage();
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;

    // Throws Exception "Cannot open or create file '...'" or "Cannot read file '...': reason".
    static std::shared_ptr<const FileImage> Read(const std::string& path);

    std::string_view Bytes() const { return {mBytes, mSize}; }

  private:
    void Reserve(size_t capacity);

    char* mBytes = nullptr;
    size_t mCapacity = 0;
    size_t mSize = 0;
};

}  // namespace platform
