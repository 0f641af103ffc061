#include "post/DialogPost.h"

#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>

#include "base/DialogKeys.h"
#include "base/Guard.h"
#include "base/ServiceCalls.h"
#include "base/UiContext.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/requests/status.h"

namespace {

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

bool StartsPair(QStringView text, qsizetype at) {
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
}

// The input limit counts as the counter and the service do: code points, a line break one.
qsizetype CountedLength(QStringView text) {
    qsizetype length = 0;
    for (qsizetype at = 0; at < text.size(); at += StartsPair(text, at) ? 2 : 1) {
        ++length;
    }
    return length;
}

// How many leading UTF-16 units of an insertion fit into room characters, never splitting a
// surrogate pair.
qsizetype FittingLength(QStringView inserted, qsizetype room) {
    qsizetype kept = 0;
    for (qsizetype used = 0; kept < inserted.size() && used < room; ++used) {
        kept += StartsPair(inserted, kept) ? 2 : 1;
    }
    return kept;
}

// Where an edit put new text: the part of after that is not the common prefix or suffix of before
// and after, widened so that it never starts or ends inside a surrogate pair.
struct Insertion {
    qsizetype start;
    qsizetype length;
};

Insertion FindInsertion(QStringView before, QStringView after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    if (prefix > 0 && after[prefix - 1].isHighSurrogate()) {
        --prefix;
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    if (suffix > 0 && after[after.size() - suffix].isLowSurrogate()) {
        --suffix;
    }
    return {prefix, after.size() - suffix - prefix};
}

}  // namespace

CDialogPost::CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                         QWidget* parent, ServiceCalls* calls)
    : QDialog(parent),
      mService(context.service),
      mDraft(context.postDraft),
      mOwnCalls(calls != nullptr ? nullptr : std::make_unique<ServiceCalls>(this)),
      mCalls(calls != nullptr ? calls : mOwnCalls.get()) {
    InitializeComponent();
    mReplyId = replyId;
    // A new status starts from the draft left unsent; a reply from its own "@name ".
    const bool fromDraft = IsNewStatus() && text.empty() && mDraft && !mDraft->empty();
    txtTweet->setPlainText(QString::fromStdString(fromDraft ? *mDraft : text));
    // The writer starts in the box, after a reply's "@name ".
    txtTweet->moveCursor(QTextCursor::End);
    txtTweet->setFocus();
    // A text set here may exceed the limit, as the platform's box accepts any text set in code;
    // only later typing and pasting are held to it.
    mAcceptedText = txtTweet->toPlainText();
    connect(txtTweet, &QPlainTextEdit::textChanged, this,
            [this] { RunGuarded(this, [this] { OnTextChanged(); }); });
    connect(btnTweet, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { OnTweetClicked(); }); });
    InstallSendShortcut(*this, *btnTweet);
    PressFocusedButtonsOnEnter(*this);
    // A reply opens with "@name " in the box; the counter shows what is left at once rather than
    // 140 until the first edit.
    mRestCount = kMaxLength - twitter_api::GetTextLength(TweetText());
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

    lblRestString = new QLabel(QString::number(kMaxLength), this);
    lblRestString->setObjectName(QStringLiteral("lblRestString"));
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSize(12);
    lblRestString->setFont(font);
    SetColour(lblRestString, QPalette::WindowText, QColor(255, 255, 255));
    lblRestString->setAlignment(Qt::AlignCenter);
    lblRestString->setGeometry(32, 104, 88, 24);

    txtTweet = new QPlainTextEdit(this);
    txtTweet->setObjectName(QStringLiteral("txtTweet"));
    SetColour(txtTweet, QPalette::Base, QColor(34, 34, 34));
    SetColour(txtTweet, QPalette::Text, QColor(255, 255, 255));
    txtTweet->setTabChangesFocus(true);
    txtTweet->setGeometry(8, 8, 240, 88);
}

std::string CDialogPost::TweetText() const {
    QString text = txtTweet->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.toStdString();
}

void CDialogPost::OnTextChanged() {
    if (mTrimming) {
        return;
    }
    RefuseInputBeyondLimit();
    mRestCount = kMaxLength - twitter_api::GetTextLength(TweetText());
    UpdateRestString();
    UpdateTweetButton();
}

// Empty or blank-only text is nothing to post.
void CDialogPost::UpdateTweetButton() {
    btnTweet->setEnabled(!mSending && !txtTweet->toPlainText().trimmed().isEmpty());
}

void CDialogPost::OnTweetClicked() {
    if (mSending || txtTweet->toPlainText().trimmed().isEmpty()) {
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
    const bool isNew = IsNewStatus();
    mCalls->Start<bool>(
        mCalls->Owner(),
        [service, credential, status, replyId] {
            std::string failure;
            const bool posted = twitter_api::Post(service, credential, status, replyId, &failure);
            if (!posted && !failure.empty()) {
                throw Exception(failure);
            }
            return posted;
        },
        [dialog = QPointer<CDialogPost>(this), draft = mDraft, sent = txtTweet->toPlainText(),
         isNew](CallOutcome<bool> outcome) {
            const bool posted = outcome.value && *outcome.value;
            // A window closed while posting left its text as the draft; it is sent now.
            if (posted && isNew && (dialog || QString::fromStdString(*draft) == sent)) {
                draft->clear();
            }
            if (dialog) {
                dialog->ApplyPost(posted, outcome.failure);
            }
        });
}

void CDialogPost::ApplyPost(bool posted, const std::string& failure) {
    mSending = false;
    unsetCursor();
    if (posted) {
        accept();
        return;
    }
    txtTweet->setReadOnly(false);
    UpdateTweetButton();
    const QString message =
        failure.empty() ? tr("応答を読めませんでした") : QString::fromStdString(failure);
    mService.diagnostics->WriteLine("Post failed: " + message.toStdString());
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(),
                        tr("書き込めませんでした。\n%1").arg(message), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("msgPostFailed"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void CDialogPost::reject() {
    if (IsNewStatus() && mDraft) {
        *mDraft = txtTweet->toPlainText().toStdString();
    }
    QDialog::reject();
}

// Typing or pasting beyond the limit keeps only the part of the insertion that fits; the removal
// joins the user's edit, so one undo takes back both.
void CDialogPost::RefuseInputBeyondLimit() {
    const QString text = txtTweet->toPlainText();
    if (CountedLength(text) > kMaxLength) {
        const Insertion insertion = FindInsertion(mAcceptedText, text);
        const QStringView inserted = QStringView(text).mid(insertion.start, insertion.length);
        const qsizetype room = kMaxLength - (CountedLength(text) - CountedLength(inserted));
        const qsizetype kept = FittingLength(inserted, std::max<qsizetype>(room, 0));

        QTextCursor cursor(txtTweet->document());
        cursor.setPosition(static_cast<int>(insertion.start + kept));
        cursor.setPosition(static_cast<int>(insertion.start + insertion.length),
                           QTextCursor::KeepAnchor);
        mTrimming = true;
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
        mTrimming = false;
    }
    mAcceptedText = txtTweet->toPlainText();
}

void CDialogPost::UpdateRestString() {
    lblRestString->setText(QString::number(mRestCount));
}
