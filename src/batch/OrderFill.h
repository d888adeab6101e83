#pragma once

#include "core/Database.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace batch {

struct OrderLine {
    QString articleNumber; // 货号
    QString name;          // 商品名
    QString model;         // 规格
    QString unit;          // 单位
    QString quantity;      // 数量
    QString price;         // 单价
    QString amount;        // 金额
};

struct Order {
    QString number;   // 订单号
    QString customer; // 客户全称
    QString phone;    // 客户电话
    QString remark;   // 备注
    QList<OrderLine> lines;
    QString contact; // 客户联系人
    QString address; // 客户地址
    QString mobile;  // 客户手机
};

// What the entry window's boxes receive for one order. Every goods line, the capitals and the
// totals are emptied first through the window's own rules; then `texts` are set; then each
// goods line is written with the line rule held back and its amount set last, as the reload of
// a saved note does.
struct FillPlan {
    struct Line {
        int line = 0;
        QList<QPair<QString, QString>> texts; // every box of the line except the amount
        QString amount;                       // into zdJEXXn, then the line-amount rule
    };
    QList<QPair<QString, QString>> texts;
    QList<Line> lines;
    // Set when the order has more goods lines than the form: printed, it would go out short
    // and with a wrong total, so it is left for a form that holds them.
    QString tooLong;
    // Set when the order cannot make a note (a quantity that is no number, an amount beyond
    // what the money texts write); nothing may then be filled or printed for it.
    QString error;
};

class OrderFill {
public:
    // Goods lines of the note, of which a form shows some or all.
    static constexpr int kNoteLines = 8;

    // The order and its goods lines in the order they were stored; nothing when the number has
    // no order. Throws DbError.
    static std::optional<Order> load(core::Database& db, const QString& number);
    // The orders of several numbers in two statements, each as load reads it, by the number as
    // asked for (numbers compare as the table's column does, without regard to letter case
    // A–Z). A number without an order is missing from the result. Throws DbError.
    static QHash<QString, Order> loadMany(core::Database& db, const QStringList& numbers);

    // The fill of one order into the goods lines the form shows (`formLines`, ascending line
    // numbers): the order's k-th line goes into the k-th of them. The remark is written only
    // with the remark switch on; contact, address and mobile are the order's own, empty when it
    // has none; the issuer, payee, dates, order number, currency and free fields are never
    // touched.
    static FillPlan plan(const Order& order, bool withRemark, const QList<int>& formLines);
};

} // namespace batch
