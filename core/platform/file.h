#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The thin file-system layer: everything the core asks of the platform's files goes through here.
namespace platform {

// The largest file ReadWholeFile takes. A busy account's day log is a few MB; anything this large
// is not one of our files, and reading it would only exhaust memory.
inline constexpr size_t kMaxReadableFileSize = size_t{64} << 20;

bool PathExists(const std::string& path);

// Makes one directory, readable by its owner only; an existing one is fine. Throws Exception when
// it cannot be made.
void MakeDirectory(const std::string& path);

// The whole content of an existing regular file; throws Exception "Cannot open or create file
// '...'" when it cannot be opened, and "Cannot read file '...': reason" when it is not a regular
// file (a FIFO, a device, a folder), is larger than kMaxReadableFileSize or fails to read.
std::string ReadWholeFile(const std::string& path);

// For readers that open a file themselves (a library's, say): throws what ReadWholeFile would for
// a file that is there but is no regular file or is larger than kMaxReadableFileSize, without
// reading it; a missing file passes.
void CheckReadableFile(const std::string& path);

// True when name can stand as one component of a path on this platform: not empty, not "." or
// "..", no separator or character the file system refuses, and not longer than a name may be.
bool IsValidFileName(std::string_view name);

// Replaces a file's content so that a crash leaves either the old file or the new one, and no
// copy of the new bytes anywhere else: the bytes go to an unnamed file in the same folder (owner
// read and write only) that gets a name only once it is complete and flushed, just before it is
// renamed over the target at Commit; the folder is flushed after the rename. Where the file
// system has no unnamed files, a named temporary file stands in, and the temporary files that
// dead processes left behind in the folder are removed before a new one is made. Without Commit,
// nothing changes.
class AtomicFileWriter {
  public:
    // Throws Exception "Cannot open or create file '...': reason" when the temporary file cannot
    // be made.
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Writes every byte and renames; throws Exception "Cannot write file '...': reason" on any
    // short or failed write, flush or rename, leaving the target as it was.
    void Commit(std::string_view bytes);

  private:
    void LinkTemporaryFile();

    std::string mPath;
    std::string mFolder;
    std::string mTemporaryPath;  // empty while the file has no name
    int mDescriptor = -1;
};

}  // namespace platform
