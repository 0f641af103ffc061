#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "common/errors.h"
#include "serialization/object.h"
#include "serialization/objectblocks.h"
#include "serialization/scalar.h"
#include "serialization/textfield.h"

namespace serialization {

static_assert(std::endian::native == std::endian::little,
              "archives hold scalars as little-endian memory images");

enum class WriteRead : int32_t { Write = 0, Read = 1 };
enum class Tracking : int32_t { Tracked = 0, Untracked = 1 };
enum class FileMode : int32_t { In = 1, Out = 2 };

inline constexpr uint8_t data_signal = 0x00;
inline constexpr uint8_t no_data_signal = 0x01;

template <class Archive>
class ClassRegister;
template <class Archive>
class ClassDescriptionBase;

// The archive core: one transfer per value kind that writes or reads depending on the direction.
// Archive supplies the primitives: isReading(), isWriting(), rawTransfer(address, n),
// rawWrite(address, n), rawAssign(text, n) (reads n bytes, all present, into a string),
// rawView(text, n) (the same, as a view into the archive's image), rawPeek(n) (the next n bytes
// to be read, or null when fewer are left), image() (what keeps that image alive), bytesLeft(),
// position() and seekTo(offset).
template <class Archive>
class TBasicArchive {
  public:
    void transfer(bool& value, Tracking = Tracking::Tracked) {
        // A read byte other than 0 or 1 still means true; a bool cannot hold it as it is.
        uint8_t byte = value ? 1 : 0;
        self().rawTransfer(&byte, 1);
        value = byte != 0;
    }

    template <ArchiveScalar T>
    void transfer(T& value, Tracking = Tracking::Tracked) {
        self().rawTransfer(&value, sizeof value);
    }

    // A string's length and bytes, for writing only.
    void writeText(std::string_view text) {
        Enforce(text.size() <= UINT32_MAX, "string too long for an archive");
        const uint32_t count = static_cast<uint32_t>(text.size());
        self().rawWrite(&count, 4);
        self().rawWrite(text.data(), text.size());
    }

    void transfer(std::string& text, Tracking = Tracking::Tracked) {
        if (self().isWriting()) {
            writeText(text);
            return;
        }
        uint32_t count = 0;
        self().rawTransfer(&count, 4);
        // A file cut inside a string gives the bytes it still holds, as a cut scalar does; a
        // count beyond the end never allocates more than the file holds.
        const uint64_t available = self().bytesLeft();
        self().rawAssign(text, count < available ? count : static_cast<size_t>(available));
    }

    // The same bytes as a string. Read as a view into the archive's image where the object that
    // holds the field keeps that image alive, as a copy elsewhere.
    void transfer(TextField& text, Tracking = Tracking::Tracked) {
        if (mFieldsViewImage && self().isReading()) [[likely]] {  // a day's five per entry
            readView(text);
        } else {
            transferOtherwise(text);
        }
    }

    // A string read as a view into the archive's image, whoever holds it; cut by the file's end as
    // a string is, to the bytes the file still holds.
    void readView(TextField& text) {
        uint32_t count = 0;
        self().rawTransfer(&count, 4);
        const uint64_t available = self().bytesLeft();
        self().rawView(text, count < available ? count : static_cast<size_t>(available));
    }

    // Whether text fields read from now on may view the archive's image; the previous setting.
    // The class register allows it while it reads the fields of an object built in a block that
    // holds the image.
    bool setFieldsViewImage(bool views) { return std::exchange(mFieldsViewImage, views); }
    bool fieldsViewImage() const { return mFieldsViewImage; }

    template <class T>
    void transfer(std::vector<std::shared_ptr<T>>& array, Tracking tracking) {
        if (self().isWriting()) {
            uint32_t count = static_cast<uint32_t>(array.size());
            self().rawTransfer(&count, 4);
            for (auto& element : array) {
                transfer(element, tracking);
            }
            return;
        }
        uint32_t count = 0;
        self().rawTransfer(&count, 4);
        // The array grows element by element, so a count that promises more than the file holds
        // fails at the first missing element without allocating the whole promise.
        if (array.size() > count) {
            array.resize(count);
        }
        // Every element takes at least five bytes of the file (a back-reference).
        const uint64_t room = self().bytesLeft() / 5;
        const size_t expected = count < room ? count : static_cast<size_t>(room);
        array.reserve(expected);
        readObjects.reserve(readObjects.size() + expected);
        ObjectBlocks<T> blocks(self().image(), count);
        // How the last element was built in a block; its tag names the same class again.
        const ClassDescriptionBase<Archive>* repeated = nullptr;
        for (uint32_t i = 0; i < count; ++i) {
            if (i == array.size()) {
                array.emplace_back();
            }
            if (tracking == Tracking::Untracked) {
                ClassRegister<Archive>::ForThisThread().readUntracked(self(), array[i], &blocks);
            } else if (!repeated || !readRepeated(array[i], blocks, *repeated)) {
                readTracked(array[i], &blocks, &repeated);
            }
        }
    }

