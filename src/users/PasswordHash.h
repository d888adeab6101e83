#pragma once

#include <QString>

namespace users {

// How operator passwords are stored. An empty text means "no password". Passwords set by this
// program are stored as "pbkdf2-sha256$<iterations>$<salt>$<hash>" (salt and hash in Base64), a
// slow salted hash, so a copied data file does not give common passwords away in seconds.
// Stored rows of earlier versions hold 32 hexadecimal digits, the MD5 of the password's GBK
// bytes; they are still accepted and replaced at the next successful login.
class PasswordHash {
public:
    static constexpr int kIterations = 600000;

    enum class Form { Empty, Legacy, Salted, Unknown };
    static Form formOf(const QString& stored);

    // The stored form of a new password: empty for an empty password. Throws core::DbError when
    // no random salt can be had.
    static QString make(const QString& password, int iterations = kIterations);
    // The digest earlier versions stored: lowercase hex MD5 of the GBK bytes; empty stays empty.
    static QString legacyDigest(const QString& password);
    // True when the typed password matches the stored form (compared in constant time).
    static bool verify(const QString& stored, const QString& password);
    // True when a matching stored form should be replaced by a salted hash of this strength.
    static bool needsUpgrade(const QString& stored, int iterations = kIterations);
};

} // namespace users
