// Construction, layout, icons and start-up of a timeline page.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>

#include "base/ElidedLabel.h"
#include "base/Guard.h"
#include "base/PictureBox.h"
#include "base/ThemeIcons.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "page/GetTimeLineThread.h"
#include "page/StatusText.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/sidefiles.h"
#include "twitter_api/requests/lists.h"
#include "twitter_api/requests/routes.h"

using namespace twitter_api;

namespace {

constexpr int kPanelHeight = 28;
// The width the layout's places are made for; a wider page moves the right-hand controls.
constexpr int kLayoutWidth = 372;
const QColor kStatusText(255, 255, 255);
const QColor kFailureText(255, 110, 110);  // stands out from the white count on the dark strip

void SetColors(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette colors = widget->palette();
    colors.setColor(role, color);
    widget->setPalette(colors);
}

PictureBox* MakePictureBox(QWidget* parent, const char* name, int x) {
    auto* box = new PictureBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, 2, 24, 24);
    return box;
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', start)) {
        parts.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

CTabMain::CTabMain(const UiContext& context, ETabType kind, QWidget* parent)
    : QWidget(parent), mTabType(kind), mContext(context) {
    BuildControls();
    SetCaption(kind);
    LoadIcons();
    Subscribe();
    ReplaceDayLists();
}

CTabMain::~CTabMain() {
    // Tearing the widgets down moves the focus, and the text box reports that; the page is no
    // longer there to note it.
    txtTimeLine->disconnect(this);
    WaitForFetches(QDeadlineTimer(QDeadlineTimer::Forever));
}

void CTabMain::BuildControls() {
    setWindowTitle(QStringLiteral("Timeline"));
    setAutoFillBackground(true);
    SetColors(this, QPalette::Window, QColor(20, 20, 20));

    lblStatus = new ElidedLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(128, 2, 64, 20);
    lblStatus->setAlignment(Qt::AlignCenter);
    SetColors(lblStatus, QPalette::WindowText, kStatusText);

    panelMain = new QWidget(this);
    panelMain->setObjectName(QStringLiteral("panelMain"));
    panelMain->setGeometry(0, 0, 424, kPanelHeight);
    panelMain->setAutoFillBackground(true);
    SetColors(panelMain, QPalette::Window, QColor(20, 20, 20));

    pictRefresh = MakePictureBox(panelMain, "pictRefresh", 12);
    pictReaded = MakePictureBox(panelMain, "pictReaded", 40);
    pictReply = MakePictureBox(panelMain, "pictReply", 68);
    pictFavorite = MakePictureBox(panelMain, "pictFavorite", 96);
    pictPost = MakePictureBox(panelMain, "pictPost", 202);
    pictSetting = MakePictureBox(panelMain, "pictSetting", 230);
    pictRetweet = MakePictureBox(panelMain, "pictRetweet", 258);

    comboBox1 = new QComboBox(panelMain);
    comboBox1->setObjectName(QStringLiteral("comboBox1"));
    comboBox1->setGeometry(200, 2, 152, 22);
    comboBox1->hide();

    txtTimeLine = new TimelineView(this);
    txtTimeLine->setObjectName(QStringLiteral("txtTimeLine"));
    txtTimeLine->setGeometry(0, kPanelHeight, 424, 532);
    SetColors(txtTimeLine, QPalette::Base, QColor(34, 34, 34));
    SetColors(txtTimeLine, QPalette::Text, QColor(221, 221, 221));
    txtTimeLine->hide();

    btnNewEntries = new QPushButton(this);
    btnNewEntries->setObjectName(QStringLiteral("btnNewEntries"));
    btnNewEntries->setFocusPolicy(Qt::NoFocus);
    btnNewEntries->setCursor(Qt::PointingHandCursor);
    btnNewEntries->hide();

    // The label sits in the tool bar strip, in front of the panel created after it.
    lblStatus->raise();
}

void CTabMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The panel is docked to the top and the text box fills the rest.
    panelMain->setGeometry(0, 0, width(), kPanelHeight);
    txtTimeLine->setGeometry(0, kPanelHeight, width(), std::max(height() - kPanelHeight, 0));
    LayOutToolBar();
    PlaceNewEntriesMark();
}

void CTabMain::LayOutToolBar() {
    const int shift = std::max(width() - kLayoutWidth, 0);
    pictPost->move(202 + shift, 2);
    pictSetting->move(230 + shift, 2);
    // Beside a chooser the repeat picture takes the post picture's place, the chooser after it.
    const bool chooser = mTabType == LISTS || mTabType == SEARCH;
    pictRetweet->move((chooser ? 200 : 258) + shift, 2);
    if (chooser) {
        comboBox1->setGeometry(228 + shift, 2, 140, 22);
    } else {
        comboBox1->move(200 + shift, 2);
    }
    lblStatus->setGeometry(128, 2, 64 + shift, 20);
}

