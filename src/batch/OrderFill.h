#pragma once

#include "core/Database.h"

#include <QList>
#include <QPair>
#include <QString>
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
};

// What the entry window's boxes receive for one order. The boxes in `empty` are emptied first
// (the goods lines, capitals and totals through the window's own rules); then `texts` are set;
// then each goods line is written with the line rule held back and its amount set last, as the
// reload of a saved note does.
struct FillPlan {
    struct Line {
        int line = 0;
        QList<QPair<QString, QString>> texts; // every box of the line except the amount
        QString amount;                       // into zdJEXXn, then the line-amount rule
    };
    QStringList empty;
    QList<QPair<QString, QString>> texts;
    QList<Line> lines;
    // Set when the order cannot make a note (a quantity that is no number, an amount beyond
    // what the money texts write); nothing may then be filled or printed for it.
    QString error;
};

class OrderFill {
public:
    // Goods lines of the note filled from an order; further lines of the order are left out.
    static constexpr int kFilledLines = 4;
    static constexpr int kNoteLines = 8;

    // The order and its goods lines in the order they were stored; nothing when the number has
    // no order. Throws DbError.
    static std::optional<Order> load(core::Database& db, const QString& number);

    // The fill of one order. The remark is written only with the remark switch on; the issuer,
    // payee, dates, order number, currency and free fields are never touched.
    static FillPlan plan(const Order& order, bool withRemark);
};

} // namespace batch
