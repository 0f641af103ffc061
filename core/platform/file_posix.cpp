#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>

#include "common/errors.h"
#include "platform/file.h"

namespace platform {
namespace {

std::string CannotOpen(const std::string& path) {
    return "Cannot open or create file '" + path + "'";
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        throw Exception("Cannot create directory '" + path + "': " + std::strerror(errno));
    }
}

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Exception(CannotOpen(path));
    }
    // Read straight into a buffer one byte larger than the file, so the end shows without growing
    // it; a file that grows meanwhile is read on.
    struct stat info {};
    const size_t expected = ::fstat(fd, &info) == 0 ? static_cast<size_t>(info.st_size) : 0;
    std::string content(expected + 1, '\0');
    size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            content.resize(content.size() + (1 << 16));
        }
        const ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
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
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    content.resize(filled);
    return content;
}

bool IsValidFileName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > NAME_MAX) {
        return false;
    }
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : mPath(std::move(path)) {
    std::string pattern = FolderOf(mPath) + ".warblet-XXXXXX";
    mDescriptor = ::mkstemp(pattern.data());  // created with owner read and write only
    if (mDescriptor < 0) {
        throw Exception(CannotOpen(mPath));
    }
    mTemporaryPath = std::move(pattern);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (mDescriptor >= 0) {
        ::close(mDescriptor);
        ::unlink(mTemporaryPath.c_str());
    }
}

void AtomicFileWriter::Commit(std::string_view bytes) {
    const auto fail = [this](const char* step) {
        throw Exception("Cannot write file '" + mPath + "': " + step + ": " + std::strerror(errno));
    };
    while (!bytes.empty()) {
        const ssize_t put = ::write(mDescriptor, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = ENOSPC;
            }
            fail("write");
        }
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    if (::fsync(mDescriptor) != 0) {
        fail("flush");
    }
    if (::close(mDescriptor) != 0) {
        mDescriptor = -1;
        ::unlink(mTemporaryPath.c_str());
        fail("close");
    }
    mDescriptor = -1;
    if (::rename(mTemporaryPath.c_str(), mPath.c_str()) != 0) {
        const int error = errno;
        ::unlink(mTemporaryPath.c_str());
        errno = error;
        fail("rename");
    }
}

}  // namespace platform
