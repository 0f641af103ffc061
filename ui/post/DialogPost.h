#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "twitter_api/exchange/service.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class ServiceCalls;
struct UiContext;

// The modal window in which a status or a reply is written: a text box, the count of characters
// still available out of 140, and a button that posts the text and closes the window. The post
// runs off the interface thread; a post that fails keeps the window open with its text. A new
// status closed unsent leaves its text as the draft that the next new status starts from.
class CDialogPost : public QDialog {
    Q_OBJECT

  public:
    // An empty text and -1 for a new status; "@name " and the status's id for a reply. The post
    // runs through calls (the opening page's, so that closing the window never waits for it);
    // without them the window keeps its own.
    CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                QWidget* parent = nullptr, ServiceCalls* calls = nullptr);
    ~CDialogPost() override;

    int32_t RestCount() const { return mRestCount; }
    int64_t ReplyId() const { return mReplyId; }

    // The box's text as the status is sent: UTF-8, each line break written as CR LF.
    std::string TweetText() const;

    bool Sending() const { return mSending; }

    void reject() override;

  private:
    static constexpr int32_t kMaxLength = 140;

    void InitializeComponent();
    void OnTextChanged();
    void OnTweetClicked();
    void ApplyPost(bool posted, const std::string& failure);
    void UpdateTweetButton();
    bool IsNewStatus() const { return mReplyId < 0; }
    void RefuseInputBeyondLimit();
    void UpdateRestString();

    twitter_api::Service mService;
    std::shared_ptr<std::string> mDraft;
    std::unique_ptr<ServiceCalls> mOwnCalls;
    ServiceCalls* mCalls;
    bool mSending = false;
    QPushButton* btnTweet = nullptr;
    QLabel* lblRestString = nullptr;
    QPlainTextEdit* txtTweet = nullptr;
    int64_t mReplyId = -1;
    int32_t mRestCount = kMaxLength;

    // The last text within the input limit, against which an edit's insertion is found.
    QString mAcceptedText;
    bool mTrimming = false;
};
