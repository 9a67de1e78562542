#include "widgets/TextListModel.h"

TextListModel::TextListModel(QObject* parent) : QAbstractListModel(parent) {}

int TextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_ends.size());
}

QString TextListModel::text(int row) const {
    const qsizetype from = start(row);
    return m_texts.mid(from, m_ends[row] - from);
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return text(index.row());
}

bool TextListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount())
        return false;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return false;
    replaceText(index.row(), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TextListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool TextListModel::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > rowCount() || count <= 0)
        return false;
    beginInsertRows(parent, row, row + count - 1);
    // New entries are empty: they end where the entry before them ends.
    m_ends.insert(m_ends.begin() + row, count, start(row));
    endInsertRows();
    return true;
}

bool TextListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    const qsizetype from = start(row);
    const qsizetype removed = m_ends[row + count - 1] - from;
    m_texts.remove(from, removed);
    m_ends.erase(m_ends.begin() + row, m_ends.begin() + row + count);
    for (auto it = m_ends.begin() + row; it != m_ends.end(); ++it)
        *it -= removed;
    if (m_ends.empty())
        m_texts = QString(); // give the buffer back
    endRemoveRows();
    return true;
}

void TextListModel::replaceText(int row, const QString& text) {
    const qsizetype from = start(row);
    const qsizetype oldLength = m_ends[row] - from;
    m_texts.replace(from, oldLength, text);
    const qsizetype shift = text.size() - oldLength;
    for (auto it = m_ends.begin() + row; it != m_ends.end(); ++it)
        *it += shift;
}
