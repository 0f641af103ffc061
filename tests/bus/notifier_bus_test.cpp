#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QVariantMap>

#include "desktop/Notifier.h"
#include "desktop/Preferences.h"
#include "page/TabMain.h"
#include "support/uifixture.h"
#include "textview/TimelineView.h"
#include "window/Comforts.h"
#include "window/DialogMain.h"

using namespace ui_testing;

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

struct NotifyCall {
    QString application;
    uint replaces;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int timeout;
};

// A notification service as a desktop has one, on its own connection to the bus, recording the
// calls that reach it.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    explicit NotificationService(QStringList capabilities)
        : mCapabilities(std::move(capabilities)),
          mBus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notification-service")) {
        EXPECT_TRUE(mBus.registerObject(kPath, this, QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(mBus.registerService(kService));
    }
    ~NotificationService() override {
        mBus.unregisterService(kService);
        mBus.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus("notification-service");
    }

    void Click(uint id) {
        QDBusMessage signal =
            QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        mBus.send(signal);
    }

    std::vector<NotifyCall> calls;

  public slots:
    QStringList GetCapabilities() { return mCapabilities; }
    uint Notify(const QString& application, uint replaces, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        calls.push_back({application, replaces, icon, summary, body, actions, hints, timeout});
        return static_cast<uint>(100 + calls.size());
    }
    void CloseNotification(uint) {}

  private:
    QStringList mCapabilities;
    QDBusConnection mBus;
};

class NotifierBusTest : public UiTest {
  protected:
    NotifierBusTest() {
        EXPECT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    }

    void Arrive(twitter_api::ETabType kind, const std::vector<Entry>& entries) {
        CTabMain& page = *mWindow->mTabPages[kind];
        page.StoreGetResult(page.Generation(), MakeContributions(entries));
        page.ApplyGetResult();
    }

    void OpenWindow() {
        mWindow = std::make_unique<CDialogMain>(context);
        mWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mWindow.get()));
        // Only now: with an account the lists and search pages would ask the service at start-up.
        SignIn("alice");
    }

    std::unique_ptr<CDialogMain> mWindow;
};

TEST_F(NotifierBusTest, OneNotificationPerFetchOfOthersMentionsAndMessages) {
    NotificationService service({"body", "actions"});
    OpenWindow();

    Arrive(twitter_api::MENTIONS, {{1, "bob", "hi <b>"}, {2, "alice", "mine"}, {3, "carol", "yo"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 1; }));
    const NotifyCall& call = service.calls[0];
    EXPECT_EQ(call.application, "Warblet");
    EXPECT_EQ(call.replaces, 0u);
    // The installed application icon, by its name in the icon theme.
    EXPECT_EQ(call.icon, "org.warblet.Warblet");
    EXPECT_EQ(call.hints.value("desktop-entry").toString(), "org.warblet.Warblet");
    EXPECT_EQ(call.summary, QString::fromUtf8("新しいメンション 2 件"));
    EXPECT_EQ(call.body, "@bob: hi &lt;b&gt;") << "escaped whatever the service announced";
    EXPECT_TRUE(call.actions.contains("default"));
    EXPECT_EQ(call.timeout, -1);

    // Neither the home timeline nor the user's own statuses notify; the direct message that
    // follows them arrives as the second call, so nothing came in between.
    Arrive(twitter_api::TIMELINE, {{10, "bob", "hello"}});
    Arrive(twitter_api::MENTIONS, {{4, "Alice", "me again"}});
    Arrive(twitter_api::DIRECTMESSAGES, {{20, "dave", "psst"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() >= 2; }));
    QTest::qWait(100);
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls[1].summary, QString::fromUtf8("新しいダイレクトメッセージ 1 件"));
    EXPECT_EQ(service.calls[1].body, "@dave: psst");
    EXPECT_EQ(service.calls[1].replaces, 0u) << "a page's first notification replaces none";

    // The next mentions take the place of the mentions' notification still shown.
    Arrive(twitter_api::MENTIONS, {{5, "erin", "again"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 3; }));
    EXPECT_EQ(service.calls[2].replaces, 101u);
}

TEST_F(NotifierBusTest, ClickingANotificationRaisesTheWindowOnItsPage) {
    NotificationService service({"body", "actions"});
    OpenWindow();
    Arrive(twitter_api::DIRECTMESSAGES, {{20, "dave", "psst"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 1; }));
    // The id comes back asynchronously; give the answer time to be read.
    QTest::qWait(100);
    mWindow->tabMain->setCurrentIndex(twitter_api::TIMELINE);
    mWindow->hide();

    service.Click(101);

    ASSERT_TRUE(QTest::qWaitFor([&] { return mWindow->isVisible(); }));
    EXPECT_EQ(mWindow->tabMain->currentIndex(), twitter_api::DIRECTMESSAGES);
}

