#pragma once

#include <QString>

namespace core {

// The text as a literal inside a LIKE pattern: \, % and _ are escaped with a backslash, so the
// statement must say escape '\' after the pattern. Typed text such as "50%" then matches only
// itself, never more.
QString likeLiteral(const QString& text);

} // namespace core
