// The history search in the main window, offscreen: the bar, typing, a new query stopping the one
// under way, the results and what can be done from them, and Esc back to the page.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "base/PictureBox.h"
#include "page/TabMain.h"
#include "post/DialogPost.h"
#include "search/SearchBar.h"
#include "search/SearchController.h"
#include "search/SearchResults.h"
#include "serialization/serializer.h"
#include "support/fakeservice.h"
#include "support/searchpath.h"
#include "support/uifixture.h"
#include "textview/EntryColors.h"
#include "textview/TimelineView.h"
#include "window/DialogMain.h"

using namespace ui_testing;
using twitter_api::ContributionListPtr;

namespace {

namespace fs = std::filesystem;

void WriteLog(const std::string& path, const std::string& day, const std::vector<Entry>& entries) {
    fs::create_directories(fs::path(path).parent_path());
    auto list = std::make_shared<twitter_api::CContributionListOfDay>(day);
    list->mContributions = MakeContributions(entries);
    serialization::Serializer archive(path, serialization::FileMode::Out);
    archive.transfer(list, serialization::Tracking::Tracked);
    archive.close();
}

// What the log folder holds, file by file: the bytes and the time of the last change.
std::map<std::string, std::pair<std::string, fs::file_time_type>> LogFiles() {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator("log")) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = {ReadBytes(entry.path().string()),
                                            entry.last_write_time()};
        }
    }
    return files;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10'000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The main window of alice, whose home page shows today's log, with the search closed.
class SearchTest : public UiTest {
  protected:
    SearchTest() {
        SignIn("alice");
        gSetting->mUserNameShowType = DialogSetting::SCREENNAME;
        WriteLog("log/alice/timeline/20240310.dat", "20240310",
                 {{30, "bob", "coffee at noon", false, true}, {31, "carol", "tea time"}});
        WriteLog("log/alice/mentions/20240310.dat", "20240310",
                 {{30, "bob", "coffee at noon", false, true}});
        WriteLog("log/alice/timeline/20240301.dat", "20240301",
                 {{10, "dave", "Coffee, see http://example.com/c"}, {11, "erin", "nothing"}});
        WriteLog("log/alice/directmessages/20240305.dat", "20240305",
                 {{20, "frank", "more coffee?"}});
    }

    void ShowWindow() {
        mWindow = std::make_unique<CDialogMain>(context);
        mWindow->resize(372, 513);
        mWindow->show();
        mWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mWindow.get()));
    }

    CSearchBar& Bar() {
        mWindow->Search();
        return *mWindow->searchBar;
    }
    CSearchResults& Results() {
        mWindow->Search();
        return *mWindow->searchResults;
    }
    CSearchController& Search() { return mWindow->Search(); }

    // Puts the query in the bar, hands it on with Enter and waits until its hits are shown. (The
    // test's key clicks are ASCII only.)
    void TypeAndWait(const QString& query) {
        Bar().txtQuery->setText(query);
        QTest::keyClick(Bar().txtQuery, Qt::Key_Return);
        EXPECT_TRUE(WaitUntil([this] { return !Search().Searching() && !Results().Rendering(); }));
    }

    // The shown hits as "id:kinds".
    std::vector<std::string> Hits() {
        std::vector<std::string> hits;
        for (size_t i = 0; i < Results().ShownCount(); ++i) {
            const twitter_api::SSearchHit& hit = Results().ShownHit(i);
            std::string kinds;
            for (const twitter_api::ETabType kind : hit.mKinds) {
                kinds += std::string(kinds.empty() ? "" : ",") +
                         std::string(twitter_api::KindName(kind));
            }
            hits.push_back(std::to_string(hit.mEntry->mId) + ":" + kinds);
        }
        return hits;
    }

    std::unique_ptr<CDialogMain> mWindow;
};

