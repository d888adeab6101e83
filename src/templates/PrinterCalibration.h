#pragma once

#include <QString>
#include <QStringList>

namespace core {
class Database;
class IniFile;
} // namespace core

namespace templates {

// Offset presets of printer models and the clerk's own calibration, kept in Config.ini:
// [PrinterWeKnow] printers = model,model,…; [printerweknow] default.<model>.x/.y/.d/.board/.img;
// [printeruse] printers = model, <model>.PrinterName/.x/.y/.d/.board.
struct PrinterCalibration {
    QString model;
    QString printer; // only in printeruse
    QString x;       // tenths of a millimetre, as stored
    QString y;
    QString direction; // "纵向" or "横向"
    QString board;     // where the paper guide goes
    QString image;     // preset only: picture relative to the program folder

    static const QString kNoPresets; // 没有预选打印机配置

    // The preset models; the single kNoPresets when the file names none.
    static QStringList knownModels(const core::IniFile& ini);
    static PrinterCalibration preset(const core::IniFile& ini, const QString& model);
    // The clerk's calibration; model empty when none is stored. Values not stored stay empty.
    static PrinterCalibration inUse(const core::IniFile& ini);
    void storeInUse(core::IniFile& ini) const;

    // A model name becomes part of INI keys: it must be one line without the characters that
    // delimit sections, keys and comments.
    static bool isUsableModelName(const QString& model);
    // HVPrint for a direction text: "1" 横向, "0" 纵向, empty for anything else.
    static QString directionCode(const QString& direction);
    // Offset and direction for every template, in one transaction; returns the templates
    // changed. Throws DbError with nothing changed.
    static int applyToAllTemplates(core::Database& db, int x, int y, const QString& hvPrint);
};

} // namespace templates
