#include "base/Keyboard.h"

#include <QGuiApplication>

bool SystemKeyboard::ControlHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}