TEST_F(SearchTest, CtrlFOrThePictureOpensTheBarAboveThePage) {
    ShowWindow();
    EXPECT_EQ(mWindow->searchBar, nullptr) << "the search is built when first opened";
    QTest::keyClick(mWindow.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_TRUE(Bar().txtQuery->hasFocus());
    EXPECT_LT(Bar().geometry().bottom(), mWindow->tabMain->geometry().top());
    EXPECT_TRUE(mWindow->tabMain->isVisible()) << "the page stays until a query is typed";

    QTest::keyClick(Bar().txtQuery, Qt::Key_Escape);
    EXPECT_FALSE(Bar().isVisible());
    QTest::mouseClick(mWindow->pictSearch, Qt::LeftButton);
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_FALSE(mWindow->pictSearch->toolTip().isEmpty());
}

TEST_F(SearchTest, TypingSearchesAfterAPauseNewestFirst) {
    ShowWindow();
    Search().Open();
    QTest::keyClicks(Bar().txtQuery, "coffee");
    EXPECT_TRUE(Bar().lblCount->text().isEmpty()) << "nothing before the pause";
    EXPECT_TRUE(mWindow->tabMain->isVisible());
    ASSERT_TRUE(WaitUntil([this] { return Bar().lblCount->text() == "3 件"; }))
        << Bar().lblCount->text().toStdString();
    ASSERT_TRUE(WaitUntil([this] { return !Results().Rendering(); }));
    EXPECT_EQ(Hits(), (std::vector<std::string>{"30:home,mentions", "20:dm", "10:home"}));
    EXPECT_FALSE(mWindow->tabMain->isVisible()) << "the results stand in the pages' place";
    EXPECT_TRUE(Results().isVisible());
    EXPECT_FALSE(Bar().progressDays->isVisible());
    const std::string text = Results().txtResults->Text();
    EXPECT_EQ(text.rfind("bob coffee at noon\r\n", 0), 0u) << text;

    // Emptied, the query gives the page back.
    Bar().txtQuery->clear();
    QTest::keyClick(Bar().txtQuery, Qt::Key_Return);
    EXPECT_TRUE(mWindow->tabMain->isVisible());
    EXPECT_FALSE(Results().isVisible());
}

// A query that cannot be understood says which term, and leaves the last hits in place.
TEST_F(SearchTest, AQueryErrorNamesTheTerm) {
    ShowWindow();
    Search().Open();
    TypeAndWait("tea");
    ASSERT_EQ(Hits(), std::vector<std::string>{"31:home"});
    QTest::keyClicks(Bar().txtQuery, " since:2024-02-30");
    ASSERT_TRUE(WaitUntil([this] { return Bar().lblCount->toolTip().contains("since:"); }));
    EXPECT_EQ(Bar().lblCount->toolTip(),
              "Malformed date in the search term \"since:2024-02-30\": use YYYY-MM-DD");
    EXPECT_EQ(Results().ShownCount(), 1u);
}

TEST_F(SearchTest, ANewQueryStopsTheOneUnderWay) {
    ShowWindow();
    // Enough days that the first search is still reading when the second starts.
    for (int day = 1; day <= 28; ++day) {
        std::vector<Entry> entries;
        for (int i = 0; i < 300; ++i) {
            entries.push_back({day * 1000 + i, "many", "a common word, again and again"});
        }
        const std::string key = "202402" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        WriteLog("log/alice/search/" + key + "_q.dat", key, entries);
    }
    Search().Open();
    Search().Search("common");
    Search().Search("tea");
    ASSERT_TRUE(WaitUntil([this] { return Bar().lblCount->text() == "1 件"; }))
        << Bar().lblCount->text().toStdString();
    ASSERT_TRUE(WaitUntil([this] { return !Results().Rendering(); }));
    // Whatever the first search still found after the second began never shows.
    QTest::qWait(300);
    EXPECT_FALSE(Search().Searching());
    EXPECT_EQ(Hits(), std::vector<std::string>{"31:home"});
    EXPECT_EQ(Bar().lblCount->text(), "1 件");
}

// The words of the query are highlighted where they stand, counted in code points: astral
// characters and a CR LF before them count one each.
TEST_F(SearchTest, HighlightsTheWordsAtTheirPositions) {
    ShowWindow();
    WriteLog("log/alice/timeline/20240302.dat", "20240302",
             {{40, "ann", "\U0001D11E\U00020BB7 line\r\nthe 東京 WORD"}});
    Search().Open();
    TypeAndWait("東京 word -nothing");
    ASSERT_EQ(Hits(), std::vector<std::string>{"40:home"});
    TimelineView& view = *Results().txtResults;
    // "ann " then the text: 𝄞 𠮷 " line" CRLF "the " = 12 positions before 東京.
    const int32_t text = 4;
    const auto highlighted = [&view](int32_t position) {
        return FormatAt(view, position).background().color() == QColor(96, 80, 16);
    };
    for (const int32_t at : {12, 13, 15, 16, 17, 18}) {
        EXPECT_TRUE(highlighted(text + at)) << at;
    }
    for (const int32_t at : {-4, 0, 1, 11, 14, 19}) {
        EXPECT_FALSE(highlighted(text + at)) << at;
    }
    EXPECT_EQ(ColorAt(view, 0), kUnreadName) << "the entry itself looks as on a page";
}

TEST_F(SearchTest, EnterOrADoubleClickOpensTheLinksOfTheHit) {
    ShowWindow();
    const fs::path empty = mWorkDir.path() / "empty";
    fs::create_directories(empty);
    testing_support::ScopedSearchPath path(empty.string());
    Search().Open();
    TypeAndWait("from:dave");
    ASSERT_EQ(Hits(), std::vector<std::string>{"10:home"});
    TimelineView& view = *Results().txtResults;
    view.setFocus();
    view.Select(2, 0);
    QTest::keyClick(&view, Qt::Key_Return);
    auto* told = Results().findChild<QMessageBox*>("msgOpenUrl");
    ASSERT_NE(told, nullptr) << "no browser: the user is told";
    EXPECT_TRUE(told->text().contains("http://example.com/c"));
    told->close();
    ASSERT_TRUE(WaitUntil([this] { return !Results().findChild<QMessageBox*>("msgOpenUrl"); }));

    const QPoint name = view.cursorRect(view.textCursor()).center();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, name);
    EXPECT_NE(Results().findChild<QMessageBox*>("msgOpenUrl"), nullptr);
}

