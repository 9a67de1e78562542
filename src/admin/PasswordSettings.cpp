#include "admin/PasswordSettings.h"

#include "data/ShareDMUnit.h"
#include "widgets/ControlOps.h"
#include "widgets/MessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>

PasswordSettings::PasswordSettings(TShareDM& dataModule, QComboBox* users, QLineEdit* password)
    : m_dataModule(dataModule), m_users(users), m_password(password) {}

void PasswordSettings::Initialize() {
    FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, m_users, QStringLiteral("Power"),
                      QStringLiteral("PowerName"), QString(), true, QString());
    ShowPassword();
}

void PasswordSettings::ShowPassword() {
    Query& query = m_dataModule.ADOQueryTemp1;
    OpenSQL(query, UserStatement(m_users->currentText()));
    m_password->setText(query.AsString(QStringLiteral("PowerKey")));
}

void PasswordSettings::SavePassword() {
    const int changed =
        ExecSQL(m_dataModule.ADOQueryTemp1,
                QStringLiteral("update Power set PowerKey=") + QuotedSql(m_password->text()) +
                    QStringLiteral(" where PowerName=") + QuotedSql(m_users->currentText()));
    if (changed > 0)
        ShowInformation(QStringLiteral("该用户密码设置成功"));
}
