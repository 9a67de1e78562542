#pragma once

#include <QString>

class TShareDM;

// The three lines of company information that every printed report carries as its letterhead,
// kept as named settings in the Remarks table.
struct Letterhead {
    QString companyName;      // setting "公司名称"
    QString companyAddress;   // setting "公司地址"
    QString otherInformation; // setting "公司其它信息": telephone and the like
};

extern const QString CompanyNameSetting;
extern const QString CompanyAddressSetting;
extern const QString OtherInformationSetting;

// A line without a setting reads as empty text; nothing is created.
Letterhead ReadLetterhead(TShareDM& dataModule);
// Writes the three lines all or nothing: when one of them cannot be written, none is changed.
void WriteLetterhead(TShareDM& dataModule, const Letterhead& letterhead);
