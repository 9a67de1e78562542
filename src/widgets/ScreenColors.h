#pragma once

#include "lists/Colors.h"

#include <QColor>

// A colour of the program's encoding (see ColorCodes.h) as the widgets paint it.
inline QColor ColorToQColor(quint32 encoded) {
    return QColor::fromRgba(ColorToArgb(encoded));
}
