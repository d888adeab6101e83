#pragma once

#include <QString>

namespace core {
class Database;
class IniFile;
} // namespace core

namespace print {

// Whether a job prints on its template's own paper (PWidth × PHeight) instead of the printer's.
// Two switches say so, and either one is enough: the template's own (DMTable cfgTemplatePaper
// "1", as it has always been stored) and its printer's, which covers every template printed on
// that printer, so a tractor printer loaded with continuous forms is set once, not per template.
// The printer's switch lives in Config.ini, section "TemplatePaper", key <printer> = 1; the
// template's switch is never written by it, so turning the printer's off leaves each template's
// own choice as it was.
class TemplatePaperSwitch {
public:
    TemplatePaperSwitch(core::Database& db, core::IniFile& ini) : m_db(db), m_ini(ini) {}

    bool forTemplate(int checkTypeId) const;
    bool forPrinter(const QString& printer) const;
    // Written at once. False for a printer whose name cannot be an INI key (empty, blanks at an
    // end, or holding =, [, ], ; or a line break): nothing is kept for it.
    bool setForPrinter(const QString& printer, bool on);
    // The job of this template on this printer goes on the template's paper.
    bool applies(int checkTypeId, const QString& printer) const;

    static const QString kSection;

private:
    core::Database& m_db;
    core::IniFile& m_ini;
};

} // namespace print
