#pragma once

#include <QComboBox>

class TextListModel;

// An editable combo box that announces, by dropDown(), that its list is about to open; the
// list opens after the connected handlers have run, so they can rebuild it first. Its entries
// are kept in a flat TextListModel, so a list of many thousands of values fills and opens fast.
class DropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownComboBox(QWidget* parent = nullptr);

    TextListModel* list() const { return m_list; }

    // Completes the typed text from the box's own list in a popup: the entries that begin with
    // it (with Qt::MatchContains, that contain it), letter case exact. The text changes only when
    // the operator picks an entry.
    void setListCompletion(Qt::MatchFlag filter);

    void showPopup() override;

signals:
    void dropDown();

private:
    TextListModel* m_list;
};
