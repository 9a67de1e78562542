#include "ApplicationSetup.h"

#include "BlueScheme.h"
#include "TextRanks.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Dates and numbers follow the system locale; a bare C or POSIX locale means Simplified Chinese.
void setDefaultLocale() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.name() == QLatin1String("C"))
        QLocale::setDefault(
            QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
    SetCollationLocale(QLocale().name());
}

// Qt's own dialogs (print preview, file chooser) speak the program's language.
void installQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}

} // namespace

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    setDefaultLocale();
    installQtTranslations(app);
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    QApplication::setFont(font);
}
