#pragma once

#include <QDialog>

class QGroupBox;
class PreferencesPart;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modal window for the account name, the password and the two display choices. It shows
// gSetting; OK writes the new values into it, resets every timeline tab when the account name has
// changed, saves the settings file and closes. Closing by the frame discards the edits.
class CDialogSetting : public QDialog {
    Q_OBJECT

  public:
    // Throws the decoder's Exception when gSetting's credential cannot be decoded.
    explicit CDialogSetting(QWidget* parent = nullptr);

  private:
    void InitializeComponent();
    void LoadFromSetting();
    void OnOkClicked();

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
    PreferencesPart* mPreferences = nullptr;
};
