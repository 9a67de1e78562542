#pragma once

#include <QString>
#include <stdexcept>

// The base of every failure the program reports to the user (the data store, the spreadsheet
// writer, the report engine): it carries the message the user sees. Only windows turn it into a
// message box (through the one guard); the command-line tool writes it to its error output.
class UserError : public std::runtime_error {
public:
    explicit UserError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
