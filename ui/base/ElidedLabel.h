#pragma once

#include <QLabel>
#include <QString>

// A one-line label that shows as much of its text as fits, cut with "…", and the whole text in
// its tooltip. A link may follow the text; it is always shown whole. A click beside the link is
// reported as clicked(), one on the link as linkActivated().
class ElidedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // toolTip: more than the text says, shown after it in the tooltip.
    void SetFullText(const QString& text, const QString& toolTip = {}, const QString& link = {});
    const QString& FullText() const { return mFullText; }
    const QString& Link() const { return mLink; }

  signals:
    void clicked();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Fit();

    QString mFullText;
    QString mLink;
    QString mHoveredLink;
};
