#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/errors.h"
#include "platform/fileimage.h"

namespace platform {

std::shared_ptr<const FileImage> FileImage::Read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Exception("Cannot open or create file '" + path + "'");
    }
    // One byte more than the file's size, so that the end shows without growing; a file that
    // grows meanwhile is read on.
    struct stat info {};
    size_t capacity = (::fstat(fd, &info) == 0 ? static_cast<size_t>(info.st_size) : 0) + 1;
    auto image = std::make_shared<FileImage>();
    image->mBytes = std::make_unique_for_overwrite<char[]>(capacity);
    for (;;) {
        if (image->mSize == capacity) {
            capacity *= 2;
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(larger.get(), image->mBytes.get(), image->mSize);
            image->mBytes = std::move(larger);
        }
        const ssize_t got = ::read(fd, image->mBytes.get() + image->mSize, capacity - image->mSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw Exception("Cannot read file '" + path + "': " + std::strerror(error));
        }
        if (got == 0) {
            break;
        }
        image->mSize += static_cast<size_t>(got);
    }
    ::close(fd);
    return image;
}

}  // namespace platform
