#pragma once

#include <QString>

// The product catalogue's statements and the name and model filters that every list page shares,
// composed in one place for the pages, the product editor and the command-line tool.

// The first item of the name and model filter lists; a box reading exactly this adds no
// condition.
extern const QString AllItems;

// The name and model conditions; each is left out when its text is exactly AllItems. Any other
// text, the empty text included, is a condition.
QString ProductFilterFragment(const QString& name, const QString& model);
// Whether a filter fragment names a product name as ProductFilterFragment writes it (after a
// date range, if any): the file's plans then go through the name index.
bool FiltersByName(const QString& fragment);
// The order of the name index after the name: by model (byte order of the text, no model first),
// then by key.
extern const QString NameIndexOrder;
// The condition that narrows the model list to the chosen name (none for AllItems).
QString ModelListFragment(const QString& name);

// The product list: every product that meets the filter fragment, in the table's own order.
QString ProductListStatement(const QString& fragment);
// The one product with this key.
QString ProductByIndexStatement(qint64 productIndex);
// The products that carry this code.
QString ProductBySerialStatement(const QString& serial);
// The conditions on name, model and unit, each only when its text is not empty: an empty box
// matches any value.
QString FilledFieldsFragment(const QString& name, const QString& model, const QString& unit);
