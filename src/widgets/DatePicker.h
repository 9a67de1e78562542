#pragma once

#include <QDateEdit>

// A date-only picker with a drop-down calendar, showing the locale's short date format (the
// format of the default locale when the picker is made).
class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);
};
