#pragma once

#include <QIcon>
#include <QLabel>
#include <string>

// An image button: it shows its normal image, its hover image while the mouse is over it, and
// reports a click, or Enter or Space while it has the keyboard focus (Tab reaches it). An other
// image (the refresh button's cancel image during a fetch) stays, hovered or not, until the
// normal one is shown again. While disabled it keeps whatever image it was given: its own images
// greyed, an other image in that image's own colours.
class PictureBox : public QLabel {
    Q_OBJECT

  public:
    explicit PictureBox(QWidget* parent = nullptr);

    void SetImages(const QIcon& normal, const QIcon& hover);
    // Shows an image other than the two (the cancel image) until ShowNormalImage.
    void ShowImage(const QIcon& image);
    // Shows the normal image again.
    void ShowNormalImage();

  signals:
    void clicked();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Show(const QIcon& image, bool own);

    QIcon mNormal;
    QIcon mHover;
    bool mPressed = false;
    bool mShowingOwn = true;  // the normal or the hover image
};

// The icon in an .ico file (every image it holds), found as FindIconFile says; a file that is
// missing or holds no readable image throws Exception naming the file.
QIcon LoadIconFile(const std::string& path);