void CTabMain::PlaceNewEntriesMark() {
    const QSize size = btnNewEntries->sizeHint();
    const QRect text = txtTimeLine->geometry();
    const int scrollBar = txtTimeLine->verticalScrollBar()->isVisible()
                              ? txtTimeLine->verticalScrollBar()->width()
                              : 0;
    btnNewEntries->setGeometry(text.right() - scrollBar - size.width() - 8,
                               text.bottom() - size.height() - 8, size.width(), size.height());
    btnNewEntries->raise();
}

void CTabMain::SetCaption(ETabType kind) {
    switch (kind) {
        case TIMELINE:
            setWindowTitle(tr("Timeline"));
            return;
        case MENTIONS:
            setWindowTitle(tr("Mentions"));
            return;
        case DIRECTMESSAGES:
            setWindowTitle(tr("DirectMessages"));
            return;
        case LISTS:
            setWindowTitle(tr("Lists"));
            return;
        case SEARCH:
            setWindowTitle(tr("Search"));
            return;
    }
    throw AssertionError("mTabType error");
}

void CTabMain::LoadIcons() {
    const auto icon = [this](const std::string& name, const char* theme, bool hover) {
        return WithThemeSizes(mContext.icons->Load("dat/" + name + ".ico"), QLatin1String(theme),
                              hover);
    };
    // Each picture with the name of its like in the desktop's icon theme.
    const std::tuple<PictureBox*, const char*, const char*> buttons[] = {
        {pictRefresh, "arrow_refresh", "view-refresh"},
        {pictReaded, "accept", "mail-mark-read"},
        {pictPost, "pencil", "accessories-text-editor"},
        {pictSetting, "wrench", "preferences-system"},
        {pictReply, "arrow_redo", "mail-reply-sender"},
        {pictFavorite, "star", "starred"},
        {pictRetweet, "arrow_rotate_clockwise", "media-playlist-repeat"},
    };
    for (const auto& [box, name, theme] : buttons) {
        box->SetImages(icon(name, theme, false), icon(std::string(name) + "_h", theme, true));
    }
    mCancelIcon = icon("cancel", "process-stop", false);
}

void CTabMain::Subscribe() {
    const auto guarded = [this](void (CTabMain::*handler)()) {
        return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(pictRefresh, &PictureBox::clicked, this, guarded(&CTabMain::OnRefreshClick));
    connect(pictReaded, &PictureBox::clicked, this, guarded(&CTabMain::MarkAsRead));
    connect(pictPost, &PictureBox::clicked, this, guarded(&CTabMain::OpenNewPost));
    connect(pictSetting, &PictureBox::clicked, this, guarded(&CTabMain::OpenSettings));
    connect(pictReply, &PictureBox::clicked, this, guarded(&CTabMain::ReplyToSelected));
    connect(pictFavorite, &PictureBox::clicked, this, guarded(&CTabMain::ToggleFavorite));
    // Without an account the status line says so, and a click on it opens the settings.
    connect(lblStatus, &ElidedLabel::clicked, this, [this] {
        RunGuarded(this, [this] { HasAccount() ? ScrollToLastRead() : OpenSettings(); });
    });
    connect(lblStatus, &QLabel::linkActivated, this, guarded(&CTabMain::OpenSettings));
    connect(pictRetweet, &PictureBox::clicked, this, guarded(&CTabMain::RetweetSelected));
    txtTimeLine->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtTimeLine, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        RunGuarded(this, [this, point] { OpenEntryMenu(point); });
    });
    connect(txtTimeLine, &TimelineView::LinkClicked, this,
            [this](const QString& text) { RunGuarded(this, [this, &text] { OpenLink(text); }); });
    connect(btnNewEntries, &QPushButton::clicked, this, guarded(&CTabMain::ShowNewEntries));
    connect(txtTimeLine->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (mNewEntries > 0 && txtTimeLine->isVisible() && txtTimeLine->AtEnd()) {
            mNewEntries = 0;
            UpdateNewEntriesMark();
        }
    });
    // Only a choice of the user's: the program's own index changes do not reload the page.
    connect(comboBox1, &QComboBox::activated, this, guarded(&CTabMain::OnComboSelectionChanged));
}

