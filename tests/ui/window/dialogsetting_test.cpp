#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "page/TabMain.h"
#include "settings/serviceconf.h"
#include "support/bytes.h"
#include "support/fakeservice.h"
#include "support/uifixture.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"

namespace {

using twitter_api::ETabType;

// A page that only records its resets, in the order they come; one kind may be made to fail.
class CountingTab final : public CTabMain {
  public:
    CountingTab(const UiContext& context, ETabType kind, std::vector<ETabType>& resets)
        : CTabMain(context, kind), mResets(resets) {}

    void ResetTab() override {
        mResets.push_back(mTabType);
        if (mFail) {
            throw Exception("Cannot connect to the service");
        }
    }

    bool mFail = false;

  private:
    std::vector<ETabType>& mResets;
};

// The settings file the dialog writes: one archive of the settings record.
std::string SettingArchive(const std::string& credential, int32_t showType, int32_t reloadType) {
    return U8(0) + Str("C13DialogSetting12CSettingInfo") + Str(credential) +
           U32(static_cast<uint32_t>(showType)) + U32(static_cast<uint32_t>(reloadType));
}

// A main window whose five pages are counting stand-ins, so that OK's resets can be seen.
class SettingDialog : public ui_testing::UiTest {
  protected:
    SettingDialog() : mMain(std::make_unique<CDialogMain>(context)) {
        for (int kind = twitter_api::TIMELINE; kind <= twitter_api::SEARCH; ++kind) {
            const auto index = static_cast<size_t>(kind);
            mRealPages[index] = mMain->mTabPages[index];
            mPages[index] =
                std::make_unique<CountingTab>(context, static_cast<ETabType>(kind), resets);
            mMain->mTabPages[index] = mPages[index].get();
        }
    }
    ~SettingDialog() override { mMain->mTabPages = mRealPages; }

    std::unique_ptr<CDialogSetting> Open() {
        auto dialog = std::make_unique<CDialogSetting>();
        txtId = dialog->findChild<QLineEdit*>("txtId");
        txtPassword = dialog->findChild<QLineEdit*>("txtPassword");
        btnOk = dialog->findChild<QPushButton*>("btnOk");
        radioNickName = dialog->findChild<QRadioButton*>("radioNickName");
        radioScreenName = dialog->findChild<QRadioButton*>("radioScreenName");
        radioAutoReloadNone = dialog->findChild<QRadioButton*>("radioAutoReloadNone");
        radioAutoReload3Minutes = dialog->findChild<QRadioButton*>("radioAutoReload3Minutes");
        return dialog;
    }

    // Opens the dialog, lets edit change it, presses OK and returns whether the dialog closed.
    template <typename Edit>
    bool Confirm(Edit edit) {
        const auto dialog = Open();
        dialog->show();
        edit();
        btnOk->click();
        return !dialog->isVisible() && dialog->result() == QDialog::Accepted;
    }

    // The record as start-up would read it back from the file.
    void Reload() {
        gSetting.reset();
        DialogSetting::LoadSettingInfo();
    }

    CountingTab& Page(ETabType kind) { return *mPages[static_cast<size_t>(kind)]; }

    const std::vector<ETabType> kAllPages{twitter_api::TIMELINE, twitter_api::MENTIONS,
                                          twitter_api::DIRECTMESSAGES, twitter_api::LISTS,
                                          twitter_api::SEARCH};
    std::vector<ETabType> resets;
    QLineEdit* txtId = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* btnOk = nullptr;
    QRadioButton* radioNickName = nullptr;
    QRadioButton* radioScreenName = nullptr;
    QRadioButton* radioAutoReloadNone = nullptr;
    QRadioButton* radioAutoReload3Minutes = nullptr;

