#include "output/ExportProgress.h"

#include "sheet/Spreadsheet.h"
#include "widgets/DesktopOpener.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QLocale>
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

constexpr int RefreshMs = 100;

// Opens the workbook on the user-interface thread and returns whether a program took it.
bool ShowOnUiThread(const QString& file) {
    bool shown = false;
    QMetaObject::invokeMethod(
        qApp, [&shown, file] { shown = OpenWithDesktop(file); }, Qt::BlockingQueuedConnection);
    return shown;
}

void updateWindow(ProgressWindow& window, const ExportState& state) {
    if (state.cancel)
        return;
    const qint64 total = state.total;
    if (total < 0)
        return;
    const qint64 written = state.written;
    const QLocale locale;
    window.setText(QStringLiteral("已写入 %1 行，共 %2 行。")
                       .arg(locale.toString(written), locale.toString(total)));
    window.setProgress(written, total);
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

    ProgressWindow window(QApplication::activeWindow(), QStringLiteral("导出"),
                          QStringLiteral("正在读取数据……"), ProgressWindow::Cancel::Offered);
    window.dialog().setObjectName(QStringLiteral("ExportProgressDialog"));
    window.onCancel([&] {
        state.cancel = true;
        window.setText(QStringLiteral("正在取消……"));
    });
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &window.dialog(),
                     [&] { updateWindow(window, state); });
    refresh.start(RefreshMs);

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    refresh.stop();
    window.dialog().close();

    if (failure)
        std::rethrow_exception(failure);
    return outcome;
}
