#pragma once

class CDialogMain;

// A first start, with no settings file yet, has no account to fetch for: the settings dialog
// opens over the main window once the event loop runs, and the pages fetch when an account is
// saved (the dialog's OK resets them).
void OpenSettingsOnFirstStart(CDialogMain& window);
