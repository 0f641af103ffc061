#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class PreferencesPart;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modal window for the account name, the password and the two display choices. It shows
// gSetting; OK writes the new values into it, resets every timeline tab when the account name has
// changed, saves the settings file and closes. Closing by the frame or Esc discards the edits,
// after asking when something was changed.
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

    QLabel* lblId = nullptr;
    QLineEdit* txtId = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* btnOk = nullptr;
    QGroupBox* grpUserNameSelectRadio = nullptr;
    QRadioButton* radioNickName = nullptr;
    QRadioButton* radioScreenName = nullptr;
    QGroupBox* grpAutoReload = nullptr;
    QRadioButton* radioAutoReloadNone = nullptr;
    QRadioButton* radioAutoReload3Minutes = nullptr;
    SValues mOpenedWith;
    PreferencesPart* mPreferences = nullptr;
};
