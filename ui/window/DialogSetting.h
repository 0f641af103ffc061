#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QGroupBox;
class PreferencesPart;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ServerPart;

// The modal window for the server, the account name, the password and the two display choices. A
// line at the top says what is needed; the server's row and the layout's controls stand below it.
// It shows gSetting; OK (also Enter in a field) writes the new values into it (once a newly named
// server has been found), resets every timeline tab when the account name or the server has
// changed, saves the settings file and closes. Cancel, the frame or Esc discard the edits, after
// asking when something was changed.
class CDialogSetting : public QDialog {
    Q_OBJECT

  public:
    // Throws the decoder's Exception when gSetting's credential cannot be decoded.
    explicit CDialogSetting(QWidget* parent = nullptr);

    // True when a value differs from what the window opened with.
    bool Changed() const;

    void reject() override;

  private:
    struct SValues {
        QString id;
        QString password;
        bool nickName;
        bool autoReloadNone;
        bool operator==(const SValues&) const = default;
    };

    void InitializeComponent();
    void LoadFromSetting();
    void OnOkClicked();
    SValues Values() const;

    QLabel* lblIntro = nullptr;
    QLabel* lblId = nullptr;
    QLineEdit* txtId = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QGroupBox* grpUserNameSelectRadio = nullptr;
    QRadioButton* radioNickName = nullptr;
    QRadioButton* radioScreenName = nullptr;
    QGroupBox* grpAutoReload = nullptr;
    QRadioButton* radioAutoReloadNone = nullptr;
    QRadioButton* radioAutoReload3Minutes = nullptr;
    SValues mOpenedWith;
    PreferencesPart* mPreferences = nullptr;
    ServerPart* mServer = nullptr;
};
