#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

#include "base/Guard.h"
#include "common/errors.h"

namespace {

// Answers the error window with a fixed choice and keeps the texts it was shown.
class AnsweredErrorWindow {
  public:
    explicit AnsweredErrorWindow(ErrorChoice choice)
        : mPrevious(ReplaceErrorWindow([this, choice](QWidget*, const std::string& text) {
              texts.push_back(text);
              return choice;
          })) {}
    ~AnsweredErrorWindow() { ReplaceErrorWindow(mPrevious); }

    std::vector<std::string> texts;

  private:
    ErrorWindow mPrevious;
};

TEST(GuardTest, AnErrorIsShownAndContinueCarriesOn) {
    AnsweredErrorWindow window(ErrorChoice::Continue);
    int after = 0;
    RunGuarded(nullptr, [] { throw Exception("no route to host"); });
    RunGuarded(nullptr, [&] { ++after; });
    RunGuarded(nullptr, [] { throw 42; });
    EXPECT_EQ(after, 1);
    EXPECT_EQ(window.texts, (std::vector<std::string>{"no route to host", "Unknown error"}));
}

TEST(GuardTest, NoErrorShowsNothing) {
    AnsweredErrorWindow window(ErrorChoice::Continue);
    RunGuarded(nullptr, [] {});
    EXPECT_TRUE(window.texts.empty());
}

TEST(GuardTest, TheWindowExplainsAndThenGivesTheErrorsText) {
    EXPECT_EQ(ErrorWindowText("boom"),
              "An application exception has occured. Click Continue to allow the application to "
              "ignore this error and attempt to continue.\n\nboom");
}

TEST(GuardDeathTest, QuitEndsTheProcessWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            AnsweredErrorWindow window(ErrorChoice::Quit);
            RunGuarded(nullptr, [] { throw Exception("boom"); });
        },
        testing::ExitedWithCode(1), "");
}

TEST(GuardDeathTest, AnErrorWhileTheWindowIsShownAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const ErrorWindow previous = ReplaceErrorWindow([](QWidget*, const std::string&) {
                // A tick handled while the window waits fails again.
                RunGuarded(nullptr, [] { throw Exception("again"); });
                return ErrorChoice::Continue;
            });
            RunGuarded(nullptr, [] { throw Exception("first"); });
            ReplaceErrorWindow(previous);
        },
        testing::KilledBySignal(SIGABRT), "");
}

}  // namespace
