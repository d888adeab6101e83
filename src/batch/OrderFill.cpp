#include "batch/OrderFill.h"

#include "entry/BillMoney.h"
#include "entry/MoneyText.h"
#include "entry/NoteText.h"

namespace batch {

namespace {

QString lineBox(const char* prefix, int n) {
    return QLatin1String(prefix) + QString::number(n);
}

QString lineError(const Order& order, int n, const QString& what, const QString& value) {
    return QStringLiteral("订单号=") + order.number + QStringLiteral("，第") + QString::number(n) +
           QStringLiteral("行商品的") + what + QStringLiteral("【") + value + QStringLiteral("】") +
           QStringLiteral("不是有效的数字");
}

} // namespace

namespace {

// The head of an order from the current row of OrderList.
Order orderOf(const core::Recordset& head, const QString& number) {
    Order order;
    order.number = number;
    order.customer = head.text(QStringLiteral("客户全称"));
    order.phone = head.text(QStringLiteral("客户电话"));
    order.remark = head.text(QStringLiteral("备注"));
    order.contact = head.text(QStringLiteral("客户联系人"));
    order.address = head.text(QStringLiteral("客户地址"));
    order.mobile = head.text(QStringLiteral("客户手机"));
    return order;
}

OrderLine lineOf(const core::Recordset& lines) {
    return {lines.text(QStringLiteral("货号")), lines.text(QStringLiteral("商品名")),
            lines.text(QStringLiteral("规格")), lines.text(QStringLiteral("单位")),
            lines.text(QStringLiteral("数量")), lines.text(QStringLiteral("单价")),
            lines.text(QStringLiteral("金额"))};
}

} // namespace

std::optional<Order> OrderFill::load(core::Database& db, const QString& number) {
    const core::Params key{{QStringLiteral("n"), number}};
    core::Recordset head =
        db.query(QStringLiteral("select * from OrderList where 订单号=:n order by ID"), key);
    if (head.isEmpty())
        return std::nullopt;
    head.first();
    Order order = orderOf(head, number);
    // One line more than any form holds is enough to tell that the order does not fit.
    core::Recordset lines =
        db.query(QStringLiteral("select * from OrderDetail where 订单号=:n order by ID limit ") +
                     QString::number(kNoteLines + 1),
                 key);
    for (lines.first(); !lines.eof(); lines.next())
        order.lines << lineOf(lines);
    return order;
}

QHash<QString, Order> OrderFill::loadMany(core::Database& db, const QStringList& numbers) {
    QHash<QString, QString> asked; // key → the number as asked for
    for (const QString& number : numbers)
        asked.insert(db.caseKey(number), number);
    QHash<QString, Order> orders;
    if (asked.isEmpty())
        return orders;
    // A list binds as one value the engine reads as a list (keyList).
    const core::Params list{
        {QStringLiteral("list"), QVariant(QVariantList(numbers.cbegin(), numbers.cend()))}};
    // Rows in ID order, so the first row of a number is its head and its lines come in the
    // order they were stored, as load reads them.
    core::Recordset head =
        db.query(QStringLiteral("select * from OrderList where 订单号") +
                     core::Database::keyList(QStringLiteral("list")) + QStringLiteral(" order by ID"),
                 list);
    QHash<QString, QString> byKey; // key → the number as asked for, once its head is read
    for (head.first(); !head.eof(); head.next()) {
        const QString key = db.caseKey(head.text(QStringLiteral("订单号")));
        const auto number = asked.constFind(key);
        if (number == asked.cend() || byKey.contains(key))
            continue;
        byKey.insert(key, *number);
        orders.insert(*number, orderOf(head, *number));
    }
    core::Recordset lines =
        db.query(QStringLiteral("select * from OrderDetail where 订单号") +
                     core::Database::keyList(QStringLiteral("list")) + QStringLiteral(" order by ID"),
                 list);
    for (lines.first(); !lines.eof(); lines.next()) {
        const auto number = byKey.constFind(db.caseKey(lines.text(QStringLiteral("订单号"))));
        if (number == byKey.cend())
            continue;
        Order& order = orders[*number];
        // One line more than any form holds is enough to tell that the order does not fit.
        if (order.lines.size() <= kNoteLines)
            order.lines << lineOf(lines);
    }
    return orders;
}

FillPlan OrderFill::plan(const Order& order, bool withRemark, const QList<int>& formLines) {
    FillPlan p;
    if (order.lines.size() > formLines.size()) {
        // Lines are read up to one more than a note has, so beyond that the count is not known.
        const QString count = order.lines.size() > kNoteLines
                                  ? QStringLiteral("超过") + QString::number(kNoteLines)
                                  : QString::number(order.lines.size());
        p.tooLong = QStringLiteral("订单号=") + order.number + QStringLiteral("，有") + count +
                    QStringLiteral("行商品，票据只有") + QString::number(formLines.size()) +
                    QStringLiteral("行");
        return p;
    }
    // The customer boxes an order has no value for must not keep the previous order's.
    p.texts << qMakePair(QStringLiteral("zdPJBH"), order.number)
            << qMakePair(QStringLiteral("zdGKMC"), order.customer)
            << qMakePair(QStringLiteral("zdGKPhone"), order.phone)
            << qMakePair(QStringLiteral("zdGKLXR"), order.contact)
            << qMakePair(QStringLiteral("zdGKAddr"), order.address)
            << qMakePair(QStringLiteral("zdGKHandset"), order.mobile);
    if (withRemark)
        p.texts << qMakePair(QStringLiteral("zdRemark"), order.remark);

    double sum = 0;
    for (int i = 0; i < order.lines.size(); ++i) {
        const OrderLine& l = order.lines.at(i);
        const int n = formLines.at(i);
        const int nth = i + 1; // as the order counts its lines
        const QString quantity = l.quantity.trimmed();
        const QString price = l.price.trimmed();
        const QString amount = l.amount.trimmed();
        if (!quantity.isEmpty() && !entry::NoteText::isNumberText(quantity)) {
            p.error = lineError(order, nth, QStringLiteral("数量"), l.quantity);
            return p;
        }
        if (!price.isEmpty() && !entry::NoteText::isNumberText(price)) {
            p.error = lineError(order, nth, QStringLiteral("单价"), l.price);
            return p;
        }
        double value = 0;
        if (!amount.isEmpty()) {
            if (!entry::parseDecimal(amount, value)) {
                p.error = lineError(order, nth, QStringLiteral("金额"), l.amount);
                return p;
            }
            if (value <= -entry::BillMoney::kLimit || value >= entry::BillMoney::kLimit) {
                p.error = QStringLiteral("订单号=") + order.number + QStringLiteral("，第") +
                          QString::number(nth) + QStringLiteral("行商品的金额【") + l.amount +
                          QStringLiteral("】超出范围");
                return p;
            }
            sum += value;
        }
        FillPlan::Line line;
        line.line = n;
        const QString article = l.articleNumber.trimmed().isEmpty() ? order.number : l.articleNumber;
        line.texts << qMakePair(lineBox("zdHuoHao", n), article) << qMakePair(lineBox("zdSFNR", n), l.name)
                   << qMakePair(lineBox("zdGuiGe", n), l.model) << qMakePair(lineBox("zdDW", n), l.unit)
                   << qMakePair(lineBox("zdSL", n), l.quantity) << qMakePair(lineBox("zdDJ", n), l.price);
        line.amount = l.amount;
        p.lines << line;
    }
    if (!entry::BillMoney::totalFits(sum))
        p.error = QStringLiteral("订单号=") + order.number + QStringLiteral("，合计金额超出范围或为负数");
    return p;
}

} // namespace batch
