#pragma once

#include <QString>
#include <cstdint>

class CDialogMain;

// A tab's caption with its page's unread count, when there is any, and a mark when its last fetch
// failed: "Mentions (2)", "Lists (3) ⚠".
QString CaptionWithUnread(const QString& caption, int32_t unread, bool failed = false);

// Keeps every tab's caption showing its page's unread count and whether its last fetch failed,
// so that the pages not shown can be watched at a glance.
void ShowUnreadInCaptions(CDialogMain& window);
