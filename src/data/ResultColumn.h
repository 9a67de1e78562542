#pragma once

#include <QString>
#include <vector>

// A column of a statement's result: its name, and for a column read straight from a table, that
// table and the column's name there (empty for computed columns).
struct ResultColumn {
    QString name;
    QString table;
    QString origin;
};

// The first column of that name, compared without regard to case; -1 when there is none.
int FindColumn(const std::vector<ResultColumn>& columns, const QString& name);
