#pragma once

class ListFormatter;
class Query;
class QFontMetrics;

// The width in pixels of the widest display text of one grid column over every row of a query,
// without measuring a text per row, so that a list of a million rows is measured at once:
// - texts shown as they are held: each distinct text is formatted once (the query holds it
//   once), and only the longest ones are measured, longest first, until no shorter text can be
//   wider than the widest found;
// - numbers and dates: each row's display text is reduced to its shape (its digits taken as
//   one digit), and each distinct shape is measured once with the font's widest digit.
// `column` is the grid column (for the formatter), `field` the query's field; `asText` when the
// column shows texts as they are held (no display format).
int WidestCellTextWidth(const Query& query, int field, const ListFormatter& formatter, int column,
                        bool asText, const QFontMetrics& metrics);
