#include "imports/ImportLog.h"

namespace imports {

namespace {
QString rowKey(int row) {
    return QLatin1Char('N') + QString::number(row);
}
// A value is one line of the file: a line break would start a line that is no entry.
QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}
} // namespace

ImportLog::ImportLog(const QString& runPath) : m_ini(fileName(runPath)) {}

QString ImportLog::fileName(const QString& runPath) {
    return runPath + QStringLiteral("ImportLog.txt");
}

void ImportLog::clear() {
    m_ini.eraseSection(QStringLiteral("LOG"));
    m_ini.eraseSection(QStringLiteral("ERR"));
    m_ini.eraseSection(QStringLiteral("INFO"));
}

void ImportLog::info(const QString& key, const QString& value) {
    m_ini.writeString(QStringLiteral("INFO"), key, oneLine(value));
}

void ImportLog::log(int row, const QString& text) {
    m_ini.writeString(QStringLiteral("LOG"), rowKey(row), oneLine(text));
}

void ImportLog::err(int row, const QString& text) {
    m_ini.writeString(QStringLiteral("ERR"), rowKey(row), oneLine(text));
}

} // namespace imports
