#include "window/TabCaptions.h"

#include <QTabWidget>

#include "page/TabMain.h"
#include "window/DialogMain.h"

QString CaptionWithUnread(const QString& caption, int32_t unread) {
    return unread > 0 ? QStringLiteral("%1 (%2)").arg(caption).arg(unread) : caption;
}

void ShowUnreadInCaptions(CDialogMain& window) {
    for (CTabMain* page : window.mTabPages) {
        QObject::connect(
            page, &CTabMain::UnreadCountChanged, &window, [&window, page](int32_t unread) {
                const int index = window.tabMain->indexOf(page);
                window.tabMain->setTabText(index, CaptionWithUnread(page->windowTitle(), unread));
            });
    }
}
