// The main window against a server that accepts connections and never answers: start-up, the
// choice lists and a post are all pending, and the window keeps handling events.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "post/DialogPost.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "window/DialogMain.h"

using namespace ui_testing;

namespace {

constexpr qint64 kResponsiveMs = 100;

// Milliseconds the calling thread has spent waiting for a processor: on a shared machine the
// interface thread may be ready and still not run, which says nothing about the program.
qint64 RunQueueWaitMs() {
    std::ifstream stats("/proc/thread-self/schedstat");
    long long running = 0;
    long long waiting = 0;
    stats >> running >> waiting;
    return static_cast<qint64>(waiting / 1'000'000);
}

// The longest time between two firings of a 10 ms timer, less the time the interface thread was
// only waiting for a processor: how long our own code kept it from handling events.
class LatencyProbe {
  public:
    LatencyProbe() {
        mTimer.setInterval(10);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            const qint64 now = mClock.elapsed();
            const qint64 waited = RunQueueWaitMs();
            mWorst = std::max(mWorst, now - mLast - (waited - mLastWaited));
            mLast = now;
            mLastWaited = waited;
        });
        mLastWaited = RunQueueWaitMs();
        mClock.start();
        mTimer.start();
    }
    qint64 Worst() const { return mWorst; }

  private:
    QTimer mTimer;
    QElapsedTimer mClock;
    qint64 mLast = 0;
    qint64 mLastWaited = 0;
    qint64 mWorst = 0;
};

using Responsiveness = UiTest;

TEST_F(Responsiveness, TheWindowAnswersWhileChoiceListsAndAPostHang) {
    FakeService silent;
    silent.Silent("");
    context.service.hosts = {silent.Address(), silent.Address(), silent.Address()};
    context.service.timeout = std::chrono::milliseconds(3000);
    gSetting->SetCredential(DialogSetting::MakeCredential("alice", "secret"));

    // Start-up does not wait for the choice lists: the window is on screen at once.
    CDialogMain window(context);
    QElapsedTimer starting;
    starting.start();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LT(starting.elapsed(), 1000);

    LatencyProbe probe;
    QTest::qWait(300);
    CTabMain& lists = *window.mTabPages[twitter_api::LISTS];
    CTabMain& search = *window.mTabPages[twitter_api::SEARCH];
    EXPECT_TRUE(lists.Calls().Pending());
    EXPECT_FALSE(lists.comboBox1->isEnabled()) << "the chooser shows that it waits";
    EXPECT_FALSE(search.comboBox1->isEnabled());

    CTabMain& home = *window.mTabPages[twitter_api::TIMELINE];
    auto post = std::make_unique<CDialogPost>(context, "", -1, &home, &home.Calls());
    post->show();
    post->findChild<QPlainTextEdit*>("txtTweet")->setPlainText("hello");
    post->findChild<QPushButton*>("btnTweet")->click();
    EXPECT_TRUE(post->Sending());
    QTest::qWait(700);
    EXPECT_TRUE(post->Sending()) << "the server has not answered";
    EXPECT_FALSE(window.grab().isNull()) << "the window paints";
    EXPECT_LT(probe.Worst(), kResponsiveMs);
    RecordProperty("worst_event_delay_ms", static_cast<int>(probe.Worst()));

    // Closing the dialog while its post hangs does not wait for it; the text stays as the draft.
    QElapsedTimer closing;
    closing.start();
    post->close();
    post.reset();
    EXPECT_LT(closing.elapsed(), kResponsiveMs);
    EXPECT_EQ(*context.postDraft, "hello");

    // Closing the window waits for its requests as for its fetches, bounded: the program ends
    // without them after its wait, and here they end with the time-out.
    EXPECT_FALSE(window.WaitForFetches(QDeadlineTimer(50)));
    EXPECT_TRUE(window.WaitForFetches(QDeadlineTimer(10'000)));
}

}  // namespace