TEST_F(SearchTest, CtrlRRepliesToTheHitAtTheCaret) {
    ShowWindow();
    Search().Open();
    TypeAndWait("coffee");
    ASSERT_EQ(Hits().size(), 3u);
    Results().txtResults->setFocus();
    Results().txtResults->Select(Results().ShownStart(1) + 3, 0);
    std::string recipient;
    int64_t replyId = 0;
    bool message = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
        auto* dialog = qobject_cast<CDialogPost*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        recipient = dialog->Recipient();
        replyId = dialog->ReplyId();
        message = dialog->IsMessage();
        dialog->reject();
    });
    QTest::keyClick(Results().txtResults, Qt::Key_R, Qt::ControlModifier);
    // The hit is a direct message: as on its page, the answer is a direct message to its sender.
    EXPECT_EQ(recipient, "frank");
    EXPECT_EQ(replyId, -1);
    EXPECT_TRUE(message);
}

TEST_F(SearchTest, CtrlDTogglesTheFavouriteOfTheHitAndNothingOfThePage) {
    FakeService service;
    service.Route("POST /1/favorites/create/30.xml",
                  HttpResponse("HTTP/1.0 200 OK", "<?xml version=\"1.0\"?>\n<status/>\n"));
    context.service.hosts.versioned = service.Address();
    ShowWindow();
    Search().Open();
    TypeAndWait("from:bob");
    ASSERT_EQ(Hits(), std::vector<std::string>{"30:home,mentions"});
    Results().txtResults->setFocus();
    Results().txtResults->Select(1, 0);
    QTest::keyClick(Results().txtResults, Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([this] { return Results().ShownHit(0).mEntry->mFavorited; }));
    const std::vector<std::string> requests = service.Requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "POST /1/favorites/create/30.xml"),
              requests.end());
    const int32_t star = Results().txtResults->TextLength() - 2;
    EXPECT_EQ(ColorAt(*Results().txtResults, star), kFavoriteStar);
    const CTabMain& home = *mWindow->mTabPages[twitter_api::TIMELINE];
    EXPECT_FALSE(home.mTodayList->mContributions.at(0)->mFavorited) << "the page's own copy";
}

// A damaged log costs its own hits only, and is reported the first time, not at every query. (It
// lies further back than the pages look at start-up.)
TEST_F(SearchTest, ADamagedLogIsReportedOnceAndSkipped) {
    WriteBytes("log/alice/timeline/20240220.dat", "damaged");
    ShowWindow();
    Search().Open();
    TypeAndWait("coffee");
    EXPECT_EQ(Hits().size(), 3u);
    TypeAndWait("tea");
    EXPECT_EQ(Hits().size(), 1u);
    std::vector<std::string> reports;
    for (const std::string& line : diagnostics.lines) {
        if (line.rfind("Skipped the damaged log file ", 0) == 0) {
            reports.push_back(line);
        }
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        reports[0].rfind("Skipped the damaged log file 'log/alice/timeline/20240220.dat': ", 0), 0u)
        << reports[0];
}

TEST_F(SearchTest, EscReturnsToThePageAndTheSearchTouchedNothing) {
    ShowWindow();
    CTabMain& home = *mWindow->mTabPages[twitter_api::TIMELINE];
    const std::string pageText = home.txtTimeLine->Text();
    ASSERT_NE(pageText.find("tea time"), std::string::npos);
    const auto files = LogFiles();
    QTest::qWait(20);  // a file changed now would show a later time

    Search().Open();
    TypeAndWait("coffee");
    TypeAndWait("");
    EXPECT_TRUE(mWindow->tabMain->isVisible());
    TypeAndWait("t");
    ASSERT_FALSE(Hits().empty());
    QTest::keyClick(Results().txtResults, Qt::Key_Escape);
    EXPECT_FALSE(Bar().isVisible());
    EXPECT_FALSE(Results().isVisible());
    EXPECT_TRUE(mWindow->tabMain->isVisible());
    EXPECT_TRUE(home.txtTimeLine->hasFocus());
    EXPECT_EQ(home.txtTimeLine->Text(), pageText);
    EXPECT_EQ(home.mTodayList->mContributions.size(), 2u);
    EXPECT_EQ(LogFiles(), files);
    Search().Open();
    EXPECT_TRUE(Bar().txtQuery->text().isEmpty()) << "a closed bar forgets its query";
}

}  // namespace
