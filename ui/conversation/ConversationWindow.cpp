#include "conversation/ConversationWindow.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"

using twitter_api::ContributionPtr;

namespace {

const QColor kBackground(20, 20, 20);
const QColor kBoxBackground(34, 34, 34);
const QColor kBoxText(221, 221, 221);
const QColor kName(156, 191, 225);
const QColor kTimeLine(128, 128, 128);
const QColor kFailureText(255, 110, 110);

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QFont NameFont() {
    QFont font;
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

QFont TimeFont() {
    QFont font;
    font.setPointSize(7);
    return font;
}

}  // namespace

CConversationWindow::CConversationWindow(const std::vector<ContributionPtr>& statuses,
                                         const std::string& failure, QWidget* parent)
    : QDialog(parent) {
    BuildControls();
    if (!failure.empty()) {
        lblConversationStatus->setText(
            tr("会話の途中までです: %1").arg(QString::fromStdString(failure)));
        lblConversationStatus->show();
    }
    Render(statuses);
}

void CConversationWindow::BuildControls() {
    setWindowTitle(tr("会話"));
    setAutoFillBackground(true);
    SetColour(this, QPalette::Window, kBackground);
    resize(372, 320);

    lblConversationStatus = new QLabel(this);
    lblConversationStatus->setObjectName(QStringLiteral("lblConversationStatus"));
    lblConversationStatus->setWordWrap(true);
    SetColour(lblConversationStatus, QPalette::WindowText, kFailureText);
    lblConversationStatus->hide();

    txtConversation = new TimelineView(this);
    txtConversation->setObjectName(QStringLiteral("txtConversation"));
    SetColour(txtConversation, QPalette::Base, kBoxBackground);
    SetColour(txtConversation, QPalette::Text, kBoxText);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(lblConversationStatus);
    column->addWidget(txtConversation);
}

// The text goes in as one piece; each entry is styled afterwards, as on a page.
void CConversationWindow::Render(const std::vector<ContributionPtr>& statuses) {
    static const QFont nameFont = NameFont();
    static const QFont timeFont = TimeFont();
    std::string text;
    for (const ContributionPtr& status : statuses) {
        text += status->ShownName();
        text += ' ';
        text += status->mText.view();
        text += '\n';
        text += status->mCreatedAt.view();
        text += '\n';
    }
    txtConversation->Append(text);
    int32_t position = 0;
    for (const ContributionPtr& status : statuses) {
        const int32_t nameLength = twitter_api::GetTextLength(status->ShownName());
        txtConversation->Select(position, nameLength);
        txtConversation->SetSelectionColor(kName);
        txtConversation->SetSelectionFont(nameFont);
        const std::string_view words = status->mText.view();
        const int32_t lineBreak = !words.empty() && words.back() == '\r' ? 0 : 1;
        const int32_t timeLine =
            position + nameLength + 1 + twitter_api::GetTextLength(words) + lineBreak;
        const int32_t timeLength = twitter_api::GetTextLength(status->mCreatedAt.view()) + 1;
        txtConversation->Select(timeLine, timeLength);
        txtConversation->SetSelectionColor(kTimeLine);
        txtConversation->SetSelectionFont(timeFont);
        position = timeLine + timeLength;
    }
    txtConversation->Select(0, 0);
}
