#include "report/Report.h"

#include "report/PreparedReport.h"
#include "report/ReportError.h"
#include "report/ReportTemplate.h"
#include "report/ReportText.h"

Report::Report() = default;
Report::~Report() = default;

void Report::LoadFromFile(const QString& path) {
    m_pages = ReadReportTemplate(path);
    m_fileName = path;
}

ReportPage* Report::Page(int index) const {
    if (index < 0 || index >= PageCount())
        throw ReportError(
            QStringLiteral("报表中没有第 %1 页（请先载入报表模板）。").arg(index + 1));
    return m_pages[std::size_t(index)].get();
}

ReportObject* Report::FindObject(const QString& name) const {
    for (const auto& page : m_pages) {
        if (ReportObject* object = page->FindObject(name))
            return object;
    }
    return nullptr;
}

ReportText* Report::FindText(const QString& name) const {
    ReportObject* object = FindObject(name);
    if (object && object->AsText())
        return object->AsText();
    throw ReportError(
        QStringLiteral("报表模板 %1 中没有名为 %2 的文本对象。")
            .arg(m_fileName.isEmpty() ? QStringLiteral("（未载入）") : m_fileName, name));
}

std::shared_ptr<const PreparedReport> Report::PrepareReport() const {
    return std::make_shared<const PreparedReport>(*this);
}
