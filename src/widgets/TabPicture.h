#pragma once

#include <QPixmap>
#include <QString>

// Draws a 128 × 64 tab picture showing a short caption in the blue style.
QPixmap DrawTabPicture(const QString& caption);
