#include "base/MessageBoxes.h"

#include <memory>

namespace {

// The settings dialog's colours, with buttons a step lighter than the background.
QPalette DarkColours(const QPalette& base) {
    QPalette colours = base;
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
    return colours;
}

}  // namespace

QMessageBox* MakeMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                            QMessageBox::StandardButtons buttons, QWidget* parent) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setPalette(DarkColours(box->palette()));
    return box;
}

QMessageBox::StandardButton AskInBox(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton preferred) {
    const std::unique_ptr<QMessageBox> box(
        MakeMessageBox(QMessageBox::Question, title, text, buttons, parent));
    box->setDefaultButton(preferred);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}
