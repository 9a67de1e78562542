#include "admin/LetterheadSettings.h"

#include "data/Letterhead.h"
#include "widgets/MessageBoxes.h"

#include <QLineEdit>

LetterheadSettings::LetterheadSettings(TShareDM& dataModule, QLineEdit* companyName,
                                       QLineEdit* companyAddress, QLineEdit* otherInformation)
    : m_dataModule(dataModule), m_companyName(companyName), m_companyAddress(companyAddress),
      m_otherInformation(otherInformation) {}

void LetterheadSettings::Initialize() {
    const Letterhead letterhead = ReadLetterhead(m_dataModule);
    m_companyName->setText(letterhead.companyName);
    m_companyAddress->setText(letterhead.companyAddress);
    m_otherInformation->setText(letterhead.otherInformation);
}

void LetterheadSettings::SaveLetterhead() {
    WriteLetterhead(m_dataModule,
                    {m_companyName->text(), m_companyAddress->text(), m_otherInformation->text()});
    ShowInformation(QStringLiteral("打印信息设置成功"));
}
