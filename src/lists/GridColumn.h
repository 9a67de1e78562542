#pragma once

#include "lists/Colors.h"

#include <QString>

enum class FooterKind { None, StaticText, Sum };

// The sort marker of a column title: none, ascending, descending.
enum class SortMarker { smNoneEh, smUpEh, smDownEh };

// One column of a DataGrid. Width, Visible and Marker are changed through the grid
// (setColumnWidth, setColumnVisible, setSortMarker), which keeps them in step with the view.
struct GridColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
    QString DisplayFormat; // a FormatFloat picture; empty: the cell's own text
    FooterKind Footer = FooterKind::None;
    QString FooterFormat; // for sums; empty: the DisplayFormat
    quint32 FooterColor = clWindowText;
    SortMarker Marker = SortMarker::smNoneEh;
    bool Visible = true;
    quint32 FontColor = clWindowText; // text colour of the cells
};
