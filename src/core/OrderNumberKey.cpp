#include "core/OrderNumberKey.h"

#include "core/Database.h"

#include <QHash>
#include <QVector>

namespace core {

const QString OrderNumberKey::kIndex = QStringLiteral("uq_orderlist_number");

namespace {

// The batch run's word for an order that went out; core cannot reach the batch folder.
const QString kPrinted = QStringLiteral("已打印");

QString lineContent(const Database& db, const Recordset& lines) {
    QStringList cells;
    for (int c = 0; c < lines.fieldCount(); ++c) {
        if (lines.fieldNames().at(c).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            continue;
        const QVariant v = lines.value(c);
        // NULL is not the empty text: a separate mark that no text can hold.
        cells << (v.isNull() ? QStringLiteral("\x01") : db.caseKey(v.toString()));
    }
    return cells.join(QChar(0x1f));
}

// One number stored `copies` times: each import of it wrote all of its lines, so a line held
// k times is kept ceil(k / copies) times — a line the sheet lists twice stays twice, a line
// only one of the imports wrote stays once.
void mergeLines(Database& db, const QString& number, int copies) {
    Recordset lines = db.query(QStringLiteral("select * from OrderDetail where 订单号=:n order by ID"),
                               {{QStringLiteral("n"), number}});
    QHash<QString, QVector<qint64>> byContent;
    QStringList order;
    for (lines.first(); !lines.eof(); lines.next()) {
        const QString content = lineContent(db, lines);
        if (!byContent.contains(content))
            order << content;
        byContent[content] << lines.integer(QStringLiteral("ID"));
    }
    for (const QString& content : order) {
        const QVector<qint64>& ids = byContent.value(content);
        const qsizetype keep = (ids.size() + copies - 1) / copies;
        for (qsizetype i = keep; i < ids.size(); ++i)
            db.exec(QStringLiteral("delete from OrderDetail where ID=:id"),
                    {{QStringLiteral("id"), ids.at(i)}});
    }
}

int mergeDuplicates(Database& db) {
    // Grouped as the column compares, so "DD1" and "dd1" are one number.
    Recordset numbers =
        db.query(QStringLiteral("select 订单号, count(*) from OrderList where 订单号 is not null "
                                "group by 订单号 having count(*) > 1"));
    const bool withLines = db.hasTable(QStringLiteral("OrderDetail"));
    int merged = 0;
    for (numbers.first(); !numbers.eof(); numbers.next()) {
        const QString number = numbers.text(0);
        const int copies = numbers.value(1).toInt();
        const Params key{{QStringLiteral("n"), number}};
        Recordset rows =
            db.query(QStringLiteral("select ID, 订单状态 from OrderList where 订单号=:n order by ID"), key);
        qint64 kept = -1;
        for (rows.first(); !rows.eof() && kept < 0; rows.next())
            if (rows.text(1) == kPrinted)
                kept = rows.integer(QStringLiteral("ID"));
        if (kept < 0) {
            rows.first();
            kept = rows.integer(QStringLiteral("ID"));
        }
        merged += db.exec(QStringLiteral("delete from OrderList where 订单号=:n and ID<>:kept"),
                          {{QStringLiteral("n"), number}, {QStringLiteral("kept"), kept}});
        if (withLines)
            mergeLines(db, number, copies);
    }
    return merged;
}

} // namespace

int OrderNumberKey::ensure(Database& db) {
    if (db.hasIndex(kIndex) || !db.hasTable(QStringLiteral("OrderList")))
        return 0;
    const bool own = !db.inTransaction();
    if (own)
        db.begin();
    try {
        // Seats starting together: the first merges, the others find the key made.
        db.lockName(kIndex);
        int merged = 0;
        if (!db.hasIndex(kIndex)) {
            merged = mergeDuplicates(db);
            // The key serves every look-up the plain index served. Asked first: on a server
            // an unqualified drop would find another store's index of that name in public.
            if (db.hasIndex(QStringLiteral("idx_orderlist_number")))
                db.exec(QStringLiteral("drop index idx_orderlist_number"));
            db.exec(QStringLiteral("create unique index ") + kIndex +
                    QStringLiteral(" on OrderList (订单号)"));
        }
        if (own)
            db.commit();
        return merged;
    } catch (...) {
        if (own)
            db.rollback();
        throw;
    }
}

QString OrderNumberKey::lockName(const Database& db, const QString& number) {
    return QStringLiteral("order-import:") + db.caseKey(number);
}

} // namespace core
