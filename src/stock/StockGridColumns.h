#pragma once

#include "GridColumn.h"

#include <vector>

enum class MovementKind { StockIn, StockOut };

// The columns of the main window's grids.
std::vector<GridColumn> MovementGridColumns(MovementKind kind); // DBGridEh1, DBGridEh2
std::vector<GridColumn> BalanceGridColumns();                   // DBGridEh3
