#include "cli/ConsoleDialogs.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

QStringList& logged() {
    static QStringList lines;
    return lines;
}

QStringList& reasons() {
    static QStringList lines;
    return lines;
}

void writeLine(const QString& line) {
    logged() << line;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void writeError(const QString& line) {
    reasons() << line;
    writeLine(line);
}

const QStringList& errorLog() {
    return logged();
}

const QStringList& reasonsLog() {
    return reasons();
}

void writeOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

bool errorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void ConsoleDialogs::write(const QString& text) {
    m_texts << text;
    if (m_quiet)
        logged() << text;
    else
        writeLine(text);
}

bool ConsoleDialogs::alert(const QString& message, const QString& caption, bool ask) {
    if (caption.isEmpty())
        return false;
    if (!ask) {
        write(caption + QStringLiteral("：") + message);
        return false;
    }
    if (m_assumeYes) {
        write(caption + QStringLiteral("：") + message + QStringLiteral(" —— 回答：是（--yes）"));
        return true;
    }
    m_refused = true;
    write(caption + QStringLiteral("：") + message + QStringLiteral(" —— 回答：否（要回答“是”请加 --yes）"));
    return false;
}

void ConsoleDialogs::message(const QString& text) {
    write(text);
}

void ConsoleDialogs::error(const QString& text) {
    write(QStringLiteral("错误：") + text);
}

int ConsoleDialogs::yesNoCancel(const QString& message, const QString& caption) {
    if (m_assumeYes) {
        write(caption + QStringLiteral("：") + message + QStringLiteral(" —— 回答：是（--yes）"));
        return 1;
    }
    m_refused = true;
    write(caption + QStringLiteral("：") + message +
          QStringLiteral(" —— 回答：取消（要回答“是”请加 --yes）"));
    return -1;
}

bool ConsoleDialogs::inputValue(const QString& title, const QString& defaultValue, const QString& type,
                                QString& value) {
    Q_UNUSED(type)
    if (m_input.isNull()) {
        m_refused = true;
        write(title + QStringLiteral(" —— 命令行没有给出，取消"));
        value = defaultValue;
        return false;
    }
    value = m_input;
    return true;
}

QString ConsoleDialogs::openFileName(const QString& caption, const QString& filter) {
    Q_UNUSED(filter)
    m_refused = true;
    write(caption + QStringLiteral(" —— 命令行不选择文件，取消"));
    return QString();
}

QString ConsoleDialogs::saveFileName(const QString& caption, const QString& suggestedName,
                                     const QString& filter) {
    Q_UNUSED(suggestedName)
    Q_UNUSED(filter)
    m_refused = true;
    write(caption + QStringLiteral(" —— 命令行不选择文件，取消"));
    return QString();
}

} // namespace cli
