#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace entry {

struct DeliveryNote;

// The money-format options of the entry window's option bar.
struct MoneyOptions {
    bool totalWithSymbol = true; // cfgTotalJEWithSheep
    bool totalThousands = true;  // cfgHJJENeedQianFF
    bool totalWithYuan = false;  // cfgHJJEXXWithYuan
    bool lineWithSymbol = false; // cfgJENeedSheep
    bool lineThousands = false;  // cfgJEXXNeedQianFF
    bool nonStandard = false;    // cfgJEDXFormatNoStandard
    bool currencyAlways = false; // cfgJEDXRMBChecked
};

// What the total boxes of a note show for one total.
struct TotalTexts {
    enum Outcome { Repeated, Refused, Shown };
    Outcome outcome = Repeated;
    QString message; // for Refused, shown under messageCaption()
    bool zero = false;
    QString lowerCase;  // zdHJJEXX
    QString display;    // zdHJJE
    QString capitals;   // zdJEDX
    QStringList digits; // the eleven capital-digit cells, from 亿 down to 分
};

// What one goods line shows for the raw amount of its editor.
struct LineTexts {
    bool ok = false;
    QString editor; // the trimmed editor text
    QString amount; // the displayed amount
    double value = 0;
};

// The money state of the entry window: the current currency, its cached abbreviation and the
// last total handled, and the rules that turn a total or a line amount into box texts.
class BillMoney {
public:
    using CodeLookup = std::function<QString(const QString& currency)>;
    explicit BillMoney(CodeLookup lookup);

    QString currencyName() const { return m_currency; }
    // An empty name means 人民币; the cached abbreviation is forgotten.
    void setMoneyName(const QString& name);
    bool hasMoneyCode() const { return m_codeKnown; }
    // The abbreviation of the current currency, asked for once per currency.
    QString moneyCode();

    // Forces the next total through, even when its text is the last one handled.
    void forgetMemo() { m_memo.reset(); }
    // The texts for a new total; Repeated when the text equals the last one handed in (also a
    // refused one), so a repeat costs nothing. A running sum of the lines is shown whatever its
    // value: a negative line may come first, and the note's range is the business of saving and
    // printing (noteFits). Out of range it has no capitals.
    enum class Sum { Note, Running };
    TotalTexts total(const QString& text, const MoneyOptions& options, const QString& code,
                     Sum sum = Sum::Note);

    static LineTexts line(const QString& editorText, bool thousands, const QString& prefix);
    // A displayed line amount that reads as zero, shown only when the line names its goods.
    static bool isZeroAmount(const QString& amount);
    // Leading zero cells are skipped; from the first non-zero cell every cell is written with
    // its position word. Empty unless the option is on.
    static QString nonStandardCapitals(const QStringList& digits, bool on);
    // The eleven cells of a total below 1 000 000 000; all empty when it rounds to zero cents.
    static QStringList capitalDigits(const QString& lowerCase);
    // Whether the money texts can write every amount of the note: each line amount and the sum
    // of the lines below 1 000 000 000, as the total, which must not be negative either. A note
    // that does not fit is neither saved nor printed.
    static bool noteFits(const DeliveryNote& note);
    // What is wrong with the note's amounts as texts: the first line amount, or the total, that
    // is not a valid amount ("第3行金额“12a”不是有效的金额"); empty when every one reads as one.
    static QString amountFault(const DeliveryNote& note);
    static bool totalFits(double total) { return total >= 0 && total < kLimit; }
    static bool lineFits(double amount) { return amount > -kLimit && amount < kLimit; }
    static QString rangeMessage() { return QStringLiteral("金额值必须介于0~1,000,000,000之间！"); }
    static constexpr double kLimit = 1000000000.0;
    // Keys of the hidden total editor: letters, the blank and "-" are refused.
    static bool acceptsTotalKey(QChar c);

    static QStringList digitCellNames();
    static QString messageCaption() { return QStringLiteral("金额输入"); }
    static QString lineError() { return QStringLiteral("错误,非法的数值或溢出！"); }

private:
    CodeLookup m_lookup;
    QString m_currency;
    QString m_code;
    bool m_codeKnown = false;
    std::optional<std::pair<QString, Sum>> m_memo;
};

} // namespace entry
