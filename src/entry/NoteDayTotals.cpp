#include "entry/NoteDayTotals.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>

namespace entry {

const QString NoteDayTotals::kTable = QStringLiteral("NoteDayTotals");
const QString NoteDayTotals::kAmount = QStringLiteral("case when trim(合计金额)<>'' then val(合计金额) end");

namespace {

// A key value as kept: a missing one is an empty text, never NULL, which no key would match.
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
    if (kept())
        return;
    const bool own = !m_db.inTransaction();
    if (own)
        m_db.begin();
    try {
        m_db.exec(
            QStringLiteral("create table NoteDayTotals (ID autoincrement(1,1) primary key, 出票日期 memo, "
                           "模板种类 memo, 票据状态 memo, 单据数 long, 金额数 long, 金额合计 float)"));
        m_db.exec(QStringLiteral("create index idx_notedaytotals_date on NoteDayTotals (出票日期)"));
        m_kept = 1;
        move(QStringLiteral("1=1"), {}, 1);
        if (own)
            m_db.commit();
    } catch (const core::DbError&) {
        m_kept = -1;
        if (own)
            m_db.rollback();
        throw;
    }
}

void NoteDayTotals::rebuild() {
    if (!kept())
        return;
    const bool own = !m_db.inTransaction();
    if (own)
        m_db.begin();
    try {
        clear();
        move(QStringLiteral("1=1"), {}, 1);
        if (own)
            m_db.commit();
    } catch (const core::DbError&) {
        if (own)
            m_db.rollback();
        throw;
    }
}

void NoteDayTotals::take(const QString& where, const core::Params& params) {
    move(where, params, -1);
}

void NoteDayTotals::put(const QString& where, const core::Params& params) {
    move(where, params, 1);
}

void NoteDayTotals::clear() {
    if (kept())
        m_db.exec(QStringLiteral("delete from NoteDayTotals"));
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
    const QString match = QStringLiteral(" where 出票日期=:day and 模板种类=:kind and 票据状态=:state");
    for (const Bucket& b : buckets) {
        core::Params p{{QStringLiteral("day"), b.day},
                       {QStringLiteral("kind"), b.kind},
                       {QStringLiteral("state"), b.state},
                       {QStringLiteral("notes"), sign * b.notes},
                       {QStringLiteral("amounts"), sign * b.amounts},
                       {QStringLiteral("sum"), sign * b.sum}};
        // A key left without amounts holds a sum of exactly 0, not what rounding left of it.
        const int changed =
            m_db.exec(QStringLiteral("update NoteDayTotals set 单据数=单据数+:notes, 金额数=金额数+:amounts, "
                                     "金额合计=case when 金额数+:amounts=0 then 0 else 金额合计+:sum end") +
                          match,
                      p);
        if (sign > 0 && changed == 0)
            m_db.exec(
                QStringLiteral(
                    "insert into NoteDayTotals (出票日期, 模板种类, 票据状态, 单据数, 金额数, 金额合计) "
                    "values (:day, :kind, :state, :notes, :amounts, :sum)"),
                p);
        if (sign < 0)
            m_db.exec(QStringLiteral("delete from NoteDayTotals") + match + QStringLiteral(" and 单据数<=0"),
                      p);
    }
}

} // namespace entry
