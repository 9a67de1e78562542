#pragma once

#include <QComboBox>

// An editable combo box that announces, by dropDown(), that its list is about to open; the
// list opens after the connected handlers have run, so they can rebuild it first.
class DropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownComboBox(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void dropDown();
};
