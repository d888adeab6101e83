#include "batch/OrderStore.h"

#include "core/LikePattern.h"

namespace batch {

namespace {
const QString kKey = QStringLiteral("ID");

// One hold per order as the tables compare its number.
QString holdName(core::Database& db, const QString& number) {
    return QStringLiteral("order:") + db.caseKey(number);
}
} // namespace

OrderStore::OrderStore(core::Database& db) : m_db(db) {}

QStringList OrderStore::columns() {
    if (m_columns.isEmpty())
        m_columns = m_db.query(QStringLiteral("select * from OrderList where 1=0")).fieldNames();
    return m_columns;
}

QString OrderStore::realColumn(const QString& name, const QStringList& columns) {
    const QString wanted = name.trimmed();
    for (const QString& column : columns)
        if (column.compare(wanted, Qt::CaseInsensitive) == 0)
            return column;
    return {};
}

QStringList OrderStore::defaultGroups() {
    return {QStringLiteral("客户电话|客户手机"), QStringLiteral("客户省|客户市|客户镇区"),
            QStringLiteral("客户联系人|客户全称|客户电话")};
}

Statement OrderStore::listStatement(const OrderFilter& filter, const QStringList& columns) {
    Statement s;
    QString condition;
    const QString keyword = filter.keyword.trimmed();
    if (!keyword.isEmpty()) {
        QStringList parts;
        for (const QString& field : filter.fieldGroup.split(QLatin1Char('|'))) {
            const QString column = realColumn(field, columns);
            if (column.isEmpty())
                continue;
            const QString name = QStringLiteral("k%1").arg(parts.size());
            if (filter.equal) {
                parts << QStringLiteral("(") + column + QStringLiteral("=:") + name + QStringLiteral(")");
                s.params.insert(name, keyword);
            } else {
                parts << QStringLiteral("(") + column + QStringLiteral(" like :") + name +
                             QStringLiteral(" escape '\\')");
                s.params.insert(name, QLatin1Char('%') + core::likeLiteral(keyword) + QLatin1Char('%'));
            }
        }
        condition = QStringLiteral(" and (") +
                    (parts.isEmpty() ? QStringLiteral("1=0") : parts.join(" or ")) + QStringLiteral(")");
    }
    QString sort = realColumn(filter.sortColumn, columns);
    if (sort.isEmpty())
        sort = kKey;
    s.sql = QStringLiteral("select * from OrderList where 1=1 ") + condition + QStringLiteral(" order by ") +
            sort + (filter.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    return s;
}

FillUpdate OrderStore::fillUpdate(const QString& target, const QStringList& parts,
                                  const QStringList& columns) {
    FillUpdate u;
    QString name = target;
    name.remove(QLatin1Char('@'));
    u.target = realColumn(name, columns);
    if (u.target.isEmpty() || u.target.compare(kKey, Qt::CaseInsensitive) == 0) {
        u.error = QStringLiteral("【") + name + QStringLiteral("】不是订单列表中可以修改的列~");
        return u;
    }
    QStringList terms;
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        if (part.contains(QLatin1Char('@'))) {
            QString field = part;
            field.remove(QLatin1Char('@'));
            const QString column = realColumn(field, columns);
            if (column.isEmpty()) {
                u.error = QStringLiteral("【") + field + QStringLiteral("】不是订单列表中的列~");
                return u;
            }
            terms << QStringLiteral("coalesce(") + column + QStringLiteral(",'')");
        } else {
            const QString param = QStringLiteral("p%1").arg(u.params.size());
            terms << QLatin1Char(':') + param;
            u.params.insert(param, part);
        }
    }
    u.sql = QStringLiteral("update OrderList set ") + u.target + QLatin1Char('=') +
            (terms.isEmpty() ? QStringLiteral("''") : terms.join(QStringLiteral(" || ")));
    return u;
}

int OrderStore::applyFill(const FillUpdate& update) {
    return m_db.exec(update.sql, update.params);
}

int OrderStore::deleteOrders(const QVariantList& ids) {
    if (ids.isEmpty())
        return 0;
    // One bound list however many orders are chosen.
    const QString in = core::Database::keyList(QStringLiteral("ids"));
    const core::Params params{{QStringLiteral("ids"), ids}};
    m_db.begin();
    try {
        // Lines go first, found through their orders while those still exist.
        m_db.exec(
            QStringLiteral("delete from OrderDetail where 订单号 in(select 订单号 from OrderList where ID") +
                in + QStringLiteral(" and 订单号 is not null)"),
            params);
        const int deleted = m_db.exec(QStringLiteral("delete from OrderList where ID") + in, params);
        m_db.commit();
        return deleted;
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

void OrderStore::clearAll() {
    m_db.begin();
    try {
        m_db.exec(QStringLiteral("delete from OrderList"));
        m_db.exec(QStringLiteral("ALTER  TABLE OrderList ALTER  COLUMN   id   COUNTER   (1,1)"));
        m_db.exec(QStringLiteral("delete from OrderDetail"));
        m_db.commit();
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

int OrderStore::markPrinted(const QStringList& numbers) {
    if (numbers.isEmpty())
        return 0;
    // One statement, so all of them or none; the numbers go as one bound list, so a run of
    // thousands binds one value.
    QVariantList list;
    for (const QString& n : numbers)
        list << n;
    return m_db.exec(QStringLiteral("update OrderList set 订单状态=:state where 订单号") +
                         core::Database::keyList(QStringLiteral("list")),
                     {{QStringLiteral("state"), printedState()}, {QStringLiteral("list"), list}});
}

QStringList OrderStore::claim(const QStringList& numbers, const QStringList& listedStates,
                              QStringList& refused) {
    QStringList held;
    try {
        for (int i = 0; i < numbers.size(); ++i) {
            const QString& number = numbers.at(i);
            if (!m_db.tryHold(holdName(m_db, number))) {
                refused << number + QStringLiteral("（另一台电脑正在打印）");
                continue;
            }
            const QString state =
                m_db.scalar(QStringLiteral("select 订单状态 from OrderList where 订单号=:n"),
                            {{QStringLiteral("n"), number}})
                    .toString();
            if (state == printedState() && listedStates.value(i) != printedState()) {
                m_db.release(holdName(m_db, number));
                refused << number + QStringLiteral("（刚被另一台电脑打印）");
                continue;
            }
            held << number;
        }
    } catch (const core::DbError&) {
        release(held);
        throw;
    }
    return held;
}

void OrderStore::release(const QStringList& numbers) {
    for (const QString& number : numbers) {
        try {
            m_db.release(holdName(m_db, number));
        } catch (const core::DbError&) {
            // The connection's end frees what is still held.
        }
    }
}

int OrderStore::cleanOrphanLines() {
    // "not in" over a list holding NULL is never true, so one order left without a number would
    // keep every line.
    return m_db.exec(QStringLiteral("delete from OrderDetail where 订单号 not in(select 订单号 from "
                                    "OrderList where 订单号 is not null)"));
}

} // namespace batch
