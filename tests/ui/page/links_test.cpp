// Rendering and links on a real page: a leading U+FEFF keeps positions right, a link click reaches
// the launcher, the refresh picture keeps the cancel icon's colours, and a page shown again keeps
// the place its reader scrolled to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QMessageBox>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "base/PictureBox.h"
#include "desktop/OpenUrl.h"
#include "support/searchpath.h"
#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "twitter_api/conversions/text.h"
#include "window/DialogMain.h"

using namespace ui_testing;
namespace fs = std::filesystem;

namespace {

using testing_support::ScopedSearchPath;

class LinksTest : public PageTest {
  protected:
    LinksTest() { gSetting->mUserNameShowType = DialogSetting::SCREENNAME; }

    // Clicks the middle of the character at position of the shown page's box.
    void ClickAt(int32_t position) {
        TimelineView& view = *mPage->txtTimeLine;
        view.Select(position, 1);
        const QRect start = view.cursorRect(view.textCursor());
        view.Select(position + 1, 0);
        const QRect end = view.cursorRect(view.textCursor());
        const QPoint middle((start.left() + end.left()) / 2, start.center().y());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, middle);
        QCoreApplication::processEvents();
    }

    int32_t PositionOf(const std::string& text) const {
        const std::string all = mPage->txtTimeLine->Text();
        return twitter_api::GetTextLength(all.substr(0, all.find(text)));
    }
};

TEST(AddressForBrowser, GivesABareWwwLinkItsScheme) {
    EXPECT_EQ(AddressForBrowser("www.example.com/a"), "http://www.example.com/a");
    EXPECT_EQ(AddressForBrowser("WWW.example.com"), "http://WWW.example.com");
    EXPECT_EQ(AddressForBrowser("http://www.example.com"), "http://www.example.com");
    EXPECT_EQ(AddressForBrowser("https://a.example"), "https://a.example");
}

// A name and a text that begin with U+FEFF keep it, so every later entry, star included, is
// styled where it stands.
TEST_F(LinksTest, ALeadingByteOrderMarkKeepsThePositions) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{1,
             "\xEF\xBB\xBF"
             "ann",
             "\xEF\xBB\xBF"
             "hello",
             true},
            {2, "bob", "second"}});
    TimelineView& view = *page.txtTimeLine;
    EXPECT_EQ(view.Text().rfind("\xEF\xBB\xBF"
                                "ann \xEF\xBB\xBF"
                                "hello\r\n",
                                0),
              0u);
    EXPECT_EQ(view.TextLength(), twitter_api::GetTextLength(view.Text()));

    const auto& items = page.mTodayList->mContributions;
    const int32_t second = items[1]->mTextPosition;
    EXPECT_EQ(ColorAt(view, second - 2), kFavoriteStar) << "the first entry's star";
    EXPECT_EQ(ColorAt(view, second), kUnreadName) << "the second name's first letter";
    EXPECT_EQ(ColorAt(view, second + 2), kUnreadName) << "the second name's last letter";
    EXPECT_EQ(ColorAt(view, view.TextLength() - 2), kHiddenStar);
}

// A click on a link reaches the desktop's opener; a bare "www." link gets its scheme first.
TEST_F(LinksTest, AClickOnALinkStartsTheBrowserWithTheAddress) {
    const fs::path bin = mWorkDir.path() / "bin";
    fs::create_directories(bin);
    const fs::path opened = mWorkDir.path() / "opened";
    WriteBytes((bin / "xdg-open").string(),
               "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + opened.string() + ".part'\n/bin/mv '" +
                   opened.string() + ".part' '" + opened.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    ScopedSearchPath path(bin.string());

    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{1, "ann", "see www.example.com/x now"}});
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ClickAt(PositionOf("example"));

    std::optional<std::string> recorded;
    for (int wait = 0; wait < 500 && !recorded; ++wait) {
        if (fs::exists(opened)) {
            recorded = ReadBytes(opened.string());
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ASSERT_TRUE(recorded.has_value()) << "the opener did not run";
    EXPECT_EQ(*recorded, "http://www.example.com/x\n");
    EXPECT_EQ(page.findChild<QMessageBox*>("msgOpenUrl"), nullptr);
}

TEST_F(LinksTest, WithoutABrowserTheUserIsTold) {
    const fs::path empty = mWorkDir.path() / "empty";
    fs::create_directories(empty);
    ScopedSearchPath path(empty.string());

    CTabMain& page = MakePage(twitter_api::TIMELINE);
    Render({{1, "ann", "see http://example.com/x"}});
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ClickAt(PositionOf("example"));

    const auto* message = page.findChild<QMessageBox*>("msgOpenUrl");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->text().contains("http://example.com/x"));
}

// While a fetch runs the refresh picture shows the cancel icon as it is, not greyed.
TEST_F(LinksTest, TheCancelIconKeepsItsColoursWhileTheFetchRuns) {
    SignIn("alice");
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.StartGetTimeLine();
    ASSERT_TRUE(page.IsFetching());

    const QPixmap expected = page.pictRefresh->pixmap();
    const QImage icon = expected.toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage shown = page.pictRefresh->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QPoint offset((shown.width() - icon.width()) / 2, (shown.height() - icon.height()) / 2);
    int compared = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor colour = icon.pixelColor(x, y);
            if (colour.alpha() == 255 && colour.hsvSaturation() > 100) {
                EXPECT_EQ(shown.pixelColor(offset + QPoint(x, y)), colour) << x << "," << y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 0) << "the cancel icon has coloured pixels";
    ASSERT_TRUE(page.WaitForFetches(QDeadlineTimer(10'000)));
}

// Switching to another tab and back keeps the place reached with the scroll bar.
TEST_F(LinksTest, ATabShownAgainKeepsItsScrollPosition) {
    CDialogMain window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CTabMain& home = *window.mTabPages[twitter_api::TIMELINE];
    std::vector<Entry> entries;
    for (int64_t id = 1; id <= 80; ++id) {
        entries.push_back({id, "ann", "entry " + std::to_string(id)});
    }
    std::vector<twitter_api::ContributionPtr> items = MakeContributions(entries);
    home.AddContributions(items, home.mTodayList, home.mYesterdayList);
    home.ScrollToLastRead();
    QCoreApplication::processEvents();
    QScrollBar* bar = home.txtTimeLine->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    bar->setValue(bar->maximum() / 2);
    const int place = bar->value();

    window.tabMain->setCurrentIndex(1);
    QCoreApplication::processEvents();
    window.tabMain->setCurrentIndex(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), place);
}

}  // namespace
