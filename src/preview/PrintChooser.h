#pragma once

#include <QString>

class QPrinter;
class QWidget;

// The system's print dialog for `printer`: the user chooses the printer (or a file) and the pages
// between 1 and `pageCount`. Returns false when the user cancelled. Scripted like the file
// choosers (FileChoosers::setNextPrinterChoice), so tests answer it without a window.
bool ChoosePrinter(QWidget* parent, const QString& caption, QPrinter& printer, int pageCount);
