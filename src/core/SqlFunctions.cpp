#include "core/SqlFunctions.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cmath>
#include <sqlite3.h>
#include <string>

namespace core {

namespace {

QString argText(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

void resultNumber(sqlite3_context* ctx, double value) {
    if (std::floor(value) == value && std::fabs(value) < 9.0e15)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(value));
    else
        sqlite3_result_double(ctx, value);
}

bool isNull(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_NULL;
}

void ucaseFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toUpper());
}

void lcaseFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toLower());
}

void lenFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, static_cast<int>(argText(argv[0]).toUcs4().size()));
}

void valFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_int(ctx, 0);
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
        return resultNumber(ctx, sqlite3_value_double(argv[0]));
    resultNumber(ctx, leadingNumber(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))));
}

// Date texts as users and the system write them; the result is the stored ISO form.
QDateTime parseDate(const QString& raw) {
    const QString text = raw.trimmed();
    static const QStringList formats = {
        QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-M-d H:m:s"),
        QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyy-M-d H:m"),
        QStringLiteral("yyyy/M/d H:m:s"),      QStringLiteral("yyyy/M/d H:m"),
        QStringLiteral("yyyy.M.d H:m:s"),      QStringLiteral("yyyy年M月d日 H:m:s"),
        QStringLiteral("yyyyMMdd HH:mm:ss"),
    };
    for (const QString& f : formats) {
        const QDateTime dt = QDateTime::fromString(text, f);
        if (dt.isValid())
            return dt;
    }
    static const QStringList dateFormats = {QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy/M/d"),
                                            QStringLiteral("yyyy.M.d"), QStringLiteral("yyyy年M月d日"),
                                            QStringLiteral("yyyyMMdd")};
    for (const QString& f : dateFormats) {
        const QDate d = QDate::fromString(text, f);
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return {};
}

void cdateFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QDateTime dt = parseDate(argText(argv[0]));
    if (!dt.isValid()) {
        sqlite3_result_error(ctx, "cdate: 日期格式不正确", -1);
        return;
    }
    resultText(ctx, dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void nowFn(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void cstrFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]));
}

void cintFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    // Whole numbers round halves to even, as the conversion functions of the old engine did.
    const double v = sqlite3_value_type(argv[0]) == SQLITE_TEXT
                         ? leadingNumber(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])))
                         : sqlite3_value_double(argv[0]);
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::nearbyint(v)));
}

void cdblFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const double v = sqlite3_value_type(argv[0]) == SQLITE_TEXT
                         ? leadingNumber(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])))
                         : sqlite3_value_double(argv[0]);
    sqlite3_result_double(ctx, v);
}

void isnullFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, isNull(argv[0]) ? 1 : 0);
}

void midFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString s = argText(argv[0]);
    const int start = sqlite3_value_int(argv[1]);
    const int count = argc > 2 ? sqlite3_value_int(argv[2]) : -1;
    resultText(ctx, s.mid(qMax(0, start - 1), count));
}

} // namespace

double leadingNumber(const char* text) {
    if (!text)
        return 0;
    std::string compact;
    for (const char* p = text; *p; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            compact += *p;
    size_t i = 0;
    std::string number;
    if (i < compact.size() && (compact[i] == '-' || compact[i] == '+'))
        number += compact[i++];
    bool digits = false, dot = false;
    while (i < compact.size()) {
        const char c = compact[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            number += c;
        } else if (c == '.' && !dot) {
            dot = true;
            number += c;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0;
    if (i < compact.size() && (compact[i] == 'e' || compact[i] == 'E')) {
        std::string exponent = "e";
        size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '-' || compact[j] == '+'))
            exponent += compact[j++];
        bool expDigits = false;
        while (j < compact.size() && compact[j] >= '0' && compact[j] <= '9') {
            exponent += compact[j++];
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

void registerSqlFunctions(sqlite3* handle) {
    struct Fn {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    static const Fn functions[] = {
        {"ucase", 1, ucaseFn, true}, {"lcase", 1, lcaseFn, true},   {"len", 1, lenFn, true},
        {"val", 1, valFn, true},     {"cdate", 1, cdateFn, true},   {"now", 0, nowFn, false},
        {"cstr", 1, cstrFn, true},   {"cint", 1, cintFn, true},     {"clng", 1, cintFn, true},
        {"cdbl", 1, cdblFn, true},   {"isnull", 1, isnullFn, true}, {"mid", 2, midFn, true},
        {"mid", 3, midFn, true},
    };
    for (const Fn& f : functions)
        sqlite3_create_function_v2(handle, f.name, f.args,
                                   SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0), nullptr, f.fn,
                                   nullptr, nullptr, nullptr);
}

} // namespace core
