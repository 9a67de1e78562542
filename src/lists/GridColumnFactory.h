#pragma once

#include "lists/GridColumn.h"

// Builders for the usual kinds of grid column.
GridColumn TextColumn(const QString& field, const QString& title, int width);
// The first column of a list: its footer shows the row count as static text.
GridColumn CountedColumn(const QString& field, const QString& title, int width);
GridColumn NumberColumn(const QString& field, const QString& title, int width,
                        const QString& format);
GridColumn SummedColumn(const QString& field, const QString& title, int width,
                        const QString& format, const QString& footerFormat, quint32 footerColor);
