#include "ui/MovementPageLayout.h"

#include "ui/PageLayoutTools.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/ShadedPanel.h"

#include <QTableView>

MovementPageControls BuildMovementPage(const MovementPageNames& names, Query* query) {
    MovementPageControls c;
    const PageFrame frame =
        BuildPageFrame(nullptr, names.page, names.topPanel, 151, names.gridPanel);
    c.page = frame.page;
    c.topPanel = frame.top;
    c.gridPanel = frame.fill;

    c.groupBox = Placed(new GroupBox(QStringLiteral("查询"), c.topPanel), names.groupBox,
                        QRect(16, 9, 569, 120));
    c.rangeLabel = Named(new FixedLabel(names.rangeCaption, c.groupBox, QRect(20, 25, 137, 17)),
                         names.rangeLabel);
    c.fromPicker = Placed(new DatePicker(c.groupBox), names.fromPicker, QRect(20, 42, 121, 21));
    c.toPicker = Placed(new DatePicker(c.groupBox), names.toPicker, QRect(20, 74, 121, 21));
    c.nameLabel =
        Named(new FixedLabel(QStringLiteral("商品名称"), c.groupBox, QRect(160, 25, 137, 17)),
              names.nameLabel);
    c.nameCombo =
        Placed(new DropDownComboBox(c.groupBox), names.nameCombo, QRect(161, 42, 121, 21));
    c.modelLabel =
        Named(new FixedLabel(QStringLiteral("商品型号"), c.groupBox, QRect(304, 25, 137, 17)),
              names.modelLabel);
    c.modelCombo =
        Placed(new DropDownComboBox(c.groupBox), names.modelCombo, QRect(302, 42, 121, 21));
    c.queryButton = Placed(new GlowButton(QStringLiteral("查询"), c.groupBox), names.queryButton,
                           QRect(444, 45, 105, 33));

    c.addButton = Placed(new GlowButton(names.addCaption, c.topPanel), names.addButton,
                         QRect(616, 16, 105, 33));
    c.printButton = Placed(new GlowButton(QStringLiteral("打印"), c.topPanel), names.printButton,
                           QRect(616, 56, 105, 33));
    c.exportButton = Placed(new GlowButton(QStringLiteral("导出"), c.topPanel), names.exportButton,
                            QRect(616, 96, 105, 33));

    c.grid = BuildGrid(c.gridPanel, names.grid, MovementList(names.kind).columns, query);

    ChainTabOrder({c.fromPicker, c.nameCombo, c.modelCombo, c.toPicker, c.queryButton, c.addButton,
                   c.printButton, c.exportButton, c.grid->view()});
    return c;
}
