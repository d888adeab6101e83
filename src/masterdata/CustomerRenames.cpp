#include "masterdata/CustomerRenames.h"

#include "core/Database.h"

#include <QDateTime>

namespace masterdata {

const QString CustomerRenames::kTable = QStringLiteral("CustomerRenames");

void CustomerRenames::ensure(core::Database& db) {
    if (db.hasTable(kTable))
        return;
    db.exec(QStringLiteral("create table if not exists CustomerRenames (ID autoincrement(1,1) primary key, "
                           "单位ID long, 旧名称 Text(255), 新名称 Text(255), 改名时间 Text(19))"));
    db.exec(
        QStringLiteral("create index if not exists idx_customerrenames_unit on CustomerRenames (单位ID)"));
}

void CustomerRenames::record(core::Database& db, int unitId, const QString& oldName, const QString& newName) {
    ensure(db);
    db.exec(
        QStringLiteral("insert into CustomerRenames (单位ID, 旧名称, 新名称, 改名时间) values (:id, :old, "
                       ":new, :at)"),
        {{QStringLiteral("id"), unitId},
         {QStringLiteral("old"), oldName},
         {QStringLiteral("new"), newName},
         {QStringLiteral("at"),
          QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}});
}

} // namespace masterdata
