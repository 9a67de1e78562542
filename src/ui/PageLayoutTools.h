#pragma once

#include <QRect>
#include <QString>
#include <initializer_list>
#include <vector>

class DataGrid;
class Query;
class QWidget;
class ShadedPanel;
struct GridColumn;

// Small helpers for laying out the main window's pages by fixed positions.

template <class Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <class Widget> Widget* Placed(Widget* widget, const char* name, const QRect& geometry) {
    Named(widget, name)->setGeometry(geometry);
    return widget;
}

// A page: a shaded page with a panel of fixed height at its top and a panel filling the rest.
struct PageFrame {
    ShadedPanel* page;
    ShadedPanel* top;
    ShadedPanel* fill;
};
PageFrame BuildPageFrame(QWidget* parent, const char* pageName, const char* topName, int topHeight,
                         const char* fillName);

// A grid that fills `panel`, showing `query`.
DataGrid* BuildGrid(ShadedPanel* panel, const char* name, std::vector<GridColumn> columns,
                    Query* query);

// Sets the keyboard focus order of the controls, first to last.
void ChainTabOrder(std::initializer_list<QWidget*> controls);
