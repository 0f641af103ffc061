#pragma once

class QWidget;

// A hidden widget's resize waits for its show. A widget laid out at its real size ahead of that
// is given the resize now: arriving late, the resize would undo that work.
void DeliverPendingResize(QWidget& widget);
