#include "entry/NoteDayTotals.h"

#include "core/StatementCache.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>

namespace entry {

const QString NoteDayTotals::kTable = QStringLiteral("NoteDayTotals");
const QString NoteDayTotals::kAmount = QStringLiteral("case when trim(合计金额)<>'' then val(合计金额) end");

namespace {

// The key leads with the day, so it also serves the history's date bounds.
const QString kKeyStatement = QStringLiteral("create unique index if not exists idx_notedaytotals_key on "
                                             "NoteDayTotals (出票日期, 模板种类, 票据状态)");

// Runs the work in the caller's transaction when one is open, else in one of its own.
template <typename Work> void within(core::Database& db, Work work) {
    const bool own = !db.inTransaction();
    if (own)
        db.begin();
    try {
        work();
        if (own)
            db.commit();
    } catch (const core::DbError&) {
        if (own)
            db.rollback();
        throw;
    }
}

// A key value as kept: a missing one is an empty text, never NULL.
QString keyText(const QVariant& value) {
    const QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

struct Bucket {
    QString day, kind, state;
    qint64 notes = 0;
    qint64 amounts = 0;
    double sum = 0;
};

bool digits(const QString& text, int from, int count, int most) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    return value <= most;
}

} // namespace

QString NoteDayTotals::dayKey(const QString& issued) {
    // yyyy-MM-dd HH:mm:ss, the form every save writes.
    const bool iso = issued.size() == 19 && issued.at(4) == QLatin1Char('-') &&
                     issued.at(7) == QLatin1Char('-') && issued.at(10) == QLatin1Char(' ') &&
                     issued.at(13) == QLatin1Char(':') && issued.at(16) == QLatin1Char(':') &&
                     digits(issued, 0, 4, 9999) && digits(issued, 5, 2, 99) && digits(issued, 8, 2, 99) &&
                     digits(issued, 11, 2, 23) && digits(issued, 14, 2, 59) && digits(issued, 17, 2, 59);
    return iso ? issued.left(10) + QStringLiteral(" 00:00:00") : issued;
}

bool NoteDayTotals::kept() {
    // Asked by a look-up that cannot fail: a failing statement would end an open transaction
    // on the server.
    if (m_kept < 0)
        m_kept = m_db.hasTable(kTable) ? 1 : 0;
    return m_kept == 1;
}

void NoteDayTotals::ensure() {
    if (kept()) {
        repair();
        return;
    }
    try {
        within(m_db, [this] {
            m_db.exec(QStringLiteral(
                "create table NoteDayTotals (ID autoincrement(1,1) primary key, 出票日期 memo, "
                "模板种类 memo, 票据状态 memo, 单据数 long, 金额数 long, 金额合计 float)"));
            m_db.exec(kKeyStatement);
            m_kept = 1;
            move(QStringLiteral("1=1"), {}, 1);
            m_sales.ensure();
        });
    } catch (const core::DbError&) {
        m_kept = -1;
        throw;
    }
}

bool NoteDayTotals::repair() {
    if (!kept())
        return false;
    bool counted = false;
    within(m_db, [this, &counted] {
        // Seats starting at once repair one after the other.
        m_db.lockName(kTable);
        makeKey();
        // Both counts in one statement, so that on a server they are read at one moment.
        const core::Recordset check =
            m_db.query(QStringLiteral("select (select count(*) from DataCheckFHDSHD) as notes, (select "
                                      "sum(单据数) from NoteDayTotals) as kept"));
        if (check.value(0).toLongLong() != check.value(1).toLongLong()) {
            recount();
            counted = true;
        }
        // A store of the build before the sales totals gets them here, at its first start.
        if (m_sales.kept()) {
            counted = m_sales.repair() || counted;
        } else {
            m_sales.ensure();
            counted = true;
        }
    });
    return counted;
}

void NoteDayTotals::rebuild() {
    if (!kept())
        return;
    within(m_db, [this] {
        m_db.lockName(kTable);
        recount();
        if (m_sales.kept())
            m_sales.recount();
        else
            m_sales.ensure();
    });
}

core::StoreCopy::Recount NoteDayTotals::copyRecount() {
    return {QStringList{kTable} + NoteSalesTotals::tables(), [](core::Database& target) {
                NoteDayTotals totals(target);
                if (totals.kept())
                    totals.rebuild();
                else
                    totals.ensure();
            }};
}

core::StoreCopy::Recount NoteDayTotals::restoreRecount() {
    return {{kTable}, [](core::Database& target) {
                NoteDayTotals totals(target);
                if (totals.kept())
                    totals.repair();
                else
                    totals.ensure();
            }};
}

void NoteDayTotals::makeKey() {
    // Earlier builds kept a missing key value as NULL, and seats saving at once could each add a
    // row of one key: both are made one row per key before the unique key is asked for. On a
    // store that has the key this reads the few rows of the table and changes nothing.
    m_db.exec(QStringLiteral(
        "update NoteDayTotals set 出票日期=coalesce(出票日期,''), 模板种类=coalesce(模板种类,''), "
        "票据状态=coalesce(票据状态,'') where 出票日期 is null or 模板种类 is null or "
        "票据状态 is null"));
    core::Recordset twins =
        m_db.query(QStringLiteral("select min(ID) as keep, sum(单据数) as notes, sum(金额数) as amounts, "
                                  "sum(金额合计) as total, 出票日期, 模板种类, 票据状态 from NoteDayTotals "
                                  "group by 出票日期, 模板种类, 票据状态 having count(*)>1"));
    for (twins.first(); !twins.eof(); twins.next()) {
        const qint64 amounts = twins.value(2).toLongLong();
        const core::Params p{{QStringLiteral("keep"), twins.value(0)},
                             {QStringLiteral("notes"), twins.value(1).toLongLong()},
                             {QStringLiteral("amounts"), amounts},
                             {QStringLiteral("sum"), amounts == 0 ? 0.0 : twins.value(3).toDouble()},
                             {QStringLiteral("day"), twins.value(4)},
                             {QStringLiteral("kind"), twins.value(5)},
                             {QStringLiteral("state"), twins.value(6)}};
        m_db.exec(QStringLiteral("update NoteDayTotals set 单据数=:notes, 金额数=:amounts, 金额合计=:sum "
                                 "where ID=:keep"),
                  p);
        m_db.exec(QStringLiteral("delete from NoteDayTotals where 出票日期=:day and 模板种类=:kind and "
                                 "票据状态=:state and ID<>:keep"),
                  p);
    }
    m_db.exec(QStringLiteral("delete from NoteDayTotals where 单据数<=0"));
    m_db.exec(kKeyStatement);
}

void NoteDayTotals::recount() {
    m_db.exec(QStringLiteral("delete from NoteDayTotals"));
    m_db.exec(kKeyStatement);
    move(QStringLiteral("1=1"), {}, 1);
}

void NoteDayTotals::take(const QString& where, const core::Params& params) {
    move(where, params, -1);
    if (kept())
        m_sales.take(where, params);
}

void NoteDayTotals::put(const QString& where, const core::Params& params) {
    move(where, params, 1);
    if (kept())
        m_sales.put(where, params);
}

void NoteDayTotals::clear() {
    if (kept()) {
        m_db.exec(QStringLiteral("delete from NoteDayTotals"));
        m_sales.clear();
    }
}

void NoteDayTotals::move(const QString& where, const core::Params& params, int sign) {
    if (!kept())
        return;
    // The notes are read forward one at a time and summed per key here: a day holds many
    // different times, so grouping in the statement would return nearly a row per note.
    const QString sql = m_db.translated(QStringLiteral("select 出票日期, 模板种类, 票据状态, ") + kAmount +
                                        QStringLiteral(" from DataCheckFHDSHD where ") + where);
    QHash<QString, int> index;
    QVector<Bucket> buckets;
    {
        QSqlQuery rows(m_db.connection());
        rows.setForwardOnly(true);
        if (!rows.prepare(sql))
            throw core::DbError(core::Database::errorText(rows.lastError()));
        core::Database::bind(rows, sql, params, m_db.engine());
        if (!rows.exec())
            throw core::DbError(core::Database::errorText(rows.lastError()));
        const QChar separator(0x1f);
        while (rows.next()) {
            const QString day = dayKey(keyText(rows.value(0)));
            const QString kind = keyText(rows.value(1));
            const QString state = keyText(rows.value(2));
            const QString key = day + separator + kind + separator + state;
            auto at = index.find(key);
            if (at == index.end()) {
                at = index.insert(key, buckets.size());
                buckets.push_back({day, kind, state});
            }
            Bucket& b = buckets[*at];
            ++b.notes;
            if (!rows.value(3).isNull()) {
                ++b.amounts;
                b.sum += rows.value(3).toDouble();
            }
        }
        if (rows.lastError().isValid())
            throw core::DbError(core::Database::errorText(rows.lastError()));
    }
    // The statements prepared once for every key of the move.
    core::StatementCache statements(m_db);
    for (const Bucket& b : buckets) {
        const core::Params p{{QStringLiteral("day"), b.day},
                             {QStringLiteral("kind"), b.kind},
                             {QStringLiteral("state"), b.state},
                             {QStringLiteral("notes"), sign * b.notes},
                             {QStringLiteral("amounts"), sign * b.amounts},
                             {QStringLiteral("sum"), sign * b.sum}};
        if (sign > 0) {
            // One statement on the unique key: a seat adding the same key meanwhile waits for
            // this one's row and adds to it. A key left without amounts holds a sum of exactly
            // 0, not what rounding left of it.
            statements.exec(
                QStringLiteral(
                    "insert into NoteDayTotals (出票日期, 模板种类, 票据状态, 单据数, 金额数, 金额合计) "
                    "values (:day, :kind, :state, :notes, :amounts, :sum) on conflict (出票日期, "
                    "模板种类, 票据状态) do update set 单据数=NoteDayTotals.单据数+excluded.单据数, "
                    "金额数=NoteDayTotals.金额数+excluded.金额数, 金额合计=case when "
                    "NoteDayTotals.金额数+excluded.金额数=0 then 0 else "
                    "NoteDayTotals.金额合计+excluded.金额合计 end"),
                p);
            continue;
        }
        const QString match = QStringLiteral(" where 出票日期=:day and 模板种类=:kind and 票据状态=:state");
        m_db.exec(QStringLiteral("update NoteDayTotals set 单据数=单据数+:notes, 金额数=金额数+:amounts, "
                                 "金额合计=case when 金额数+:amounts=0 then 0 else 金额合计+:sum end") +
                      match,
                  p);
        m_db.exec(QStringLiteral("delete from NoteDayTotals") + match + QStringLiteral(" and 单据数<=0"), p);
    }
}

} // namespace entry
