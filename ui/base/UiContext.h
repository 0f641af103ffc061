#pragma once

#include <memory>
#include <string>

#include "base/Clock.h"
#include "base/IconShelf.h"
#include "base/Keyboard.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/logstore/logwriter.h"
#include "twitter_api/logstore/sidefiles.h"

// What the windows need from outside besides gSetting: where the service is, the current time and
// the keyboard. The program passes the real ones; tests pass their own.
struct UiContext {
    twitter_api::Service service;
    Clock* clock = nullptr;
    Keyboard* keyboard = nullptr;
    // The text of a new status that was closed unsent, shared by every copy of the context so
    // that any page's new post offers it again.
    std::shared_ptr<std::string> postDraft = std::make_shared<std::string>();
    // The same for a direct message to a name not yet chosen, kept apart so that a private text
    // never comes back as a public status.
    std::shared_ptr<std::string> messageDraft = std::make_shared<std::string>();
    // What the day logs have no field for (deleted statuses, what replies answer), shared by every
    // page so that they all read and add to the same notes.
    std::shared_ptr<twitter_api::StatusNotesShelf> statusNotes =
        std::make_shared<twitter_api::StatusNotesShelf>();
    // Times are shown in Japan time, as they are stored, instead of the machine's zone; shared as
    // the draft is, so that the window's preference reaches every page.
    std::shared_ptr<bool> japanTime = std::make_shared<bool>(false);
    // The pictures of the icon files, read once for every page.
    std::shared_ptr<IconShelf> icons = std::make_shared<IconShelf>();
    // Puts the day logs on the disk off the interface thread; without one, saves write at once.
    std::shared_ptr<twitter_api::LogWriter> logWriter;
};

// The real clock, keyboard and service hosts (the data folder's service file under the
// environment's), with diagnostics on standard output: what the programs run with.
struct SystemUiContext {
    SystemUiContext();
    SystemUiContext(const SystemUiContext&) = delete;
    SystemUiContext& operator=(const SystemUiContext&) = delete;

    SystemClock clock;
    SystemKeyboard keyboard;
    UiContext context;
};
