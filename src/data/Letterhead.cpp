#include "data/Letterhead.h"

#include "data/ShareDMUnit.h"
#include "data/Transaction.h"

const QString CompanyNameSetting = QStringLiteral("公司名称");
const QString CompanyAddressSetting = QStringLiteral("公司地址");
const QString OtherInformationSetting = QStringLiteral("公司其它信息");

Letterhead ReadLetterhead(TShareDM& dataModule) {
    return {dataModule.ReadRemark(CompanyNameSetting), dataModule.ReadRemark(CompanyAddressSetting),
            dataModule.ReadRemark(OtherInformationSetting)};
}

void WriteLetterhead(TShareDM& dataModule, const Letterhead& letterhead) {
    Transaction transaction(dataModule.ADOConnection1);
    dataModule.WriteRemark(CompanyNameSetting, letterhead.companyName);
    dataModule.WriteRemark(CompanyAddressSetting, letterhead.companyAddress);
    dataModule.WriteRemark(OtherInformationSetting, letterhead.otherInformation);
    transaction.Commit();
}
