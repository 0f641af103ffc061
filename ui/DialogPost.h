#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

#include "twitter_api/exchange/service.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
struct UiContext;

// The modal window in which a status or a reply is written: a text box, the count of characters
// still available out of 140, and a button that posts the text and closes the window.
class CDialogPost : public QDialog {
    Q_OBJECT

  public:
    // An empty text and -1 for a new status; "@name " and the status's id for a reply.
    CDialogPost(const UiContext& context, const std::string& text, int64_t replyId,
                QWidget* parent = nullptr);

    int32_t RestCount() const { return mRestCount; }
    int64_t ReplyId() const { return mReplyId; }

    // The box's text as the status is sent: UTF-8, each line break written as CR LF.
    std::string TweetText() const;

  private:
    static constexpr int32_t kMaxLength = 140;

    void InitializeComponent();
    void OnTextChanged();
    void OnTweetClicked();
    void RefuseInputBeyondLimit();
    void UpdateRestString();

    twitter_api::Service mService;
    QPushButton* btnTweet = nullptr;
    QLabel* lblRestString = nullptr;
    QPlainTextEdit* txtTweet = nullptr;
    int64_t mReplyId = -1;
    int32_t mRestCount = kMaxLength;

    // The last text within the input limit, against which an edit's insertion is found.
    QString mAcceptedText;
    bool mTrimming = false;
};
