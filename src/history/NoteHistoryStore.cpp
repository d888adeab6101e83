#include "history/NoteHistoryStore.h"

#include "core/LikePattern.h"
#include "entry/MoneyText.h"
#include "entry/NoteDayTotals.h"

#include <QRegularExpression>

namespace history {

namespace {

const QString kVoidState = QStringLiteral("作废");

QString contains(const QString& text) {
    return QLatin1Char('%') + core::likeLiteral(text) + QLatin1Char('%');
}

} // namespace

bool NoteHistoryStore::isAmount(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    return decimal.match(text).hasMatch();
}

NoteCondition NoteHistoryStore::condition(const NoteFilter& f) {
    NoteCondition c;
    c.byDayTotals = f.number.isEmpty() && f.customer.isEmpty();
    if (!f.number.isEmpty()) {
        c.text += QStringLiteral("and 票据编号 like :number escape '\\' ");
        c.params.insert(QStringLiteral("number"), contains(f.number));
    }
    if (!f.kind.isEmpty()) {
        c.text += QStringLiteral("and (模板种类 like :kind escape '\\')  ");
        c.params.insert(QStringLiteral("kind"), contains(f.kind));
    }
    if (!f.state.isEmpty()) {
        c.text += QStringLiteral("and (票据状态=:state) ");
        c.params.insert(QStringLiteral("state"), f.state);
    }
    if (!f.customer.isEmpty()) {
        c.text += QStringLiteral(
            "and ((顾客名称 like :customer1 escape '\\')or(顾客联系人 like :customer2 escape '\\')) ");
        c.params.insert(QStringLiteral("customer1"), contains(f.customer));
        c.params.insert(QStringLiteral("customer2"), contains(f.customer));
    }
    if (!f.productCode.isEmpty()) {
        // LIKE on the column itself compares as the tables do (a function's result would not).
        c.text += QStringLiteral(" and 票据编号 in (select 票据编号 from DataCheckFHDSHDDetail where "
                                 "货号 like :productCode escape '\\') ");
        c.params.insert(QStringLiteral("productCode"), core::likeLiteral(f.productCode));
        c.byDayTotals = false;
    } else if (!f.productName.isEmpty()) {
        c.text += QStringLiteral(" and 票据编号 in (select 票据编号 from DataCheckFHDSHDDetail where "
                                 "coalesce(trim(货号),'')='' and 商品名 like :productName escape '\\') ");
        c.params.insert(QStringLiteral("productName"), core::likeLiteral(f.productName));
        c.byDayTotals = false;
    }
    if (!f.anyDate) {
        // Stored dates are ISO texts, so the bounds compare as texts and the date index serves.
        c.text += QStringLiteral(" and 出票日期>=:date1  and 出票日期<=:date2 ");
        c.params.insert(QStringLiteral("date1"), f.from.toString(Qt::ISODate) + QStringLiteral(" 00:00:00"));
        c.params.insert(QStringLiteral("date2"), f.to.toString(Qt::ISODate) + QStringLiteral(" 23:59:59"));
    }
    if (!f.amountFrom.isEmpty()) {
        if (isAmount(f.amountFrom)) {
            c.text += QStringLiteral(" and val(合计金额)>=:amount1 ");
            c.params.insert(QStringLiteral("amount1"), f.amountFrom.toDouble());
            c.byDayTotals = false;
        } else {
            c.amountFromRefused = true;
        }
    }
    if (!f.amountTo.isEmpty()) {
        if (isAmount(f.amountTo)) {
            c.text += QStringLiteral(" and val(合计金额)<=:amount2 ");
            c.params.insert(QStringLiteral("amount2"), f.amountTo.toDouble());
            c.byDayTotals = false;
        } else {
            c.amountToRefused = true;
        }
    }
    return c;
}

// 收款: whether the payments naming the note (Payments.票据编号, registered by the accounts room)
// cover its amount. Read from the list's statement, 200 rows at a time, through the payments'
// note index; both sides in cents, the note's text rounded once.
const QString NoteHistoryStore::kPaidColumn = QStringLiteral(
    "(select case when x.due<=0 then '' when x.paid>=x.due then '已收' when x.paid>0 then '部分' else '未收' "
    "end "
    "from (select "
    "cast(round(val(replace(coalesce(nullif(trim(DataCheckFHDSHD.合计金额),''),'0'),',',''))*100) as bigint) "
    "as "
    "due, "
    "(select coalesce(sum(p.金额分),0) from Payments p where p.票据编号=DataCheckFHDSHD.票据编号) as paid) "
    "x) as 收款");

QString NoteHistoryStore::statement(const NoteCondition& condition, const QString& sortColumn) {
    QString sql = QStringLiteral("SELECT *, ") + kPaidColumn + QStringLiteral(" FROM DataCheckFHDSHD  ");
    // The condition picks keys only (the date index holds them), so a screenful of rows is read
    // from the table instead of every note found being read and sorted.
    if (!condition.text.isEmpty())
        sql += QStringLiteral(" where 流水号 in (select 流水号 from DataCheckFHDSHD where 1=1 ") +
               condition.text + QLatin1Char(')');
    return sql + QStringLiteral(" order by ") + sortColumn + QStringLiteral(" DESC");
}

QString NoteHistoryStore::memo(const QString& statement, const core::Params& params) {
    QString out = statement;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        out += QLatin1Char('\n') + it.key() + QLatin1Char('=') + it.value().toString();
    return out;
}

QString NoteHistoryStore::sumText(const std::optional<double>& sum) {
    // The money rule of every amount the program writes (halves away from zero).
    return sum ? entry::FormatLineAmount(*sum, false) : QString();
}

QString NoteHistoryStore::lineMoneyText(const QString& stored) {
    // Padded on the text, never through a double, so no stored digit is rounded away.
    static const QRegularExpression decimal(QStringLiteral("^([-+]?)(\\d*)(?:\\.(\\d*))?$"));
    const QString text = stored.trimmed();
    const QRegularExpressionMatch m = decimal.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return stored;
    const QString whole = m.capturedLength(2) ? m.captured(2) : QStringLiteral("0");
    QString fraction = m.captured(3);
    if (fraction.size() < 2)
        fraction += QString(2 - fraction.size(), QLatin1Char('0'));
    return m.captured(1) + whole + QLatin1Char('.') + fraction;
}

NoteTotals NoteHistoryStore::totals(const NoteCondition& condition) {
    NoteTotals t;
    core::Recordset rs;
    if (condition.byDayTotals && entry::NoteDayTotals(m_db).kept()) {
        // The day totals carry the columns the condition names. The listed notes end at the
        // newest note of all: a note saved later has a larger key, one found had one no larger.
        rs =
            m_db.query(QStringLiteral("select sum(单据数) as n, sum(case when 金额数>0 then 金额合计 end) as "
                                      "SumMoney from NoteDayTotals where 1=1 ") +
                           condition.text,
                       condition.params);
        t.lastKey = m_db.scalar(QStringLiteral("select max(流水号) from DataCheckFHDSHD")).toLongLong();
    } else {
        rs = m_db.query(
            QStringLiteral("select count(*) as n, sum(") + entry::NoteDayTotals::kAmount +
                QStringLiteral(") as SumMoney, max(流水号) as LastKey from DataCheckFHDSHD where 1=1 ") +
                condition.text,
            condition.params);
        if (!rs.isEmpty())
            t.lastKey = rs.value(2).toLongLong();
    }
    if (rs.isEmpty())
        return t;
    t.count = rs.value(0).toLongLong();
    if (!rs.value(1).isNull())
        t.sum = rs.value(1).toDouble();
    return t;
}

void NoteHistoryStore::keepDayTotals() {
    entry::NoteDayTotals(m_db).ensure();
}

QStringList NoteHistoryStore::recentNumbers(int limit) {
    core::Recordset rs =
        m_db.query(QStringLiteral("select 票据编号 from DataCheckFHDSHD where 票据编号 is not null "
                                  "order by 流水号 desc limit ") +
                   QString::number(limit));
    QStringList out;
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(0);
    return out;
}

QString NoteHistoryStore::fullNameByShortcut(const QString& prefix) {
    const QVariant name =
        m_db.scalar(QStringLiteral("select 全称 from CKPersonalInfoTable where 助记码 like :p escape '\\' "
                                   "order by len(助记码) ASC"),
                    {{QStringLiteral("p"), core::likeLiteral(prefix) + QLatin1Char('%')}});
    return name.isValid() ? name.toString() : QString();
}

int NoteHistoryStore::voidNotes(const QVariantList& keys) {
    if (keys.isEmpty())
        return 0;
    return setState(QStringLiteral("流水号") + core::Database::keyList(QStringLiteral("keys")),
                    {{QStringLiteral("keys"), keys}, {QStringLiteral("state"), kVoidState}});
}

int NoteHistoryStore::markState(const QVariantList& numbers, const QString& state) {
    if (numbers.isEmpty())
        return 0;
    return setState(QStringLiteral("票据编号") + core::Database::keyList(QStringLiteral("numbers")),
                    {{QStringLiteral("numbers"), numbers}, {QStringLiteral("state"), state}});
}

int NoteHistoryStore::setState(const QString& where, const core::Params& params) {
    entry::NoteDayTotals totals(m_db);
    m_db.begin();
    try {
        totals.take(where, params);
        const int n =
            m_db.exec(QStringLiteral("update DataCheckFHDSHD set 票据状态=:state where ") + where, params);
        totals.put(where, params);
        m_db.commit();
        return n;
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

int NoteHistoryStore::deleteNotes(const QVariantList& numbers) {
    if (numbers.isEmpty())
        return 0;
    const QString in = core::Database::keyList(QStringLiteral("numbers"));
    const core::Params params{{QStringLiteral("numbers"), numbers}};
    m_db.begin();
    try {
        entry::NoteDayTotals(m_db).take(QStringLiteral("票据编号") + in, params);
        m_db.exec(QStringLiteral("delete from DataCheckFHDSHDDetail where 票据编号") + in, params);
        m_db.reachStep(QStringLiteral("history.deleteNotes.lines"));
        const int n = m_db.exec(QStringLiteral("delete from DataCheckFHDSHD where 票据编号") + in, params);
        m_db.commit();
        return n;
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

NoteCondition NoteHistoryStore::listed(const NoteCondition& condition, qint64 lastKey) {
    NoteCondition c = condition;
    c.text += QStringLiteral(" and 流水号<=:lastKey ");
    c.params.insert(QStringLiteral("lastKey"), lastKey);
    return c;
}

int NoteHistoryStore::deleteListed(const NoteCondition& condition) {
    m_db.begin();
    try {
        entry::NoteDayTotals(m_db).take(QStringLiteral("1=1 ") + condition.text, condition.params);
        const int n = m_db.exec(QStringLiteral("delete from DataCheckFHDSHD where 1=1 ") + condition.text,
                                condition.params);
        m_db.reachStep(QStringLiteral("history.deleteListed.notes"));
        try {
            deleteOrphanLines();
        } catch (const core::DbError& e) {
            throw LinesFailed(e.message());
        }
        m_db.commit();
        return n;
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

int NoteHistoryStore::deleteOrphanLines() {
    // One header without a number would make "not in" unknown for every line: leave NULLs out.
    return m_db.exec(
        QStringLiteral("DELETE * FROM DataCheckFHDSHDDetail WHERE 票据编号 not in(select 票据编号 from "
                       "DataCheckFHDSHD where 票据编号 is not null)"));
}

int NoteHistoryStore::clearAll() {
    m_db.begin();
    try {
        const int n = m_db.exec(QStringLiteral("delete from DataCheckFHDSHD "));
        m_db.exec(QStringLiteral("delete from DataCheckFHDSHDDetail "));
        entry::NoteDayTotals(m_db).clear();
        m_db.commit();
        return n;
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

QString NoteHistoryStore::stateOfMenuEntry(const QString& entry) {
    const QString trimmed = entry.trimmed();
    const int paren = trimmed.indexOf(QLatin1Char('('));
    return paren < 0 ? trimmed : trimmed.left(paren);
}

} // namespace history
