#include "report/ReportPage.h"

ReportObject* ReportPage::FindObject(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (const auto& object : m_objects) {
        if (object->Name == name)
            return object.get();
    }
    return nullptr;
}
