#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// The program's file and folder choosers, in the desktop's file dialog. Tests switch to
// scripted mode, in which nothing is displayed and each chooser takes its answer from a queue.
// An empty answer means the user cancelled.

QString ChooseFolder(QWidget* parent, const QString& caption, const QString& startFolder);
// `filter` in Qt's form, e.g. "数据库文件 (*.mdb)".
QString ChooseFile(QWidget* parent, const QString& caption, const QString& startFolder,
                   const QString& filter);
// Where to save a file: the chooser starts at `proposed` (folder and file name), adds `suffix`
// to a name typed without one and asks before an existing file is replaced.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& proposed,
                       const QString& filter, const QString& suffix);

namespace FileChoosers {

struct Shown {
    QString caption;
    QString startFolder; // for a file to save: the proposed path
};

void setScripted(bool scripted);
// Queues the answer of the next chooser; a chooser with no queued answer is cancelled.
void setNextChoice(const QString& path);
// Queues the answer of the next print dialog: it sets the printer up as a user would there
// (printer or file, pages) and returns true, or returns false to cancel. A print dialog with no
// queued answer is cancelled.
using PrinterChoice = std::function<bool(QPrinter& printer)>;
void setNextPrinterChoice(PrinterChoice choice);
// For the print dialog (ChoosePrinter): true when scripted; `accepted` then holds the answer,
// which has set `printer` up.
bool scriptedPrinterChoice(const QString& caption, QPrinter& printer, bool& accepted);
QList<Shown> shown();
void clear(); // forgets what was shown and the answers still queued (both kinds)

} // namespace FileChoosers
