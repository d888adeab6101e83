#include "entry/WindowPosition.h"

#include "core/IniFile.h"

namespace entry {

namespace {
const QString kSection = QStringLiteral("FMCHECKFHDSHD");
}

WindowPosition WindowPosition::load(const core::IniFile& ini) {
    WindowPosition p;
    p.x = ini.readInteger(kSection, QStringLiteral("PositionX"), 0);
    p.y = ini.readInteger(kSection, QStringLiteral("PositionY"), 0);
    p.barAtTop = ini.readString(kSection, QStringLiteral("PositionBar"), QStringLiteral("top"))
                     .compare(QLatin1String("bottom"), Qt::CaseInsensitive) != 0;
    return p;
}

void WindowPosition::save(core::IniFile& ini) const {
    ini.writeInteger(kSection, QStringLiteral("PositionX"), x);
    ini.writeInteger(kSection, QStringLiteral("PositionY"), y);
    ini.writeString(kSection, QStringLiteral("PositionBar"),
                    barAtTop ? QStringLiteral("top") : QStringLiteral("bottom"));
    ini.flush();
}

} // namespace entry
