#pragma once

class QPushButton;
class QWidget;

// The keys the dialogs share.

// Enter or Return on a focused push button of the dialog presses it, though the dialog keeps no
// default button.
void PressFocusedButtonsOnEnter(QWidget& dialog);

// Ctrl+Enter in the post dialog presses its send button, wherever the focus is.
void InstallSendShortcut(QWidget& dialog, QPushButton& send);
