#pragma once

#include <QString>

namespace core {
class IniFile;
}

namespace print {

// How one printer is driven, kept in Config.ini [PrintMode] per printer name:
//   <printer>=graphics|text, <printer>.Charset=GB2312|GB18030,
//   <printer>.VUnit=180|360 (units per inch of vertical moves), <printer>.HUnit=60|120|180
// Read where a job begins, so a change in the printer's parameters holds from the next job on.
// Unknown or missing values read as the defaults below.
struct TextModeSettings {
    enum class Mode { Graphics, Text };
    enum class Charset { GB2312, GB18030 };
    Mode mode = Mode::Graphics;
    Charset charset = Charset::GB18030;
    int verticalUnit = 180;   // 1/180 or 1/360 inch
    int horizontalUnit = 180; // 1/60, 1/120 or 1/180 inch

    static TextModeSettings read(const QString& configIniPath, const QString& printer);
    // Only what differs from what is kept is written (the other keys stay as they stand).
    void write(const QString& configIniPath, const QString& printer) const;
    // The same on a settings file the program holds open (AppContext::userIni), so its own
    // later writes cannot put back an older copy.
    static TextModeSettings read(const core::IniFile& ini, const QString& printer);
    void write(core::IniFile& ini, const QString& printer) const;

    bool operator==(const TextModeSettings& o) const {
        return mode == o.mode && charset == o.charset && verticalUnit == o.verticalUnit &&
               horizontalUnit == o.horizontalUnit;
    }
    bool operator!=(const TextModeSettings& o) const { return !(*this == o); }

    static const QString kSection; // PrintMode
};

} // namespace print
