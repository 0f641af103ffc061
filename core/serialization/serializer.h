#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file.h"
#include "serialization/basicarchive.h"
#include "serialization/classregister.h"

namespace serialization {

// The archive core bound to one file, for one top-level transfer in one direction. Reading takes
// the whole file into memory at once and decodes from there; a read past the end delivers nothing
// and leaves the target as it was. Writing builds the archive in memory from nothing, and close()
// puts it on the disk in one crash-safe step: the file then holds exactly the new archive, and
// nothing of what it held before.
class Serializer : public Object, public TBasicArchive<Serializer> {
  public:
    // mode must be In (an existing file) or Out (created when absent, replaced whole).
    Serializer(std::string fileName, FileMode mode);
    ~Serializer() override;

    virtual bool isReading() const { return mDirection == WriteRead::Read; }
    virtual bool isWriting() const { return mDirection == WriteRead::Write; }
    virtual void skip(int64_t offset);
    uint64_t position() const { return mPosition; }
    void seekTo(uint64_t offset) { mPosition = offset; }

    // Writes the archive to the file; a writing serializer destroyed without close() leaves the
    // file untouched, so a failed transfer never damages it.
    void close();

    // Reads up to n bytes into address, or writes n bytes from it.
    void rawTransfer(void* address, size_t n) {
        if (mDirection == WriteRead::Read) {
            const size_t available = static_cast<size_t>(bytesLeft());
            const size_t count = n < available ? n : available;
            if (count > 0) {
                std::memcpy(address, mImage.data() + mPosition, count);
                mPosition += count;
            }
        } else {
            if (mPosition + n > mImage.size()) {
                mImage.resize(static_cast<size_t>(mPosition + n));
            }
            std::memcpy(mImage.data() + mPosition, address, n);
            mPosition += n;
        }
    }

    // Reads n bytes that the file is known to hold into text, in one copy.
    void rawAssign(std::string& text, size_t n) {
        text.assign(mImage, static_cast<size_t>(mPosition), n);
        mPosition += n;
    }

    uint64_t bytesLeft() const { return mPosition < mImage.size() ? mImage.size() - mPosition : 0; }

  private:
    WriteRead mDirection;
    std::string mFileName;
    std::string mImage;
    uint64_t mPosition = 0;
    std::optional<platform::AtomicFileWriter> mWriter;
};

}  // namespace serialization
