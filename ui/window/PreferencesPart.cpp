#include "window/PreferencesPart.h"

#include <QCheckBox>
#include <QDialog>

#include "desktop/Preferences.h"
#include "window/Comforts.h"
#include "window/DialogMain.h"

namespace {

// Beside the dialog's group boxes, which end at x 280, with their margin of 8 on either side.
constexpr int kLeft = 288;
constexpr int kWidth = 200;
constexpr int kMargin = 8;

QCheckBox* MakeCheckBox(QGroupBox* group, const char* name, const QString& text, int row) {
    auto* box = new QCheckBox(text, group);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(12, 24 + row * 24, kWidth - 20, 16);
    return box;
}

}  // namespace

PreferencesPart::PreferencesPart(QDialog& dialog, int top) : QGroupBox(tr("環境設定"), &dialog) {
    setObjectName(QStringLiteral("grpPreferences"));
    setGeometry(kLeft, top + 8, kWidth, 224);
    dialog.setFixedSize(kLeft + kWidth + kMargin, dialog.height());

    chkNotify = MakeCheckBox(this, "chkNotify", tr("新着を通知する"), 0);
    chkShowTray = MakeCheckBox(this, "chkShowTray", tr("トレイに表示する"), 1);
    chkCloseToTray = MakeCheckBox(this, "chkCloseToTray", tr("閉じてもトレイに残る"), 2);
    chkJapanTime = MakeCheckBox(this, "chkJapanTime", tr("時刻を日本時間で表示する"), 3);
    // Closing to the tray needs the tray icon.
    connect(chkShowTray, &QCheckBox::toggled, chkCloseToTray, &QCheckBox::setEnabled);

    const Preferences stored = LoadPreferences();
    chkNotify->setChecked(stored.notify);
    chkShowTray->setChecked(stored.showTray);
    chkCloseToTray->setChecked(stored.closeToTray);
    chkCloseToTray->setEnabled(stored.showTray);
    chkJapanTime->setChecked(stored.japanTime);
    mOpenedWith = Choices();
}

PreferencesPart::SChoices PreferencesPart::Choices() const {
    return {chkNotify->isChecked(), chkShowTray->isChecked(), chkCloseToTray->isChecked(),
            chkJapanTime->isChecked()};
}

bool PreferencesPart::Changed() const {
    return !(Choices() == mOpenedWith);
}

void PreferencesPart::Save() {
    Preferences stored = LoadPreferences();
    stored.notify = chkNotify->isChecked();
    stored.showTray = chkShowTray->isChecked();
    stored.closeToTray = chkCloseToTray->isChecked();
    stored.japanTime = chkJapanTime->isChecked();
    SavePreferences(stored);
    if (gDialogMain != nullptr && gDialogMain->mComforts != nullptr) {
        gDialogMain->mComforts->ApplyPreferences();
    }
}
