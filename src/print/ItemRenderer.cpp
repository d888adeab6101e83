#include "print/ItemRenderer.h"

#include "core/AppContext.h"
#include "print/ItemPlan.h"
#include "print/PrintDevice.h"
#include "print/TextBreaking.h"

#include <QScopeGuard>

namespace print {

ItemRenderer::ItemRenderer(core::AppContext& app, PrintDevice& device)
    : m_app(app), m_device(device), m_controls(app) {}

void ItemRenderer::printBill(QWidget* container, const QString& kind, int checkTypeId, int xOffset,
                             int yOffset) {
    core::Recordset items = m_app.db().query(
        QStringLiteral("select * from namedict where CheckTypeName=:kind and PrintItem=1 order by showord"),
        {{QStringLiteral("kind"), kind}});
    // One read of the template's layout rows for the page rather than one per item: a batch
    // run prints a thousand pages in a row.
    const auto forget = qScopeGuard([this] {
        m_layouts.clear();
        m_layoutsOf = 0;
    });
    try {
        core::Recordset rows = m_app.db().query(
            QStringLiteral(
                "select * from CkControl where CheckTypeId=:typeid and NeedPrint=1 and NeedShow=1"),
            {{QStringLiteral("typeid"), checkTypeId}});
        for (rows.first(); !rows.eof(); rows.next()) {
            const QString key = rows.text(QStringLiteral("CtlName")).toUpper();
            if (!m_layouts.contains(key))
                m_layouts.insert(key, ItemLayout::fromRecord(rows));
        }
        m_layoutsOf = checkTypeId;
    } catch (const std::exception&) {
        m_layouts.clear(); // each item then reads its own row and reports its own failure
    }
    for (items.first(); !items.eof(); items.next()) {
        const QString name = items.text(QStringLiteral("CtlName"));
        QString type = items.text(QStringLiteral("CtlType")).trimmed().toUpper();
        if (type.isEmpty())
            type = QStringLiteral("TEXT");
        if (m_itemObserver)
            m_itemObserver(name);
        if (type == QLatin1String("TEXT")) {
            QString value = m_controls.getControlValue(container, name);
            value.replace(QLatin1Char('\n'), ItemPlan::kBreakMarker);
            value.remove(QLatin1Char('\r'));
            printCheckItem(checkTypeId, xOffset, yOffset, name, value, ItemPlan::kBreakMarker);
        } else if (type == QLatin1String("CHECKBOX")) {
            // A tick item prints its mark ("√") only when ticked: an unticked box stays blank on
            // paper as it is on screen.
            printCheckItem(checkTypeId, xOffset, yOffset, name, m_controls.getControlValue(container, name),
                           QString());
        } else if (type == QLatin1String("LINE")) {
            printCheckItem(checkTypeId, xOffset, yOffset, name, QStringLiteral("-"), QString());
        }
    }
}

bool ItemRenderer::printCheckItem(int checkTypeId, int xOffset, int yOffset, const QString& name,
                                  const QString& value, const QString& breakMarker) {
    if (TextBreaking::isBlank(value))
        return true;
    try {
        const PlanContext context{xOffset, yOffset, m_app.moneyCode, m_app.cellWidth};
        if (m_layoutsOf != 0 && m_layoutsOf == checkTypeId) {
            const auto layout = m_layouts.constFind(name.toUpper());
            if (layout != m_layouts.constEnd())
                ItemPlan::draw(ItemPlan::plan(*layout, value, breakMarker, context), m_device);
            return true;
        }
        core::Recordset row = m_app.db().query(
            QStringLiteral("select * from CkControl where CheckTypeId=:typeid and CtlName=:cname and "
                           "NeedPrint=1 and NeedShow=1"),
            {{QStringLiteral("typeid"), checkTypeId}, {QStringLiteral("cname"), name}});
        if (row.isEmpty())
            return true;
        row.first();
        ItemPlan::draw(ItemPlan::plan(ItemLayout::fromRecord(row), value, breakMarker, context), m_device);
        return true;
    } catch (const std::exception&) {
        m_app.dialogs().alert(QStringLiteral("打印") + name + QStringLiteral("出现错误！"),
                              QStringLiteral("错误"), false);
        return false;
    }
}

} // namespace print
