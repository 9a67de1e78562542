#pragma once

#include "platform/UserError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <utility>

// An engine or data failure. Carries the engine's own message; only windows turn it into a
// message box.
class DataError : public UserError {
public:
    using UserError::UserError;
};

// A write of a row read earlier found the row no longer as it was read: another user (another
// copy of the program, the tool, any program) changed or deleted it in between. Nothing was
// written; the window says which it was and offers to read the row again.
class RowConflict : public DataError {
public:
    enum class Kind { Modified, Deleted };
    // `changedFields`: the names of the written columns whose stored values differ from those
    // read (Modified only).
    RowConflict(Kind kind, QStringList changedFields)
        : DataError(kind == Kind::Deleted
                        ? QStringLiteral("该记录已被其他用户删除，您的修改没有保存。")
                        : QStringLiteral("该记录已被其他用户修改，您的修改没有保存。"
                                         "请重新载入该记录后再修改。")),
          m_kind(kind), m_changedFields(std::move(changedFields)) {}
    Kind kind() const { return m_kind; }
    QStringList changedFields() const { return m_changedFields; }
    // The changed fields in a window's words, as "（数量、备注）": `labels` pairs each column
    // name with its caption; empty when none of them changed.
    QString changedText(const QList<std::pair<QString, QString>>& labels) const {
        QStringList named;
        for (const auto& [field, label] : labels)
            if (m_changedFields.contains(field, Qt::CaseInsensitive))
                named << label;
        return named.isEmpty() ? QString()
                               : QStringLiteral("（%1）").arg(named.join(QStringLiteral("、")));
    }

private:
    Kind m_kind;
    QStringList m_changedFields;
};

// The silent abort: ends the running event handler without a further message (a validation
// failure has already told the user what is wrong).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};
