#include "users/PasswordHash.h"

#include "core/DbError.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace users {

namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// A stored row names its own iteration count; a crafted one must not stall the login.
constexpr int kMaxIterations = 10000000;

QByteArray gbkBytes(const QString& text) {
    QStringEncoder gbk("GBK");
    return gbk.encode(text);
}

QByteArray derive(const QString& password, const QByteArray& salt, int iterations) {
    const QByteArray secret = password.toUtf8();
    QByteArray out(kHashBytes, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(secret.constData(), static_cast<int>(secret.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), kHashBytes,
                          reinterpret_cast<unsigned char*>(out.data())) != 1)
        return {};
    return out;
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    return a.size() == b.size() && !a.isEmpty() && CRYPTO_memcmp(a.constData(), b.constData(), a.size()) == 0;
}

struct Salted {
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

bool parse(const QString& stored, Salted& out) {
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0].compare(kScheme, Qt::CaseInsensitive) != 0)
        return false;
    bool ok = false;
    out.iterations = parts[1].toInt(&ok);
    if (!ok || out.iterations < 1 || out.iterations > kMaxIterations)
        return false;
    const auto salt =
        QByteArray::fromBase64Encoding(parts[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto hash =
        QByteArray::fromBase64Encoding(parts[3].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || (*salt).isEmpty() || (*hash).size() != kHashBytes)
        return false;
    out.salt = *salt;
    out.hash = *hash;
    return true;
}

} // namespace

PasswordHash::Form PasswordHash::formOf(const QString& stored) {
    if (stored.isEmpty())
        return Form::Empty;
    static const QString hexDigits = QStringLiteral("0123456789abcdefABCDEF");
    if (stored.size() == 32 &&
        std::all_of(stored.begin(), stored.end(), [](QChar c) { return hexDigits.contains(c); }))
        return Form::Legacy;
    Salted salted;
    return parse(stored, salted) ? Form::Salted : Form::Unknown;
}

QString PasswordHash::legacyDigest(const QString& password) {
    if (password.isEmpty())
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(gbkBytes(password), QCryptographicHash::Md5).toHex());
}

QString PasswordHash::make(const QString& password, int iterations) {
    if (password.isEmpty())
        return QString();
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    // An empty result would mean "no password": a failure must never come back as one.
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltBytes) != 1)
        throw core::DbError(QStringLiteral("无法生成密码摘要"));
    const QByteArray hash = derive(password, salt, iterations);
    if (hash.isEmpty())
        throw core::DbError(QStringLiteral("无法生成密码摘要"));
    return kScheme + QLatin1Char('$') + QString::number(iterations) + QLatin1Char('$') +
           QString::fromLatin1(salt.toBase64()) + QLatin1Char('$') + QString::fromLatin1(hash.toBase64());
}

bool PasswordHash::verify(const QString& stored, const QString& password) {
    switch (formOf(stored)) {
    case Form::Empty:
        return password.isEmpty();
    case Form::Legacy:
        return !password.isEmpty() &&
               sameBytes(legacyDigest(password).toLatin1(), stored.toLower().toLatin1());
    case Form::Salted: {
        Salted salted;
        parse(stored, salted);
        return !password.isEmpty() &&
               sameBytes(derive(password, salted.salt, salted.iterations), salted.hash);
    }
    case Form::Unknown:
        break;
    }
    return false;
}

bool PasswordHash::needsUpgrade(const QString& stored, int iterations) {
    switch (formOf(stored)) {
    case Form::Legacy:
        return true;
    case Form::Salted: {
        Salted salted;
        parse(stored, salted);
        return salted.iterations < iterations;
    }
    default:
        return false;
    }
}

} // namespace users
