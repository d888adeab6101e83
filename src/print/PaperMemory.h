#pragma once

#include "print/PrintDevice.h"

#include <QString>

namespace core {
class IniFile;
}

namespace print {

// The paper each printer was last set up with, kept in Config.ini so that a restart prints on
// it again. Section "PrinterPaper", per printer: <printer>.Paper (the size's key, such as A4,
// or "Custom"), <printer>.Width and <printer>.Height in millimetres, <printer>.Source (the
// platform's paper-source number, -1 for none).
class PaperMemory {
public:
    explicit PaperMemory(core::IniFile& ini) : m_ini(ini) {}

    // Invalid when nothing is kept for the printer or what is kept does not read as a size.
    PrintDevice::Paper recall(const QString& printer) const;
    // Written at once; an invalid paper or an unnamed printer is not kept.
    void remember(const QString& printer, const PrintDevice::Paper& paper);

    static const QString kSection;

private:
    core::IniFile& m_ini;
};

} // namespace print