  private:
    std::unique_ptr<CDialogMain> mMain;
    std::array<CTabMain*, twitter_api::kTabTypeCount> mRealPages{};
    std::array<std::unique_ptr<CountingTab>, twitter_api::kTabTypeCount> mPages;
};

TEST_F(SettingDialog, HasTheLayoutControlsInOrder) {
    const auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "SettingDialog");
    // The layout's 294 x 279 below the line that says what is needed and the server's row, widened
    // to the right by the preferences group.
    EXPECT_EQ(dialog->size(), QSize(496, 279 + 44 + 60));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "the frame is fixed";
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(34, 34, 34));
    EXPECT_EQ(dialog->palette().color(QPalette::WindowText), QColor(211, 211, 211));

    struct Control {
        QString name;
        QString parent;
        QRect bounds;
        QString text;
    };
    // The layout's controls stand below the server's row.
    const std::vector<Control> expected{
        {"lblIntro",
         "",
         {8, 4, 480, 36},
         QString::fromUtf8("サーバーのアドレス、アカウント名とパスワードを入力してください。")},
        {"lblId", "", {8, 112, 88, 24}, "TwitterID"},
        {"txtId", "", {104, 112, 176, 24}, ""},
        {"lblPassword", "", {8, 144, 88, 24}, "Password"},
        {"txtPassword", "", {104, 144, 176, 24}, ""},
        {"btnOk", "", {112, 352, 80, 24}, "OK"},
        {"grpUserNameSelectRadio", "", {8, 176, 272, 72}, QString::fromUtf8("ユーザ名表示方式")},
        {"radioNickName",
         "grpUserNameSelectRadio",
         {20, 24, 192, 16},
         QString::fromUtf8("ニックネーム表示")},
        {"radioScreenName",
         "grpUserNameSelectRadio",
         {20, 48, 192, 16},
         QString::fromUtf8("スクリーンネーム表示")},
        {"grpAutoReload", "", {8, 264, 272, 72}, QString::fromUtf8("自動更新")},
        {"radioAutoReloadNone", "grpAutoReload", {20, 24, 184, 16}, QString::fromUtf8("しない")},
        {"radioAutoReload3Minutes",
         "grpAutoReload",
         {20, 48, 184, 16},
         QString::fromUtf8("する(3分毎)")},
        {"btnCancel", "", {200, 352, 80, 24}, QString::fromUtf8("キャンセル")},
    };
    std::vector<QString> order;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        order.push_back(widget->objectName());
    }
    // The server's row comes first, for the keyboard too.
    std::vector<QString> expectedOrder{"panelServer", "lblServer", "txtServer", "btnFindServer",
                                       "lblServerFound"};
    for (const Control& control : expected) {
        expectedOrder.push_back(control.name);
        const auto* widget = dialog->findChild<QWidget*>(control.name);
        ASSERT_NE(widget, nullptr) << control.name.toStdString();
        const QString parent =
            widget->parent() == dialog.get() ? "" : widget->parent()->objectName();
        EXPECT_EQ(parent, control.parent) << control.name.toStdString();
        EXPECT_EQ(widget->geometry(), control.bounds) << control.name.toStdString();
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            text = label->text();
            EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            text = button->text();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            text = group->title();
        } else if (const auto* box = qobject_cast<const QLineEdit*>(widget)) {
            EXPECT_EQ(box->echoMode(),
                      control.name == "txtPassword" ? QLineEdit::Password : QLineEdit::Normal)
                << "the password shows as dots";
            EXPECT_EQ(box->palette().color(QPalette::Base), QColor(102, 102, 102));
            EXPECT_EQ(box->palette().color(QPalette::Text), QColor(255, 255, 255));
        }
        EXPECT_EQ(text, control.text) << control.name.toStdString();
    }
    // The preferences group comes after the layout's controls and beside them, clear of them.
    for (const char* name :
         {"grpPreferences", "chkNotify", "chkShowTray", "chkCloseToTray", "chkJapanTime"}) {
        expectedOrder.push_back(name);
    }
    EXPECT_EQ(order, expectedOrder);
    const auto* preferences = dialog->findChild<QWidget*>("grpPreferences");
    EXPECT_EQ(preferences->geometry(), QRect(288, 112, 200, 224));
}

