// The desktop program: registers the archivable classes, loads the settings and runs the main
// window until it is closed.
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <memory>

#include "DialogMain.h"
#include "Guard.h"
#include "Translation.h"
#include "UiContext.h"
#include "common/diagnostics.h"
#include "settings/settinginfo.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/logstore/logstore.h"

namespace {

// How long closing the window waits for fetches still on their way; after that the program ends
// without them, since a fetch only ever writes into its page.
constexpr int kShutdownWaitMs = 2000;

// Steps before the main window. Their failures are not the main window's: no box, status 1.
bool LoadSettings() {
    try {
        twitter_api::RegisterArchivableClasses();
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        twitter_api::CreateSettingDirectory();
        DialogSetting::LoadSettingInfo();
        return true;
    } catch (...) {
        StandardOutputSink().WriteLine("Error: " + CurrentErrorText());
        return false;
    }
}

int RunMainWindow(QApplication& app, const UiContext& context) {
    try {
        CDialogMain window(context);
        window.show();
        app.exec();
        if (!window.WaitForFetches(QDeadlineTimer(kShutdownWaitMs))) {
            std::_Exit(0);
        }
        return 0;
    } catch (...) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Fatal Error"),
                        QString::fromStdString(CurrentErrorText()), QMessageBox::Ok);
        box.exec();
        return 1;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallTranslation(app, InterfaceLanguage());
    if (!LoadSettings()) {
        return 1;
    }
    const SystemUiContext system;
    return RunMainWindow(app, system.context);
}
