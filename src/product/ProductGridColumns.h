#pragma once

#include "GridColumn.h"

#include <vector>

// The columns of the product list grid.
std::vector<GridColumn> ProductGridColumns();
