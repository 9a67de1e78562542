#pragma once

#include <QString>
#include <stdexcept>

// An engine or data failure. Carries the engine's own message; only windows turn it into a
// message box.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The silent abort: ends the running event handler without a further message (a validation
// failure has already told the user what is wrong).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};
