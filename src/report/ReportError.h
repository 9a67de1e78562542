#pragma once

#include <QString>
#include <stdexcept>

// A failure of the report engine (a template that cannot be read, a reference that names no
// field, a printer or file that cannot be written). Carries a message for the user; only
// windows turn it into a message box.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
