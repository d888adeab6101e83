#pragma once

#include "print/ControlValues.h"
#include "print/ItemPlan.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>

class QWidget;

namespace core {
class AppContext;
}

namespace print {

class PlanCanvas;

// Prints the items of one bill onto the open page of a print device (or a copy's canvas): each item's value
// from its input control, laid out by ItemPlan from its layout row (ckControl) plus the template offsets.
// Lengths are tenths of a millimetre; the device's resolution and offsets are read again for every text and
// line. The currency shift uses app.moneyCode and app.cellWidth as they stand.
class ItemRenderer {
public:
    ItemRenderer(core::AppContext& app, PlanCanvas& device);

    // Every item of the kind marked for printing (NameDict.PrintItem=1), in ShowOrd order.
    // Throws DbError when the item list or the layout rows cannot be read; a failing item reports itself and
    // the rest still prints, except a character the printer cannot print (UnprintableCharacter,
    // naming the item), which ends the bill.
    void printBill(QWidget* container, const QString& kind, int checkTypeId, int xOffset, int yOffset);
    // The same with the values from controls indexed already.
    void printBill(const ControlIndex& controls, const QString& kind, int checkTypeId, int xOffset,
                   int yOffset);
    // One item; false after an error, which has been reported.
    bool printCheckItem(int checkTypeId, int xOffset, int yOffset, const QString& name, const QString& value,
                        const QString& breakMarker);

    // Every bill of a job has the same items and layout rows. Held, printBill reads them for its
    // first bill and reuses them for the next bills of the same kind and template; released,
    // every bill reads them again (what a designer changed between two jobs prints at once).
    void holdLayouts(bool on);

    const ControlValues& controls() const { return m_controls; }
    // Told the name of each item of printBill before it prints.
    void setItemObserver(std::function<void(const QString&)> observer) {
        m_itemObserver = std::move(observer);
    }

private:
    // The printable items of a kind in print order, and the template's layout rows by name.
    struct BillLayout {
        struct Item {
            QString name;
            QString type; // upper case, TEXT when empty
        };
        QString kind;
        int checkTypeId = 0;
        bool read = false;
        QVector<Item> items;
        QHash<QString, ItemLayout> rows; // by upper-case name
    };
    const BillLayout& billLayout(const QString& kind, int checkTypeId);
    bool drawItem(const ItemLayout& layout, int xOffset, int yOffset, const QString& name,
                  const QString& value, const QString& breakMarker);
    void reportFailure(const QString& name);

    core::AppContext& m_app;
    PlanCanvas& m_device;
    ControlValues m_controls;
    bool m_holdLayouts = false;
    BillLayout m_layout;
    std::function<void(const QString&)> m_itemObserver;
};

} // namespace print
