#include "entry/EntryOptions.h"

namespace entry {

const QVector<OptionDef>& EntryOptions::table() {
    static const QVector<OptionDef> options{
        {QStringLiteral("cfgWantPrintRQ"), QStringLiteral("打日期"), OptionDef::Check, true},
        {QStringLiteral("cfgPrintRemark"), QStringLiteral("打印备注"), OptionDef::Check, false},
        {QStringLiteral("cfgPrintDH"), QStringLiteral("打印单号"), OptionDef::Check, true},
        {QStringLiteral("cfgPrintPriceJE"), QStringLiteral("打印单价金额"), OptionDef::Check, true},
        {QStringLiteral("cfgDateFormat"), QString(), OptionDef::List, false},
        {QStringLiteral("cfgJEDXFormat"), QStringLiteral("大写格式："), OptionDef::List, false},
        {QStringLiteral("cfgJEDXRMBChecked"), QStringLiteral("大写带\"人民币\""), OptionDef::Check, false},
        {QStringLiteral("cfgTotalJEWithSheep"), QStringLiteral("合计￥"), OptionDef::Check, true},
        {QStringLiteral("cfgHJJEXXWithYuan"), QStringLiteral("总计小写带元"), OptionDef::Check, false},
        {QStringLiteral("cfgJENeedSheep"), QStringLiteral("小计￥"), OptionDef::Check, false},
        {QStringLiteral("cfgHJJENeedQianFF"), QStringLiteral("合计千分符"), OptionDef::Check, true},
        {QStringLiteral("cfgJEXXNeedQianFF"), QStringLiteral("小计千分符"), OptionDef::Check, false},
        {QStringLiteral("cfgJEDXFormatNoStandard"), QStringLiteral("非标准大写"), OptionDef::Check, false},
    };
    return options;
}

const OptionDef* EntryOptions::find(const QString& name) {
    for (const OptionDef& option : table())
        if (option.name.compare(name, Qt::CaseInsensitive) == 0)
            return &option;
    return nullptr;
}

QStringList EntryOptions::dateFormats() {
    return {QStringLiteral("YYYY-MM-DD"),       QStringLiteral("YYYY/MM/DD"),
            QStringLiteral("YYYY年MM月DD日"),   QStringLiteral("YYYYMMDD hh:nn"),
            QStringLiteral("YYYY/MM/DD hh:nn"), QStringLiteral("YYYY-MM-DD hh:nn")};
}

QStringList EntryOptions::capitalFormats() {
    return {QStringLiteral("       00.00 十位"),   QStringLiteral("      000.00 百位"),
            QStringLiteral("     0000.00 千位"),   QStringLiteral("    00000.00 万位"),
            QStringLiteral("   000000.00 十万位"), QStringLiteral("  0000000.00 百万位"),
            QStringLiteral(" 00000000.00 千万位"), QStringLiteral("000000000.00 亿位")};
}

QString EntryOptions::defaultCapitalFormat() {
    return QStringLiteral("    00000.00 万位");
}

bool EntryOptions::isOn(const QString& stored, bool defaultOn) {
    return defaultOn ? stored != QLatin1String("0") : stored == QLatin1String("1");
}

int EntryOptions::matchItem(const QStringList& items, const QString& stored) {
    const QString wanted = stored.trimmed();
    for (int i = 0; i < items.size(); ++i)
        if (items[i].trimmed() == wanted)
            return i;
    return -1;
}

int EntryOptions::dropDownRows(int screenHeight) {
    return screenHeight <= 1000 ? 26 : 35;
}

} // namespace entry
