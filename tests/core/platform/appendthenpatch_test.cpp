// Growing a file in place is done only to the very file, of the very length and content, that the
// caller last left; anything else is left untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/file.h"
#include "support/workdir.h"

namespace {

using platform::AppendThenPatch;
using platform::FileIdentity;

struct Change {
    const char* name;
    std::function<void()> meanwhile;  // what happens to "f" after its identity was taken
    bool grows;
};

class AppendThenPatchCases : public ::testing::TestWithParam<Change> {
  protected:
    ScopedWorkingDirectory dir;
};

TEST_P(AppendThenPatchCases, GrowsOnlyTheFileAsItWasLeft) {
    WriteBytes("f", "H1234body");
    const FileIdentity left = *platform::IdentityOf("f");
    GetParam().meanwhile();
    const std::string before = ReadBytes("f");
    const std::optional<FileIdentity> grown =
        AppendThenPatch("f", left, "+tail", 1, "1234", "5678");
    if (GetParam().grows) {
        ASSERT_TRUE(grown.has_value());
        EXPECT_EQ(ReadBytes("f"), "H5678body+tail");
        EXPECT_EQ(grown, platform::IdentityOf("f"));
    } else {
        EXPECT_FALSE(grown.has_value());
        EXPECT_EQ(ReadBytes("f"), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendThenPatchCases,
    ::testing::Values(Change{"Untouched", [] {}, true},
                      Change{"Grown", [] { WriteBytes("f", "H1234body+more"); }, false},
                      Change{"PatchedInPlace", [] { WriteBytes("f", "H9999body"); }, false},
                      Change{"ReplacedBySameBytes",
                             [] {
                                 WriteBytes("g", "H1234body");
                                 std::filesystem::rename("g", "f");
                             },
                             false},
                      Change{"ReplacedByALink",
                             [] {
                                 WriteBytes("g", "H1234body");
                                 std::filesystem::remove("f");
                                 std::filesystem::create_symlink("g", "f");
                             },
                             false},
                      Change{"Removed", [] { std::filesystem::remove("f"); }, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
