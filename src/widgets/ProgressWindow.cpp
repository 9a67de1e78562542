#include "widgets/ProgressWindow.h"

#include <algorithm>

namespace {

// The window shows itself only when the work takes longer than this.
constexpr int DelayMs = 500;
// The bar counts in thousandths, whatever the size of the work.
constexpr int BarSteps = 1000;

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, const QString& caption, const QString& text,
                               Cancel cancel)
    : m_dialog(text, cancel == Cancel::Offered ? QStringLiteral("取消") : QString(), 0, BarSteps,
               parent) {
    m_dialog.setWindowTitle(caption);
    m_dialog.setWindowModality(Qt::WindowModal);
    if (cancel == Cancel::NotOffered)
        m_dialog.setCancelButton(nullptr);
    m_dialog.setMinimumDuration(DelayMs);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setValue(0);
}

void ProgressWindow::setProgress(std::int64_t done, std::int64_t total) {
    const std::int64_t steps =
        total > 0 ? std::clamp<std::int64_t>(done, 0, total) * BarSteps / total : 0;
    m_dialog.setValue(static_cast<int>(steps));
}

void ProgressWindow::setText(const QString& text) {
    m_dialog.setLabelText(text);
}

void ProgressWindow::onCancel(std::function<void()> handler) {
    QObject::connect(&m_dialog, &QProgressDialog::canceled, &m_dialog, std::move(handler));
}

Progress ProgressWindow::callback() {
    return [this](std::int64_t done, std::int64_t total) {
        setProgress(done, total);
        return !cancelled();
    };
}
