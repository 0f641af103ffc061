#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Guard.h"
#include "base/Keyboard.h"
#include "base/UiContext.h"
#include "exchange/loopback.h"
#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/model/contributionlistofday.h"

namespace ui_testing {

class ManualClock final : public Clock {
  public:
    int64_t NowMs() const override { return now; }
    int64_t now = 0;
};

class HeldKeys final : public Keyboard {
  public:
    bool ControlHeld() const override { return control; }
    bool control = false;
};

// 2024-03-10 12:00:00 UTC: day key "20240310", the day before "20240309".
inline constexpr int64_t kNoon = 1'710'072'000'000;

// Each test runs in an empty working directory holding the icons, with a fresh settings record,
// a clock standing at kNoon and service hosts that refuse connections, so that nothing reaches a
// real network unless the test points a host at a listener. An error window that opens fails the
// test unless the test answers it itself.
class UiTest : public ::testing::Test {
  protected:
    UiTest() {
        std::filesystem::copy(WARBLET_ICON_DIR, mWorkDir.path() / "dat");
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        clock.now = kNoon;
        const std::string refused = "127.0.0.1:1";
        context.service.hosts = {refused, refused, refused};
        context.service.diagnostics = &diagnostics;
        context.service.timeout = std::chrono::seconds(5);
        context.clock = &clock;
        context.keyboard = &keys;
        // The entries are made with stored texts in Japan time; the tests read them back as
        // such unless they are about the time zone.
        *context.japanTime = true;
        mPreviousErrorWindow = ReplaceErrorWindow([this](QWidget*, const std::string& text) {
            errors.push_back(text);
            ADD_FAILURE() << "error window: " << text;
            return ErrorChoice::Continue;
        });
    }
    ~UiTest() override {
        ReplaceErrorWindow(mPreviousErrorWindow);
        gSetting.reset();
    }

    void SignIn(const std::string& account) {
        gSetting->SetCredential(DialogSetting::MakeCredential(account, "secret"));
    }

    ScopedWorkingDirectory mWorkDir;
    ManualClock clock;
    HeldKeys keys;
    testing_support::RecordingSink diagnostics;
    UiContext context;
    std::vector<std::string> errors;

  private:
    ErrorWindow mPreviousErrorWindow;
};

struct Entry {
    int64_t id;
    std::string name;
    std::string text;
    bool favorited = false;
    bool read = false;
};

inline twitter_api::ContributionPtr MakeContribution(const Entry& entry) {
    auto contribution = std::make_shared<twitter_api::CContribution>();
    contribution->mId = entry.id;
    contribution->mScreenName = entry.name;
    contribution->mName = entry.name + " (display)";
    contribution->mText = entry.text;
    contribution->mCreatedAt = "2024-3-10 21:00:0" + std::to_string(entry.id % 10);
    contribution->mFavorited = entry.favorited;
    contribution->mIsRead = entry.read;
    return contribution;
}

inline std::vector<twitter_api::ContributionPtr> MakeContributions(
    const std::vector<Entry>& entries) {
    std::vector<twitter_api::ContributionPtr> contributions;
    for (const Entry& entry : entries) {
        contributions.push_back(MakeContribution(entry));
    }
    return contributions;
}

}  // namespace ui_testing

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTextCharFormat>

#include "base/ElidedLabel.h"
#include "page/TabMain.h"
#include "textview/TimelineView.h"

namespace ui_testing {

// The format of the one character at position.
inline QTextCharFormat FormatAt(TimelineView& view, int32_t position) {
    view.Select(position, 1);
    return view.CharFormatAt(position);
}

// The colour the character was given, or an invalid colour when it has none of its own and shows
// in the box's text colour.
inline QColor ColorAt(TimelineView& view, int32_t position) {
    const QTextCharFormat format = FormatAt(view, position);
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                            : QColor();
}

// Lets the interface thread apply the outcomes of the page's requests until none is under way;
// false when they are still running at the deadline.
inline bool SettleCalls(CTabMain& page, int timeoutMs = 10'000) {
    QDeadlineTimer deadline(timeoutMs);
    while (page.Calls().Pending()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A page of one kind, started up as the main window does once it is shown; by default the
// choice lists of the lists and search pages have arrived when it returns.
class PageTest : public UiTest {
  protected:
    CTabMain& MakePage(twitter_api::ETabType kind, bool settle = true) {
        mPage = std::make_unique<CTabMain>(context, kind);
        mPage->resize(372, 480);
        mPage->StartUp();
        if (settle) {
            EXPECT_TRUE(SettleCalls(*mPage));
        }
        return *mPage;
    }

    // Renders the entries as a fetch result: into today's list after yesterday's.
    void Render(const std::vector<Entry>& entries) {
        std::vector<twitter_api::ContributionPtr> items = MakeContributions(entries);
        mPage->AddContributions(items, mPage->mTodayList, mPage->mYesterdayList);
    }

    std::unique_ptr<CTabMain> mPage;
};

}  // namespace ui_testing
