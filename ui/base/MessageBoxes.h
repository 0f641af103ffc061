#pragma once

#include <QMessageBox>

// Message boxes in the dark colours of the program's windows. A box is a window of its own and
// takes the desktop's colours, not those of the window it stands over, unless it is given these.
QMessageBox* MakeMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                            QMessageBox::StandardButtons buttons, QWidget* parent);

// Asks with a modal box and returns the button pressed.
QMessageBox::StandardButton AskInBox(QWidget* parent, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton preferred);
