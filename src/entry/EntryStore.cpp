#include "entry/EntryStore.h"

#include "core/Database.h"

namespace entry {

std::optional<TemplateFace> EntryStore::loadTemplateFace(int id) {
    try {
        core::Recordset rs = m_db.query(
            QStringLiteral("select Theight,Twidth,imgFile,CheckBoxs from ckTypetable where checktypeid=:id"),
            {{QStringLiteral("id"), id}});
        if (rs.isEmpty())
            return std::nullopt;
        rs.first();
        TemplateFace face;
        face.height = int(rs.integer(QStringLiteral("Theight")));
        face.width = int(rs.integer(QStringLiteral("Twidth")));
        face.imageFile = rs.text(QStringLiteral("imgFile"));
        face.checkBoxes = rs.text(QStringLiteral("CheckBoxs"));
        return face;
    } catch (const core::DbError&) {
        return std::nullopt;
    }
}

} // namespace entry