void CTabMain::ReplaceDayLists() {
    const int64_t now = mContext.clock->NowMs();
    mYesterdayList = std::make_shared<CContributionListOfDay>(GetDateKey(now - kOneDayMs));
    mTodayList = std::make_shared<CContributionListOfDay>(GetDateKey(now));
}

void CTabMain::StartUp() {
    mStarted = true;
    if (mTabType == LISTS || mTabType == SEARCH) {
        comboBox1->show();
        if (mTabType == SEARCH) {
            comboBox1->setEditable(true);
            comboBox1->setInsertPolicy(QComboBox::NoInsert);
            connect(comboBox1->lineEdit(), &QLineEdit::returnPressed, this,
                    [this] { RunGuarded(this, [this] { OnQueryEntered(); }); });
        }
        RequestChoices();
        pictPost->hide();
        pictSetting->hide();
    }
    // A direct message cannot be repeated.
    pictRetweet->setVisible(mTabType != DIRECTMESSAGES);
    comboBox1->setCurrentIndex(0);
    LoadLogs();
}

void CTabMain::SetHosts(const HostConfig& hosts) {
    mContext.service.hosts = hosts;
}

// What a server does not have is not asked for: the chooser says so instead.
QString CTabMain::AbsentChoices() const {
    const SRouteTable& routes = RoutesOf(mContext.service.hosts.flavour);
    if (mTabType == SEARCH && !routes.savedSearches.Available()) {
        return tr("このサーバーには保存した検索がありません");
    }
    if (mTabType == LISTS && !routes.listSubscriptions.Available()) {
        return tr("このサーバーにはリストの購読がありません");
    }
    return {};
}

void CTabMain::RequestChoices() {
    if (mTabType != LISTS && mTabType != SEARCH) {
        return;
    }
    const QString absent = AbsentChoices();
    comboBox1->setToolTip(absent);
    const bool noneToAskFor = mTabType == SEARCH && !absent.isEmpty();
    SetChooserPlaceholder(noneToAskFor ? absent : QString());
    if (noneToAskFor) {
        ++mChoiceRequest;  // an answer still on its way from another server does not count
        comboBox1->setEnabled(true);
        return;
    }
    // Without an account there are no lists or saved searches to ask for; saving one in the
    // settings dialog resets the page, which asks then.
    if (!HasAccount()) {
        return;
    }
    const std::string credential = gSetting->Credential();
    const uint64_t request = ++mChoiceRequest;
    comboBox1->setEnabled(false);
    SetChooserPlaceholder(tr("読み込み中"));
    const ETabType kind = mTabType;
    const Service service = mContext.service;
    mCalls.Start<std::vector<std::string>>(
        this,
        [kind, service, credential] {
            // A refused request or an answer that is no document fails the whole choice.
            RequestFailure failure;
            const auto checked = [&failure](std::vector<std::string> entries) {
                if (!failure.message.empty()) {
                    throw RequestFailed(failure);
                }
                return entries;
            };
            if (kind == SEARCH) {
                return checked(GetUserSavedSearches(service, credential, &failure));
            }
            std::vector<std::string> entries = checked(GetUserLists(service, credential, &failure));
            const std::vector<std::string> subscribed =
                checked(GetUserListSubscriptions(service, credential, &failure));
            entries.insert(entries.end(), subscribed.begin(), subscribed.end());
            return entries;
        },
        [this, request](CallOutcome<std::vector<std::string>> outcome) {
            // A later reset asked again; only its answer counts.
            if (request == mChoiceRequest) {
                ApplyChoices(std::move(outcome));
            }
        });
}

void CTabMain::ApplyChoices(CallOutcome<std::vector<std::string>> outcome) {
    comboBox1->setEnabled(true);
    SetChooserPlaceholder(QString());
    if (!outcome.value) {
        // The chooser, its choice and the page stay as they were.
        mContext.service.diagnostics->WriteLine("FillComboBox failed: " + outcome.failure.message);
        // The lists are asked of the versioned host, the saved searches of the main one.
        ShowFailure(outcome.failure, mTabType == LISTS ? HostKind::Versioned : HostKind::Main);
        SetFetchFailed(true);
        return;
    }
    const std::optional<SComboBoxValue> shown =
        mShownChoice >= 0 && static_cast<size_t>(mShownChoice) < mComboValues.size()
            ? std::optional(mComboValues[static_cast<size_t>(mShownChoice)])
            : std::nullopt;
    ReplaceChoices(*outcome.value);
    SetFetchFailed(false);
    // A query the user typed stays shown; the saved searches wait in the list.
    if (!mTypedQuery.empty()) {
        comboBox1->setCurrentIndex(-1);
        comboBox1->setEditText(QString::fromStdString(mTypedQuery));
        mShownChoice = -1;
        ShowUnreadCount();
        return;
    }
    const int chosen = comboBox1->currentIndex();
    if (shown && chosen >= 0 &&
        mComboValues[static_cast<size_t>(chosen)].mUserName == shown->mUserName &&
        mComboValues[static_cast<size_t>(chosen)].mListName == shown->mListName) {
        // Still the choice whose entries are shown.
        mShownChoice = chosen;
        ShowUnreadCount();
        return;
    }
    ReplaceDayLists();
    DropGetResult();
    txtTimeLine->Clear();
    LoadLogs();
    // The answer came while the page is not on screen: its text is built now, not when it is
    // first looked at.
    if (!isVisible()) {
        PrepareView();
    }
    emit ReloadDueChanged();
}

