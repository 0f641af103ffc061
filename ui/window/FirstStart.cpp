#include "window/FirstStart.h"

#include <QTimer>

#include "base/Guard.h"
#include "window/DialogMain.h"
#include "window/DialogSetting.h"

void OpenSettingsOnFirstStart(CDialogMain& window) {
    QTimer::singleShot(0, &window, [&window] {
        RunGuarded(&window, [&window] {
            CDialogSetting dialog(&window, window.Context().service.hosts.main);
            dialog.exec();
        });
    });
}
