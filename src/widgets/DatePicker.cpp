#include "DatePicker.h"

#include <QLocale>

DatePicker::DatePicker(QWidget* parent) : QDateEdit(QDate::currentDate(), parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    setMinimumDate(QDate(1900, 1, 1));
}
