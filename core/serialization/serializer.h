#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/file.h"
#include "platform/fileimage.h"
#include "serialization/basicarchive.h"
#include "serialization/classregister.h"

namespace serialization {

// The archive core bound to one file, for one top-level transfer in one direction. Reading takes
// the whole file into memory at once and decodes from there, and the image outlives the
// serializer as long as objects read from it view it; a read past the end delivers nothing and
// leaves the target as it was. Writing builds the archive in memory from nothing, and close()
// puts it on the disk in one crash-safe step: the file then holds exactly the new archive, and
// nothing of what it held before.
class Serializer final : public Object, public TBasicArchive<Serializer> {
  public:
    // mode must be In (an existing file) or Out (created when absent, replaced whole).
    Serializer(std::string fileName, FileMode mode);
    // Reads from a file already in memory.
    explicit Serializer(std::shared_ptr<const platform::FileImage> image);
    // Writes an archive in memory only, for takeBytes() to hand on, into the storage of buffer
    // (whatever it holds is dropped).
    explicit Serializer(std::string buffer = std::string());
    ~Serializer() override;

    virtual bool isReading() const { return mDirection == WriteRead::Read; }
    virtual bool isWriting() const { return mDirection == WriteRead::Write; }
    virtual void skip(int64_t offset);
    uint64_t position() const { return mPosition; }
    void seekTo(uint64_t offset) { mPosition = offset; }

    // Writes the archive to the file; a writing serializer destroyed without close() leaves the
    // file untouched, so a failed transfer never damages it.
    void close();
    // The archive written so far, leaving the serializer empty.
    std::string takeBytes() { return std::exchange(mImage, std::string()); }

    // Reads up to n bytes into address, or writes n bytes from it.
    void rawTransfer(void* address, size_t n) {
        if (mDirection == WriteRead::Read) {
            const size_t available = static_cast<size_t>(bytesLeft());
            if (n <= available) [[likely]] {  // a copy of fixed size for the scalars
                std::memcpy(address, mBytes.data() + mPosition, n);
                mPosition += n;
            } else if (available > 0) {
                std::memcpy(address, mBytes.data() + mPosition, available);
                mPosition += available;
            }
        } else {
            rawWrite(address, n);
        }
    }

    void rawWrite(const void* address, size_t n) {
        if (mPosition == mImage.size()) {  // the usual case: nothing to overwrite or fill
            mImage.append(static_cast<const char*>(address), n);
        } else {
            if (mPosition + n > mImage.size()) {
                mImage.resize(static_cast<size_t>(mPosition + n));
            }
            std::memcpy(mImage.data() + mPosition, address, n);
        }
        mPosition += n;
    }

    // Reads n bytes that the file is known to hold into text, in one copy.
    void rawAssign(std::string& text, size_t n) {
        text.assign(mBytes.substr(static_cast<size_t>(mPosition), n));
        mPosition += n;
    }

    // Points text at n bytes that the file is known to hold, without a copy; the object that holds
    // text keeps image() alive.
    void rawView(TextField& text, size_t n) {
        text.setView(mBytes.data() + mPosition, n);
        mPosition += n;
    }

    // The next n bytes to be read, or null when fewer are left.
    const char* rawPeek(size_t n) const {
        return mDirection == WriteRead::Read && bytesLeft() >= n ? mBytes.data() + mPosition
                                                                 : nullptr;
    }

    // The bytes still to be read, in the image; empty when writing.
    std::string_view unread() const {
        return mDirection == WriteRead::Read && mPosition < mBytes.size()
                   ? mBytes.substr(static_cast<size_t>(mPosition))
                   : std::string_view();
    }

    uint64_t bytesLeft() const {
        const size_t size = mDirection == WriteRead::Read ? mBytes.size() : mImage.size();
        return mPosition < size ? size - mPosition : 0;
    }

    // The file being read, shared with the objects whose text fields view it.
    std::shared_ptr<const void> image() const { return mReadImage; }

  private:
    WriteRead mDirection;
    std::string mFileName;
    std::shared_ptr<const platform::FileImage> mReadImage;
    std::string_view mBytes;  // of mReadImage
    std::string mImage;       // the archive being written
    uint64_t mPosition = 0;
    std::optional<platform::AtomicFileWriter> mWriter;
};

}  // namespace serialization
