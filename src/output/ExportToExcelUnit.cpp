#include "output/ExportToExcelUnit.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "output/ExportProgress.h"
#include "widgets/DataGrid.h"
#include "widgets/FileChoosers.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

const QString ExportFolderSetting = QStringLiteral("导出文件夹");

namespace {

// Where the user wants the workbook: the list's name in the folder of the last export. Empty
// when the user chose nothing.
QString chooseWorkbookFile(TShareDM& dataModule, const QString& listName) {
    const QString folder = dataModule.RememberedFolder(ExportFolderSetting);
    const QString name = listName.isEmpty() ? QStringLiteral("导出") : listName;
    const QString file =
        ChooseSaveFile(QApplication::activeWindow(), QStringLiteral("导出到电子表格文件"),
                       QDir(folder).filePath(name + QStringLiteral(".xlsx")),
                       QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"));
    if (file.isEmpty())
        return {};
    try {
        dataModule.RememberFolder(ExportFolderSetting, QFileInfo(file).absolutePath());
    } catch (const DataError&) {
        // Only a convenience: a file that cannot be written now (read-only, busy) still exports.
    }
    return file;
}

} // namespace

void ExportGridToExcel(TShareDM& dataModule, DataGrid* grid, const ExportHook& BeforeData,
                       const ExportHook& AfterData, const QString& listName) {
    if (!grid)
        return;
    const ExportColumns lists = VisibleExportColumns(grid->columns());
    if (lists.fieldNames.size() > 2)
        ExportDataSetToExcel(dataModule, grid->dataSet(), lists.fieldNames, lists.titles,
                             BeforeData, AfterData, listName);
}

void ExportDataSetToExcel(TShareDM& dataModule, Query* dataSet, const QStringList& fieldNames,
                          const QStringList& titles, const ExportHook& BeforeData,
                          const ExportHook& AfterData, const QString& listName) {
    const Connection* connection = dataSet ? dataSet->connection() : nullptr;
    if (!connection || !connection->Connected())
        RaiseExportFailure(QStringLiteral("数据集没有连接到数据库。"));
    const QString file = chooseWorkbookFile(dataModule, listName);
    if (file.isEmpty())
        return;
    const ExportOutcome outcome = RunExportWithProgress(
        {connection->Address(), dataSet->SQL().value(0), fieldNames, titles, BeforeData, AfterData},
        file);
    if (outcome.cancelled)
        return;
    if (outcome.cutTexts > 0)
        ShowInformation(CutTextsNotice(outcome.cutTexts));
    if (!outcome.shown)
        ShowInformation(QStringLiteral("没有找到可以打开电子表格文件的程序。工作簿已保存为：\n%1")
                            .arg(QDir::toNativeSeparators(outcome.file)));
}
