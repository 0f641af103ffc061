#include "base/ElidedLabel.h"

#include <QMouseEvent>

namespace {

const QString kLinkColour = QStringLiteral("#8cc4ff");  // readable on the dark tool bar
const QString kLinkGap = QStringLiteral("  ");

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(this, &QLabel::linkHovered, this, [this](const QString& link) { mHoveredLink = link; });
}

void ElidedLabel::SetFullText(const QString& text, const QString& toolTip, const QString& link) {
    mFullText = text;
    mLink = link;
    QString tip = text;
    if (!toolTip.isEmpty() && toolTip != text) {
        tip += QStringLiteral("\n") + toolTip;
    }
    setToolTip(text.isEmpty() ? QString() : tip);
    Fit();
}

void ElidedLabel::Fit() {
    const QFontMetrics metrics = fontMetrics();
    if (mLink.isEmpty()) {
        setTextFormat(Qt::PlainText);
        setText(metrics.elidedText(mFullText, Qt::ElideRight, contentsRect().width()));
        return;
    }
    const int room =
        contentsRect().width() - metrics.horizontalAdvance(kLinkGap + mLink) - metrics.height();
    const QString shown = metrics.elidedText(mFullText, Qt::ElideRight, std::max(room, 0));
    setTextFormat(Qt::RichText);
    setText(
        QStringLiteral("%1%2<a href=\"link\" style=\"color:%3\">%4</a>")
            .arg(shown.toHtmlEscaped(),
                 kLinkGap.toHtmlEscaped().replace(QStringLiteral(" "), QStringLiteral("&nbsp;")),
                 kLinkColour, mLink.toHtmlEscaped()));
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && mHoveredLink.isEmpty()) {
        emit clicked();
    }
}
