#include "lists/GridColumnFactory.h"

GridColumn TextColumn(const QString& field, const QString& title, int width) {
    GridColumn column;
    column.FieldName = field;
    column.Title = title;
    column.Width = width;
    return column;
}

GridColumn CountedColumn(const QString& field, const QString& title, int width) {
    GridColumn column = TextColumn(field, title, width);
    column.Footer = FooterKind::StaticText;
    column.FooterColor = clBlue;
    return column;
}

GridColumn NumberColumn(const QString& field, const QString& title, int width,
                        const QString& format) {
    GridColumn column = TextColumn(field, title, width);
    column.DisplayFormat = format;
    return column;
}

GridColumn SummedColumn(const QString& field, const QString& title, int width,
                        const QString& format, const QString& footerFormat, quint32 footerColor) {
    GridColumn column = NumberColumn(field, title, width, format);
    column.Footer = FooterKind::Sum;
    column.FooterFormat = footerFormat;
    column.FooterColor = footerColor;
    return column;
}
