#include "platform/fileimage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "platform/file.h"
#include "support/workdir.h"

namespace {

using Memory = platform::FileImage::Memory;

class FileImageRead : public ::testing::TestWithParam<std::tuple<size_t, Memory>> {
  protected:
    ScopedWorkingDirectory dir;
};

// Empty, shorter than a page, and several pages of bytes of every value, in either kind of memory.
TEST_P(FileImageRead, HoldsTheWholeFile) {
    std::string content;
    const auto [size, memory] = GetParam();
    for (size_t i = 0; i < size; ++i) {
        content += static_cast<char>(i * 7 % 256);
    }
    std::ofstream("f.dat", std::ios::binary) << content;
    const auto image = platform::FileImage::Read("f.dat", memory);
    EXPECT_EQ(image->Bytes(), content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileImageRead,
                         ::testing::Combine(::testing::Values(0u, 1u, 4095u, 70001u),
                                            ::testing::Values(Memory::Heap, Memory::Prefaulted)));

TEST(FileImageMissing, NamesTheFileWithItsControlBytesEscaped) {
    ScopedWorkingDirectory dir;
    const std::pair<std::string, std::string> cases[] = {
        {"absent.dat", "absent.dat"},
        {"absent\r\nline.dat", "absent\\r\\nline.dat"},
        {"\x1b[2Jabsent.dat", "\\x1b[2Jabsent.dat"},
    };
    for (const auto& [path, quoted] : cases) {
        try {
            platform::FileImage::Read(path);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open or create file '" + quoted + "'");
        }
    }
}

// For readers that open files themselves: the same refusals as a read, without reading.
TEST(CheckReadableFile, RefusesWhatReadingWouldAndPassesAMissingFile) {
    ScopedWorkingDirectory dir;
    ::mkfifo("fifo", 0600);
    std::filesystem::create_symlink("/dev/zero", "endless");
    std::ofstream("plain.ini") << "[a]\nb=1\n";
    for (const char* path : {"fifo", "endless"}) {
        try {
            platform::CheckReadableFile(path);
            ADD_FAILURE() << "passed " << path;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot read file '" + std::string(path) + "': not a regular file");
        }
    }
    EXPECT_NO_THROW(platform::CheckReadableFile("plain.ini"));
    EXPECT_NO_THROW(platform::CheckReadableFile("absent.ini"));
}

}  // namespace
