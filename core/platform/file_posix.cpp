#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>

#include "common/errors.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "platform/fileimage.h"

namespace platform {
namespace {

// Every temporary file of ours is named ".warblet-", the writing process's id, "-" and a unique
// part, so that the files of processes that died can be told from those still being written.
constexpr std::string_view kTemporaryPrefix = ".warblet-";
// Earlier versions named them ".warblet-" and six characters of mkstemp, without a process id.
constexpr size_t kOldUniquePartLength = 6;

std::string CannotOpen(const std::string& path) {
    return "Cannot open or create file '" + EscapeControls(path) + "'";
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string TemporaryName(const std::string& folder, uint64_t unique) {
    char digits[17];
    const auto end = std::to_chars(digits, digits + sizeof digits, unique, 16).ptr;
    return folder + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
           std::string(digits, end);
}

bool IsLiveProcess(std::string_view id) {
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), pid);
    if (error != std::errc() || end != id.data() + id.size() || pid <= 0) {
        return false;
    }
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// A temporary file whose writer can no longer finish it: one of an earlier version, or one whose
// process has ended (a crash, a kill). Files of live processes are still being written.
bool IsStaleTemporaryFile(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix)) {
        return false;
    }
    name.remove_prefix(kTemporaryPrefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos) {
        return name.size() == kOldUniquePartLength;
    }
    return !IsLiveProcess(name.substr(0, dash));
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return;  // opening the temporary file reports what is wrong with the folder
    }
    while (const dirent* entry = ::readdir(directory)) {
        if (IsStaleTemporaryFile(entry->d_name)) {
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
        }
    }
    ::closedir(directory);
}

bool LacksUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

}  // namespace

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw Exception("Cannot create directory '" + EscapeControls(path) +
                        "': " + std::strerror(errno));
    }
}

std::string ReadWholeFile(const std::string& path) {
    return std::string(FileImage::Read(path)->Bytes());
}

bool IsValidFileName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > NAME_MAX) {
        return false;
    }
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

AtomicFileWriter::AtomicFileWriter(std::string path)
    : mPath(std::move(path)), mFolder(FolderOf(mPath)) {
    RemoveStaleTemporaryFiles(mFolder);
    mDescriptor = ::open(mFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (mDescriptor < 0 && LacksUnnamedFiles(errno)) {
        std::string pattern = TemporaryName(mFolder, 0) + "XXXXXX";
        mDescriptor = ::mkstemp(pattern.data());  // created with owner read and write only
        mTemporaryPath = std::move(pattern);
    }
    if (mDescriptor < 0) {
        mTemporaryPath.clear();
        throw Exception(CannotOpen(mPath) + ": " + std::strerror(errno));
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (mDescriptor >= 0) {
        ::close(mDescriptor);
    }
    if (!mTemporaryPath.empty()) {
        ::unlink(mTemporaryPath.c_str());
    }
}

void AtomicFileWriter::Commit(std::string_view bytes) {
    const auto fail = [this](const char* step) {
        throw Exception("Cannot write file '" + EscapeControls(mPath) + "': " + step + ": " +
                        std::strerror(errno));
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
    if (mTemporaryPath.empty()) {
        LinkTemporaryFile();
    }
    const int closed = ::close(mDescriptor);
    mDescriptor = -1;
    if (closed != 0) {
        fail("close");
    }
    if (::rename(mTemporaryPath.c_str(), mPath.c_str()) != 0) {
        fail("rename");
    }
    mTemporaryPath.clear();
    // The rename lives in the folder; without flushing it a power cut may bring the old file back.
    const int folder = ::open(mFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        fail("flush folder");
    }
    const int flushed = ::fsync(folder);
    const int error = errno;
    ::close(folder);
    if (flushed != 0 && error != EINVAL) {  // EINVAL: the file system cannot flush folders
        errno = error;
        fail("flush folder");
    }
}

// Gives the complete unnamed file a name beside the target, retrying on the rare name clash.
void AtomicFileWriter::LinkTemporaryFile() {
    const std::string self = "/proc/self/fd/" + std::to_string(mDescriptor);
    auto unique =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt, unique = unique * 6364136223846793005u + 1) {
        const std::string name = TemporaryName(mFolder, unique);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            mTemporaryPath = name;
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw Exception("Cannot write file '" + EscapeControls(mPath) +
                    "': link: " + std::strerror(errno));
}

}  // namespace platform
