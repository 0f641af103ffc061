#pragma once

#include <string>
#include <string_view>

// The thin file-system layer: everything the core asks of the platform's files goes through here.
namespace platform {

bool PathExists(const std::string& path);

// Makes one directory; an existing one is fine. Throws Exception when it cannot be made.
void MakeDirectory(const std::string& path);

// The whole content of an existing file; throws Exception "Cannot open or create file '...'".
std::string ReadWholeFile(const std::string& path);

// True when name can stand as one component of a path on this platform: not empty, not "." or
// "..", no separator or character the file system refuses, and not longer than a name may be.
bool IsValidFileName(std::string_view name);

// Replaces a file's content so that a crash leaves either the old file or the new one: the bytes
// go to a temporary file in the same folder (owner read and write only), are flushed to the disk,
// and the temporary file is renamed over the target at Commit. Without Commit, nothing changes.
class AtomicFileWriter {
  public:
    // Throws Exception "Cannot open or create file '...'" when the temporary file cannot be made.
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Writes every byte and renames; throws Exception "Cannot write file '...': reason" on any
    // short or failed write, flush or rename, leaving the target as it was.
    void Commit(std::string_view bytes);

  private:
    std::string mPath;
    std::string mTemporaryPath;
    int mDescriptor = -1;
};

}  // namespace platform
