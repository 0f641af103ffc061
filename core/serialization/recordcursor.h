#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "serialization/scalar.h"
#include "serialization/textfield.h"

namespace serialization {

// Reads the fields of one record straight from an archive's image, in the order and encoding the
// archive core reads them, as long as every field is there whole. The place read is kept in a
// local value rather than in the archive, so that a record of a dozen fields costs one update of
// the archive's position instead of one per field. Each read is false, with nothing changed,
// when the field is not there whole: the caller then reads the record the archive's own way,
// which knows what a cut record gives.
class RecordCursor {
  public:
    explicit RecordCursor(std::string_view unread)
        : mAt(unread.data()), mEnd(unread.data() + unread.size()) {}

    template <ArchiveScalar T>
    bool read(T& value) {
        if (left() < sizeof value) {
            return false;
        }
        std::memcpy(&value, mAt, sizeof value);
        mAt += sizeof value;
        return true;
    }

    bool read(bool& value) {
        if (left() < 1) {
            return false;
        }
        value = *mAt++ != 0;
        return true;
    }

    // A string's length and bytes, as a view into the image: for fields whose object keeps the
    // image alive.
    bool readView(TextField& text) {
        uint32_t count = 0;
        if (left() < sizeof count) {
            return false;
        }
        std::memcpy(&count, mAt, sizeof count);
        if (left() - sizeof count < count) {
            return false;
        }
        text.setView(mAt + sizeof count, count);
        mAt += sizeof count + count;
        return true;
    }

    // How many bytes of the image the fields read so far took.
    size_t taken(std::string_view unread) const { return static_cast<size_t>(mAt - unread.data()); }

  private:
    size_t left() const { return static_cast<size_t>(mEnd - mAt); }

    const char* mAt;
    const char* mEnd;
};

}  // namespace serialization
