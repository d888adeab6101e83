#include "print/ItemRenderer.h"

#include "core/AppContext.h"
#include "print/EscpTextDevice.h"
#include "print/ItemPlan.h"
#include "print/PlanCanvas.h"
#include "print/TextBreaking.h"

#include <QHash>

namespace print {

ItemRenderer::ItemRenderer(core::AppContext& app, PlanCanvas& device)
    : m_app(app), m_device(device), m_controls(app) {}

void ItemRenderer::holdLayouts(bool on) {
    m_holdLayouts = on;
    if (!on)
        m_layout = {};
}

const ItemRenderer::BillLayout& ItemRenderer::billLayout(const QString& kind, int checkTypeId) {
    if (m_holdLayouts && m_layout.read && m_layout.kind == kind && m_layout.checkTypeId == checkTypeId)
        return m_layout;
    BillLayout layout;
    layout.kind = kind;
    layout.checkTypeId = checkTypeId;
    core::Recordset items = m_app.db().query(
        QStringLiteral("select * from namedict where CheckTypeName=:kind and PrintItem=1 order by showord"),
        {{QStringLiteral("kind"), kind}});
    for (items.first(); !items.eof(); items.next()) {
        QString type = items.text(QStringLiteral("CtlType")).trimmed().toUpper();
        if (type.isEmpty())
            type = QStringLiteral("TEXT");
        layout.items.append({items.text(QStringLiteral("CtlName")), type});
    }
    // The template's printable layout rows read once for the whole bill: a statement per item
    // cost more than drawing the item.
    core::Recordset rows = m_app.db().query(
        QStringLiteral("select * from CkControl where CheckTypeId=:typeid and NeedPrint=1 and NeedShow=1"),
        {{QStringLiteral("typeid"), checkTypeId}});
    for (rows.first(); !rows.eof(); rows.next()) {
        // Names compare without regard to letter case, as the table's column does; the first row
        // of a name wins, as a look-up of that name would find it.
        const QString key = rows.text(QStringLiteral("CtlName")).toUpper();
        if (!layout.rows.contains(key))
            layout.rows.insert(key, ItemLayout::fromRecord(rows));
    }
    layout.read = true;
    m_layout = std::move(layout);
    return m_layout;
}

void ItemRenderer::printBill(QWidget* container, const QString& kind, int checkTypeId, int xOffset,
                             int yOffset) {
    printBill(ControlIndex(m_controls, container), kind, checkTypeId, xOffset, yOffset);
}

void ItemRenderer::printBill(const ControlIndex& controls, const QString& kind, int checkTypeId, int xOffset,
                             int yOffset) {
    const BillLayout& layout = billLayout(kind, checkTypeId);
    const auto print = [&](const QString& name, const QString& value, const QString& breakMarker) {
        if (TextBreaking::isBlank(value))
            return;
        const auto row = layout.rows.constFind(name.toUpper());
        if (row != layout.rows.cend())
            drawItem(*row, xOffset, yOffset, name, value, breakMarker);
    };
    for (const BillLayout::Item& item : layout.items) {
        if (m_itemObserver)
            m_itemObserver(item.name);
        if (item.type == QLatin1String("TEXT")) {
            QString value = controls.getControlValue(item.name);
            value.replace(QLatin1Char('\n'), ItemPlan::kBreakMarker);
            value.remove(QLatin1Char('\r'));
            print(item.name, value, ItemPlan::kBreakMarker);
        } else if (item.type == QLatin1String("CHECKBOX")) {
            // A tick item prints its mark ("√") only when ticked: an unticked box stays blank on
            // paper as it is on screen.
            print(item.name, controls.getControlValue(item.name), QString());
        } else if (item.type == QLatin1String("LINE")) {
            print(item.name, QStringLiteral("-"), QString());
        }
    }
}

bool ItemRenderer::printCheckItem(int checkTypeId, int xOffset, int yOffset, const QString& name,
                                  const QString& value, const QString& breakMarker) {
    if (TextBreaking::isBlank(value))
        return true;
    try {
        core::Recordset row = m_app.db().query(
            QStringLiteral("select * from CkControl where CheckTypeId=:typeid and CtlName=:cname and "
                           "NeedPrint=1 and NeedShow=1"),
            {{QStringLiteral("typeid"), checkTypeId}, {QStringLiteral("cname"), name}});
        if (row.isEmpty())
            return true;
        row.first();
        return drawItem(ItemLayout::fromRecord(row), xOffset, yOffset, name, value, breakMarker);
    } catch (const UnprintableCharacter&) {
        throw;
    } catch (const std::exception&) {
        reportFailure(name);
        return false;
    }
}

bool ItemRenderer::drawItem(const ItemLayout& layout, int xOffset, int yOffset, const QString& name,
                            const QString& value, const QString& breakMarker) {
    try {
        const PlanContext context{xOffset, yOffset, m_app.moneyCode, m_app.cellWidth};
        ItemPlan::draw(ItemPlan::plan(layout, value, breakMarker, context), m_device);
        return true;
    } catch (UnprintableCharacter& e) {
        // Not one item's fault to skip: the job refuses it whole, naming the item.
        e.setItem(name);
        throw;
    } catch (const std::exception&) {
        reportFailure(name);
        return false;
    }
}

void ItemRenderer::reportFailure(const QString& name) {
    m_app.dialogs().alert(QStringLiteral("打印") + name + QStringLiteral("出现错误！"),
                          QStringLiteral("错误"), false);
}

} // namespace print
