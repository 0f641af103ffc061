#include "post/DialogPost.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <optional>

#include "base/DialogKeys.h"
#include "base/Guard.h"
#include "base/ServiceCalls.h"
#include "base/UiContext.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/requests/status.h"

namespace {

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

const QColor kCountColour(255, 255, 255);
const QColor kOverLimitColour(255, 90, 90);

}  // namespace

CDialogPost::CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                         QWidget* parent, ServiceCalls* calls)
    : QDialog(parent),
      mService(context.service),
      mDraft(context.postDraft),
      mOwnCalls(calls != nullptr ? nullptr : std::make_unique<ServiceCalls>(this)),
      mCalls(calls != nullptr ? calls : mOwnCalls.get()),
      mMaxLength(twitter_api::TextLimit(context.service.hosts)),
      mRestCount(mMaxLength) {
    InitializeComponent();
    mReplyId = replyId;
    mKeepsDraft = replyId < 0;
    Start(text);
}

CDialogPost::CDialogPost(const UiContext& context, const SMessageTo& message, QWidget* parent,
                         ServiceCalls* calls)
    : QDialog(parent),
      mService(context.service),
      mDraft(context.messageDraft),
      mOwnCalls(calls != nullptr ? nullptr : std::make_unique<ServiceCalls>(this)),
      mCalls(calls != nullptr ? calls : mOwnCalls.get()),
      mMaxLength(twitter_api::TextLimit(context.service.hosts)),
      mRestCount(mMaxLength) {
    InitializeComponent();
    AddRecipientField(message.recipient);
    mKeepsDraft = message.recipient.empty();
    Start(std::string());
    // A message to a chosen name is written at once; otherwise the name comes first.
    if (message.recipient.empty()) {
        txtRecipient->setFocus();
    }
}

void CDialogPost::Start(const std::string& text) {
    // A new status starts from the draft left unsent; a reply from its own "@name ".
    const bool fromDraft = KeepsDraft() && text.empty() && mDraft && !mDraft->empty();
    txtTweet->setPlainText(QString::fromStdString(fromDraft ? *mDraft : text));
    // The writer starts in the box, after a reply's "@name ".
    txtTweet->moveCursor(QTextCursor::End);
    txtTweet->setFocus();
    connect(txtTweet, &QPlainTextEdit::textChanged, this,
            [this] { RunGuarded(this, [this] { OnTextChanged(); }); });
    connect(btnTweet, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { OnTweetClicked(); }); });
    InstallSendShortcut(*this, *btnTweet);
    mSendToolTip = btnTweet->toolTip();
    PressFocusedButtonsOnEnter(*this);
    // A reply opens with "@name " in the box; the counter shows what is left at once rather than
    // the whole limit until the first edit.
    UpdateRestCount();
    UpdateRestString();
    UpdateTweetButton();
}

CDialogPost::~CDialogPost() = default;

void CDialogPost::InitializeComponent() {
    SetColour(this, QPalette::Window, QColor(20, 20, 20));
    setAutoFillBackground(true);
    setWindowTitle(tr("Tweet Form"));
    resize(256, 133);

    btnTweet = new QPushButton(tr("書き込む"), this);
    btnTweet->setObjectName(QStringLiteral("btnTweet"));
    btnTweet->setAutoDefault(false);
    btnTweet->setGeometry(136, 104, 104, 24);

    lblRestString = new QLabel(QString::number(mMaxLength), this);
    lblRestString->setObjectName(QStringLiteral("lblRestString"));
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSize(12);
    lblRestString->setFont(font);
    SetColour(lblRestString, QPalette::WindowText, kCountColour);
    lblRestString->setAlignment(Qt::AlignCenter);
    lblRestString->setGeometry(32, 104, 88, 24);

    txtTweet = new QPlainTextEdit(this);
    txtTweet->setObjectName(QStringLiteral("txtTweet"));
    SetColour(txtTweet, QPalette::Base, QColor(34, 34, 34));
    SetColour(txtTweet, QPalette::Text, QColor(255, 255, 255));
    txtTweet->setTabChangesFocus(true);
    txtTweet->setGeometry(8, 8, 240, 88);
}

// The name field sits above a shorter text box; the button sends rather than posts.
void CDialogPost::AddRecipientField(const std::string& recipient) {
    setWindowTitle(tr("ダイレクトメッセージ"));
    btnTweet->setText(tr("送信"));
    txtRecipient = new QLineEdit(QString::fromStdString(recipient), this);
    txtRecipient->setObjectName(QStringLiteral("txtRecipient"));
    txtRecipient->setPlaceholderText(tr("宛先のスクリーンネーム"));
    SetColour(txtRecipient, QPalette::Base, QColor(34, 34, 34));
    SetColour(txtRecipient, QPalette::Text, QColor(255, 255, 255));
    txtRecipient->setGeometry(8, 8, 240, 22);
    txtTweet->setGeometry(8, 34, 240, 62);
    setTabOrder(txtRecipient, txtTweet);
    connect(txtRecipient, &QLineEdit::textChanged, this,
            [this] { RunGuarded(this, [this] { UpdateTweetButton(); }); });
}

