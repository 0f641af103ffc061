#include "desktop/OpenLink.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "desktop/OpenUrl.h"

void OpenLinkOrTell(QWidget* parent, const QString& link) {
    if (OpenUrl(link.toStdString())) {
        return;
    }
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Warblet"),
        QCoreApplication::translate("OpenLink", "ブラウザを起動できませんでした。\n%1").arg(link),
        QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("msgOpenUrl"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
