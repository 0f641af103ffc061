#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "common/errors.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "platform/fileimage.h"

namespace platform {
namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Non-blocking, so that a FIFO planted at the path cannot hang the open.
int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

[[noreturn]] void FailToOpen(const std::string& path) {
    throw Exception("Cannot open or create file '" + EscapeControls(path) + "'");
}

[[noreturn]] void FailToRead(const std::string& path, const std::string& reason) {
    throw Exception("Cannot read file '" + EscapeControls(path) + "': " + reason);
}

[[noreturn]] void FailTooLarge(const std::string& path) {
    FailToRead(path,
               "larger than the limit of " + std::to_string(kMaxReadableFileSize >> 20) + " MiB");
}

// The size of the opened file, which must be a regular file within the limit.
size_t CheckedSize(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        FailToRead(path, std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        FailToRead(path, "not a regular file");
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxReadableFileSize) {
        FailTooLarge(path);
    }
    return static_cast<size_t>(info.st_size);
}

}  // namespace

void CheckReadableFile(const std::string& path) {
    const Descriptor file{OpenForReading(path)};
    if (file.fd < 0 && errno == ENOENT) {
        return;
    }
    if (file.fd < 0) {
        FailToOpen(path);
    }
    CheckedSize(file.fd, path);
}

FileImage::~FileImage() {
    if (mMemory == Memory::Prefaulted && mBytes) {
        ::munmap(mBytes, mCapacity);
    } else {
        delete[] mBytes;
    }
}

void FileImage::Reserve(size_t capacity) {
    char* memory = nullptr;
    if (mMemory == Memory::Prefaulted) {
        void* mapped = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (mapped == MAP_FAILED) {
            throw std::bad_alloc();
        }
        memory = static_cast<char*>(mapped);
    } else {
        memory = new char[capacity];
    }
    if (mBytes) {
        std::memcpy(memory, mBytes, mSize);
    }
    std::swap(memory, mBytes);
    std::swap(capacity, mCapacity);
    if (mMemory == Memory::Prefaulted && memory) {
        ::munmap(memory, capacity);
    } else {
        delete[] memory;
    }
}

std::shared_ptr<const FileImage> FileImage::Read(const std::string& path, Memory memory) {
    const Descriptor file{OpenForReading(path)};
    if (file.fd < 0) {
        FailToOpen(path);
    }
    const size_t size = CheckedSize(file.fd, path);
    // One byte more than the file's size, so that the end shows without growing; a file that
    // grows meanwhile is read on, up to the limit.
    auto image = std::make_shared<FileImage>();
    image->mMemory = memory;
    image->Reserve(size + 1);
    for (;;) {
        if (image->mSize == image->mCapacity) {
            if (image->mSize > kMaxReadableFileSize) {
                FailTooLarge(path);
            }
            image->Reserve(image->mCapacity + (size_t{1} << 16));
        }
        const ssize_t got =
            ::read(file.fd, image->mBytes + image->mSize, image->mCapacity - image->mSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            FailToRead(path, std::strerror(errno));
        }
        if (got == 0) {
            if (image->mSize > kMaxReadableFileSize) {
                FailTooLarge(path);
            }
            return image;
        }
        image->mSize += static_cast<size_t>(got);
    }
}

}  // namespace platform
