#pragma once

#include <QKeySequence>

class QPushButton;
class QWidget;

// The keys the dialogs share.

// Opens the settings dialog from the main window; the pages name it where they ask for an account.
inline const QKeySequence kSettingsKeys(Qt::CTRL | Qt::Key_Comma);

// Enter or Return on a focused push button of the dialog presses it, though the dialog keeps no
// default button.
void PressFocusedButtonsOnEnter(QWidget& dialog);

// Ctrl+Enter in the post dialog presses its send button, wherever the focus is.
void InstallSendShortcut(QWidget& dialog, QPushButton& send);
