#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "common/errors.h"
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
    if (mBytes) {
        ::munmap(mBytes, mCapacity);
    }
}

// Anonymous memory with its pages present from the start: a log of megabytes would otherwise take
// a page fault per four kilobytes as it is read in.
void FileImage::Reserve(size_t capacity) {
    void* memory = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::bad_alloc();
    }
    if (mBytes) {
        std::memcpy(memory, mBytes, mSize);
        ::munmap(mBytes, mCapacity);
    }
    mBytes = static_cast<char*>(memory);
    mCapacity = capacity;
}

std::shared_ptr<const FileImage> FileImage::Read(const std::string& path) {
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        throw Exception("Cannot open or create file '" + path + "'");
    }
    // One byte more than the file's size, so that the end shows without growing; a file that
    // grows meanwhile is read on.
    struct stat info {};
    auto image = std::make_shared<FileImage>();
    image->Reserve((::fstat(file.fd, &info) == 0 ? static_cast<size_t>(info.st_size) : 0) + 1);
    for (;;) {
        if (image->mSize == image->mCapacity) {
            image->Reserve(2 * image->mCapacity);
        }
        const ssize_t got =
            ::read(file.fd, image->mBytes + image->mSize, image->mCapacity - image->mSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw Exception("Cannot read file '" + path + "': " + std::strerror(errno));
        }
        if (got == 0) {
            return image;
        }
        image->mSize += static_cast<size_t>(got);
    }
}

}  // namespace platform
