#pragma once

#include "core/Database.h"

#include <QString>

// Turns a freshly built program database into one of an earlier version: the columns and the
// table that the earlier versions lacked are taken away, an unknown column of its own is
// added, and it is given notes, units and a courier template. Shared by the upgrade tests and
// the upgrade benchmark.
namespace earlier {

inline void dropColumns(core::Database& db, const QString& table, const QStringList& columns) {
    for (const QString& column : columns)
        db.exec(QStringLiteral("alter table ") + table + QStringLiteral(" drop column ") + column);
}

inline void makeEarlier(core::Database& db, int notes, int units) {
    db.exec(QStringLiteral("drop index idx_cktypetable_kind"));
    dropColumns(db, QStringLiteral("CKTypeTable"),
                {QStringLiteral("TypeFirstName"), QStringLiteral("IsCommon"), QStringLiteral("PWidth"),
                 QStringLiteral("PHeight"), QStringLiteral("IniFile")});
    dropColumns(db, QStringLiteral("ckControl"), {QStringLiteral("InitValue"), QStringLiteral("NeedShow")});
    dropColumns(db, QStringLiteral("NameDict"), {QStringLiteral("CtlData")});
    dropColumns(db, QStringLiteral("ReceiverList"),
                {QStringLiteral("体积"), QStringLiteral("代收金额"), QStringLiteral("手续费"),
                 QStringLiteral("金额大写1"), QStringLiteral("自定义5")});
    db.exec(QStringLiteral("drop table DataKDDTable"));
    db.exec(QStringLiteral("drop table NoteDayTotals"));
    db.exec(QStringLiteral("alter table CKTypeTable add column OldExtra text"));
    db.exec(QStringLiteral("update CKTypeTable set OldExtra='kept'"));
    db.exec(QStringLiteral(
        "insert into CKTypeTable (CheckTypeID,TypeName,TypeDescribe,Visiable,IsDefault) values "
        "(30,'快递单（圆通速递）','圆通速递','启用','0')"));
    // Item definitions whose kind was never set, as earlier versions stored them.
    db.exec(QStringLiteral(
        "insert into NameDict (CheckTypeName,CtlName,CtlLabel,CtlType,PrintItem,ShowOrd) values "
        "('快递单','zdShouJian','收件人',null,1,1)"));
    db.exec(QStringLiteral(
        "insert into NameDict (CheckTypeName,CtlName,CtlLabel,CtlType,PrintItem,ShowOrd) values "
        "('快递单','DefCheck0','勾选0','',1,409)"));
    db.exec(QStringLiteral("insert into configtable (cname,cvalue) values ('version','9.27')"));
    db.exec(QStringLiteral("delete from configtable where cname='version' and cvalue<>'9.27'"));
    db.begin();
    for (int i = 0; i < notes; ++i)
        db.exec(QStringLiteral(
                    "insert into DataCheckFHDSHD (票据编号,模板种类,合计金额,顾客名称,出票日期) values "
                    "(:n,'出货单（标准）','12.50','客户','2026-01-02 00:00:00')"),
                {{QStringLiteral("n"), QStringLiteral("N%1").arg(i, 8, 10, QLatin1Char('0'))}});
    for (int i = 0; i < units; ++i)
        db.exec(QStringLiteral("insert into CKPersonalInfoTable (全称,单位类型) values (:n,'往来单位')"),
                {{QStringLiteral("n"), QStringLiteral("单位%1").arg(i)}});
    db.commit();
}

} // namespace earlier