    template <class T>
    void transfer(std::shared_ptr<T>& reference, Tracking tracking) {
        if (tracking == Tracking::Untracked) {
            ClassRegister<Archive>::ForThisThread().transferUntracked(self(), reference);
        } else if (self().isWriting()) {
            writeTracked(reference);
        } else {
            readTracked(reference);
        }
    }

  protected:
    // An object read, by its index, and which of mOwners keeps it alive: its block, or itself.
    struct ReadObject {
        Object* object;
        size_t owner;
    };
    std::vector<ReadObject> readObjects;
    std::vector<std::shared_ptr<const void>> mOwners;
    std::unordered_map<const Object*, uint32_t> writtenObjects;
    bool mFieldsViewImage = false;

  private:
    Archive& self() { return static_cast<Archive&>(*this); }

    template <class T>
    void writeTracked(std::shared_ptr<T>& object) {
        if (!object) {
            throw Error("A null class reference cannot be written to an archive.");
        }
        const auto found = writtenObjects.find(object.get());
        if (found != writtenObjects.end()) {
            uint8_t signal = no_data_signal;
            uint32_t index = found->second;
            self().rawTransfer(&signal, 1);
            self().rawTransfer(&index, 4);
            return;
        }
        uint8_t signal = data_signal;
        self().rawTransfer(&signal, 1);
        transfer(object, Tracking::Untracked);
        const auto index = static_cast<uint32_t>(writtenObjects.size());
        writtenObjects.emplace(object.get(), index);
    }

    // blocks: where a new object of exactly T is built, if anywhere; builtBy: set to the
    // description of an object built there.
    template <class T>
    void readTracked(std::shared_ptr<T>& reference, ObjectBlocks<T>* blocks = nullptr,
                     const ClassDescriptionBase<Archive>** builtBy = nullptr) {
        const auto start = self().position();
        try {
            uint8_t signal = data_signal;
            self().rawTransfer(&signal, 1);
            if (signal == data_signal) {
                std::shared_ptr<T> fresh;
                const bool inBlock = ClassRegister<Archive>::ForThisThread().readUntracked(
                    self(), fresh, blocks, builtBy);
                if (inBlock && blocks) {
                    rememberRead(fresh.get(), blocks->lastBlock());
                } else {
                    rememberRead(fresh.get(), fresh);
                }
                reference = std::move(fresh);
            } else if (signal == no_data_signal) {
                uint32_t index = 0xFFFFFFFF;
                self().rawTransfer(&index, 4);
                if (index >= readObjects.size()) {
                    throw Error(
                        "Inconsistent archive or sequence error:\n"
                        "Tried to access pointer that's not been read yet.");
                }
                const ReadObject& read = readObjects[index];
                reference =
                    CheckedCast<T>(std::shared_ptr<Object>(mOwners[read.owner], read.object));
            } else {
                throw Error(
                    "Inconsistent archive, expected data_signal or no_data_signal on pointer "
                    "read.");
            }
        } catch (...) {
            self().seekTo(start);
            throw;
        }
    }

    // A new object under the same tag as the array's last element built in a block: what
    // readTracked does for it, without looking its tag up again. False, with nothing read, for
    // anything else.
    template <class T>
    bool readRepeated(std::shared_ptr<T>& reference, ObjectBlocks<T>& blocks,
                      const ClassDescriptionBase<Archive>& description) {
        const std::string& tag = description.tag();
        const char* next = self().rawPeek(5 + tag.size());
        uint32_t length = 0;
        if (!next || static_cast<uint8_t>(next[0]) != data_signal) {
            return false;
        }
        std::memcpy(&length, next + 1, 4);
        if (length != tag.size() || std::memcmp(next + 5, tag.data(), tag.size()) != 0) {
            return false;
        }
        const auto start = self().position();
        self().seekTo(start + 5 + tag.size());
        std::shared_ptr<T> fresh = blocks.make(self().bytesLeft());
        const bool viewed = setFieldsViewImage(true);
        try {
            description.transferFields(*fresh, self());
        } catch (...) {
            setFieldsViewImage(viewed);
            self().seekTo(start);
            throw;
        }
        setFieldsViewImage(viewed);
        rememberRead(fresh.get(), blocks.lastBlock());
        reference = std::move(fresh);
        return true;
    }

    [[gnu::noinline]] void transferOtherwise(TextField& text) {
        if (self().isWriting()) {
            writeText(text.view());
            return;
        }
        TextField viewed;
        readView(viewed);
        text = viewed.view();
    }

    // The objects of one block share its entry in mOwners, so that reading them costs no count of
    // their owners.
    void rememberRead(Object* object, const std::shared_ptr<const void>& owner) {
        if (mOwners.empty() || mOwners.back().get() != owner.get()) {
            mOwners.push_back(owner);
        }
        readObjects.push_back({object, mOwners.size() - 1});
    }

    template <class T>
    static std::shared_ptr<T> CheckedCast(const std::shared_ptr<Object>& object) {
        auto cast = std::dynamic_pointer_cast<T>(object);
        if (!cast) {
            throw Error("Inconsistent archive, back-reference to an object of another class.");
        }
        return cast;
    }
};

}  // namespace serialization
