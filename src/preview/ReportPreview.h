#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class PreparedReport;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QSpinBox;
class QToolBar;
class ReportPageView;

// Runs a user action so that no failure leaves it: the window's owner shows the failure.
using ActionGuard = std::function<void(const std::function<void()>&)>;

// The print preview of a prepared report: page navigation, zoom (fit width, fit page,
// percentages), find with the match marked, printing through the system's print dialog, saving
// as a PDF file, closing. Long outputs show their progress and can be cancelled. Every action
// runs inside the guard, which turns a failure (no printer, an unwritable file) into a message.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(std::shared_ptr<const PreparedReport> report, ActionGuard guard,
                  QWidget* parent = nullptr);
    ~ReportPreview() override;

    ReportPageView* pageView() const { return m_view; }

    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();
    // One of the zoom choices as the box shows it: "页宽", "整页" or a percentage ("75%").
    void ZoomTo(const QString& choice);
    // Marks the next text that contains `text` (ignoring case), after the one marked last,
    // going round to the first page; returns false when no text contains it.
    bool FindNext(const QString& text);
    // The print button: the print dialog, then the pages chosen there.
    void PrintClick();
    // The PDF button: a file chooser, then the file.
    void SavePdfClick();
    // Prints on a printer that is already set up; false when cancelled. Throws ReportError.
    bool PrintTo(QPrinter& printer);
    // Writes the whole report to a PDF file; false when cancelled. Throws ReportError.
    bool SaveAsPdf(const QString& path);

    // The text of the status line under the pages.
    QString statusText() const;

private:
    QToolBar* buildToolBar();
    void guarded(const std::function<void()>& action);
    void showCurrentPage(int index);
    void setStatus(const QString& text);

    std::shared_ptr<const PreparedReport> m_report;
    ActionGuard m_guard;
    ReportPageView* m_view;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageCount = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QLineEdit* m_findEdit = nullptr;
    QLabel* m_status = nullptr;
    int m_matchPage = -1;
    int m_matchText = -1;
};
