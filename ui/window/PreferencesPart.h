#pragma once

#include <QGroupBox>

class QCheckBox;
class QDialog;

// The settings dialog's "Preferences" group: notifications, the tray icon, closing to the tray and
// showing times in Japan time.
// It stands to the right of the dialog's own controls, which keep their places; the dialog widens
// by its width. It shows the preferences file and writes it when the dialog's OK is pressed.
class PreferencesPart : public QGroupBox {
    Q_OBJECT

  public:
    // top: where the dialog's own controls begin.
    PreferencesPart(QDialog& dialog, int top);

    // Writes the choices into the preferences file and has the main window follow them.
    void Save();
    // Whether a choice differs from what the file held when the dialog opened.
    bool Changed() const;

    QCheckBox* chkNotify = nullptr;
    QCheckBox* chkShowTray = nullptr;
    QCheckBox* chkCloseToTray = nullptr;
    QCheckBox* chkJapanTime = nullptr;

  private:
    struct SChoices {
        bool notify;
        bool showTray;
        bool closeToTray;
        bool japanTime;
        bool operator==(const SChoices&) const = default;
    };
    SChoices Choices() const;

    SChoices mOpenedWith{};
};
