#pragma once

#include <QDate>
#include <QDateEdit>
#include <QLocale>
#include <optional>

// A date-only picker with a drop-down calendar, showing the locale's short date format (the
// format of the default locale when the picker is made). A date can also be typed in the forms
// a clerk types (see ParseTypedDate): the digits and separators typed are taken as they come,
// and the date is read when the clerk presses Enter or leaves the box; a text that is no date
// gives back the date shown before, and letters are not taken. Focus that does not come from the
// mouse selects the whole date, so that typing replaces it; Tab leaves the box.
class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool typeKey(const QKeyEvent* event);
    void takeTypedDate();
};

// A typed date: year, month and day separated by "/", "-" or "." ("2026/12/3", "2026-12-3"),
// the day and month alone for a day of this year ("12/3"), or eight digits ("20261203"). A year
// of four digits may lead in any locale; otherwise the parts follow the locale's short date
// order, and a year of one or two digits is one of 2000 to 2099. Empty when it is no date.
std::optional<QDate> ParseTypedDate(const QString& text, const QLocale& locale, const QDate& today);
