#include "lists/ListFormatter.h"

#include "data/StoredDate.h"

#include <QDate>
#include <QTime>
#include <charconv>

ListFormatter::ListFormatter(const std::vector<GridColumn>& columns, const QLocale& locale)
    : m_locale(locale), m_timeFormat(GridTimeFormat(locale)), m_general(QString(), locale) {
    m_cellFormats.reserve(columns.size());
    m_footerFormats.reserve(columns.size());
    for (const GridColumn& column : columns) {
        m_cellFormats.emplace_back(column.DisplayFormat, locale);
        m_hasCellFormat.push_back(!column.DisplayFormat.isEmpty());
        m_footerFormats.emplace_back(
            column.FooterFormat.isEmpty() ? column.DisplayFormat : column.FooterFormat, locale);
    }
}

void ListFormatter::appendDate(qint64 seconds, std::string& out) const {
    const qint64 day = StoredDate::dayOf(seconds);
    auto known = m_days.find(day);
    if (known == m_days.end()) {
        int year, month, dayOfMonth;
        StoredDate::civilFromDays(day, year, month, dayOfMonth);
        known = m_days
                    .emplace(day,
                             m_locale.toString(QDate(year, month, dayOfMonth), QLocale::ShortFormat)
                                 .toStdString())
                    .first;
    }
    out += known->second;
    const int ofDay = static_cast<int>(seconds - day * StoredDate::SecondsPerDay);
    if (ofDay == 0)
        return;
    auto time = m_times.find(ofDay);
    if (time == m_times.end())
        time = m_times
                   .emplace(ofDay,
                            ' ' + m_locale
                                      .toString(QTime(ofDay / 3600, ofDay / 60 % 60, ofDay % 60),
                                                m_timeFormat)
                                      .toStdString())
                   .first;
    out += time->second;
}

void ListFormatter::append(int column, const CellValue& value, std::string& out) const {
    if (value.kind == CellValue::Kind::Null)
        return;
    if (m_hasCellFormat[column]) {
        m_cellFormats[column].append(CellAsFloat(value), out);
        return;
    }
    switch (value.kind) {
    case CellValue::Kind::Integer: {
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, value.integer).ptr);
        return;
    }
    case CellValue::Kind::Real:
        m_general.append(value.real, out);
        return;
    case CellValue::Kind::Date:
        appendDate(value.integer, out);
        return;
    case CellValue::Kind::Text: {
        qint64 seconds;
        if (StoredDate::parseAnyForm(value.text, seconds))
            appendDate(seconds, out);
        else
            out += value.text;
        return;
    }
    case CellValue::Kind::Null:
        return;
    }
}

QString ListFormatter::text(int column, const CellValue& value) const {
    m_scratch.clear();
    append(column, value, m_scratch);
    return QString::fromUtf8(m_scratch.data(), static_cast<qsizetype>(m_scratch.size()));
}

void ListFormatter::appendSum(int column, double total, std::string& out) const {
    m_footerFormats[column].append(total, out);
}
