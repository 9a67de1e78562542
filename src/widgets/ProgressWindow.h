#pragma once

#include "platform/Progress.h"

#include <QProgressDialog>
#include <QString>
#include <functional>

// The program's progress window for a long piece of work (a backup, a restore, an export, a
// printed or saved report): a caption, a text and a bar, and "取消" when the work can stop. It
// appears only when the work takes longer than a moment and goes when the object does.
class ProgressWindow {
public:
    enum class Cancel { NotOffered, Offered };

    ProgressWindow(QWidget* parent, const QString& caption, const QString& text, Cancel cancel);
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Moves the bar to `done` of `total`; keeps the window painting while the work runs on this
    // thread.
    void setProgress(std::int64_t done, std::int64_t total);
    void setText(const QString& text);
    // Whether "取消" was pressed.
    bool cancelled() const { return m_dialog.wasCanceled(); }
    // Runs `handler` when "取消" is pressed (e.g. to tell a worker thread).
    void onCancel(std::function<void()> handler);
    // For work on this thread: moves the bar and returns false once "取消" was pressed.
    Progress callback();

    QProgressDialog& dialog() { return m_dialog; }

private:
    QProgressDialog m_dialog;
};
