#pragma once

class QLineEdit;
class TShareDM;

// The "打印表头信息设置" group of the administration page: the three letterhead lines of the
// printed reports.
class LetterheadSettings {
public:
    LetterheadSettings(TShareDM& dataModule, QLineEdit* companyName, QLineEdit* companyAddress,
                       QLineEdit* otherInformation);

    // Shows the stored lines; a line never saved shows as an empty box.
    void Initialize();
    // Stores the three lines as typed, all or nothing, and then tells the user.
    void SaveLetterhead();

private:
    TShareDM& m_dataModule;
    QLineEdit* m_companyName;
    QLineEdit* m_companyAddress;
    QLineEdit* m_otherInformation;
};
