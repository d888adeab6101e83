#include "accounts/Ledger.h"
namespace accounts {
QString centsText(qint64 cents) {
    const qint64 a = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? "-" : "")
        .arg(a / 100)
        .arg(a % 100, 2, 10, QLatin1Char('0'));
}
} // namespace accounts
