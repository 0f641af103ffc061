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
    enum class Memory {
        Heap,  // reuses what the process freed before: for a program that reads again and again
        Prefaulted  // fresh pages mapped in one step instead of one fault per page: for a single
                    // read
    };

    FileImage() = default;
    ~FileImage();
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;

    // Throws Exception "Cannot open or create file '...'" or "Cannot read file '...': reason".
    static std::shared_ptr<const FileImage> Read(const std::string& path,
                                                 Memory memory = Memory::Heap);

    std::string_view Bytes() const { return {mBytes, mSize}; }

  private:
    void Reserve(size_t capacity);

    Memory mMemory = Memory::Heap;
    char* mBytes = nullptr;
    size_t mCapacity = 0;
    size_t mSize = 0;
};

}  // namespace platform
