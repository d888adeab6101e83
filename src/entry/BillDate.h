#pragma once

#include <QDateTime>
#include <QString>

namespace entry {

// A date of the note written in one of the date formats of the option bar; "YYYY-MM-DD" for an
// empty or unknown format. The slash formats always show slashes, whatever the platform's date
// separator.
QString formatBillDate(const QDateTime& when, const QString& format);

} // namespace entry
