#include "ExportProgress.h"

#include "DesktopOpener.h"
#include "Spreadsheet.h"

#include <QApplication>
#include <QEventLoop>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>

namespace {

// What the export thread and the dialog share.
struct ExportState {
    std::atomic<qint64> written{0};
    std::atomic<qint64> total{-1}; // -1 while the rows are being read
    std::atomic<bool> cancel{false};
};

// The dialog shows itself only when the export takes a moment.
constexpr int DialogDelayMs = 400;
constexpr int RefreshMs = 100;

// Opens the workbook on the user-interface thread and returns whether a program took it.
bool ShowOnUiThread(const QString& file) {
    bool shown = false;
    QMetaObject::invokeMethod(
        qApp, [&shown, file] { shown = OpenWithDesktop(file); }, Qt::BlockingQueuedConnection);
    return shown;
}

void updateDialog(QProgressDialog& dialog, const ExportState& state) {
    if (state.cancel)
        return;
    const qint64 total = state.total;
    if (total < 0)
        return;
    const qint64 written = state.written;
    const QLocale locale;
    dialog.setLabelText(QStringLiteral("已写入 %1 行，共 %2 行。")
                            .arg(locale.toString(written), locale.toString(total)));
    // The bar counts in thousandths, whatever the number of rows.
    dialog.setValue(total > 0 ? static_cast<int>(written * 1000 / total) : 0);
}

} // namespace

ExportOutcome RunExportWithProgress(const WorkbookExport& job, const QString& target) {
    ExportState state;
    SpreadsheetOptions options;
    options.saveAs = target;
    options.show = ShowOnUiThread;
    options.progress = [&state](qint64 written, qint64 total) {
        state.total = total;
        state.written = written;
        return !state.cancel;
    };

    ExportOutcome outcome;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            outcome = RunWorkbookExport(job, options);
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    QProgressDialog dialog(QStringLiteral("正在读取数据……"), QStringLiteral("取消"), 0, 1000,
                           QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("ExportProgressDialog"));
    dialog.setWindowTitle(QStringLiteral("导出"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(DialogDelayMs);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        state.cancel = true;
        dialog.setLabelText(QStringLiteral("正在取消……"));
    });
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &dialog, [&] { updateDialog(dialog, state); });
    refresh.start(RefreshMs);

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    refresh.stop();
    dialog.close();

    if (failure)
        std::rethrow_exception(failure);
    return outcome;
}
