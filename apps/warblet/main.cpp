// The desktop program: chooses its data folder, registers the archivable classes, loads the
// settings and runs the main window until it is closed.
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>

#include "base/Guard.h"
#include "base/Translation.h"
#include "base/UiContext.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "demo.h"
#include "options.h"
#include "platform/file.h"
#include "settings/datafolder.h"
#include "settings/settinginfo.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/logstore/logstore.h"
#include "window/DialogMain.h"
#include "window/FirstStart.h"

namespace {

// How long closing the window waits for fetches still on their way; after that the program ends
// without them, since a fetch only ever writes into its page.
constexpr int kShutdownWaitMs = 2000;

// Prints the usage or the version when asked for; nothing here needs a display.
std::optional<int> AnswerWithoutWindow(int argc, char* argv[], SOptions& options) {
    try {
        options = ParseOptions(argc, argv);
    } catch (const Exception& failure) {
        std::cerr << "warblet: " << failure.what() << '\n' << kUsage;
        return 2;
    }
    if (options.mHelp) {
        std::cout << kUsage;
        return 0;
    }
    if (options.mVersion) {
        std::cout << "warblet " WARBLET_VERSION "\n";
        return 0;
    }
    return std::nullopt;
}

// Steps before the main window; the result tells whether this is a first start, with no settings
// file yet. Their failures are not the main window's: no box, status 1.
std::optional<bool> EnterFolderAndLoadSettings(const SOptions& options) {
    try {
        const settings::SDataFolderPlace place = settings::CurrentPlace(options.mDataDir);
        settings::EnterDataFolder(options.mDemo ? settings::ChooseDemoFolder(place)
                                                : settings::ChooseDataFolder(place));
        const bool firstStart = !platform::PathExists(DialogSetting::kSettingFile);
        twitter_api::RegisterArchivableClasses();
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        twitter_api::CreateSettingDirectory();
        DialogSetting::LoadSettingInfo();
        if (options.mDemo) {
            PrepareDemoAccount();
        }
        return firstStart;
    } catch (...) {
        StandardOutputSink().WriteLine("Error: " + CurrentErrorText());
        return std::nullopt;
    }
}

// The real clock, keyboard and hosts; a service file that cannot be read ends the program as a
// damaged settings file does.
std::unique_ptr<SystemUiContext> MakeSystemContext() {
    try {
        return std::make_unique<SystemUiContext>();
    } catch (...) {
        StandardOutputSink().WriteLine("Error: " + CurrentErrorText());
        return nullptr;
    }
}

int RunMainWindow(QApplication& app, const UiContext& context, bool firstStart) {
    try {
        CDialogMain window(context);
        window.show();
        if (firstStart) {
            OpenSettingsOnFirstStart(window);
        }
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

// Every host role goes to the demo's stand-in.
int RunDemo(QApplication& app, UiContext context) {
    try {
        const CDemoService service;
        context.service.hosts = {service.Host(), service.Host(), service.Host()};
        return RunMainWindow(app, context, false);
    } catch (const Exception& failure) {
        StandardOutputSink().WriteLine("Error: " + std::string(failure.what()));
        return 1;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    SOptions options;
    if (const std::optional<int> status = AnswerWithoutWindow(argc, argv, options)) {
        return *status;
    }
    int qtArgc = static_cast<int>(options.mQtArguments.size()) - 1;
    QApplication app(qtArgc, options.mQtArguments.data());
    InstallTranslation(app, InterfaceLanguage());
    const std::optional<bool> firstStart = EnterFolderAndLoadSettings(options);
    if (!firstStart) {
        return 1;
    }
    const std::unique_ptr<SystemUiContext> system = MakeSystemContext();
    if (!system) {
        return 1;
    }
    if (options.mDemo) {
        return RunDemo(app, system->context);
    }
    return RunMainWindow(app, system->context, *firstStart);
}
