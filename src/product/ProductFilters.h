#pragma once

#include <QString>

class DataGrid;
class FetchLane;
class Query;
class QComboBox;
struct ListDefinition;

// The controls of a page that lists filtered rows: a name and a model filter over the product
// catalogue, a query and its grid, and the query that fills the two filter lists (the data
// module's ADOQueryNotAllowUse, on the same connection as the page's query).
struct ProductFilterControls {
    QComboBox* name;
    QComboBox* model;
    Query* query;
    DataGrid* grid;
    Query* listQuery;
};

// Empties both boxes (their lists and text), as they are before the page's boxes are filled.
void ClearProductFilters(const ProductFilterControls& controls);
// Fills the name list ("所有" and every product name) and the model list. Text typed into a box
// since it was emptied stays; an empty box shows "所有".
void InitializeProductFilters(const ProductFilterControls& controls);
// Refills the name list ("所有" and every product name) before it opens, so that names changed
// or added meanwhile are there; the box keeps its text.
void RefillNameList(const ProductFilterControls& controls);
// Rebuilds the model list before it opens: "所有" and the models of the chosen name (of every
// name for "所有"); it then reads "所有".
void RefillModelList(const ProductFilterControls& controls);
// The list's statement as the page's database runs it (ListDefinition::statementOn).
QString PageStatement(const ProductFilterControls& controls, const ListDefinition& list);
// Runs a list statement on `lane` (see Query::OpenInBackground): the grid shows the first rows
// as soon as they are in, and its footer says it is counting until the list is complete.
void FillList(const ProductFilterControls& controls, const QString& statement, FetchLane& lane);
// Runs the page's list again as it was last run (its filters, its order), to show what changed
// in the data; does nothing while the list is closed.
void RelistPage(const ProductFilterControls& controls);
// Runs a list statement on the page's query and writes the row count under the first column.
// A failing statement leaves the grid empty and the count as it was.
void RunList(const ProductFilterControls& controls, const QString& statement);
