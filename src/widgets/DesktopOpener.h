#pragma once

#include <QString>
#include <functional>

// Opens a file with the desktop's default application for its type ("open") and returns at
// once; the application runs as a process of its own. Returns false when the desktop has no
// application for the file's type or cannot be asked, so that the caller can tell the user
// where the file is.
bool OpenWithDesktop(const QString& path);

// Replaces the desktop for tests; an empty function restores it.
void SetDesktopOpener(std::function<bool(const QString&)> opener);
