#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

// The entries of a combo box's list (or a completer's), stored flat: all texts in one buffer and
// one end offset per entry. Filling it with tens of thousands of values makes no object per
// entry; a text is made only when a view or a search asks for it. Editable through the model
// interface, so QComboBox::addItem, setItemText and clear work as with any list.
class TextListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TextListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    QString text(int row) const;

    // Appends `count` entries at the end in one change; textAt(i) gives the i-th text.
    template <class TextAt> void appendTexts(int count, TextAt textAt) {
        if (count <= 0)
            return;
        const int first = static_cast<int>(m_ends.size());
        beginInsertRows(QModelIndex(), first, first + count - 1);
        m_ends.reserve(m_ends.size() + count);
        for (int i = 0; i < count; ++i) {
            m_texts += textAt(i);
            m_ends.push_back(m_texts.size());
        }
        endInsertRows();
    }

private:
    qsizetype start(int row) const { return row == 0 ? 0 : m_ends[row - 1]; }
    void replaceText(int row, const QString& text);

    QString m_texts;
    std::vector<qsizetype> m_ends;
};
