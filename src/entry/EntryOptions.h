#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace entry {

// The options of the entry window's option bar: each is a template setting stored in DMTable
// under the control's name and read back from the layout cache section "CheckConfig".
struct OptionDef {
    enum Kind { Check, List };
    QString name;
    QString caption;
    Kind kind;
    // Check boxes: on when nothing is stored. A default-on box is off only for a stored "0",
    // a default-off box is on only for a stored "1".
    bool defaultOn;
};

class EntryOptions {
public:
    // Every option of the bar except the currency, in the order 【记住选项】 stores them.
    static const QVector<OptionDef>& table();
    static const OptionDef* find(const QString& name);

    static QStringList dateFormats();
    static QStringList capitalFormats();
    static QString defaultCapitalFormat();

    // The currency is stored under its own key, not under the control's name.
    static QString moneyKey() { return QStringLiteral("cfgDefaultMoney"); }
    static QString defaultMoney() { return QStringLiteral("人民币"); }

    static bool isOn(const QString& stored, bool defaultOn);
    // Index of the item equal to the stored text, both trimmed (the capital formats begin with
    // blanks that the store may have lost); -1 when none matches.
    static int matchItem(const QStringList& items, const QString& stored);
    // Rows the variant list drops down on a screen of that height.
    static int dropDownRows(int screenHeight);
};

} // namespace entry
