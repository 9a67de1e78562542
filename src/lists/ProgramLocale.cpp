#include "lists/ProgramLocale.h"

#include "data/TextRanks.h"

#include <QLocale>

void SetProgramLocale() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.name() == QLatin1String("C"))
        QLocale::setDefault(
            QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
    SetCollationLocale(QLocale().name());
}
