#include "window/DialogSetting.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "base/DialogKeys.h"
#include "base/Guard.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "window/DialogMain.h"
#include "window/PreferencesPart.h"
#include "window/ServerPart.h"

namespace {

// The height of the line at the top that the layout's controls stand below.
constexpr int kFieldsTop = 44;

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(bounds);
    return label;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, const QRect& bounds) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    SetColour(box, QPalette::Base, QColor(102, 102, 102));
    SetColour(box, QPalette::Text, QColor(255, 255, 255));
    box->setGeometry(bounds);
    return box;
}

QGroupBox* MakeGroupBox(QWidget* parent, const char* name, const QString& text,
                        const QRect& bounds) {
    auto* group = new QGroupBox(text, parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(bounds);
    return group;
}

QRadioButton* MakeRadioButton(QGroupBox* group, const char* name, const QString& text,
                              const QRect& bounds) {
    auto* radio = new QRadioButton(text, group);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setGeometry(bounds);
    return radio;
}

// The two buttons of a group box exclude each other; the groups stay independent.
void MakeExclusiveGroup(QGroupBox* owner, QRadioButton* first, QRadioButton* second) {
    auto* group = new QButtonGroup(owner);
    group->addButton(first);
    group->addButton(second);
}

}  // namespace

CDialogSetting::CDialogSetting(QWidget* parent) : QDialog(parent) {
    // Made first, so that the server comes first for the keyboard too.
    mServer = new ServerPart(*this);
    InitializeComponent();
    LoadFromSetting();
    mOpenedWith = Values();
    mPreferences = new PreferencesPart(*this, kFieldsTop);
    mServer->MakeRoom(kFieldsTop);
    PressFocusedButtonsOnEnter(*this);
    connect(btnOk, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { OnOkClicked(); }); });
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { reject(); }); });
}

void CDialogSetting::InitializeComponent() {
    SetColour(this, QPalette::Window, QColor(34, 34, 34));
    SetColour(this, QPalette::WindowText, QColor(211, 211, 211));
    setAutoFillBackground(true);
    setWindowTitle(tr("SettingDialog"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(294, 279 + kFieldsTop);

    lblIntro = MakeLabel(this, "lblIntro",
                         tr("サーバーのアドレス、アカウント名とパスワードを入力してください。"),
                         {8, 4, 480, kFieldsTop - 8});
    lblIntro->setWordWrap(true);

    // The layout's controls, below the line at the top.
    const auto below = [](int x, int y, int w, int h) { return QRect(x, y + kFieldsTop, w, h); };
    lblId = MakeLabel(this, "lblId", tr("TwitterID"), below(8, 8, 88, 24));
    txtId = MakeTextBox(this, "txtId", below(104, 8, 176, 24));
    lblPassword = MakeLabel(this, "lblPassword", tr("Password"), below(8, 40, 88, 24));
    // Someone looking over the shoulder sees dots, not the password.
    txtPassword = MakeTextBox(this, "txtPassword", below(104, 40, 176, 24));
    txtPassword->setEchoMode(QLineEdit::Password);

    // Enter in a field presses OK; on a focused button it presses that button.
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setAutoDefault(false);
    btnOk->setDefault(true);
    btnOk->setGeometry(below(112, 248, 80, 24));

    grpUserNameSelectRadio =
        MakeGroupBox(this, "grpUserNameSelectRadio", tr("ユーザ名表示方式"), below(8, 72, 272, 72));
    radioNickName = MakeRadioButton(grpUserNameSelectRadio, "radioNickName", tr("ニックネーム表示"),
                                    {20, 24, 192, 16});
    radioNickName->setChecked(true);
    radioScreenName = MakeRadioButton(grpUserNameSelectRadio, "radioScreenName",
                                      tr("スクリーンネーム表示"), {20, 48, 192, 16});

    grpAutoReload = MakeGroupBox(this, "grpAutoReload", tr("自動更新"), below(8, 160, 272, 72));
    radioAutoReloadNone =
        MakeRadioButton(grpAutoReload, "radioAutoReloadNone", tr("しない"), {20, 24, 184, 16});
    radioAutoReloadNone->setChecked(true);
    radioAutoReload3Minutes = MakeRadioButton(grpAutoReload, "radioAutoReload3Minutes",
                                              tr("する(3分毎)"), {20, 48, 184, 16});

    MakeExclusiveGroup(grpUserNameSelectRadio, radioNickName, radioScreenName);
    MakeExclusiveGroup(grpAutoReload, radioAutoReloadNone, radioAutoReload3Minutes);

    btnCancel = new QPushButton(tr("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(below(200, 248, 80, 24));
}

// Only the two stored values are told apart; any other stored value keeps the layout's choice.
void CDialogSetting::LoadFromSetting() {
    txtId->setText(QString::fromStdString(gSetting->GetAccountName()));
    txtPassword->setText(QString::fromStdString(gSetting->GetPassword()));

    if (gSetting->mUserNameShowType == DialogSetting::SCREENNAME) {
        radioScreenName->setChecked(true);
    } else if (gSetting->mUserNameShowType == DialogSetting::NICKNAME) {
        radioNickName->setChecked(true);
    }
    if (gSetting->mAutoReloadType == DialogSetting::NONE) {
        radioAutoReloadNone->setChecked(true);
    } else if (gSetting->mAutoReloadType == DialogSetting::EVERY3MINUTES) {
        radioAutoReload3Minutes->setChecked(true);
    }
}

void CDialogSetting::OnOkClicked() {
    // A server named anew is looked for first; OK goes on once it has been found.
    if (!mServer->ReadyToApply([this] { RunGuarded(this, [this] { OnOkClicked(); }); })) {
        return;
    }
    const std::string accountName = txtId->text().toStdString();
    const bool accountChanged = accountName != gSetting->GetAccountName();
    gSetting->SetCredential(
        DialogSetting::MakeCredential(accountName, txtPassword->text().toStdString()));
    gSetting->mUserNameShowType =
        radioNickName->isChecked() ? DialogSetting::NICKNAME : DialogSetting::SCREENNAME;
    gSetting->mAutoReloadType =
        radioAutoReloadNone->isChecked() ? DialogSetting::NONE : DialogSetting::EVERY3MINUTES;
    const bool serverChanged = mServer->Apply();
    // The pages hold the old account's timelines, lists and saved searches.
    if (accountChanged || serverChanged) {
        for (CTabMain* page : gDialogMain->mTabPages) {
            page->ResetTab();
        }
    }
    DialogSetting::SaveSettingInfo();
    mPreferences->Save();
    // Automatic reload may have been switched on or off.
    if (gDialogMain) {
        gDialogMain->ScheduleTick();
    }
    accept();
}

CDialogSetting::SValues CDialogSetting::Values() const {
    return {txtId->text(), txtPassword->text(), radioNickName->isChecked(),
            radioAutoReloadNone->isChecked()};
}

bool CDialogSetting::Changed() const {
    return !(Values() == mOpenedWith) || mPreferences->Changed() || mServer->Changed();
}

void CDialogSetting::reject() {
    if (Changed() && QMessageBox::question(this, windowTitle(), tr("変更を保存せずに閉じますか?"),
                                           QMessageBox::Discard | QMessageBox::Cancel,
                                           QMessageBox::Cancel) != QMessageBox::Discard) {
        return;
    }
    QDialog::reject();
}
