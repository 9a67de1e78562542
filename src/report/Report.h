#pragma once

#include "report/ReportPage.h"

#include <QString>
#include <memory>
#include <vector>

class PreparedReport;
class ReportDataSource;
class ReportText;

// A report: design pages of bands and text objects, loaded from a template and completed by
// the program, and the data source its master data bands print. Preparing it lays it out on
// pages for the preview, the printer and PDF files.
class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Loads a template, replacing the pages and every object they held. Throws ReportError
    // naming the file when it is missing, unreadable or no template; the report then keeps what
    // it held.
    void LoadFromFile(const QString& path);
    QString FileName() const { return m_fileName; } // the template loaded last

    int PageCount() const { return int(m_pages.size()); }
    ReportPage* Page(int index) const; // throws ReportError when there is no such page

    // An object by name on any page; null when there is none.
    ReportObject* FindObject(const QString& name) const;
    // A text object by name; throws ReportError naming the template and the object when the
    // report has no text object of that name.
    ReportText* FindText(const QString& name) const;

    // The data source of the report's master data, by which bands name it.
    void setDataSet(ReportDataSource* source) { m_dataSet = source; }
    ReportDataSource* DataSet() const { return m_dataSet; }

    // The report's title, shown by the preview and stored in PDF files.
    QString Title;

    // Lays the report out on pages. Throws ReportError.
    std::shared_ptr<const PreparedReport> PrepareReport() const;

private:
    std::vector<std::unique_ptr<ReportPage>> m_pages;
    QString m_fileName;
    ReportDataSource* m_dataSet = nullptr;
};
