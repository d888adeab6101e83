#include "print/PaperMemory.h"

#include "core/IniFile.h"

namespace print {

const QString PaperMemory::kSection = QStringLiteral("PrinterPaper");

namespace {

const QString kCustom = QStringLiteral("Custom");

QString key(const QString& printer, const char* field) {
    return printer + QLatin1Char('.') + QLatin1String(field);
}

QPageSize::PageSizeId idOfKey(const QString& sizeKey) {
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const auto candidate = QPageSize::PageSizeId(id);
        if (candidate != QPageSize::Custom && QPageSize::key(candidate) == sizeKey)
            return candidate;
    }
    return QPageSize::Custom;
}

} // namespace

PrintDevice::Paper PaperMemory::recall(const QString& printer) const {
    if (printer.isEmpty())
        return {};
    const QString sizeKey = m_ini.readString(kSection, key(printer, "Paper"));
    if (sizeKey.isEmpty())
        return {};
    PrintDevice::Paper paper;
    paper.source = m_ini.readInteger(kSection, key(printer, "Source"), -1);
    const QPageSize::PageSizeId id = idOfKey(sizeKey);
    if (id != QPageSize::Custom) {
        paper.size = QPageSize(id);
        return paper;
    }
    const double width = m_ini.readFloat(kSection, key(printer, "Width"), 0);
    const double height = m_ini.readFloat(kSection, key(printer, "Height"), 0);
    if (width > 0 && height > 0)
        paper.size =
            QPageSize(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return paper;
}

void PaperMemory::remember(const QString& printer, const PrintDevice::Paper& paper) {
    if (printer.isEmpty() || !paper.isValid())
        return;
    const QSizeF mm = paper.size.size(QPageSize::Millimeter);
    const QPageSize::PageSizeId id = paper.size.id();
    m_ini.writeString(kSection, key(printer, "Paper"),
                      id == QPageSize::Custom ? kCustom : QPageSize::key(id));
    m_ini.writeString(kSection, key(printer, "Width"), QString::number(mm.width(), 'f', 1));
    m_ini.writeString(kSection, key(printer, "Height"), QString::number(mm.height(), 'f', 1));
    m_ini.writeInteger(kSection, key(printer, "Source"), paper.source);
    m_ini.flush();
}

} // namespace print
