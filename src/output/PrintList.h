#pragma once

#include <QString>

class Query;
class QWidget;
struct ListDefinition;
struct Letterhead;

// Prints a list that no grid shows (the count sheet of a stocktaking): its columns over the
// query's rows in their current order, as BuildListReport lays out every list, under the
// letterhead (StaticFooters: the footer row shows the static texts, the row count), in the print
// preview (a window of `parent`, which keeps the other windows waiting
// until it is closed). `rows` must stay open while the preview is shown.
void PrintList(const ListDefinition& list, const Query& rows, bool StaticFooters,
               const QString& programDir, const Letterhead& letterhead, QWidget* parent);
