#pragma once

// How every output (the grids and their footers, the printed reports, the spreadsheet export and
// the command-line lists) totals and shows numbers.

// A number that is not finite (an overflow, or infinity stored by another program) is shown as
// this mark, the one a spreadsheet shows for such a number, never as a text like "inf".
inline constexpr const char* NonFiniteMark = "#NUM!";

// A running total that carries the rounding error of every addition along (Neumaier's
// compensated summation): a million amounts with two decimals total to the same number as their
// exact decimal sum, where plain addition drifts by its rounding errors ("507435644.0001").
class NumberSum {
public:
    void add(double value);
    double total() const;

private:
    double m_sum = 0;
    double m_compensation = 0;
};
