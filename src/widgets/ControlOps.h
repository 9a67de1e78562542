#pragma once

#include <QList>
#include <QString>

class Query;
class QComboBox;
class QWidget;

// Fills a combo box with the values of one column of a statement's result, in the order of the
// grids' text sort (Query::SetSort: pinyin order for Chinese, "A2" before "A10"), behind an
// optional first item; then selects entry 0 (nothing when the list is empty).
// With `clear` the box first loses its entries and its text. Runs the statement on `query` (the
// data module's ADOQueryNotAllowUse), which then holds its result.
void FillComboBox(Query& query, QComboBox* combo, const QString& sql, const QString& column,
                  bool clear, const QString& firstItem);

// FillComboBox with the distinct values of table.column under "where 0=0" and the fragment.
void FillDistinctCombo(Query& query, QComboBox* combo, const QString& table, const QString& column,
                       const QString& fragment, bool clear, const QString& firstItem);

// Enables or disables controls, showing the state in their colours: a label's text turns grey
// when disabled, an input control's background turns to the button face colour.
void SetControlsEnabled(const QList<QWidget*>& controls, bool enabled);

// Refuses an empty input: when the control's text is empty (blanks count as text), or a number
// box holds no value, refuses it as RefuseInput does.
void RequireText(QWidget* control, const QString& message);

// Refuses what a control holds: shows the message in a warning box, focuses the control,
// selects its text and ends the running handler with a SilentAbort.
[[noreturn]] void RefuseInput(QWidget* control, const QString& message);

// Empties the input controls of a window: an editable combo box with entries loses its
// selection, which empties its text, and keeps its entries; one without entries is cleared; a
// number box gets the value 0; any other edit box is emptied. Date pickers and buttons keep
// what they show.
void ClearInputs(QWidget* window);

// The text of an edit, combo, number or label control; empty for other widgets.
QString ControlText(const QWidget* control);
