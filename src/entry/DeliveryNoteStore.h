#pragma once

#include "core/Database.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <array>
#include <functional>
#include <optional>

namespace entry {

// One goods line of a saved note. Price and amount are absent when their box is hidden, so
// that a save leaves the column empty instead of writing what the user could not see.
struct NoteLine {
    int line = 0;                  // 序号, 1 … 8
    QString articleNumber;         // 货号
    QString name;                  // 商品名
    QString model;                 // 规格
    QString unit;                  // 单位
    QString quantity;              // 数量
    std::optional<QString> price;  // 单价
    std::optional<QString> amount; // 金额
    QString otherAttributes;       // 其他属性
};

// One saved delivery note: a row of DataCheckFHDSHD and its rows of DataCheckFHDSHDDetail.
struct DeliveryNote {
    QString number;                         // 票据编号
    QString variant;                        // 模板种类
    QString tickedItems;                    // 其他选项
    QString state = QStringLiteral("正常"); // 票据状态
    QString currency;                       // 币种
    QString total;                          // 合计金额
    QString totalQuantity;                  // 合计数量
    QString remark;                         // 备注
    QString orderId;                        // 订单编号
    QDateTime orderDate;                    // 订单日期
    QDateTime issueDate;                    // 出票日期
    QString customerName;                   // 顾客名称
    QString contact;                        // 顾客联系人
    QString address;                        // 顾客地址
    QString phone;                          // 顾客电话
    QString handset;                        // 顾客手机
    QString issuer;                         // 开票人
    QString payee;                          // 收款人
    // 自定义1 … 自定义5; a hidden box leaves its column as it is.
    std::array<std::optional<QString>, 5> custom;
    QVector<NoteLine> lines;
};

// Whether the note holds anything a user typed or picked: goods, amounts, a customer, people,
// an order, a remark or a free field. A bill number and the dates alone do not count.
bool hasTypedContent(const DeliveryNote& note);
// Whether two notes hold the same values, the template aside and the dates by day.
bool sameContent(const DeliveryNote& a, const DeliveryNote& b);

// The two history tables of the delivery note. A note is identified by its bill number only;
// saving under a number that exists replaces that note's header values and all its lines.
class DeliveryNoteStore {
public:
    explicit DeliveryNoteStore(core::Database& db) : m_db(db) {}

    static const QString kHeaderTable; // DataCheckFHDSHD
    static const QString kDetailTable; // DataCheckFHDSHDDetail

    // Throws core::DbError.
    bool exists(const QString& number);

    enum class Saved { Appended, Edited };
    // Header, lines and the kept day totals (NoteDayTotals) in one transaction, with `alongside`
    // (changes that belong to the save) run after them in the same transaction; any failure rolls
    // everything back and is raised again as core::DbError, leaving the tables as they were. Saves
    // of one number by several seats run one after another; asNew (the clerk was not asked about
    // replacing a saved note) refuses a number another seat saved meanwhile, so the clerk is asked
    // on the next save.
    Saved save(const DeliveryNote& note, const std::function<void()>& alongside = {}, bool asNew = false);

    // The note of that number, or nothing when no header row has it; lines ordered by 序号,
    // those outside 1 … 8 left out. Throws core::DbError.
    std::optional<DeliveryNote> load(const QString& number);
    // The lines of a number (even when its header is gone).
    QVector<NoteLine> loadLines(const QString& number);

    // Dates are kept as ISO text so that they compare and sort as dates.
    static QString dateValue(const QDateTime& when);

private:
    void writeHeader(const DeliveryNote& note, bool& appended);
    void writeLines(const DeliveryNote& note);

    core::Database& m_db;
};

} // namespace entry
