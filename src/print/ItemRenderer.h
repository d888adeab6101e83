#pragma once

#include "print/ControlValues.h"
#include "print/ItemPlan.h"

#include <QHash>
#include <QString>
#include <functional>

class QWidget;

namespace core {
class AppContext;
}

namespace print {

class PrintDevice;

// Prints the items of one bill onto the open page of a print device: each item's value from
// its input control, laid out by ItemPlan from its layout row (ckControl) plus the template
// offsets. Lengths are tenths of a millimetre; the device's resolution and offsets are read
// again for every text and line. The currency shift uses app.moneyCode and app.cellWidth as
// they stand.
class ItemRenderer {
public:
    ItemRenderer(core::AppContext& app, PrintDevice& device);

    // Every item of the kind marked for printing (NameDict.PrintItem=1), in ShowOrd order.
    // Throws DbError when the item list cannot be read; a failing item reports itself and
    // the rest still prints.
    void printBill(QWidget* container, const QString& kind, int checkTypeId, int xOffset, int yOffset);
    // One item; false after an error, which has been reported.
    bool printCheckItem(int checkTypeId, int xOffset, int yOffset, const QString& name, const QString& value,
                        const QString& breakMarker);

    const ControlValues& controls() const { return m_controls; }
    // Told the name of each item of printBill before it prints.
    void setItemObserver(std::function<void(const QString&)> observer) {
        m_itemObserver = std::move(observer);
    }

private:
    core::AppContext& m_app;
    PrintDevice& m_device;
    ControlValues m_controls;
    std::function<void(const QString&)> m_itemObserver;
    // The layout rows of the template being printed by printBill, read once per page (by
    // upper-case item name); empty outside printBill.
    QHash<QString, ItemLayout> m_layouts;
    int m_layoutsOf = 0;
};

} // namespace print
