#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/RequestFailure.h"
#include "twitter_api/exchange/service.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ServiceCalls;
struct UiContext;

// A direct message rather than a status: to recipient's screen name, or, when that is empty, to
// a name the writer types.
struct SMessageTo {
    std::string recipient;
};

// The modal window in which a status or a reply is written: a text box, the count of characters
// still available out of the limit (140 on the service, the server's own on a server), and a
// button that posts the text and closes the window. On a server without a limit the count is of
// the characters written. A text longer than the limit is kept whole, the count below zero in
// red, and cannot be sent until it fits. The post runs off the interface thread; a post that
// fails keeps the window open with its text. A new status closed unsent leaves its text as the
// draft that the next new status starts from.
// Opened for a direct message, the window has a field for the recipient's name above the text and
// sends the text to that name, with the same counter and failure handling; a message to a name
// not yet chosen keeps a draft of its own, never offered to a status.
class CDialogPost : public QDialog {
    Q_OBJECT

  public:
    // An empty text and -1 for a new status; "@name " and the status's id for a reply. The post
    // runs through calls (the opening page's, so that closing the window never waits for it);
    // without them the window keeps its own.
    CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                QWidget* parent = nullptr, ServiceCalls* calls = nullptr);
    CDialogPost(const UiContext& context, const SMessageTo& message, QWidget* parent = nullptr,
                ServiceCalls* calls = nullptr);
    ~CDialogPost() override;

    int32_t RestCount() const { return mRestCount; }
    int64_t ReplyId() const { return mReplyId; }

    // The box's text as the status is sent: UTF-8, each line break written as CR LF.
    std::string TweetText() const;

    bool Sending() const { return mSending; }
    bool IsMessage() const { return txtRecipient != nullptr; }
    // The name a message goes to, without a leading "@"; empty for a status.
    std::string Recipient() const;

    // How a post ended whose window was closed while it was under way, for the opener to show.
    using OutcomeReport = std::function<void(bool posted, const SFailure& failure)>;
    void ReportOutcomeAfterClosing(OutcomeReport report) { mReport = std::move(report); }

    void reject() override;

    // The most characters a status may have where the window posts; 0 for no limit.
    int32_t TextLimit() const { return mMaxLength; }

  private:
    // The construction both kinds share, after the controls: the text (or the draft), the
    // handlers and the counter.
    void Start(const std::string& text);
    void InitializeComponent();
    void AddRecipientField(const std::string& recipient);
    void OnTextChanged();
    void OnTweetClicked();
    void ApplyPost(bool posted, const SFailure& failure);
    bool Sendable() const;
    void UpdateTweetButton();
    // A new status, or a message to a name not yet chosen: closed unsent, its text is kept.
    bool KeepsDraft() const { return mKeepsDraft; }
    void UpdateRestCount();
    // The text is within the limit, or there is none.
    bool Fits() const;
    void UpdateRestString();

    twitter_api::Service mService;
    std::shared_ptr<std::string> mDraft;
    std::unique_ptr<ServiceCalls> mOwnCalls;
    ServiceCalls* mCalls;
    bool mSending = false;
    QPushButton* btnTweet = nullptr;
    QLabel* lblRestString = nullptr;
    QPlainTextEdit* txtTweet = nullptr;
    QLineEdit* txtRecipient = nullptr;  // only for a direct message
    int64_t mReplyId = -1;
    bool mKeepsDraft = false;
    int32_t mMaxLength;
    int32_t mRestCount;
    QString mSendToolTip;  // the send button's tooltip while the text may be sent
    OutcomeReport mReport;
};
