#include "serialization/serializer.h"

namespace serialization {

Serializer::Serializer(std::string fileName, FileMode mode) : mFileName(std::move(fileName)) {
    Enforce(mode == FileMode::In || mode == FileMode::Out,
            "Serializer.open only works with FileMode.In and FileMode.Out");
    if (mode == FileMode::In) {
        mDirection = WriteRead::Read;
        mReadImage = platform::FileImage::Read(mFileName);
        mBytes = mReadImage->Bytes();
        return;
    }
    mDirection = WriteRead::Write;
    mWriter.emplace(mFileName);
}

Serializer::Serializer(std::shared_ptr<const platform::FileImage> image)
    : mDirection(WriteRead::Read), mReadImage(std::move(image)), mBytes(mReadImage->Bytes()) {}

Serializer::Serializer(std::string buffer)
    : mDirection(WriteRead::Write), mImage(std::move(buffer)) {
    mImage.clear();
}

Serializer::~Serializer() = default;

void Serializer::skip(int64_t offset) {
    mPosition = static_cast<uint64_t>(static_cast<int64_t>(mPosition) + offset);
}

void Serializer::close() {
    if (mWriter) {
        mWriter->Commit(mImage);
        mWriter.reset();
    }
}

}  // namespace serialization
