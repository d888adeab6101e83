#include "print/TemplatePaperSwitch.h"

#include "core/IniFile.h"
#include "print/PrintLookups.h"

#include <algorithm>

namespace print {

const QString TemplatePaperSwitch::kSection = QStringLiteral("TemplatePaper");

bool TemplatePaperSwitch::forTemplate(int checkTypeId) const {
    return PrintLookups::printsOnTemplatePaper(m_db, checkTypeId);
}

bool TemplatePaperSwitch::forPrinter(const QString& printer) const {
    return !printer.isEmpty() && m_ini.readString(kSection, printer).trimmed() == QLatin1String("1");
}

bool TemplatePaperSwitch::setForPrinter(const QString& printer, bool on) {
    static const QString kUnfit = QStringLiteral("=[];\r\n");
    if (printer.trimmed().isEmpty() || printer.trimmed() != printer ||
        std::any_of(printer.cbegin(), printer.cend(), [](QChar c) { return kUnfit.contains(c); }))
        return false;
    if (on)
        m_ini.writeString(kSection, printer, QStringLiteral("1"));
    else
        m_ini.deleteKey(kSection, printer);
    return m_ini.flush();
}

bool TemplatePaperSwitch::applies(int checkTypeId, const QString& printer) const {
    return forPrinter(printer) || forTemplate(checkTypeId);
}

} // namespace print
