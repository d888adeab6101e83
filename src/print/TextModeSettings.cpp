#include "print/TextModeSettings.h"

#include "core/IniFile.h"

namespace print {

const QString TextModeSettings::kSection = QStringLiteral("PrintMode");

namespace {

QString key(const QString& printer, const char* field) {
    return printer + QLatin1Char('.') + QLatin1String(field);
}

int unitOf(const QString& text, std::initializer_list<int> allowed, int fallback) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    for (int a : allowed)
        if (ok && value == a)
            return value;
    return fallback;
}

} // namespace

TextModeSettings TextModeSettings::read(const core::IniFile& ini, const QString& printer) {
    TextModeSettings s;
    if (printer.isEmpty())
        return s;
    if (ini.readString(kSection, printer).trimmed().compare(QLatin1String("text"), Qt::CaseInsensitive) == 0)
        s.mode = Mode::Text;
    if (ini.readString(kSection, key(printer, "Charset"))
            .trimmed()
            .compare(QLatin1String("GB2312"), Qt::CaseInsensitive) == 0)
        s.charset = Charset::GB2312;
    s.verticalUnit = unitOf(ini.readString(kSection, key(printer, "VUnit")), {180, 360}, 180);
    s.horizontalUnit = unitOf(ini.readString(kSection, key(printer, "HUnit")), {60, 120, 180}, 180);
    return s;
}

void TextModeSettings::write(core::IniFile& ini, const QString& printer) const {
    if (printer.isEmpty())
        return;
    const TextModeSettings kept = read(ini, printer);
    if (kept.mode != mode)
        ini.writeString(kSection, printer,
                        mode == Mode::Text ? QStringLiteral("text") : QStringLiteral("graphics"));
    if (kept.charset != charset)
        ini.writeString(kSection, key(printer, "Charset"),
                        charset == Charset::GB2312 ? QStringLiteral("GB2312") : QStringLiteral("GB18030"));
    if (kept.verticalUnit != verticalUnit)
        ini.writeInteger(kSection, key(printer, "VUnit"), verticalUnit);
    if (kept.horizontalUnit != horizontalUnit)
        ini.writeInteger(kSection, key(printer, "HUnit"), horizontalUnit);
    ini.flush();
}

TextModeSettings TextModeSettings::read(const QString& configIniPath, const QString& printer) {
    const core::IniFile ini(configIniPath);
    return read(ini, printer);
}

void TextModeSettings::write(const QString& configIniPath, const QString& printer) const {
    core::IniFile ini(configIniPath);
    write(ini, printer);
}

} // namespace print
