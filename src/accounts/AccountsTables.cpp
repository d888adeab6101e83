#include "accounts/AccountsTables.h"

#include "core/Database.h"
#include "core/DbError.h"
#include "masterdata/CustomerRenames.h"

namespace accounts {

namespace {

const char* const kIndexes[] = {
    "create index if not exists idx_payments_customer on Payments (顾客名称)",
    // Balances sum a customer's payments up to a day from the index alone.
    "create index if not exists idx_payments_balance on Payments (顾客名称, 收款日期, 金额分)",
    "create index if not exists idx_payments_date on Payments (收款日期)",
    "create index if not exists idx_payments_note on Payments (票据编号)",
    "create index if not exists idx_fhdshd_customer on DataCheckFHDSHD (顾客名称)",
    "create index if not exists idx_orderlist_customer on OrderList (客户全称)",
};

bool complete(core::Database& db) {
    return db.hasTable(QStringLiteral("Payments")) && db.hasTable(masterdata::CustomerRenames::kTable) &&
           db.hasIndex(QStringLiteral("idx_fhdshd_customer")) &&
           db.hasIndex(QStringLiteral("idx_payments_balance")) &&
           (!db.hasTable(QStringLiteral("PrintJournal")) ||
            db.hasIndex(QStringLiteral("PrintJournal_OrderFirst")));
}

} // namespace

void ensureTables(core::Database& db) {
    if (complete(db))
        return;
    db.begin();
    try {
        db.lockName(QStringLiteral("Payments"));
        if (!db.hasTable(QStringLiteral("Payments"))) {
            db.exec(QStringLiteral("create table Payments (ID autoincrement(1,1) primary key, 收款日期 "
                                   "Text(10), 顾客名称 Text(255), "
                                   "金额分 long, 收款方式 Text(50), 票据编号 Text(50), 备注 Text(255), "
                                   "操作员 Text(50), 录入时间 "
                                   "Text(19))"));
            // Stores made before the register lack its dictionary too; one the clerk made is kept.
            if (db.scalar(QStringLiteral("select count(*) from DMTable where DMName='收款方式'")).toInt() ==
                0)
                for (const char* method : {"现金", "转账", "微信", "支付宝", "支票"})
                    db.exec(QStringLiteral("insert into DMTable (DMName, DMValue, CheckTypeId) values "
                                           "('收款方式', :v, 0)"),
                            {{QStringLiteral("v"), QString::fromUtf8(method)}});
        }
        masterdata::CustomerRenames::ensure(db);
        for (const char* sql : kIndexes)
            db.exec(QString::fromUtf8(sql));
        if (db.hasTable(QStringLiteral("PrintJournal"))) {
            // The journal's own index since it serves the ledger; the narrower one of the build
            // before goes.
            db.exec(QStringLiteral("create index if not exists PrintJournal_OrderFirst on PrintJournal "
                                   "(OrderNo, Source, PrintTime)"));
            db.exec(QStringLiteral("drop index if exists PrintJournal_Order"));
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace accounts
