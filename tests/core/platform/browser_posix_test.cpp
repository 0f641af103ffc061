// The POSIX side of the browser launcher: how the desktop's handler is found and how it is started.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/browser.h"
#include "support/searchpath.h"
#include "support/workdir.h"

namespace {

namespace fs = std::filesystem;

void WriteScript(const fs::path& path, const std::string& body) {
    WriteBytes(path.string(), "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
}

using testing_support::ScopedSearchPath;

std::optional<std::string> WaitForFile(const fs::path& path) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path)) {
            return ReadBytes(path.string());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

// The last line the recording program wrote: its parent's process id.
std::string ParentLine(const std::string& recorded) {
    return recorded.substr(recorded.rfind('\n', recorded.size() - 2) + 1);
}

class BrowserLauncher : public ::testing::Test {
  protected:
    ScopedWorkingDirectory dir;
};

TEST_F(BrowserLauncher, TheRegisteredCommandIsTheOpenerFoundOnThePath) {
    fs::create_directories(dir.path() / "empty");
    fs::create_directories(dir.path() / "bin");
    const fs::path opener = dir.path() / "bin" / "xdg-open";
    WriteScript(opener, "exit 0\n");

    ScopedSearchPath path((dir.path() / "empty").string() + ":" + (dir.path() / "bin").string());
    const auto registered = platform::ReadRegisteredHttpCommand();
    ASSERT_TRUE(registered.has_value());
    EXPECT_EQ(platform::CommandText(*registered), "\"" + opener.string() + "\" \"%1\"");
    const auto launch = platform::BuildLaunchCommand(*registered, "http://example.com/");
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(launch->program, opener.string());
}

TEST_F(BrowserLauncher, WithoutAnOpenerNothingIsRegistered) {
    fs::create_directories(dir.path() / "empty");
    WriteBytes((dir.path() / "empty" / "xdg-open").string(), "not executable");
    ScopedSearchPath path((dir.path() / "empty").string());
    EXPECT_FALSE(platform::ReadRegisteredHttpCommand().has_value());
}

TEST_F(BrowserLauncher, StartsTheProgramWithTheUrlAsOneArgumentAndLeavesNoChild) {
    const fs::path program = dir.path() / "record";
    const fs::path result = dir.path() / "arguments";
    // Written under another name and renamed, so the test never reads a half-written file.
    WriteScript(program,
                "printf '%s\\n' \"$#\" \"$1\" \"$PPID\" > \"$0.part\"\n"
                "mv \"$0.part\" '" +
                    result.string() + "'\n");

    EXPECT_TRUE(platform::StartDetached({program.string(), "http://example.com/a b?c=d e"}));

    const auto recorded = WaitForFile(result);
    ASSERT_TRUE(recorded.has_value()) << "the program did not run";
    EXPECT_EQ(*recorded, "1\nhttp://example.com/a b?c=d e\n" + ParentLine(*recorded));
    EXPECT_NE(ParentLine(*recorded), std::to_string(::getpid()) + "\n")
        << "the program is our own child and would have to be reaped";
}

TEST_F(BrowserLauncher, AProgramThatCannotStartIsReported) {
    EXPECT_FALSE(platform::StartDetached({(dir.path() / "missing").string(), "http://x/"}));
    const fs::path notExecutable = dir.path() / "plain";
    WriteBytes(notExecutable.string(), "#!/bin/sh\n");
    EXPECT_FALSE(platform::StartDetached({notExecutable.string(), "http://x/"}));
}

}  // namespace

#endif
