#pragma once

#include <QString>
#include <cstdint>

class CDialogMain;

// A tab's caption with its page's unread count, when there is any: "Mentions (2)".
QString CaptionWithUnread(const QString& caption, int32_t unread);

// Keeps every tab's caption showing its page's unread count, so that the pages not shown can be
// watched at a glance.
void ShowUnreadInCaptions(CDialogMain& window);