// Enter in a field presses OK; Cancel discards as Esc does.
TEST_F(SettingDialog, EnterInAFieldPressesOkAndCancelDiscards) {
    SignIn("alice");
    {
        const auto dialog = Open();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        txtPassword->setFocus();
        txtPassword->setText("changed");
        QTest::keyClick(txtPassword, Qt::Key_Return);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(gSetting->GetPassword(), "changed");
    }
    const auto dialog = Open();
    dialog->show();
    dialog->findChild<QPushButton*>("btnCancel")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(SettingDialog, RadioButtonsExcludeEachOtherOnlyWithinTheirGroup) {
    const auto dialog = Open();
    radioScreenName->click();
    EXPECT_FALSE(radioNickName->isChecked());
    EXPECT_TRUE(radioAutoReloadNone->isChecked());
    radioAutoReload3Minutes->click();
    EXPECT_FALSE(radioAutoReloadNone->isChecked());
    EXPECT_TRUE(radioScreenName->isChecked());
    radioNickName->click();
    EXPECT_FALSE(radioScreenName->isChecked());
    EXPECT_TRUE(radioAutoReload3Minutes->isChecked());
}

TEST_F(SettingDialog, WithoutASettingsFileBothBoxesAreEmpty) {
    Reload();
    const auto dialog = Open();
    EXPECT_EQ(txtId->text(), "");
    EXPECT_EQ(txtPassword->text(), "");
    EXPECT_TRUE(radioNickName->isChecked());
    EXPECT_TRUE(radioAutoReloadNone->isChecked());
}

TEST_F(SettingDialog, OkWithoutAnEditRewritesTheFileAndResetsNoPage) {
    SignIn("alice");
    const std::string credential = gSetting->Credential();

    EXPECT_TRUE(Confirm([] {}));

    EXPECT_EQ(ReadBytes("setting/setting.dat"), SettingArchive(credential, 1, 1));
    EXPECT_TRUE(resets.empty());
}

TEST_F(SettingDialog, AChangedAccountNameResetsEveryPageInTabOrder) {
    SignIn("alice");

    // A change of letter case alone is a change.
    EXPECT_TRUE(Confirm([this] { txtId->setText("Alice"); }));

    EXPECT_EQ(resets, kAllPages);
    EXPECT_EQ(ReadBytes("setting/setting.dat"),
              SettingArchive(DialogSetting::MakeCredential("Alice", "secret"), 1, 1));
}

TEST_F(SettingDialog, APasswordChangeAloneResetsNoPage) {
    SignIn("alice");

    EXPECT_TRUE(Confirm([this] { txtPassword->setText(" new pass "); }));

    EXPECT_TRUE(resets.empty());
    Reload();
    EXPECT_EQ(gSetting->GetAccountName(), "alice");
    EXPECT_EQ(gSetting->GetPassword(), " new pass ");
}

TEST_F(SettingDialog, TheChoicesSurviveTheNextOpening) {
    EXPECT_TRUE(Confirm([this] {
        radioScreenName->click();
        radioAutoReload3Minutes->click();
    }));
    EXPECT_EQ(gSetting->mUserNameShowType, DialogSetting::SCREENNAME);
    EXPECT_EQ(gSetting->mAutoReloadType, DialogSetting::EVERY3MINUTES);
    EXPECT_EQ(ReadBytes("setting/setting.dat"), SettingArchive("Og==", 0, 0));

    Reload();
    const auto dialog = Open();
    EXPECT_TRUE(radioScreenName->isChecked());
    EXPECT_FALSE(radioNickName->isChecked());
    EXPECT_TRUE(radioAutoReload3Minutes->isChecked());
    EXPECT_FALSE(radioAutoReloadNone->isChecked());
}

TEST_F(SettingDialog, StoredValuesOtherThanZeroOrOneKeepTheLayoutsChoice) {
    gSetting->mUserNameShowType = static_cast<DialogSetting::EUserNameShowType>(2);
    gSetting->mAutoReloadType = static_cast<DialogSetting::EAutoReloadType>(2);
    const auto dialog = Open();
    EXPECT_TRUE(radioNickName->isChecked());
    EXPECT_TRUE(radioAutoReloadNone->isChecked());
}

TEST_F(SettingDialog, ANameWithAColonIsStoredAndSplitAtTheFirstColonNextTime) {
    EXPECT_TRUE(Confirm([this] {
        txtId->setText("a:b");
        txtPassword->setText("pw");
    }));
    EXPECT_EQ(resets, kAllPages);
    EXPECT_EQ(ReadBytes("setting/setting.dat"),
              SettingArchive(DialogSetting::MakeCredential("a:b", "pw"), 1, 1));

    resets.clear();
    Reload();
    // Account names hold no colon, so the first one ends the name and the rest is the password.
    EXPECT_TRUE(Confirm([this] {
        EXPECT_EQ(txtId->text(), "a");
        EXPECT_EQ(txtPassword->text(), "b:pw");
    }));
    EXPECT_TRUE(resets.empty()) << "the split shows the same credential again";
    EXPECT_EQ(ReadBytes("setting/setting.dat"),
              SettingArchive(DialogSetting::MakeCredential("a", "b:pw"), 1, 1));
}

TEST_F(SettingDialog, AFailingResetIsShownAndLeavesTheDialogOpenAndTheFileUnwritten) {
    std::vector<std::string> shown;
    const ErrorWindow previous = ReplaceErrorWindow([&](QWidget*, const std::string& text) {
        shown.push_back(text);
        return ErrorChoice::Continue;
    });
    Page(twitter_api::LISTS).mFail = true;

    const bool closed = Confirm([this] { txtId->setText("bob"); });

    ReplaceErrorWindow(previous);
    EXPECT_FALSE(closed);
    EXPECT_EQ(shown, std::vector<std::string>{"Cannot connect to the service"});
    EXPECT_EQ(resets, (std::vector<ETabType>{twitter_api::TIMELINE, twitter_api::MENTIONS,
                                             twitter_api::DIRECTMESSAGES, twitter_api::LISTS}));
    EXPECT_EQ(gSetting->GetAccountName(), "bob");
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
}

// Esc and the frame close a dialog without changes at once; with changes they ask first, and
// only discarding closes it. Nothing reaches gSetting or the file either way.
enum class Edit { None, Account, Preference };

struct CloseCase {
    const char* name;
    Edit edit;
    std::optional<QMessageBox::StandardButton> answer;  // none: no question may come
    bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingDialogClose : public SettingDialog, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(SettingDialogClose, AsksBeforeDiscardingChanges) {
    const CloseCase& c = GetParam();
    SignIn("alice");
    const auto dialog = Open();
    dialog->show();
    if (c.edit == Edit::Account) {
        txtId->setText("bob");
    }
    auto* notify = dialog->findChild<QCheckBox*>("chkNotify");
    ASSERT_NE(notify, nullptr);
    const bool notifyBefore = notify->isChecked();
    if (c.edit == Edit::Preference) {
        notify->toggle();
    }
    bool asked = false;
    QColor background;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            background = box->palette().color(QPalette::Window);
            box->button(c.answer.value_or(QMessageBox::Discard))->click();
        }
    });
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QCoreApplication::processEvents();

    EXPECT_EQ(asked, c.answer.has_value());
    if (asked) {
        EXPECT_EQ(background, QColor(34, 34, 34)) << "the question in the window's dark colours";
    }
    EXPECT_EQ(dialog->isVisible(), !c.closes);
    if (!c.closes && c.edit == Edit::Account) {
        EXPECT_EQ(txtId->text(), "bob") << "the edit stays";
    }
    if (!c.closes && c.edit == Edit::Preference) {
        EXPECT_NE(notify->isChecked(), notifyBefore) << "the choice stays";
    }
    EXPECT_FALSE(std::filesystem::exists("setting/preferences.ini"));
    EXPECT_EQ(gSetting->GetAccountName(), "alice");
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
    EXPECT_TRUE(resets.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingDialogClose,
    ::testing::Values(CloseCase{"Unchanged", Edit::None, std::nullopt, true},
                      CloseCase{"ChangedAndDiscarded", Edit::Account, QMessageBox::Discard, true},
                      CloseCase{"ChangedAndKept", Edit::Account, QMessageBox::Cancel, false},
                      CloseCase{"PreferenceDiscarded", Edit::Preference, QMessageBox::Discard,
                                true},
                      CloseCase{"PreferenceKept", Edit::Preference, QMessageBox::Cancel, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(SettingDialog, AnUndecodableCredentialFailsTheConstruction) {
    gSetting->SetCredential("not base64!");
    EXPECT_THROW(Open(), Exception);
}

// GNU social's configuration and version documents, as its serialiser writes them.
const char* const kGnuSocialConfig =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n <site>\n  <name>Social</name>\n"
    "  <textlimit>1000</textlimit>\n </site>\n <notice>\n  <contentlimit></contentlimit>\n"
    " </notice>\n</config>\n";
const char* const kGnuSocialVersion =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<version>1.20.9</version>\n";

class ServerRow : public SettingDialog {
  protected:
    ServerRow() {
        SignIn("alice");
        mServer.Route("GET /api/statusnet/config.xml",
                      HttpResponse("HTTP/1.1 200 OK", kGnuSocialConfig));
        mServer.Route("GET /api/statusnet/version.xml",
                      HttpResponse("HTTP/1.1 200 OK", kGnuSocialVersion));
    }

    std::unique_ptr<CDialogSetting> OpenWithServerRow() {
        auto dialog = Open();
        txtServer = dialog->findChild<QLineEdit*>("txtServer");
        btnFindServer = dialog->findChild<QPushButton*>("btnFindServer");
        lblServerFound = dialog->findChild<QLabel*>("lblServerFound");
        return dialog;
    }

    std::string Address() const { return "http://" + mServer.Address(); }

    FakeService mServer;
    QLineEdit* txtServer = nullptr;
    QPushButton* btnFindServer = nullptr;
    QLabel* lblServerFound = nullptr;
};

TEST_F(ServerRow, TheServerComesFirstAndAFreshInstallationAsksForIt) {
    context.service.hosts = twitter_api::HostConfig();
    CDialogMain main(context);
    const auto dialog = OpenWithServerRow();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(dialog->focusWidget(), txtServer);
    EXPECT_EQ(txtServer->text(), "");
    EXPECT_EQ(lblServerFound->text(), QString::fromUtf8("サーバーのアドレスを入力してください"));
}

TEST_F(ServerRow, OkFindsANewServerFirstThenPutsItInUseAndResetsEveryPage) {
    const auto dialog = OpenWithServerRow();
    EXPECT_EQ(lblServerFound->text(),
              QString::fromUtf8("サービスのホストを使います (setting/service.conf)"));
    dialog->show();
    txtServer->setText(QString::fromStdString(Address()));
    btnOk->click();
    EXPECT_TRUE(dialog->isVisible()) << "OK waits for the server to be found";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 10'000));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(lblServerFound->text(), QString::fromUtf8("GNU social 1.20.9、文字数の上限 1000"));
    EXPECT_EQ(mServer.Requests(), (std::vector<std::string>{"GET /api/statusnet/config.xml",
                                                            "GET /api/statusnet/version.xml"}));
    EXPECT_EQ(ReadBytes("setting/service.conf"),
              "server=" + Address() + "/api\nflavour=gnusocial\ntext_limit=1000\n");
    const twitter_api::HostConfig& inUse = gDialogMain->Context().service.hosts;
    EXPECT_EQ(inUse.server, Address() + "/api");
    EXPECT_EQ(inUse.flavour, twitter_api::Flavour::GnuSocial);
    EXPECT_EQ(twitter_api::TextLimit(inUse), 1000);
    EXPECT_EQ(resets, kAllPages);

    // The next opening shows the server in use; OK without an edit asks nothing and resets
    // nothing.
    resets.clear();
    EXPECT_TRUE(Confirm([] {}));
    EXPECT_TRUE(resets.empty());
    EXPECT_EQ(mServer.Requests().size(), 2U);
}

TEST_F(ServerRow, TheCheckShowsWhatWasFoundAndOkUsesIt) {
    const auto dialog = OpenWithServerRow();
    dialog->show();
    txtServer->setText(QString::fromStdString(Address()));
    btnFindServer->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return btnFindServer->isEnabled(); }, 10'000));
    EXPECT_EQ(lblServerFound->text(), QString::fromUtf8("GNU social 1.20.9、文字数の上限 1000"));
    EXPECT_TRUE(dialog->Changed());
    btnOk->click();
    EXPECT_FALSE(dialog->isVisible()) << "found already: OK goes on at once";
    EXPECT_EQ(mServer.Requests().size(), 2U);
}

TEST_F(ServerRow, AnAddressWithoutAServerKeepsTheDialogOpenWithTheReason) {
    FakeService nothing;
    const auto dialog = OpenWithServerRow();
    dialog->show();
    txtServer->setText(QString::fromStdString("http://" + nothing.Address()));
    btnOk->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return btnFindServer->isEnabled(); }, 10'000));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(lblServerFound->text().startsWith(QString::fromStdString(
        "No GNU social or Friendica server at http://" + nothing.Address() + ": /api: ")))
        << lblServerFound->text().toStdString();
    EXPECT_EQ(lblServerFound->toolTip(), lblServerFound->text());
    EXPECT_FALSE(std::filesystem::exists("setting/service.conf"));
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
    EXPECT_TRUE(resets.empty());
}

TEST_F(ServerRow, AnEmptyFieldGoesBackToTheServicesHosts) {
    twitter_api::HostConfig stored("main.example", "api.example", "search.example");
    stored.flavour = twitter_api::Flavour::Friendica;
    stored.server = Address() + "/api";
    stored.textLimit = 200000;
    settings::SaveServiceConf(stored);
    gDialogMain->ChangeHosts(stored);
    const auto dialog = OpenWithServerRow();
    EXPECT_EQ(txtServer->text(), QString::fromStdString(stored.server));
    EXPECT_EQ(lblServerFound->text(), QString::fromUtf8("Friendica、文字数の上限 200000"));
    dialog->show();
    txtServer->clear();
    btnOk->click();
    EXPECT_FALSE(dialog->isVisible()) << "no server to find: OK goes on at once";
    EXPECT_EQ(ReadBytes("setting/service.conf"),
              "main_host=main.example\napi_host=api.example\nsearch_host=search.example\n");
    EXPECT_FALSE(gDialogMain->Context().service.hosts.OnServer());
    EXPECT_EQ(gDialogMain->Context().service.hosts.main, "main.example");
    EXPECT_EQ(resets, kAllPages);
    EXPECT_TRUE(mServer.Requests().empty());
}

}  // namespace
