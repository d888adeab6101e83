#include "entry/BillMoney.h"

#include "entry/DeliveryNoteStore.h"
#include "entry/EntryOptions.h"
#include "entry/MoneyText.h"
#include "entry/TypedNumber.h"

namespace entry {

BillMoney::BillMoney(CodeLookup lookup)
    : m_lookup(std::move(lookup)), m_currency(EntryOptions::defaultMoney()) {}

void BillMoney::setMoneyName(const QString& name) {
    m_currency = name.isEmpty() ? EntryOptions::defaultMoney() : name;
    m_code.clear();
    m_codeKnown = false;
}

QString BillMoney::moneyCode() {
    if (!m_codeKnown) {
        m_code = m_lookup ? m_lookup(m_currency) : QString();
        m_codeKnown = true;
    }
    return m_code;
}

TotalTexts BillMoney::total(const QString& text, const MoneyOptions& options, const QString& code, Sum sum) {
    TotalTexts out;
    if (m_memo && m_memo->first == text && m_memo->second == sum)
        return out;
    m_memo = std::make_pair(text, sum);

    const TypedNumber typed = TypedNumber::read(text);
    double value = 0;
    if (typed.state != TypedNumber::State::Empty &&
        (!typed.isNumber() || !parseDecimal(typed.plain, value))) {
        out.outcome = TotalTexts::Refused;
        out.message = QStringLiteral("金额只能为数值，例如：123.50");
        return out;
    }
    if (!totalFits(value) && sum == Sum::Note) {
        out.outcome = TotalTexts::Refused;
        out.message = rangeMessage();
        return out;
    }
    out.outcome = TotalTexts::Shown;
    if (!totalFits(value)) {
        // A sum on its way: its figure only, the sign before the currency sign.
        out.lowerCase = roundDecimalText(shortestDecimal(value), 2);
        out.display = FormatLineAmount(value, options.totalThousands);
        const bool negative = out.display.startsWith(QLatin1Char('-'));
        if (options.totalWithSymbol)
            out.display.insert(negative ? 1 : 0, code);
        if (options.totalWithYuan)
            out.display += QStringLiteral("元");
        for (int i = 0; i < 11; ++i)
            out.digits << QString();
        return out;
    }
    if (value == 0) {
        out.zero = true;
        out.lowerCase = QStringLiteral("0.00");
        for (int i = 0; i < 11; ++i)
            out.digits << QString();
        return out;
    }
    out.lowerCase = roundDecimalText(shortestDecimal(value), 2);
    out.display = FormatLineAmount(out.lowerCase.toDouble(), true);
    if (options.totalWithSymbol)
        out.display.prepend(code);
    if (!options.totalThousands)
        out.display.remove(QLatin1Char(','));
    if (options.totalWithYuan)
        out.display += QStringLiteral("元");
    out.digits = capitalDigits(out.lowerCase);
    out.capitals = options.nonStandard ? nonStandardCapitals(out.digits, true)
                                       : AmountToChineseCapitals(shortestDecimal(value));
    if (m_currency != EntryOptions::defaultMoney() || options.currencyAlways)
        out.capitals.prepend(m_currency);
    return out;
}

LineTexts BillMoney::line(const QString& editorText, bool thousands, const QString& prefix) {
    LineTexts out;
    out.editor = editorText.trimmed();
    if (out.editor.isEmpty()) {
        out.ok = true;
        return out;
    }
    const TypedNumber typed = TypedNumber::read(out.editor);
    if (!typed.isNumber() || !parseDecimal(typed.plain, out.value))
        return out;
    out.editor = typed.plain;
    out.amount = prefix + FormatLineAmount(out.value, thousands);
    out.ok = true;
    return out;
}

bool BillMoney::isZeroAmount(const QString& amount) {
    static const QStringList zeros{QStringLiteral("0"),   QStringLiteral("0.00"),   QStringLiteral("0.0"),
                                   QStringLiteral("￥0"), QStringLiteral("￥0.00"), QStringLiteral("￥0.0")};
    return zeros.contains(amount);
}

QString BillMoney::nonStandardCapitals(const QStringList& digits, bool on) {
    if (!on)
        return {};
    static const QString words = QStringLiteral("亿仟佰拾万仟佰拾元角分");
    QString out;
    bool leading = true;
    for (int i = 0; i < digits.size() && i < words.size(); ++i) {
        const QString& cell = digits[i];
        if ((!cell.isEmpty() && cell != QStringLiteral("零")) || !leading) {
            out += cell + words[i];
            leading = false;
        }
    }
    return out;
}

QStringList BillMoney::capitalDigits(const QString& lowerCase) {
    const QString cents = roundDecimalText(lowerCase, 2);
    const QString text = AmountToCapitalDigits(cents, 9, QStringLiteral(".00"));
    QStringList cells;
    const bool filled = text.size() == 11;
    for (int i = 0; i < 11; ++i)
        cells << (filled ? QString(text[i]) : QString());
    return cells;
}

bool BillMoney::noteFits(const DeliveryNote& note) {
    double sum = 0;
    for (const NoteLine& line : note.lines) {
        const QString text = line.amount.value_or(QString()).trimmed();
        double value = 0;
        if (text.isEmpty())
            continue;
        if (!parseDecimal(text, value) || !lineFits(value))
            return false;
        sum += value;
    }
    double total = 0;
    const QString text = note.total.trimmed();
    if (!text.isEmpty() && !parseDecimal(text, total))
        return false;
    return totalFits(sum) && totalFits(total);
}

QString BillMoney::amountFault(const DeliveryNote& note) {
    double value = 0;
    for (const NoteLine& line : note.lines) {
        const QString text = line.amount.value_or(QString()).trimmed();
        if (!text.isEmpty() && !parseDecimal(text, value))
            return QStringLiteral("第%1行金额“%2”不是有效的金额").arg(line.line).arg(text);
    }
    const QString total = note.total.trimmed();
    if (!total.isEmpty() && !parseDecimal(total, value))
        return QStringLiteral("合计金额“%1”不是有效的金额").arg(total);
    return {};
}

bool BillMoney::acceptsTotalKey(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
        return false;
    return u != u' ' && u != u'-';
}

QStringList BillMoney::digitCellNames() {
    return {QStringLiteral("zddxYY"), QStringLiteral("zddxQW"), QStringLiteral("zddxBW"),
            QStringLiteral("zddxSW"), QStringLiteral("zddxWY"), QStringLiteral("zddxQY"),
            QStringLiteral("zddxBY"), QStringLiteral("zddxSY"), QStringLiteral("zddxY"),
            QStringLiteral("zddxJ"),  QStringLiteral("zddxF")};
}

} // namespace entry
