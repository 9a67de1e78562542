#pragma once

#include <QString>
#include <stdexcept>

// A failure of the spreadsheet layer: an address it cannot read, a file it cannot write.
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Writing a workbook was stopped through its progress function; no file was left behind.
class SpreadsheetCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "spreadsheet writing cancelled"; }
};
