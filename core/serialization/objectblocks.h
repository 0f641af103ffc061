#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace serialization {

// Builds the objects of class T that one array of an archive reads, side by side in blocks of
// memory, each block holding the archive's image that their text fields view. A day's list is
// then one allocation instead of one per object, and freeing it is one more. Each object is
// handed out as a shared_ptr that shares the ownership of its block, so that an object kept
// anywhere keeps its block, and with it the image, alive.
template <class T>
class ObjectBlocks {
  public:
    // No real record is this short; a count that promises more objects than the bytes left can
    // hold at this size only gets blocks as the objects turn up.
    static constexpr uint64_t kRecordBytesAtLeast = 64;

    ObjectBlocks(std::shared_ptr<const void> image, uint32_t count)
        : mImage(std::move(image)), mLeft(count) {}

    // A default-constructed T in the current block; bytesLeft bounds the size of a new block.
    std::shared_ptr<T> make(uint64_t bytesLeft) {
        if (!mBlock || mBlock->constructed == mBlock->capacity) {
            const uint64_t room = bytesLeft / kRecordBytesAtLeast + 1;
            startBlock(static_cast<size_t>(std::min<uint64_t>(std::max<uint32_t>(mLeft, 1), room)));
        }
        if (mLeft > 0) {
            --mLeft;
        }
        // Default-initialised: the constructor sets every field, so the memory is written once.
        T* object = ::new (static_cast<void*>(mBlock->objects + mBlock->constructed)) T;
        ++mBlock->constructed;
        return std::shared_ptr<T>(mOwner, object);
    }

    // What keeps the object last made alive: its block.
    const std::shared_ptr<const void>& lastBlock() const { return mOwner; }

  private:
    struct Block {
        explicit Block(size_t room) : objects(std::allocator<T>().allocate(room)), capacity(room) {}
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;
        ~Block() {
            // Each object is exactly a T: its destructor needs no virtual call.
            for (size_t i = 0; i < constructed; ++i) {
                objects[i].T::~T();
            }
            std::allocator<T>().deallocate(objects, capacity);
        }

        std::shared_ptr<const void> image;  // destroyed after the objects that view it
        T* objects;
        size_t capacity;
        size_t constructed = 0;
    };

    void startBlock(size_t capacity) {
        auto block = std::make_shared<Block>(capacity);
        block->image = mImage;
        mBlock = block.get();
        mOwner = std::move(block);
    }

    std::shared_ptr<const void> mImage;
    uint32_t mLeft;                      // objects the array still promises
    Block* mBlock = nullptr;             // the block being filled
    std::shared_ptr<const void> mOwner;  // its ownership
};

}  // namespace serialization
