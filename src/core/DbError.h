#pragma once

#include <QString>
#include <stdexcept>

namespace core {

// A failing statement: carries the engine's message, which callers show after their own prefix.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace core
