#include "templates/PrinterCalibration.h"

#include "core/Database.h"
#include "core/IniFile.h"

#include <QScopeGuard>

namespace templates {

namespace {
const QString kKnown = QStringLiteral("PrinterWeKnow");
const QString kPresets = QStringLiteral("printerweknow");
const QString kUse = QStringLiteral("printeruse");
} // namespace

const QString PrinterCalibration::kNoPresets = QStringLiteral("没有预选打印机配置");

QStringList PrinterCalibration::knownModels(const core::IniFile& ini) {
    QStringList models;
    const QStringList parts =
        ini.readString(kKnown, QStringLiteral("printers"), kNoPresets).split(QLatin1Char(','));
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty())
            models << part.trimmed();
    return models;
}

PrinterCalibration PrinterCalibration::preset(const core::IniFile& ini, const QString& model) {
    const QString key = QStringLiteral("default.") + model;
    PrinterCalibration p;
    p.model = model;
    p.x = ini.readString(kPresets, key + QStringLiteral(".x"));
    p.y = ini.readString(kPresets, key + QStringLiteral(".y"));
    p.direction = ini.readString(kPresets, key + QStringLiteral(".d"));
    p.board = ini.readString(kPresets, key + QStringLiteral(".board"));
    p.image = ini.readString(kPresets, key + QStringLiteral(".img"));
    return p;
}

PrinterCalibration PrinterCalibration::inUse(const core::IniFile& ini) {
    PrinterCalibration p;
    p.model = ini.readString(kUse, QStringLiteral("printers"));
    if (p.model.isEmpty())
        return p;
    p.printer = ini.readString(kUse, p.model + QStringLiteral(".PrinterName"));
    p.x = ini.readString(kUse, p.model + QStringLiteral(".x"));
    p.y = ini.readString(kUse, p.model + QStringLiteral(".y"));
    p.direction = ini.readString(kUse, p.model + QStringLiteral(".d"));
    p.board = ini.readString(kUse, p.model + QStringLiteral(".board"));
    return p;
}

void PrinterCalibration::storeInUse(core::IniFile& ini) const {
    ini.writeString(kUse, QStringLiteral("printers"), model);
    ini.writeString(kUse, model + QStringLiteral(".PrinterName"), printer);
    ini.writeString(kUse, model + QStringLiteral(".x"), x);
    ini.writeString(kUse, model + QStringLiteral(".y"), y);
    ini.writeString(kUse, model + QStringLiteral(".d"), direction);
    // The guide text is one line in the file.
    QString guide = board;
    guide.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    ini.writeString(kUse, model + QStringLiteral(".board"), guide);
    ini.flush();
}

bool PrinterCalibration::isUsableModelName(const QString& model) {
    const QString m = model.trimmed();
    if (m.isEmpty())
        return false;
    for (const QChar c : m)
        if (c == QLatin1Char('=') || c == QLatin1Char('[') || c == QLatin1Char(']') ||
            c == QLatin1Char(';') || c.unicode() < 0x20)
            return false;
    return true;
}

QString PrinterCalibration::directionCode(const QString& direction) {
    if (direction == QStringLiteral("横向"))
        return QStringLiteral("1");
    if (direction == QStringLiteral("纵向"))
        return QStringLiteral("0");
    return {};
}

int PrinterCalibration::applyToAllTemplates(core::Database& db, int x, int y, const QString& hvPrint) {
    db.begin();
    auto rollback = qScopeGuard([&db] { db.rollback(); });
    const int rows = db.exec(
        QStringLiteral("update ckTypeTable set XMove=:xmove,YMove=:ymove,HVPrint=:hv"),
        {{QStringLiteral("xmove"), x}, {QStringLiteral("ymove"), y}, {QStringLiteral("hv"), hvPrint}});
    db.commit();
    rollback.dismiss();
    return rows;
}

} // namespace templates
