#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/urlcommand.h"

namespace {

using platform::BuildLaunchCommand;
using platform::CommandLine;
using platform::kCommandBufferSize;
using platform::LaunchCommand;
using platform::RegisteredCommand;

// A registered string value as the registry read leaves it: the text and its terminating zero in
// a zero-filled buffer, the zero counted in the reported size.
RegisteredCommand Registered(const std::string& text) {
    RegisteredCommand registered;
    registered.buffer.assign(kCommandBufferSize, '\0');
    text.copy(registered.buffer.data(), text.size());
    registered.reportedSize = text.size() + 1;
    return registered;
}

struct CommandCase {
    const char* name;
    std::string registered;
    std::optional<std::string> program;

    // The case's name, where a failure or the test list would show its bytes.
    friend void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.name; }
};

class RegisteredCommandParsing : public ::testing::TestWithParam<CommandCase> {};

TEST_P(RegisteredCommandParsing, TakesTheProgramBetweenTheFirstTwoQuotes) {
    const auto& c = GetParam();
    const auto launch = BuildLaunchCommand(Registered(c.registered), "http://example.com/a");
    if (!c.program) {
        EXPECT_FALSE(launch.has_value()) << launch->program;
        return;
    }
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(*launch, (LaunchCommand{*c.program, "http://example.com/a"}));
    EXPECT_EQ(CommandLine(*launch), *c.program + " http://example.com/a");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisteredCommandParsing,
    ::testing::Values(
        CommandCase{"QuotedPathWithBlanksAndQuotedPlaceholder",
                    R"("C:\Program Files\Mozilla Firefox\firefox.exe" -osint -url "%1")",
                    R"(C:\Program Files\Mozilla Firefox\firefox.exe)"},
        CommandCase{"TextBeforeTheFirstQuote", R"(rundll32 "C:\Web Browser\b.exe" "%1")",
                    R"(C:\Web Browser\b.exe)"},
        CommandCase{"QuotedPathAlone", R"("/usr/bin/xdg-open")", "/usr/bin/xdg-open"},
        CommandCase{"NoQuote", R"(C:\browser.exe %1)", std::nullopt},
        CommandCase{"OneQuote", R"("C:\browser.exe %1)", std::nullopt},
        CommandCase{"EmptyQuotedPath", R"("" "%1")", std::nullopt},
        CommandCase{"Empty", "", std::nullopt}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(RegisteredCommandText, EndsAtTheFirstZeroByteWithinTheReportedSize) {
    const std::string value = R"("C:\a.exe" "%1")";
    const std::string leftOver = R"("D:\b.exe")";
    RegisteredCommand registered{value + '\0' + leftOver, value.size() + 1 + leftOver.size()};
    EXPECT_EQ(platform::CommandText(registered), value);
    const auto launch = BuildLaunchCommand(registered, "http://x/");
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(launch->program, R"(C:\a.exe)");

    // Bytes past the reported size are not part of the value, even without a zero among them.
    registered.reportedSize = 6;
    EXPECT_EQ(platform::CommandText(registered), R"("C:\a.)");
    EXPECT_FALSE(BuildLaunchCommand(registered, "http://x/").has_value());
}

TEST(RegisteredCommandText, AValueLongerThanTheBufferStartsNothing) {
    // The read fills the buffer and reports the size the whole value would need.
    const std::string command = "\"" + std::string(990, 'p') + "\" \"%1\" " + std::string(200, 'x');
    RegisteredCommand registered{command.substr(0, kCommandBufferSize), command.size() + 1};
    EXPECT_FALSE(platform::CommandText(registered).has_value());
    EXPECT_FALSE(BuildLaunchCommand(registered, "http://example.com/").has_value());

    registered.reportedSize = kCommandBufferSize;
    const auto launch = BuildLaunchCommand(registered, "http://example.com/");
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(launch->program, std::string(990, 'p'));
}

TEST(LaunchCommandArgument, AUrlWithBlanksStaysOneArgument) {
    const auto launch =
        BuildLaunchCommand(Registered(R"("/usr/bin/browser" "%1")"), "http://example.com/a b  c");
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(launch->program, "/usr/bin/browser");
    EXPECT_EQ(launch->argument, "http://example.com/a b  c");
    EXPECT_EQ(CommandLine(*launch), "/usr/bin/browser http://example.com/a b  c");
}

}  // namespace
