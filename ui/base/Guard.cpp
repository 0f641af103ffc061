#include "base/Guard.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <exception>
#include <utility>

#include "common/diagnostics.h"

namespace {

ErrorChoice ShowErrorWindow(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                    QString::fromStdString(ErrorWindowText(text)), QMessageBox::NoButton, parent);
    QPushButton* continueButton =
        box.addButton(QStringLiteral("&Continue"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("&Quit"), QMessageBox::RejectRole);
    box.setDefaultButton(continueButton);
    box.setEscapeButton(continueButton);
    box.exec();
    return box.clickedButton() == continueButton ? ErrorChoice::Continue : ErrorChoice::Quit;
}

// The window in force and whether it is on screen. Both belong to the interface thread, the only
// thread that runs handlers.
ErrorWindow& CurrentErrorWindow() {
    static ErrorWindow window = ShowErrorWindow;
    return window;
}

bool& ErrorWindowShown() {
    static bool shown = false;
    return shown;
}

[[noreturn]] void EndProcess(const std::string& text, bool abnormally) {
    StandardOutputSink().WriteLine("Error: " + text);
    if (abnormally) {
        std::abort();
    }
    // Fetch threads may still be running, so end at once rather than tearing down objects they
    // use. The day logs were handed to the log writer before this window opened, and it has had
    // the time the window was on screen to put them on the disk.
    std::_Exit(1);
}

void Report(QWidget* parent, const std::string& text) {
    bool& shown = ErrorWindowShown();
    if (shown) {
        EndProcess(text, true);
    }
    shown = true;
    ErrorChoice choice = ErrorChoice::Quit;
    try {
        choice = CurrentErrorWindow()(parent, text);
    } catch (...) {
        EndProcess(CurrentErrorText(), true);
    }
    shown = false;
    if (choice == ErrorChoice::Quit) {
        EndProcess(text, false);
    }
}

}  // namespace

std::string ErrorWindowText(const std::string& errorText) {
    return "An application exception has occured. Click Continue to allow the application to "
           "ignore this error and attempt to continue.\n\n" +
           errorText;
}

ErrorWindow ReplaceErrorWindow(ErrorWindow window) {
    ErrorWindow previous = std::move(CurrentErrorWindow());
    CurrentErrorWindow() = window ? std::move(window) : ErrorWindow(ShowErrorWindow);
    return previous;
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        Report(parent, CurrentErrorText());
    }
}

std::string CurrentErrorText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown error";
    }
}
