#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/logstore.h"

using namespace ui_testing;
using twitter_api::ContributionPtr;

namespace {

class RenderTest : public PageTest {
  protected:
    RenderTest() { gSetting->mUserNameShowType = DialogSetting::SCREENNAME; }

    // Three entries: a plain one, one with a character outside the BMP and a CR LF line break
    // inside its text, and a favourite.
    const std::vector<Entry> kEntries = {
        {1, "alice", "hi"},
        {2, "bob", "\U0001D11E line1\r\nline2"},
        {3, "carol", "end", true},
    };
};

TEST_F(RenderTest, EntriesHaveTheirPiecesAtTheirPositions) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render(kEntries);

    EXPECT_EQ(page.txtTimeLine->Text(),
              "alice hi\r\n2024-3-10 21:00:01 \u2605\r\n"
              "bob \U0001D11E line1\r\nline2\r\n2024-3-10 21:00:02 \u2605\r\n"
              "carol end\r\n2024-3-10 21:00:03 \u2605\r\n");
    EXPECT_EQ(page.txtTimeLine->TextLength(), 100);
    EXPECT_EQ(twitter_api::GetTextLength(page.txtTimeLine->Text()), 100);
    const std::vector<int32_t> starts = {0, 30, 69};
    ASSERT_EQ(page.mTodayList->mContributions.size(), starts.size());
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(page.mTodayList->mContributions[i]->mTextPosition, starts[i]) << "entry " << i;
    }
    // The caret rests on the last entry's star.
    EXPECT_EQ(page.txtTimeLine->SelectionStart(), 98);
    EXPECT_EQ(page.txtTimeLine->SelectionLength(), 0);
}

struct PieceCase {
    const char* what;
    int32_t position;
    QColor color;
    int pointSize;  // 0: the box's own size
    bool bold;
};

TEST_F(RenderTest, PiecesAreStyled) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render(kEntries);
    const QColor none;  // no colour of its own: the box's text colour
    const PieceCase cases[] = {
        {"first name, first letter", 0, kUnreadName, 10, true},
        {"first name, last letter", 4, kUnreadName, 10, true},
        {"blank after the name", 5, none, 0, false},
        {"text", 6, none, 0, false},
        {"date line", 9, kDateLine, 7, false},
        {"blank before the star", 27, kDateLine, 7, false},
        {"hidden star", 28, kHiddenStar, 7, false},
        {"second name, last letter", 32, kUnreadName, 10, true},
        {"astral character", 34, none, 0, false},
        {"second line of a multi-line text", 42, none, 0, false},
        {"second date line", 48, kDateLine, 7, false},
        {"second star", 67, kHiddenStar, 7, false},
        {"favourite star", 98, kFavoriteStar, 7, false},
    };
    for (const PieceCase& c : cases) {
        EXPECT_EQ(ColorAt(*page.txtTimeLine, c.position), c.color) << c.what;
        const QTextCharFormat format = FormatAt(*page.txtTimeLine, c.position);
        EXPECT_EQ(static_cast<int>(format.fontPointSize()), c.pointSize) << c.what;
        EXPECT_EQ(format.fontWeight() == QFont::Bold, c.bold) << c.what;
    }
    EXPECT_EQ(FormatAt(*page.txtTimeLine, 0).background().color(), QColor(34, 34, 34));
    EXPECT_TRUE(FormatAt(*page.txtTimeLine, 0).fontFamilies().toStringList().isEmpty())
        << "the name keeps the default face";
}

TEST_F(RenderTest, ContributionsNotNewerThanTheLastHeldAreDropped) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    std::vector<ContributionPtr> yesterday = MakeContributions({{5, "old", "x"}});
    page.AddContributions(yesterday, page.mYesterdayList, nullptr);
    const int32_t afterYesterday = page.txtTimeLine->TextLength();

    // Today is empty, so yesterday's last id is the bar.
    const std::vector<Entry> fetch = {{4, "a", "older"}, {5, "a", "same"}, {7, "b", "new"}};
    Render(fetch);
    ASSERT_EQ(page.mTodayList->mContributions.size(), 1u);
    EXPECT_EQ(page.mTodayList->mContributions[0]->mId, 7);
    EXPECT_EQ(page.mTodayList->mContributions[0]->mTextPosition, afterYesterday);

    // Applying the same fetch again shows it once.
    const std::string text = page.txtTimeLine->Text();
    Render(fetch);
    EXPECT_EQ(page.mTodayList->mContributions.size(), 1u);
    EXPECT_EQ(page.txtTimeLine->Text(), text);
}

TEST_F(RenderTest, TheLastHeldIdIsTheBarNotTheLargest) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{9, "a", "x"}});
    page.mTodayList->mContributions.push_back(MakeContribution({5, "b", "y"}));
    Render({{6, "c", "z"}, {5, "d", "w"}});
    ASSERT_EQ(page.mTodayList->mContributions.size(), 3u);
    EXPECT_EQ(page.mTodayList->mContributions[2]->mId, 6);
}

TEST_F(RenderTest, ReadEntriesUseTheReadColourAndMoveTheLastReadPosition) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.mLastReadPosition = -1;
    Render({{1, "a", "x", false, true}, {2, "b", "y", false, true}, {3, "c", "z"}});
    const auto& items = page.mTodayList->mContributions;
    EXPECT_EQ(ColorAt(*page.txtTimeLine, items[0]->mTextPosition), kReadName);
    EXPECT_EQ(ColorAt(*page.txtTimeLine, items[1]->mTextPosition), kReadName);
    EXPECT_EQ(ColorAt(*page.txtTimeLine, items[2]->mTextPosition), kUnreadName);
    EXPECT_EQ(page.mLastReadPosition, items[1]->mTextPosition);
}

