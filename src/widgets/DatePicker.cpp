#include "widgets/DatePicker.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <array>

namespace {

bool isDateSeparator(QChar c) {
    return c == u'/' || c == u'-' || c == u'.';
}

// Where year, month and day stand in the locale's short date format: 0, 1 or 2 each.
struct PartOrder {
    int year;
    int month;
    int day;
};

PartOrder localeOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    std::array<std::pair<qsizetype, int*>, 3> parts{};
    PartOrder order{0, 1, 2};
    parts[0] = {format.indexOf(u'y'), &order.year};
    parts[1] = {format.indexOf(u'M'), &order.month};
    parts[2] = {format.indexOf(u'd'), &order.day};
    for (const auto& part : parts) {
        if (part.first < 0)
            return {0, 1, 2};
    }
    std::sort(parts.begin(), parts.end());
    for (int i = 0; i < 3; ++i)
        *parts[std::size_t(i)].second = i;
    return order;
}

std::optional<QDate> validDate(int year, int month, int day) {
    if (year < 100)
        year += 2000;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> ParseTypedDate(const QString& text, const QLocale& locale,
                                    const QDate& today) {
    const QString typed = text.trimmed();
    QStringList parts;
    QString part;
    for (const QChar c : typed) {
        if (isDateSeparator(c)) {
            parts << part;
            part.clear();
        } else if (c >= u'0' && c <= u'9') {
            part += c;
        } else {
            return std::nullopt;
        }
    }
    parts << part;
    for (const QString& p : parts) {
        if (p.isEmpty() || p.size() > 4)
            if (!(parts.size() == 1 && p.size() == 8))
                return std::nullopt;
    }
    const PartOrder order = localeOrder(locale);
    switch (parts.size()) {
    case 1:
        if (parts[0].size() != 8)
            return std::nullopt;
        return validDate(parts[0].left(4).toInt(), parts[0].mid(4, 2).toInt(),
                         parts[0].mid(6, 2).toInt());
    case 2: {
        // Month and day in the locale's order, of this year.
        const bool monthFirst = order.month < order.day;
        const int month = parts[monthFirst ? 0 : 1].toInt();
        const int day = parts[monthFirst ? 1 : 0].toInt();
        if (parts[0].size() > 2 || parts[1].size() > 2)
            return std::nullopt;
        return validDate(today.year(), month, day);
    }
    case 3:
        if (parts[0].size() == 4)
            return validDate(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
        if (parts[std::size_t(order.month)].size() > 2 || parts[std::size_t(order.day)].size() > 2)
            return std::nullopt;
        return validDate(parts[order.year].toInt(), parts[order.month].toInt(),
                         parts[order.day].toInt());
    default:
        return std::nullopt;
    }
}

DatePicker::DatePicker(QWidget* parent) : QDateEdit(QDate::currentDate(), parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    setMinimumDate(QDate(1900, 1, 1));
}

// Digits and separators go into the text as typed, past the picker's own editing by sections
// (which would take "2026/12/3" as the year, then a month of 12 and a day of 12). The picker
// hears nothing of the change until the date is taken.
bool DatePicker::typeKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (isReadOnly() || modifiers != Qt::NoModifier)
        return false;
    const bool erase = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    const QString text = event->text();
    const bool printable = text.size() == 1 && text[0].isPrint();
    if (!erase && !printable)
        return false;
    const bool typed =
        printable && ((text[0] >= u'0' && text[0] <= u'9') || isDateSeparator(text[0]));
    if (printable && !typed)
        return true; // no letters in a date
    QLineEdit* edit = lineEdit();
    QString content = edit->text();
    int cursor = edit->cursorPosition();
    if (edit->hasSelectedText()) {
        cursor = edit->selectionStart();
        content.remove(cursor, edit->selectedText().size());
    } else if (event->key() == Qt::Key_Backspace && cursor > 0) {
        content.remove(--cursor, 1);
    } else if (event->key() == Qt::Key_Delete) {
        content.remove(cursor, 1);
    }
    if (typed)
        content.insert(cursor++, text);
    const QSignalBlocker quiet(edit);
    edit->setText(content);
    edit->setCursorPosition(cursor);
    return true;
}

// Reads the typed text as a date; a text that is none shows the date as it was.
void DatePicker::takeTypedDate() {
    const QString text = lineEdit()->text();
    if (text == textFromDateTime(dateTime()))
        return;
    const std::optional<QDate> typed = ParseTypedDate(text, locale(), QDate::currentDate());
    setDate(typed ? *typed : date());
    const QSignalBlocker quiet(lineEdit());
    lineEdit()->setText(textFromDateTime(dateTime()));
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    if (typeKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        takeTypedDate();
    QDateEdit::keyPressEvent(event);
}

// A text of digits and separators is the clerk's typing: left as it stands (the picker's own
// checking would put a day that the month lacks right, "2026/2/30" to "2026/2/28"), and a date
// when it reads as one.
QValidator::State DatePicker::validate(QString& input, int& pos) const {
    for (const QChar c : input) {
        if (!(c >= u'0' && c <= u'9') && !isDateSeparator(c) && c != u' ')
            return QDateEdit::validate(input, pos);
    }
    return ParseTypedDate(input, locale(), QDate::currentDate()) ? QValidator::Acceptable
                                                                 : QValidator::Intermediate;
}

QDateTime DatePicker::dateTimeFromText(const QString& text) const {
    if (const std::optional<QDate> typed = ParseTypedDate(text, locale(), QDate::currentDate()))
        return QDateTime(*typed, QTime(0, 0));
    return QDateEdit::dateTimeFromText(text);
}

// Tab leaves the box, as it leaves every other box, rather than going through the parts of the
// date.
bool DatePicker::focusNextPrevChild(bool next) {
    takeTypedDate();
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason &&
        event->reason() != Qt::ActiveWindowFocusReason)
        lineEdit()->selectAll();
}

void DatePicker::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason)
        takeTypedDate();
    QDateEdit::focusOutEvent(event);
}
