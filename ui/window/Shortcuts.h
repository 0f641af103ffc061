#pragma once

#include <functional>

class CDialogMain;
class CTabMain;

// The keyboard's ways to the main window's actions and the tooltips that name them. The page
// actions work on the page shown: F5 reloads, Ctrl+N opens a new post, Ctrl+R replies to the entry
// at the caret, Ctrl+D toggles its favourite, Ctrl+Shift+R repeats it, Ctrl+T shows the
// conversation it answers, Ctrl+Delete deletes it (the user's own only), Ctrl+M marks the page
// read (Ctrl+Shift+M only up to the caret), Ctrl+, opens the settings; Alt+1 to Alt+5 show the
// pages; Ctrl+Q runs quit. Ctrl+F opens the history search, and while its results are shown Ctrl+R
// and Ctrl+D act on the hit at their caret, and the other entry actions do nothing.
void InstallMainShortcuts(CDialogMain& window, std::function<void()> quit);

// Tooltips naming each picture button's action and shortcut; the page's text box passes Tab on so
// that the tool bar is reached from it.
void DescribePageButtons(CTabMain& page);