// The click shows the entries that arrived, not the place the reader had left.
TEST_F(NotifierBusTest, ClickingANotificationShowsTheNewEntries) {
    NotificationService service({"body", "actions"});
    OpenWindow();
    mWindow->tabMain->setCurrentIndex(twitter_api::MENTIONS);
    CTabMain& page = *mWindow->mTabPages[twitter_api::MENTIONS];
    std::vector<Entry> old;
    for (int64_t id = 1; id <= 60; ++id) {
        old.push_back({id, "ann", "old " + std::to_string(id)});
    }
    std::vector<twitter_api::ContributionPtr> items = MakeContributions(old);
    page.AddContributions(items, page.mTodayList, page.mYesterdayList);
    QCoreApplication::processEvents();
    QScrollBar& bar = *page.txtTimeLine->verticalScrollBar();
    bar.setValue(0);
    Arrive(twitter_api::MENTIONS, {{61, "bob", "new"}, {62, "carol", "newer"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 1; }));
    QTest::qWait(100);
    EXPECT_EQ(bar.value(), 0) << "the arrival moved nothing";

    service.Click(101);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.value() > 0; }));
    const QTextBlock first =
        page.txtTimeLine->document()->findBlock(page.mTodayList->mContributions[60]->mTextPosition);
    EXPECT_EQ(bar.value(), std::min(first.firstLineNumber(), bar.maximum()));
}

TEST_F(NotifierBusTest, AServiceThatReadsMarkupGetsTheTextEscaped) {
    NotificationService service({"body", "body-markup", "actions"});
    OpenWindow();
    QTest::qWait(100);
    Arrive(twitter_api::MENTIONS, {{1, "bob", "a < b & c"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 1; }));
    EXPECT_EQ(service.calls[0].body, "@bob: a &lt; b &amp; c");
}

// A service that reads markup and starts only after the window: tags, links and pictures in a
// mention reach it as text, and an overlong text is cut before it is escaped.
TEST_F(NotifierBusTest, AServiceThatAppearsAfterTheStartGetsTheTextEscaped) {
    OpenWindow();
    Arrive(twitter_api::MENTIONS, {{1, "bob", "before"}});
    QTest::qWait(300);
    NotificationService service({"body", "body-markup", "body-hyperlinks", "body-images"});

    Arrive(twitter_api::MENTIONS, {{2, "mallory",
                                    "<b>urgent</b> <a href=\"http://evil.example/\">bank</a> "
                                    "<img src=\"file:///home/alice/secret.png\"/>"}});
    Arrive(twitter_api::MENTIONS, {{3, "mallory", std::string(400, '<')}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 2; }));
    EXPECT_EQ(service.calls[0].body,
              "@mallory: &lt;b&gt;urgent&lt;/b&gt; &lt;a href=&quot;http://evil.example/&quot;&gt;"
              "bank&lt;/a&gt; &lt;img src=&quot;file:///home/alice/secret.png&quot;/&gt;");
    // "@mallory: " and 289 "<" make 299 characters, and the ellipsis the 300th.
    EXPECT_EQ(service.calls[1].body,
              "@mallory: " + QStringLiteral("&lt;").repeated(289) + QChar(0x2026));
}

TEST_F(NotifierBusTest, TurnedOffInThePreferencesNothingIsSent) {
    NotificationService service({"body"});
    Preferences off;
    off.notify = false;
    ASSERT_TRUE(SavePreferences(off));
    OpenWindow();
    Arrive(twitter_api::MENTIONS, {{1, "bob", "hi"}});
    Preferences on;
    ASSERT_TRUE(SavePreferences(on));
    mWindow->mComforts->ApplyPreferences();
    Arrive(twitter_api::MENTIONS, {{2, "carol", "yo"}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.calls.empty(); }));
    QTest::qWait(100);
    ASSERT_EQ(service.calls.size(), 1u);
    EXPECT_EQ(service.calls[0].body, "@carol: yo");
}

TEST_F(NotifierBusTest, WithoutANotificationServiceNothingFails) {
    OpenWindow();
    Arrive(twitter_api::MENTIONS, {{1, "bob", "hi"}});
    QTest::qWait(300);
    EXPECT_EQ(mWindow->mTabPages[twitter_api::MENTIONS]->mTodayList->mContributions.size(), 1u);
    EXPECT_TRUE(errors.empty());
}

}  // namespace

#include "notifier_bus_test.moc"
