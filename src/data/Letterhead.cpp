#include "Letterhead.h"

#include "DataError.h"
#include "ShareDMUnit.h"
#include "Transaction.h"

const QString CompanyNameSetting = QStringLiteral("公司名称");
const QString CompanyAddressSetting = QStringLiteral("公司地址");
const QString OtherInformationSetting = QStringLiteral("公司其它信息");

Letterhead ReadLetterhead() {
    return {ReadRemark(CompanyNameSetting), ReadRemark(CompanyAddressSetting),
            ReadRemark(OtherInformationSetting)};
}

void WriteLetterhead(const Letterhead& letterhead) {
    if (!ShareDM)
        throw DataError(QStringLiteral("数据模块尚未建立。"));
    Transaction transaction(ShareDM->ADOConnection1);
    WriteRemark(CompanyNameSetting, letterhead.companyName);
    WriteRemark(CompanyAddressSetting, letterhead.companyAddress);
    WriteRemark(OtherInformationSetting, letterhead.otherInformation);
    transaction.Commit();
}
