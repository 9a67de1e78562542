#pragma once

class QComboBox;
class QLineEdit;
class TShareDM;

// The "用户管理" group of the administration page: choose any user account and set its password.
// Passwords are stored and shown exactly as typed, in plain text; an empty password is valid.
class PasswordSettings {
public:
    PasswordSettings(TShareDM& dataModule, QComboBox* users, QLineEdit* password);

    // Lists the distinct user names, the first one chosen, and shows its password.
    void Initialize();
    // Shows the stored password of the chosen user (empty when the account is gone).
    void ShowPassword();
    // Stores the typed password for every account of the chosen name; tells the user when at
    // least one account changed.
    void SavePassword();

private:
    TShareDM& m_dataModule;
    QComboBox* m_users;
    QLineEdit* m_password;
};
