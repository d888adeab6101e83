#pragma once

#include "core/Database.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace entry {

// The plain rules of a delivery note that need no window: date texts, the line product, the
// totals, where a customer's telephone numbers go and the product filter statements.
class NoteText {
public:
    // A quantity or price that reads as a complete number (TypedNumber).
    static bool isNumberText(const QString& text);

    struct LineAmount {
        bool valid = false; // false: quantity or price is no number
        QString amount;     // quantity × price, empty when not valid
    };
    // An empty quantity counts as 1, an empty price as 0.
    static LineAmount lineAmount(const QString& quantity, const QString& price);

    struct LineValue {
        QString text;
        bool visible = false;
    };
    // The sum over the visible lines whose text is not empty. False with the offending text in
    // error when a counted text is no number.
    static bool sumLines(const QVector<LineValue>& lines, QString& total, QString& error);

    // What setCustomer writes into the two telephone boxes; a box whose flag is false is left
    // as it is.
    struct PhoneBoxes {
        bool setPhone = false;
        QString phone;
        bool setHandset = false;
        QString handset;
    };
    // joinedMobileFirst is the record's phoneText with the mobile first.
    static PhoneBoxes phoneBoxes(const QString& phone, const QString& mobile,
                                 const QString& joinedMobileFirst, bool phoneVisible, bool handsetVisible);

    struct Statement {
        QString sql;
        core::Params params;
    };
    // The picker's filter: article number and mnemonic code by prefix, model and name
    // anywhere; the typed text matches literally (a "%" or "_" is no wildcard).
    static Statement productFilter(const QString& typed);
    // Every product of a class; the empty class gives every product.
    static Statement productClass(const QString& productClass);

    // The placeholder of the customer box, which counts as empty.
    static const QString kCustomerPlaceholder;
};

} // namespace entry
