#include "users/PasswordHash.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringEncoder>

namespace users {

QString PasswordHash::digest(const QString& password) {
    if (password.isEmpty())
        return QString();
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(password);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

bool PasswordHash::matches(const QString& stored, const QString& password) {
    const QString expected = digest(password);
    if (expected.size() != stored.size())
        return false;
    // Every character is looked at, so the time taken does not tell how much of a guess was right.
    unsigned diff = 0;
    for (qsizetype i = 0; i < stored.size(); ++i)
        diff |= unsigned(stored[i].unicode() ^ expected[i].unicode());
    return diff == 0;
}

} // namespace users
