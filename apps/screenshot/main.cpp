// Saves a picture of the main window after it has run for a while in the current folder, for the
// README. Usage: warblet-screenshot OUTPUT.png [MILLISECONDS]
#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>

#include "base/UiContext.h"
#include "settings/settinginfo.h"
#include "twitter_api/archivableclasses.h"
#include "window/DialogMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: warblet-screenshot OUTPUT.png [MILLISECONDS]\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const int waitMs = argc > 2 ? std::atoi(argv[2]) : 8000;

    twitter_api::RegisterArchivableClasses();
    DialogSetting::LoadSettingInfo();
    const SystemUiContext system;
    CDialogMain window(system.context);
    window.show();
    bool saved = false;
    QTimer::singleShot(waitMs, [&] {
        saved = window.grab().save(output);
        app.quit();
    });
    app.exec();
    window.WaitForFetches(QDeadlineTimer(2000));
    if (!saved) {
        std::cerr << "cannot save " << output.toStdString() << '\n';
        return 1;
    }
    return 0;
}
