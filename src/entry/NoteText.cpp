#include "entry/NoteText.h"

#include "core/LikePattern.h"
#include "entry/MoneyText.h"
#include "entry/TypedNumber.h"

namespace entry {

const QString NoteText::kCustomerPlaceholder = QStringLiteral("单击我或红圈选择收款人...:)");

bool NoteText::isNumberText(const QString& text) {
    return TypedNumber::read(text).isNumber();
}

NoteText::LineAmount NoteText::lineAmount(const QString& quantity, const QString& price) {
    const TypedNumber q = TypedNumber::read(quantity);
    const TypedNumber p = TypedNumber::read(price);
    using State = TypedNumber::State;
    if ((q.state != State::Empty && !q.isNumber()) || (p.state != State::Empty && !p.isNumber()))
        return {};
    double qv = 1;
    double pv = 0;
    if (q.isNumber())
        parseDecimal(q.plain, qv);
    if (p.isNumber())
        parseDecimal(p.plain, pv);
    const QString amount = numberText(qv * pv);
    if (amount.isEmpty())
        return {};
    return {true, amount};
}

bool NoteText::sumLines(const QVector<LineValue>& lines, QString& total, QString& error) {
    double sum = 0;
    for (const LineValue& line : lines) {
        const QString t = line.text.trimmed();
        if (t.isEmpty() || !line.visible)
            continue;
        double v = 0;
        const TypedNumber typed = TypedNumber::read(t);
        if (!typed.isNumber() || !parseDecimal(typed.plain, v)) {
            error = QStringLiteral("'%1' 不是有效的数值").arg(t);
            return false;
        }
        sum += v;
    }
    total = numberText(sum);
    if (total.isEmpty()) {
        error = QStringLiteral("overflow");
        return false;
    }
    return true;
}

NoteText::PhoneBoxes NoteText::phoneBoxes(const QString& phone, const QString& mobile,
                                          const QString& joinedMobileFirst, bool phoneVisible,
                                          bool handsetVisible) {
    PhoneBoxes boxes;
    if (phoneVisible && handsetVisible) {
        boxes.setPhone = boxes.setHandset = true;
        boxes.phone = phone;
        boxes.handset = mobile;
    } else if (handsetVisible) {
        boxes.setHandset = true;
        boxes.handset = joinedMobileFirst;
    } else if (phoneVisible) {
        boxes.setPhone = true;
        boxes.phone = joinedMobileFirst;
    }
    return boxes;
}

NoteText::Statement NoteText::productFilter(const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return {QStringLiteral("select * from Products order by 商品名"), {}};
    const QString literal = core::likeLiteral(t);
    return {QStringLiteral("select * from Products where 货号 like :prefix escape '\\' or 简码 like :prefix "
                           "escape '\\' or 规格 like :anywhere escape '\\' or 商品名 like :anywhere escape "
                           "'\\' order by 商品名"),
            {{QStringLiteral("prefix"), literal + QLatin1Char('%')},
             {QStringLiteral("anywhere"), QLatin1Char('%') + literal + QLatin1Char('%')}}};
}

NoteText::Statement NoteText::productClass(const QString& productClass) {
    if (productClass.isEmpty())
        return productFilter(QString());
    return {QStringLiteral("select * from Products where 分类=:class order by 商品名"),
            {{QStringLiteral("class"), productClass}}};
}

} // namespace entry
