#pragma once

#include <functional>
#include <string>

class QWidget;

// The boundary between Qt's event dispatch and our handlers: a C++ exception must never unwind
// through Qt's frames, so every handler body runs through RunGuarded. An escaping error is shown
// in the error window; Continue returns to the event loop, Quit writes "Error: <text>" to standard
// output and ends the process with status 1. An error raised while that window is shown writes the
// same line and aborts.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

enum class ErrorChoice { Continue, Quit };

// Shows the error window for the error's text and returns the user's choice.
using ErrorWindow = std::function<ErrorChoice(QWidget* parent, const std::string& text)>;

// Replaces the error window (tests answer without a modal loop) and returns the one in force
// before; an empty function restores the real window.
ErrorWindow ReplaceErrorWindow(ErrorWindow window);

// The error window's text: the fixed explanation followed by the error's own text.
std::string ErrorWindowText(const std::string& errorText);

// The text of the error being handled; call it only inside a catch block.
std::string CurrentErrorText();
