#include "core/LikePattern.h"

namespace core {

QString likeLiteral(const QString& text) {
    QString out = text;
    // The escape character first, or the escapes added below would be doubled.
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('%'), QLatin1String("\\%"));
    out.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return out;
}

} // namespace core
