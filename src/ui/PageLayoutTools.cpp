#include "ui/PageLayoutTools.h"

#include "widgets/DataGrid.h"
#include "widgets/ShadedPanel.h"

#include <QVBoxLayout>

PageFrame BuildPageFrame(QWidget* parent, const char* pageName, const char* topName, int topHeight,
                         const char* fillName) {
    PageFrame frame{};
    frame.page = Named(new ShadedPanel(parent, ShadedPanel::Shade::Page), pageName);
    frame.top = Named(new ShadedPanel(frame.page), topName);
    frame.top->setFixedHeight(topHeight);
    frame.fill = Named(new ShadedPanel(frame.page), fillName);
    auto* layout = new QVBoxLayout(frame.page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(frame.top);
    layout->addWidget(frame.fill, 1);
    return frame;
}

DataGrid* BuildGrid(ShadedPanel* panel, const char* name, std::vector<GridColumn> columns,
                    Query* query) {
    auto* grid = Named(new DataGrid(panel), name);
    grid->setColumns(std::move(columns));
    grid->setDataSet(query);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    return grid;
}

void ChainTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
