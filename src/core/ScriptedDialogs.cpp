#include "core/ScriptedDialogs.h"

namespace core {

bool ScriptedDialogs::alert(const QString& message, const QString& caption, bool ask) {
    if (caption.isEmpty())
        return false;
    shown.append({ask ? QStringLiteral("ask") : QStringLiteral("alert"), message, caption});
    if (!ask)
        return false;
    return !answers.isEmpty() && answers.dequeue() == 1;
}

void ScriptedDialogs::message(const QString& text) {
    shown.append({QStringLiteral("message"), text, QString()});
}

void ScriptedDialogs::error(const QString& text) {
    shown.append({QStringLiteral("error"), text, QString()});
}

int ScriptedDialogs::yesNoCancel(const QString& message, const QString& caption) {
    shown.append({QStringLiteral("yesNoCancel"), message, caption});
    return answers.isEmpty() ? -1 : answers.dequeue();
}

bool ScriptedDialogs::inputValue(const QString& title, const QString& defaultValue, const QString&,
                                 QString& value) {
    shown.append({QStringLiteral("input"), title, QString()});
    value = defaultValue;
    if (inputs.isEmpty())
        return true;
    const QString answer = inputs.dequeue();
    if (answer == QLatin1String("\x1b"))
        return false;
    value = answer;
    return true;
}

QString ScriptedDialogs::openFileName(const QString& caption, const QString&) {
    shown.append({QStringLiteral("open"), caption, QString()});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString&, const QString&) {
    shown.append({QStringLiteral("save"), caption, QString()});
    return files.isEmpty() ? QString() : files.dequeue();
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const Shown& s : shown)
        out << s.text;
    return out;
}

bool ScriptedDialogs::sawText(const QString& fragment) const {
    for (const Shown& s : shown)
        if (s.text.contains(fragment))
            return true;
    return false;
}

} // namespace core
