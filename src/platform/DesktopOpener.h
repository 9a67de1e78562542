#pragma once

#include <QString>
#include <functional>

// Opens a file with the desktop's default application ("open"); returns at once, the
// application runs as a process of its own. The result is not reported: a desktop without a
// suitable viewer simply shows nothing.
void OpenWithDesktop(const QString& path);

// Replaces the desktop for tests; an empty function restores it.
void SetDesktopOpener(std::function<void(const QString&)> opener);
