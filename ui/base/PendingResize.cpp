#include "base/PendingResize.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QWidget>

void DeliverPendingResize(QWidget& widget) {
    if (widget.testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent resized(widget.size(), QSize());
        QCoreApplication::sendEvent(&widget, &resized);
        widget.setAttribute(Qt::WA_PendingResizeEvent, false);
    }
}
