#include "preview/ReportPreview.h"

#include "preview/PrintChooser.h"
#include "preview/ReportPageView.h"
#include "preview/ReportPrinting.h"
#include "report/PreparedReport.h"
#include "report/ReportError.h"
#include "widgets/FileChoosers.h"
#include "widgets/Guard.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString fitWidthChoice = QStringLiteral("页宽");
const QString fitPageChoice = QStringLiteral("整页");
const QStringList zoomChoices = {fitWidthChoice,         fitPageChoice,          "50%",  "75%",
                                 QStringLiteral("100%"), QStringLiteral("125%"), "150%", "200%"};

} // namespace

ReportPreview::ReportPreview(std::shared_ptr<const PreparedReport> report, ActionGuard guard,
                             QWidget* parent)
    : QDialog(parent), m_report(std::move(report)), m_guard(std::move(guard)),
      m_view(new ReportPageView(m_report, this)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("打印预览 - %1").arg(m_report->Title()));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolBar());
    layout->addWidget(m_view, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(m_status);

    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::showCurrentPage);
    const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen();
    const QSize available = screen ? screen->availableSize() : QSize(1024, 768);
    resize(std::min(1100, available.width() * 9 / 10), std::min(860, available.height() * 9 / 10));
    m_view->setZoomMode(ReportPageView::ZoomMode::FitWidth);
    showCurrentPage(0);
}

ReportPreview::~ReportPreview() = default;

QToolBar* ReportPreview::buildToolBar() {
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [this, bar](const QString& text, const char* name, const QKeySequence& key,
                              void (ReportPreview::*handler)()) {
        QAction* added =
            bar->addAction(text, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
        added->setObjectName(QLatin1String(name));
        added->setShortcut(key);
        return added;
    };
    action(QStringLiteral("首页"), "FirstPageAction", QKeySequence(Qt::CTRL | Qt::Key_Home),
           &ReportPreview::FirstPage);
    action(QStringLiteral("上一页"), "PriorPageAction", QKeySequence(Qt::CTRL | Qt::Key_PageUp),
           &ReportPreview::PriorPage);

    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("PageBox"));
    m_pageBox->setRange(1, std::max(1, m_report->PageCount()));
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setMinimumWidth(70);
    bar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page - 1 != m_view->currentPage())
            m_view->goToPage(page - 1);
    });
    m_pageCount = new QLabel(QStringLiteral(" / %1 ").arg(m_report->PageCount()), bar);
    bar->addWidget(m_pageCount);

    action(QStringLiteral("下一页"), "NextPageAction", QKeySequence(Qt::CTRL | Qt::Key_PageDown),
           &ReportPreview::NextPage);
    action(QStringLiteral("末页"), "LastPageAction", QKeySequence(Qt::CTRL | Qt::Key_End),
           &ReportPreview::LastPage);
    bar->addSeparator();

    bar->addWidget(new QLabel(QStringLiteral(" 缩放 "), bar));
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("ZoomBox"));
    m_zoomBox->addItems(zoomChoices);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::textActivated, this,
            [this](const QString& choice) { guarded([&] { ZoomTo(choice); }); });
    bar->addSeparator();

    m_findEdit = new QLineEdit(bar);
    m_findEdit->setObjectName(QStringLiteral("FindEdit"));
    m_findEdit->setPlaceholderText(QStringLiteral("查找内容"));
    m_findEdit->setClearButtonEnabled(true);
    m_findEdit->setMaximumWidth(180);
    bar->addWidget(m_findEdit);
    auto findNext = [this] { guarded([this] { FindNext(m_findEdit->text()); }); };
    connect(m_findEdit, &QLineEdit::returnPressed, this, findNext);
    QAction* find = bar->addAction(QStringLiteral("查找下一个"), this, findNext);
    find->setObjectName(QStringLiteral("FindNextAction"));
    find->setShortcut(QKeySequence(Qt::Key_F3));
    QAction* focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    connect(focusFind, &QAction::triggered, m_findEdit, [this] {
        m_findEdit->setFocus();
        m_findEdit->selectAll();
    });
    addAction(focusFind);
    bar->addSeparator();

    action(QStringLiteral("打印"), "PrintAction", QKeySequence::Print, &ReportPreview::PrintClick);
    action(QStringLiteral("保存为 PDF"), "SavePdfAction", QKeySequence::Save,
           &ReportPreview::SavePdfClick);
    bar->addSeparator();
    QAction* close = bar->addAction(QStringLiteral("关闭"), this, &QDialog::close);
    close->setObjectName(QStringLiteral("CloseAction"));
    return bar;
}

