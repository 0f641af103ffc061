#include "window/TabCaptions.h"

#include <QTabWidget>

#include "page/TabMain.h"
#include "window/DialogMain.h"

QString CaptionWithUnread(const QString& caption, int32_t unread, bool failed) {
    QString text = unread > 0 ? QStringLiteral("%1 (%2)").arg(caption).arg(unread) : caption;
    if (failed) {
        text += QStringLiteral(" \u26A0");
    }
    return text;
}

void ShowUnreadInCaptions(CDialogMain& window) {
    for (CTabMain* page : window.mTabPages) {
        const auto update = [&window, page] {
            const int index = window.tabMain->indexOf(page);
            window.tabMain->setTabText(index,
                                       CaptionWithUnread(page->windowTitle(), page->UnreadCount(),
                                                         page->LastFetchFailed()));
        };
        QObject::connect(page, &CTabMain::UnreadCountChanged, &window, update);
        QObject::connect(page, &CTabMain::FetchFailedChanged, &window, update);
    }
}
