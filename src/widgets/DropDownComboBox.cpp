#include "widgets/DropDownComboBox.h"

#include "widgets/TextListModel.h"

#include <QCompleter>
#include <QListView>

DropDownComboBox::DropDownComboBox(QWidget* parent)
    : QComboBox(parent), m_list(new TextListModel(this)) {
    setModel(m_list);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    // The size follows the place the layout gives, never the longest of thousands of entries.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* listView = qobject_cast<QListView*>(view()))
        listView->setUniformItemSizes(true);
}

void DropDownComboBox::showPopup() {
    emit dropDown();
    QComboBox::showPopup();
}

void DropDownComboBox::setListCompletion(Qt::MatchFlag filter) {
    auto* completer = new QCompleter(m_list, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseSensitive);
    completer->setFilterMode(filter);
    completer->setMaxVisibleItems(maxVisibleItems());
    setCompleter(completer);
    if (auto* listView = qobject_cast<QListView*>(completer->popup()))
        listView->setUniformItemSizes(true);
}
