#include "DropDownComboBox.h"

DropDownComboBox::DropDownComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
}

void DropDownComboBox::showPopup() {
    emit dropDown();
    QComboBox::showPopup();
}
