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
class QPlainTextEdit;
class QPushButton;
class ServiceCalls;
struct UiContext;

// What the post dialog sends. An answer to a direct message goes out as a public status as long as
// the service's direct-message request is not in place; the dialog says so and asks before it
// sends. A kind for the private answer joins these with that request.
enum class EPostKind {
    Status,
    PublicAnswerToMessage,
};

// The modal window in which a status or a reply is written: a text box, the count of characters
// still available out of the limit (140 on the service, the server's own on a server), and a
// button that posts the text and closes the window. On a server without a limit the count is of
// the characters written. A text longer than the limit is kept whole, the count below zero in
// red, and cannot be sent until it fits. The post runs off the interface thread; a post that
// fails keeps the window open with its text. A new status closed unsent leaves its text as the
// draft that the next new status starts from.
class CDialogPost : public QDialog {
    Q_OBJECT

  public:
    // An empty text and -1 for a new status; "@name " and the status's id for a reply. The post
    // runs through calls (the opening page's, so that closing the window never waits for it);
    // without them the window keeps its own.
    CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                QWidget* parent = nullptr, ServiceCalls* calls = nullptr,
                EPostKind kind = EPostKind::Status);
    ~CDialogPost() override;

    int32_t RestCount() const { return mRestCount; }
    int64_t ReplyId() const { return mReplyId; }

    // The box's text as the status is sent: UTF-8, each line break written as CR LF.
    std::string TweetText() const;

    bool Sending() const { return mSending; }

    // How a post ended whose window was closed while it was under way, for the opener to show.
    using OutcomeReport = std::function<void(bool posted, const SFailure& failure)>;
    void ReportOutcomeAfterClosing(OutcomeReport report) { mReport = std::move(report); }

    void reject() override;

    // The most characters a status may have where the window posts; 0 for no limit.
    int32_t TextLimit() const { return mMaxLength; }

  private:
    void InitializeComponent();
    // The line that says an answer to a direct message will be public, above the text box.
    void AddPublicWarning();
    void OnTextChanged();
    void OnTweetClicked();
    // An answer to a direct message is sent only once the user agrees that it is public.
    bool AgreedToPublish();
    void ApplyPost(bool posted, const SFailure& failure);
    void UpdateTweetButton();
    bool IsNewStatus() const { return mReplyId < 0 && mKind == EPostKind::Status; }
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
    QLabel* lblPublic = nullptr;  // for an answer to a direct message only
    int64_t mReplyId = -1;
    int32_t mMaxLength;
    int32_t mRestCount;
    EPostKind mKind;
    QString mSendToolTip;  // the send button's tooltip while the text may be sent
    OutcomeReport mReport;
};
