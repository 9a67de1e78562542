#include "widgets/DesktopOpener.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace {

std::function<bool(const QString&)>& opener() {
    static std::function<bool(const QString&)> instance;
    return instance;
}

// Whether the desktop names a default application for the file's type. The desktop's launcher
// starts even when there is none, and then shows nothing.
bool hasDefaultApplication(const QString& path) {
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(10000) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool OpenWithDesktop(const QString& path) {
    if (opener())
        return opener()(path);
    return hasDefaultApplication(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void SetDesktopOpener(std::function<bool(const QString&)> replacement) {
    opener() = std::move(replacement);
}
