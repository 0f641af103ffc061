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

}  // namespace

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
    // Non-blocking, so that a FIFO planted at the path cannot hang the open.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        throw Exception("Cannot open or create file '" + EscapeControls(path) + "'");
    }
    const auto fail = [&path](const std::string& reason) {
        throw Exception("Cannot read file '" + EscapeControls(path) + "': " + reason);
    };
    const auto tooLarge = [&fail] {
        fail("larger than the limit of " + std::to_string(kMaxReadableFileSize >> 20) + " MiB");
    };
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        fail(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        fail("not a regular file");
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxReadableFileSize) {
        tooLarge();
    }
    // One byte more than the file's size, so that the end shows without growing; a file that
    // grows meanwhile is read on, up to the limit.
    auto image = std::make_shared<FileImage>();
    image->mMemory = memory;
    image->Reserve(static_cast<size_t>(info.st_size) + 1);
    for (;;) {
        if (image->mSize == image->mCapacity) {
            if (image->mSize > kMaxReadableFileSize) {
                tooLarge();
            }
            image->Reserve(image->mCapacity + (size_t{1} << 16));
        }
        const ssize_t got =
            ::read(file.fd, image->mBytes + image->mSize, image->mCapacity - image->mSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail(std::strerror(errno));
        }
        if (got == 0) {
            if (image->mSize > kMaxReadableFileSize) {
                tooLarge();
            }
            return image;
        }
        image->mSize += static_cast<size_t>(got);
    }
}

}  // namespace platform
