#include "preview/PrintChooser.h"

#include "widgets/FileChoosers.h"

#include <QPrintDialog>
#include <QPrinter>

bool ChoosePrinter(QWidget* parent, const QString& caption, QPrinter& printer, int pageCount) {
    bool accepted = false;
    if (FileChoosers::scriptedPrinterChoice(caption, printer, accepted))
        return accepted;
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(caption);
    dialog.setMinMax(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    return dialog.exec() == QDialog::Accepted;
}
