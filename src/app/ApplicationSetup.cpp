#include "ApplicationSetup.h"

#include "BlueScheme.h"
#include "ProgramLocale.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

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
    SetProgramLocale();
    installQtTranslations(app);
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    QApplication::setFont(font);
}