TEST_F(RenderTest, EachEntryRemembersTheNameChoiceItWasDrawnWith) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{1, "alice", "x"}});
    gSetting->mUserNameShowType = DialogSetting::NICKNAME;
    Render({{2, "bob", "y"}});
    const auto& items = page.mTodayList->mContributions;
    EXPECT_EQ(items[0]->mUserNameShowType, DialogSetting::SCREENNAME);
    EXPECT_EQ(items[1]->mUserNameShowType, DialogSetting::NICKNAME);
    EXPECT_NE(page.txtTimeLine->Text().find("bob (display) y"), std::string::npos);
    // The display name's whole length is styled as the name, the blank after it is not.
    const int32_t start = items[1]->mTextPosition;
    EXPECT_EQ(ColorAt(*page.txtTimeLine, start + 12), kUnreadName);
    EXPECT_EQ(ColorAt(*page.txtTimeLine, start + 13), QColor());
}

TEST_F(RenderTest, NothingNewLeavesTheBoxUntouched) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{3, "a", "x"}});
    page.txtTimeLine->Select(2, 0);
    Render({{2, "a", "x"}});
    std::vector<ContributionPtr> none;
    page.AddContributions(none, page.mTodayList, page.mYesterdayList);
    EXPECT_EQ(page.txtTimeLine->SelectionStart(), 2);
    EXPECT_EQ(page.mTodayList->mContributions.size(), 1u);
}

// The machine's time zone for the length of a test.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* previous = std::getenv("TZ")) {
            mPrevious = previous;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (mPrevious) {
            ::setenv("TZ", mPrevious->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

  private:
    std::optional<std::string> mPrevious;
};

struct ZoneCase {
    const char* zone;  // as TZ takes it; "XXX-05:30" is 5:30 east of UTC
    bool japanTime;
    const char* stored;
    const char* shown;
};

// Times are shown in the machine's zone, or in Japan time when asked for; the stored text stays
// as it came, and every entry keeps its pieces in place whatever the shown time's length.
TEST_F(RenderTest, TimesAreShownInTheChosenZoneAndStoredAsTheyCame) {
    const ZoneCase cases[] = {
        {"UTC0", false, "2024-3-10 21:00:01", "2024-3-10 12:00:01"},
        {"XXX-05:30", false, "2024-3-10 21:00:01", "2024-3-10 17:30:01"},
        {"XXX+10", false, "2024-3-01 05:00:00", "2024-2-29 10:00:00"},
        {"XXX+10", true, "2024-3-01 05:00:00", "2024-3-01 05:00:00"},
        // The search's own form is shown as the others are.
        {"UTC0", false, "2026-12-10T09:50:20Z", "2026-12-10 09:50:20"},
        {"UTC0", true, "2026-12-10T09:50:20Z", "2026-12-10 18:50:20"},
        {"UTC0", false, "Invalid Datetime String.", "Invalid Datetime String."},
    };
    SignIn("alice");
    for (const ZoneCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.stored << " japan " << c.japanTime);
        const ScopedTimeZone zone(c.zone);
        *context.japanTime = c.japanTime;
        CTabMain& page = MakePage(twitter_api::TIMELINE);
        std::vector<ContributionPtr> items =
            MakeContributions({{1, "ann", "x", true}, {2, "bob", "y"}});
        items[0]->mCreatedAt = c.stored;
        page.AddContributions(items, page.mTodayList, page.mYesterdayList);
        const std::string text = page.txtTimeLine->Text();
        EXPECT_EQ(text.rfind(std::string("ann x\r\n") + c.shown + " \u2605\r\nbob y\r\n", 0), 0u)
            << text;
        EXPECT_EQ(page.mTodayList->mContributions[0]->mCreatedAt.view(), c.stored);
        const int32_t second = page.mTodayList->mContributions[1]->mTextPosition;
        EXPECT_EQ(ColorAt(*page.txtTimeLine, second - 2), kFavoriteStar);
        EXPECT_EQ(ColorAt(*page.txtTimeLine, second), kUnreadName);
        page.MarkAsRead(false);
        const auto saved = twitter_api::LoadLog("20240310", twitter_api::TIMELINE, "");
        ASSERT_EQ(saved->mContributions.size(), 2u);
        EXPECT_EQ(saved->mContributions[0]->mCreatedAt.view(), c.stored)
            << "the log keeps the stored text";
        std::filesystem::remove_all("log");
    }
}

// One batch across the change to summer time shows each entry at its own offset, although the
// zone is asked once per quarter hour rather than once per entry.
TEST_F(RenderTest, ABatchAcrossTheChangeToSummerTimeShowsEachEntryAtItsOwnOffset) {
    SignIn("alice");
    const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");  // 2024-03-31 01:00 UTC: +1 to +2
    *context.japanTime = false;
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    std::vector<ContributionPtr> items =
        MakeContributions({{1, "ann", "x"}, {2, "bob", "y"}, {3, "cid", "z"}});
    items[0]->mCreatedAt = "2024-3-31 09:59:59";  // stored in Japan time: 00:59:59 UTC
    items[1]->mCreatedAt = "2024-3-31 10:00:00";
    items[2]->mCreatedAt = "2024-3-31 10:14:00";
    page.AddContributions(items, page.mTodayList, page.mYesterdayList);
    const std::string text = page.txtTimeLine->Text();
    for (const char* shown : {"2024-3-31 01:59:59", "2024-3-31 03:00:00", "2024-3-31 03:14:00"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
    }
}

}  // namespace
