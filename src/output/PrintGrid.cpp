#include "output/PrintGrid.h"

#include "data/Query.h"
#include "lists/ListTable.h"
#include "output/ListReportDataSet.h"
#include "preview/ReportPreview.h"
#include "report/PreparedReport.h"
#include "report/Report.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

void PrintGrid(DataGrid* grid, Report& report, ListReportDataSet& dataSet, const QString& title,
               bool StaticFooters, const QString& narrowTemplate, const QString& wideTemplate,
               const QString& programDir, const Letterhead& letterhead) {
    // The grid's footer sums are the list's: they are not added up again.
    std::vector<std::optional<double>> sums;
    for (int i = 0; i < grid->columnCount(); ++i)
        sums.push_back(grid->footerValue(i));
    auto table = std::make_shared<const ListTable>(grid->dataSet(), grid->columns(), sums);
    dataSet.setTable(table);
    report.setDataSet(&dataSet);
    BuildListReport(*table, report, title, StaticFooters, narrowTemplate, wideTemplate, programDir,
                    letterhead);
    ShowReportPreview(report.PrepareReport(), grid->window());
}

QWidget* ShowReportPreview(std::shared_ptr<const PreparedReport> report, QWidget* parent) {
    auto* preview = new ReportPreview(std::move(report), RunGuarded, parent);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowModality(Qt::ApplicationModal);
    preview->show();
    return preview;
}
