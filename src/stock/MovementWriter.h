#pragma once

#include "stock/StockStatements.h"

#include <QDateTime>
#include <QString>

class Query;

// The columns of one stock movement (one Store row) as the program records it.
struct MovementValues {
    qint64 product = 0;
    MovementKind kind = MovementKind::StockIn;
    double price = 0;
    double number = 0;
    double sum = 0;
    QDateTime recorded;
    QString remark;
};

// Writes `values` into the row that `query` (a query over Store) is appending or editing and
// posts it: the one place where a movement's columns are written. An edit is checked as Post
// checks it (RowConflict when another user changed or deleted the row).
void PostMovement(Query& query, const MovementValues& values);