// An editable chooser shows its placeholder in its text field.
void CTabMain::SetChooserPlaceholder(const QString& text) {
    comboBox1->setPlaceholderText(text);
    if (comboBox1->lineEdit() != nullptr) {
        comboBox1->lineEdit()->setPlaceholderText(text);
    }
}

void CTabMain::ReplaceChoices(const std::vector<std::string>& entries) {
    const std::vector<SComboBoxValue> before = std::move(mComboValues);
    const int shown = mShownChoice;
    comboBox1->clear();
    mComboValues.clear();
    FillComboBox(entries);
    int chosen = 0;
    if (shown >= 0 && static_cast<size_t>(shown) < before.size()) {
        const SComboBoxValue& was = before[static_cast<size_t>(shown)];
        for (size_t item = 0; item < mComboValues.size(); ++item) {
            if (mComboValues[item].mUserName == was.mUserName &&
                mComboValues[item].mListName == was.mListName) {
                chosen = static_cast<int>(item);
                break;
            }
        }
    }
    comboBox1->setCurrentIndex(mComboValues.empty() ? -1 : chosen);
}

void CTabMain::FillComboBox(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        if (mTabType == SEARCH) {
            mComboValues.push_back({entry, entry});
            comboBox1->addItem(QString::fromStdString(DecodeCharacterReferences(entry)));
            continue;
        }
        // Every entry holds "name,owner"; one without a comma names no owner and is left out.
        const std::vector<std::string> parts = SplitAtCommas(entry);
        if (parts.size() < 2) {
            continue;
        }
        mComboValues.push_back({parts[1], parts[0]});
        comboBox1->addItem(QString::fromStdString(parts[0]));
    }
}

std::optional<std::string> CTabMain::LogParam() const {
    if (mTabType != LISTS && mTabType != SEARCH) {
        return std::string();
    }
    if (mTabType == SEARCH && !mTypedQuery.empty()) {
        return EncodeQueryFileName(mTypedQuery);
    }
    if (comboBox1->currentIndex() < 0) {
        return std::nullopt;
    }
    // The item's text: an editable chooser's field may hold what is being typed.
    return comboBox1->itemText(comboBox1->currentIndex()).toStdString();
}

int32_t CTabMain::UnreadCount() const {
    return mYesterdayList->GetUnreadCount() + mTodayList->GetUnreadCount();
}

bool CTabMain::HasAccount() {
    try {
        return !gSetting->GetAccountName().empty();
    } catch (const Exception&) {
        // A credential that does not decode is still sent as it is, as it always was.
        return true;
    }
}

void CTabMain::ShowStatus(const QString& text) {
    SetColors(lblStatus, QPalette::WindowText, kStatusText);
    lblStatus->SetFullText(text);
}

void CTabMain::ShowUnreadCount() {
    const int32_t unread = UnreadCount();
    ShowStatus(HasAccount() ? tr("未読 %1 件").arg(unread) : NoAccountStatus());
    emit UnreadCountChanged(unread);
}

void CTabMain::ShowFailure(const SFailure& failure, HostKind host, const QString& what) {
    const SStatusText status = FailureStatus(failure, mContext.service.hosts.For(host), what);
    SetColors(lblStatus, QPalette::WindowText, kFailureText);
    lblStatus->SetFullText(status.text, status.detail, status.settingsLink);
}

void CTabMain::SetFetchFailed(bool failed) {
    if (failed != mLastFetchFailed) {
        mLastFetchFailed = failed;
        emit FetchFailedChanged(failed);
    }
}

HostKind CTabMain::FetchHost() const {
    switch (mTabType) {
        case LISTS:
            return HostKind::Versioned;
        case SEARCH:
            return HostKind::Search;
        case TIMELINE:
        case MENTIONS:
        case DIRECTMESSAGES:
            break;
    }
    return HostKind::Main;
}
