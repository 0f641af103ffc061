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

// The modal window for the account name, the password and the two display choices. A line at
// the top says what is needed; the layout's controls stand below it, with room above them for
// more rows. It shows gSetting; OK (also Enter in a field) writes the new values into it, resets
// every timeline tab when the account name has changed, saves the settings file and closes.
// Cancel, the frame or Esc discard the edits, after asking when something was changed.
class CDialogSetting : public QDialog {
    Q_OBJECT

  public:
    // server: the host the account is on, named in the line at the top when given. Throws the
    // decoder's Exception when gSetting's credential cannot be decoded.
    explicit CDialogSetting(QWidget* parent = nullptr, const std::string& server = {});

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

    void InitializeComponent(const std::string& server);
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
};
