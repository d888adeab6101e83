#pragma once

#include <QString>

namespace users {

// How operator passwords are stored: the MD5 digest of the password's GBK bytes as 32 lowercase
// hexadecimal characters; an empty text means "no password". Other installations and earlier
// versions read and write the same data file, so the form must stay exactly this.
class PasswordHash {
public:
    // The stored form of a password; empty stays empty.
    static QString digest(const QString& password);
    // True when the typed password matches the stored form (compared in constant time).
    static bool matches(const QString& stored, const QString& password);
};

} // namespace users
