#include "base/PictureBox.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "base/IconFiles.h"
#include "common/errors.h"
#include "common/escaped.h"
#include "platform/file.h"

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    // Tab reaches the button; a mouse click leaves the focus where the user had it.
    setFocusPolicy(Qt::TabFocus);
}

void PictureBox::SetImages(const QIcon& normal, const QIcon& hover) {
    mNormal = normal;
    mHover = hover;
    ShowNormalImage();
}

void PictureBox::Show(const QIcon& image, bool own) {
    mShowingOwn = own;
    // The smallest picture's size up to the box's size, centred, at the screen's scale: the
    // larger pictures an icon holds are for the higher scales.
    const QList<QSize> sizes = image.availableSizes();
    QSize shown = image.actualSize(size());
    if (!sizes.isEmpty()) {
        shown = sizes.front().boundedTo(size());
        for (const QSize candidate : sizes) {
            if (candidate.width() < shown.width()) {
                shown = candidate.boundedTo(size());
            }
        }
    }
    setPixmap(image.pixmap(shown, devicePixelRatioF()));
}

void PictureBox::ShowImage(const QIcon& image) {
    Show(image, false);
}

void PictureBox::ShowNormalImage() {
    Show(mNormal, true);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    if (isEnabled() || mShowingOwn) {
        QLabel::paintEvent(event);
        if (hasFocus()) {
            // The focused button is framed so that the keyboard user sees where Enter goes.
            QPainter painter(this);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        return;
    }
    // A disabled label would draw the image greyed.
    const QPixmap image = pixmap();
    const QSize shown = image.deviceIndependentSize().toSize();
    QPainter painter(this);
    painter.drawPixmap(QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, shown, rect()),
                       image);
}

void PictureBox::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (isEnabled() && mShowingOwn) {
        Show(mHover, true);
    }
}

void PictureBox::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (isEnabled() && mShowingOwn) {
        Show(mNormal, true);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    mPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = mPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    mPressed = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

QIcon LoadIconFile(const std::string& path) {
    // The data folder's own icons are read by the image reader, which would block on a FIFO.
    const std::string file = FindIconFile(path);
    platform::CheckReadableFile(file);
    // Every size the file holds, read now: a file that cannot be read fails here and not later
    // when the icon is first drawn.
    QImageReader reader(QString::fromStdString(file));
    QIcon icon;
    for (int index = 0; reader.jumpToImage(index) || index == 0; ++index) {
        const QImage image = reader.read();
        if (image.isNull()) {
            break;
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    if (icon.isNull()) {
        throw Exception("Cannot load the icon file " + EscapeControls(path));
    }
    return icon;
}
