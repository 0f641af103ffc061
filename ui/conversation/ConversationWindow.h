#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "twitter_api/model/contribution.h"

class QLabel;
class TimelineView;

// The window that shows a conversation: the statuses that lead to a reply and the reply itself,
// oldest first, in a timeline box of its own, each entry its name and text with the time on a
// small line below. When the chain could not be followed to its start, a line above the box says
// why.
class CConversationWindow : public QDialog {
    Q_OBJECT

  public:
    CConversationWindow(const std::vector<twitter_api::ContributionPtr>& statuses,
                        const std::string& failure, QWidget* parent = nullptr);

    QLabel* lblConversationStatus = nullptr;
    TimelineView* txtConversation = nullptr;

  private:
    void BuildControls();
    void Render(const std::vector<twitter_api::ContributionPtr>& statuses);
};
