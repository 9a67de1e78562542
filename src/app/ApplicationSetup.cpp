#include "app/ApplicationSetup.h"

#include "lists/ProgramLocale.h"
#include "widgets/BlueScheme.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
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
    // The name of the desktop entry and of the icon that an installation puts in the icon theme
    // (packaging/): the desktop shows the window under the menu entry's name and icon.
    const QString desktopName = QStringLiteral("org.varnholt.Varnholt");
    QGuiApplication::setDesktopFileName(desktopName);
    QApplication::setWindowIcon(QIcon::fromTheme(desktopName));
    SetProgramLocale();
    installQtTranslations(app);
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    QApplication::setFont(font);
}