void ReportPreview::guarded(const std::function<void()>& action) {
    if (m_guard) {
        m_guard(action);
        return;
    }
    RunGuarded(action);
}

void ReportPreview::showCurrentPage(int index) {
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setValue(index + 1);
}

void ReportPreview::setStatus(const QString& text) {
    m_status->setText(text);
}

QString ReportPreview::statusText() const {
    return m_status->text();
}

void ReportPreview::FirstPage() {
    m_view->goToPage(0);
}

void ReportPreview::PriorPage() {
    m_view->goToPage(m_view->currentPage() - 1);
}

void ReportPreview::NextPage() {
    m_view->goToPage(m_view->currentPage() + 1);
}

void ReportPreview::LastPage() {
    m_view->goToPage(m_report->PageCount() - 1);
}

void ReportPreview::ZoomTo(const QString& choice) {
    if (choice == fitWidthChoice) {
        m_view->setZoomMode(ReportPageView::ZoomMode::FitWidth);
    } else if (choice == fitPageChoice) {
        m_view->setZoomMode(ReportPageView::ZoomMode::FitPage);
    } else {
        bool ok = false;
        const int percent = QString(choice).remove(u'%').trimmed().toInt(&ok);
        if (!ok || percent <= 0)
            throw ReportError(QStringLiteral("无法识别的缩放比例：%1").arg(choice));
        m_view->setZoom(percent / 100.0);
    }
    const QSignalBlocker block(m_zoomBox);
    m_zoomBox->setCurrentText(choice);
}

bool ReportPreview::FindNext(const QString& text) {
    if (text.isEmpty())
        return false;
    const int pages = m_report->PageCount();
    int page = m_matchPage >= 0 ? m_matchPage : m_view->currentPage();
    int after = m_matchPage >= 0 ? m_matchText : -1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Every page once, from the last match on, and the start of that page again at the end.
    for (int step = 0; step <= pages; ++step) {
        const auto& texts = m_view->page(page).texts;
        for (int i = after + 1; i < int(texts.size()); ++i) {
            if (texts[std::size_t(i)].text.contains(text, Qt::CaseInsensitive)) {
                QApplication::restoreOverrideCursor();
                m_matchPage = page;
                m_matchText = i;
                m_view->setHighlight(page, texts[std::size_t(i)].rect);
                setStatus(
                    QStringLiteral("第 %1 页：%2").arg(page + 1).arg(texts[std::size_t(i)].text));
                return true;
            }
        }
        page = (page + 1) % pages;
        after = -1;
    }
    QApplication::restoreOverrideCursor();
    m_matchPage = -1;
    m_matchText = -1;
    m_view->clearHighlight();
    setStatus(QStringLiteral("没有找到“%1”。").arg(text));
    return false;
}

bool ReportPreview::PrintTo(QPrinter& printer) {
    ProgressWindow progress(this, QStringLiteral("请稍候"), QStringLiteral("正在打印……"),
                            ProgressWindow::Cancel::Offered);
    const bool done = PrintReport(*m_report, printer, progress.callback());
    setStatus(done ? QStringLiteral("已送往打印机。") : QStringLiteral("打印已取消。"));
    return done;
}

bool ReportPreview::SaveAsPdf(const QString& path) {
    ProgressWindow progress(this, QStringLiteral("请稍候"), QStringLiteral("正在保存 PDF 文件……"),
                            ProgressWindow::Cancel::Offered);
    const bool done = WriteReportPdf(*m_report, path, progress.callback());
    setStatus(done ? QStringLiteral("已保存 PDF 文件：%1").arg(QDir::toNativeSeparators(path))
                   : QStringLiteral("保存已取消，没有写入文件。"));
    return done;
}

void ReportPreview::PrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, *m_report);
    if (ChoosePrinter(this, QStringLiteral("打印"), printer, m_report->PageCount()))
        PrintTo(printer);
}

void ReportPreview::SavePdfClick() {
    // The folder of the last file saved while the program runs, else the documents folder.
    static QString lastFolder;
    QString folder = lastFolder;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    const QString path =
        ChooseSaveFile(this, QStringLiteral("保存为 PDF 文件"),
                       QDir(folder).filePath(m_report->Title() + QStringLiteral(".pdf")),
                       QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    lastFolder = QFileInfo(path).absolutePath();
    SaveAsPdf(path);
}
