#include "search/SearchBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include "base/Guard.h"

namespace {

const QColor kBarBackground(20, 20, 20);  // the pages' tool bar strip
const QColor kCountText(255, 255, 255);
const QColor kFailureText(255, 110, 110);

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette colors = widget->palette();
    colors.setColor(role, color);
    widget->setPalette(colors);
}

}  // namespace

CSearchBar::CSearchBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("searchBar"));
    setAutoFillBackground(true);
    SetColor(this, QPalette::Window, kBarBackground);

    txtQuery = new QLineEdit(this);
    txtQuery->setObjectName(QStringLiteral("txtQuery"));
    txtQuery->setPlaceholderText(tr("ログを検索: 語 \"句\" -語 from: in: since: until: is:"));
    txtQuery->setClearButtonEnabled(true);

    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setMinimumWidth(56);
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetColor(lblCount, QPalette::WindowText, kCountText);

    progressDays = new QProgressBar(this);
    progressDays->setObjectName(QStringLiteral("progressDays"));
    progressDays->setMaximumWidth(64);
    progressDays->setMaximumHeight(10);
    progressDays->setTextVisible(false);
    progressDays->hide();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 3, 4, 3);
    row->addWidget(txtQuery, 1);
    row->addWidget(progressDays);
    row->addWidget(lblCount);

    mPause = new QTimer(this);
    mPause->setSingleShot(true);
    mPause->setInterval(kTypingPauseMs);
    const auto handOn = [this] {
        mPause->stop();
        RunGuarded(this, [this] { emit QueryReady(txtQuery->text()); });
    };
    connect(txtQuery, &QLineEdit::textEdited, mPause, qOverload<>(&QTimer::start));
    connect(txtQuery, &QLineEdit::returnPressed, this, handOn);
    connect(mPause, &QTimer::timeout, this, handOn);
}

void CSearchBar::Reset() {
    mPause->stop();
    txtQuery->clear();
    ClearFigures();
}

void CSearchBar::ClearFigures() {
    lblCount->clear();
    lblCount->setToolTip(QString());
    progressDays->hide();
}

void CSearchBar::ShowCount(size_t found, size_t shown, bool running) {
    QString text =
        found > shown ? tr("%1 件 (新しい %2 件)").arg(found).arg(shown) : tr("%1 件").arg(found);
    if (running) {
        text += QStringLiteral("…");
    }
    lblCount->setText(text);
    lblCount->setToolTip(QString());
    SetColor(lblCount, QPalette::WindowText, kCountText);
    progressDays->setVisible(running);
}

void CSearchBar::ShowProgress(size_t daysRead, size_t daysInRange) {
    progressDays->setRange(0, static_cast<int>(daysInRange));
    progressDays->setValue(static_cast<int>(daysRead));
    progressDays->setToolTip(tr("%1 / %2 日").arg(daysRead).arg(daysInRange));
}

void CSearchBar::ShowProblem(const QString& message) {
    // Half the bar at most, so that the query stays in sight; the whole text in the tooltip.
    lblCount->setText(lblCount->fontMetrics().elidedText(message, Qt::ElideRight, width() / 2));
    lblCount->setToolTip(message);
    SetColor(lblCount, QPalette::WindowText, kFailureText);
    progressDays->hide();
}
