#include "output/PrintList.h"

#include "lists/ListDefinition.h"
#include "lists/ListTable.h"
#include "output/ListReport.h"
#include "output/ListReportDataSet.h"
#include "output/PrintGrid.h"
#include "report/PreparedReport.h"
#include "report/Report.h"

#include <QWidget>
#include <memory>

void PrintList(const ListDefinition& list, const Query& rows, bool StaticFooters,
               const QString& programDir, const Letterhead& letterhead, QWidget* parent) {
    const auto table = std::make_shared<const ListTable>(&rows, list.columns);
    // The preview reads the pages' texts from the data source while it is shown.
    const auto dataSet = std::make_shared<ListReportDataSet>(list.dataSet, table);
    const auto report = std::make_shared<Report>();
    report->setDataSet(dataSet.get());
    BuildListReport(*table, *report, list.title, StaticFooters, NarrowTemplateName,
                    WideTemplateName, programDir, letterhead);
    QWidget* preview = ShowReportPreview(report->PrepareReport(), parent);
    QObject::connect(preview, &QObject::destroyed, [report, dataSet] {});
}
