#pragma once

#include <QString>
#include <stdexcept>

namespace print {

// A print device that could not do what it was asked (no printer, no open page, a spooler
// refusal). The job turns it into its own message; the renderer into the item's message.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace print
