#include "FirstStart.h"

#include <QTimer>

#include "DialogMain.h"
#include "DialogSetting.h"
#include "Guard.h"

void OpenSettingsOnFirstStart(CDialogMain& window) {
    QTimer::singleShot(0, &window, [&window] {
        RunGuarded(&window, [&window] {
            CDialogSetting dialog(&window);
            dialog.exec();
        });
    });
}
