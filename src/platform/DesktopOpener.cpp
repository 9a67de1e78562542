#include "DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<void(const QString&)>& opener() {
    static std::function<void(const QString&)> instance;
    return instance;
}
} // namespace

void OpenWithDesktop(const QString& path) {
    if (opener()) {
        opener()(path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void SetDesktopOpener(std::function<void(const QString&)> replacement) {
    opener() = std::move(replacement);
}