std::string CDialogPost::Recipient() const {
    if (txtRecipient == nullptr) {
        return {};
    }
    QString name = txtRecipient->text().trimmed();
    if (name.startsWith(u'@')) {
        name.remove(0, 1);
    }
    return name.toStdString();
}

std::string CDialogPost::TweetText() const {
    QString text = txtTweet->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.toStdString();
}

void CDialogPost::OnTextChanged() {
    UpdateRestCount();
    UpdateRestString();
    UpdateTweetButton();
}

// Empty or blank-only text is nothing to post, a text over the limit is refused by the service,
// and a message needs someone to go to.
bool CDialogPost::Sendable() const {
    return Fits() && !txtTweet->toPlainText().trimmed().isEmpty() &&
           (!IsMessage() || !Recipient().empty());
}

void CDialogPost::UpdateTweetButton() {
    const bool fits = Fits();
    btnTweet->setEnabled(!mSending && Sendable());
    btnTweet->setToolTip(fits ? mSendToolTip
                              : tr("%1 文字を %2 文字超えています。送る前に短くしてください。")
                                    .arg(mMaxLength)
                                    .arg(-mRestCount));
}

void CDialogPost::OnTweetClicked() {
    if (mSending || !Sendable()) {
        return;
    }
    mSending = true;
    txtTweet->setReadOnly(true);
    UpdateTweetButton();
    setCursor(Qt::BusyCursor);

    const twitter_api::Service service = mService;
    const std::string credential = gSetting->Credential();
    const std::string status = TweetText();
    const int64_t replyId = mReplyId;
    const bool isNew = KeepsDraft();
    const std::optional<std::string> recipient =
        IsMessage() ? std::optional(Recipient()) : std::nullopt;
    mCalls->Start<bool>(
        mCalls->Owner(),
        [service, credential, status, replyId, recipient] {
            twitter_api::RequestFailure failure;
            const bool posted =
                recipient ? twitter_api::NewDirectMessage(service, credential, *recipient, status,
                                                          &failure)
                          : twitter_api::Post(service, credential, status, replyId, &failure);
            if (!posted && !failure.message.empty()) {
                throw RequestFailed(failure);
            }
            return posted;
        },
        [dialog = QPointer<CDialogPost>(this), draft = mDraft, sent = txtTweet->toPlainText(),
         isNew, report = mReport](CallOutcome<bool> outcome) {
            const bool posted = outcome.value && *outcome.value;
            // A window closed while posting left its text as the draft; it is sent now.
            if (posted && isNew && (dialog || QString::fromStdString(*draft) == sent)) {
                draft->clear();
            }
            SFailure failure = outcome.failure;
            if (outcome.value && !posted) {
                failure = {SFailure::Kind::NotUnderstood,
                           tr("応答を読めませんでした").toStdString()};
            }
            if (dialog) {
                dialog->ApplyPost(posted, failure);
            } else if (report) {
                report(posted, failure);
            }
        });
}

void CDialogPost::ApplyPost(bool posted, const SFailure& failure) {
    mSending = false;
    unsetCursor();
    if (posted) {
        accept();
        return;
    }
    txtTweet->setReadOnly(false);
    UpdateTweetButton();
    const QString message = QString::fromStdString(failure.message);
    mService.diagnostics->WriteLine((IsMessage() ? "Message failed: " : "Post failed: ") +
                                    failure.message);
    const QString text = IsMessage() ? tr("送信できませんでした。\n%1").arg(message)
                                     : tr("書き込めませんでした。\n%1").arg(message);
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("msgPostFailed"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void CDialogPost::reject() {
    if (KeepsDraft() && mDraft) {
        *mDraft = txtTweet->toPlainText().toStdString();
    }
    QDialog::reject();
}

// What is left of the limit; without one, what has been written.
void CDialogPost::UpdateRestCount() {
    const int32_t length = twitter_api::GetTextLength(TweetText());
    mRestCount = mMaxLength > 0 ? mMaxLength - length : length;
}

bool CDialogPost::Fits() const {
    return mMaxLength <= 0 || mRestCount >= 0;
}

void CDialogPost::UpdateRestString() {
    lblRestString->setText(QString::number(mRestCount));
    SetColour(lblRestString, QPalette::WindowText,
              mRestCount < 0 ? kOverLimitColour : kCountColour);
}
