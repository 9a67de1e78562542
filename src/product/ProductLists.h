#pragma once

#include "lists/ListDefinition.h"

#include <QString>

// The product list page (DBGridEh4 over ADOQueryProduct): the products that meet the filter
// fragment (ProductFilterFragment), in the table's own order.
ListDefinition ProductList(const QString& filters = QString());
