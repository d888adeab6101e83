#pragma once

#include <QString>
#include <stdexcept>

namespace imports {

// A workbook that cannot be opened or read: carries the text the import windows show after
// their own prefix ("EXCEL导入错误,").
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace imports
