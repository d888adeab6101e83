#pragma once

#include "designer/LayoutScale.h"
#include "print/ItemPlan.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace core {
class Database;
class Recordset;
} // namespace core

namespace designer {

// One printable item of a template as the layout designer shows it: its layout row (ckControl)
// with the definition of its kind (NameDict).
struct LayoutItem {
    QString name;      // CtlName as stored
    QString caption;   // ckControl.CtlCName
    QString label;     // NameDict.CtlLabel
    QString testValue; // NameDict.CtlData
    QString kindType;  // NameDict.CtlType in upper case, TEXT when empty
    QString initValue;
    int srcW = 0;
    int srcH = 0;
    bool shown = true; // NeedShow above 0: only then does the printer print it
    int storedWidth = 0;
    int storedHeight = 0;
    print::ItemLayout layout;

    static LayoutItem fromRecord(const core::Recordset& row);
    // The text shown for the item: its default value, else the test value, else the label.
    QString sampleText() const;
    // Whether the printer would put marks for this item at all (shown, of a printed kind).
    bool prints() const;
    // The marks the printer makes for the sample text (a tick item: its tick), planned by the
    // printer's own rules; empty when it prints nothing. Throws PrintError for a layout the
    // printer cannot print.
    QVector<print::DrawOp> plan(const print::PlanContext& context) const;
};

// What a write did: rows changed and the text for the window's message panel (or, when boxed,
// for a message box).
struct Outcome {
    int rows = 0;
    QString message;
    bool boxed = false;
};

// The window-free part of the print-layout designer: reading a template's printable items and
// writing every change at once to ckControl (values bound, names quoted by Database::quote),
// each command in one transaction. Names compare without regard to letter case, as the
// database does.
class LayoutStore {
public:
    LayoutStore(core::Database& db, int checkTypeId);

    // The template's kind, full name, image and paper; false when it has no kind. Throws DbError.
    bool loadTemplate();
    int id() const { return m_id; }
    QString kind() const { return m_kind; }
    QString fullName() const { return m_fullName; }
    QString imageFile() const { return m_imageFile; }
    int paperWidth() const { return m_paperWidth; } // tenths of a millimetre, defaults applied
    int paperHeight() const { return m_paperHeight; }

    // Every item printed by the template (NeedPrint 1, PrintItem 1). Throws DbError.
    QVector<LayoutItem> loadItems();
    std::optional<LayoutItem> loadItem(const QString& name);
    // "CtlCName=CtlName" of every printed item, ShowOrd descending. Throws DbError.
    QStringList itemList();
    // The kind's label of an item, "错误" when the kind has none.
    QString labelOf(const QString& name);
    QStringList groups();
    // Names of a group's printed items; a text with "*" is a label pattern instead (every
    // "*" any text, everything else literal). Throws DbError.
    QStringList groupMembers(const QString& group);

    // Items without a stored print width or height get it from their entry box, converted at
    // the given scale. Lines keep theirs: a zero there says which way the line runs.
    int storeMissingSizes(const QVector<LayoutItem>& items, const LayoutScale& scale);

    // The field writer: one column of one item, written only when its text differs.
    Outcome saveField(const QString& name, const QString& column, const QVariant& value);
    // Step buttons and keys: every item's column moved by delta.
    Outcome moveBy(const QStringList& names, const QString& column, int delta);

    enum class Extreme { Min, Max };
    // The column of every item set to the smallest or largest among them. A size takes the
    // fallback when that extreme is not positive; a position (no fallback) takes the extreme as it
    // is, also when it lies left of or above the paper's edge.
    Outcome alignTo(const QStringList& names, const QString& column, Extreme extreme,
                    std::optional<int> fallback, const QString& doneText);
    Outcome setAll(const QStringList& names, const QString& column, const QVariant& value,
                   const QString& doneText);
    Outcome grow(const QStringList& names, const QString& column, int step, const QString& doneText);
    // Items whose value is not above the step keep it and are named in the message.
    Outcome shrink(const QStringList& names, const QString& column, int step, const QString& doneText);
    // Item i (from 1, in the given order) set to the first item's value + i × increment.
    Outcome distribute(const QStringList& names, const QString& column, int increment);
    // The kind's test value of one item.
    Outcome updateTestData(const QString& name, const QString& text);
    // Paper size typed in centimetres.
    Outcome savePaperSize(double widthCm, double heightCm);

    static bool isLayoutColumn(const QString& column);

private:
    // One update of column to expression (bound values in params) per named item, in one
    // transaction.
    Outcome updateEach(const QStringList& names, const QString& column, const QString& expression,
                       QVariantMap params, const QString& doneText);
    QString namesList(const QStringList& names) const;
    Outcome countOutcome(int rows, const QString& doneText) const;

    core::Database& m_db;
    int m_id;
    QString m_kind;
    QString m_fullName;
    QString m_imageFile;
    int m_paperWidth = 2300;
    int m_paperHeight = 1270;
};

} // namespace designer
