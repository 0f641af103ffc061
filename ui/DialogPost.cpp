#include "DialogPost.h"

#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>

#include "Guard.h"
#include "Shortcuts.h"
#include "UiContext.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/requests/status.h"

namespace {

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The input limit counts as the platform's edit control does: UTF-16 units, and a line break is
// the two units CR LF.
qsizetype NativeLength(QStringView text) {
    return text.size() + text.count(u'\n');
}

// How many leading UTF-16 units of an insertion fit into room native units, never splitting a
// surrogate pair.
qsizetype FittingLength(QStringView inserted, qsizetype room) {
    qsizetype used = 0;
    qsizetype kept = 0;
    while (kept < inserted.size()) {
        const bool pair = inserted[kept].isHighSurrogate() && kept + 1 < inserted.size() &&
                          inserted[kept + 1].isLowSurrogate();
        const qsizetype units = pair || inserted[kept] == u'\n' ? 2 : 1;
        if (used + units > room) {
            break;
        }
        used += units;
        kept += pair ? 2 : 1;
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
                         QWidget* parent)
    : QDialog(parent), mService(context.service) {
    InitializeComponent();
    mReplyId = replyId;
    txtTweet->setPlainText(QString::fromStdString(text));
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
}

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
}

void CDialogPost::OnTweetClicked() {
    twitter_api::Post(mService, gSetting->Credential(), TweetText(), mReplyId);
    accept();
}

// Typing or pasting beyond the limit keeps only the part of the insertion that fits; the removal
// joins the user's edit, so one undo takes back both.
void CDialogPost::RefuseInputBeyondLimit() {
    const QString text = txtTweet->toPlainText();
    if (NativeLength(text) > kMaxLength) {
        const Insertion insertion = FindInsertion(mAcceptedText, text);
        const QStringView inserted = QStringView(text).mid(insertion.start, insertion.length);
        const qsizetype room = kMaxLength - (NativeLength(text) - NativeLength(inserted));
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
