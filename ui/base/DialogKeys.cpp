#include "base/DialogKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace {

// Presses the button it watches on Enter or Return without modifiers.
class EnterPresses : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || key->modifiers() != Qt::NoModifier) {
            return false;
        }
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

}  // namespace

void PressFocusedButtonsOnEnter(QWidget& dialog) {
    auto* filter = new EnterPresses(&dialog);
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        button->installEventFilter(filter);
    }
}

void InstallSendShortcut(QWidget& dialog, QPushButton& send) {
    const QKeySequence keys(Qt::CTRL | Qt::Key_Return);
    for (const QKeySequence& sequence : {keys, QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(sequence, &dialog);
        QObject::connect(shortcut, &QShortcut::activated, &send, &QPushButton::click);
    }
    // Named in the shortcuts' translation context, beside the tooltips of the main window's keys.
    send.setToolTip(QCoreApplication::translate("Shortcuts", "書き込む (%1)")
                        .arg(keys.toString(QKeySequence::NativeText)));
}
