#include "base/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

void UseDarkMessageBoxes() {
    // The settings dialog's colours, with buttons a step lighter than the background.
    QPalette colours = QApplication::palette();
    const QColor background(34, 34, 34);
    const QColor text(211, 211, 211);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Window, background);
        colours.setColor(group, QPalette::WindowText, text);
        colours.setColor(group, QPalette::Base, QColor(102, 102, 102));
        colours.setColor(group, QPalette::Text, QColor(255, 255, 255));
        colours.setColor(group, QPalette::Button, QColor(60, 60, 60));
        colours.setColor(group, QPalette::ButtonText, text);
    }
    QApplication::setPalette(colours, "QMessageBox");
}
