#pragma once

#include "sheet/SheetStyle.h"

#include <QString>

// Reads a worksheet address: a cell ("B2"), a rectangle ("A1:I26") or whole columns ("C:D");
// "$" marks are allowed and letters may be in either case. The two corners may be given in any
// order. A malformed address, or one beyond the sheet's last row or column, is a
// SpreadsheetError.
SheetArea ParseSheetAddress(const QString& address);
