#include "upgrade/UpgradeRun.h"

#include "core/AppContext.h"
#include "core/ColumnOps.h"
#include "core/Database.h"
#include "core/ProgramFolder.h"
#include "core/VersionInfo.h"
#include "entry/NoteDayTotals.h"
#include "upgrade/DataFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace upgrade {

namespace {

const QString kFailed = QStringLiteral("升级失败，意外错误:");
const QString kCourier = QStringLiteral("快递单");

struct Column {
    const char* name;
    const char* size;
    const char* type;
};

// Fee and free columns of the recipient list and of the courier bills of earlier versions.
const QList<Column> kFeeColumns{
    {"体积", "50", "String"},     {"代收金额", "30", "String"}, {"手续费", "50", "String"},
    {"保价金额", "50", "String"}, {"保价费", "50", "String"},   {"运费", "50", "String"},
    {"加急费", "50", "String"},   {"包装费", "50", "String"},   {"送货费", "50", "String"},
    {"其他费", "50", "String"},   {"金额大写1", "50", "String"}};

struct Item {
    const char* label;
    const char* name;
    int order;
};

QList<Item> courierItems() {
    QList<Item> items{
        {"体积", "ZDTIJI", 357},       {"代收金额", "ZDDAISJE", 357}, {"手续费", "ZDSHOUXUFEE", 358},
        {"保价金额", "ZDBJJE", 359},   {"保价费", "ZDBJFEE", 360},    {"运费", "ZDYUNFEE", 361},
        {"寄方编码", "ZDJFKHBM", 29},  {"加急费", "ZDJIAJIFEE", 362}, {"包装费", "ZDBAOZFEE", 363},
        {"送货费", "ZDSONGHFEE", 364}, {"其他费", "ZDQITAFEE", 365},  {"金额大写1", "ZDJEDX1", 366}};
    return items;
}

// Raised inside the run to leave it; rolled back like any failure.
struct Stopped {};

QString u(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

UpgradeRun::UpgradeRun(core::AppContext& app) : m_app(app), m_version(programVersion(app)) {}

void UpgradeRun::advance(int by, const QString& text) {
    m_position = std::min(kMaximum, m_position + by);
    QString line =
        QStringLiteral("进度:") + QString::number(m_position) + QLatin1Char('/') + QString::number(kMaximum);
    if (!text.isEmpty())
        line += QStringLiteral(" >> ") + text;
    if (progress)
        progress(m_position, line);
}

QString UpgradeRun::earlierDatabase(const QString& folder) {
    const QDir dir(folder);
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (sub.fileName().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
            for (const QFileInfo& file : QDir(sub.filePath()).entryInfoList(QDir::Files))
                if (file.fileName().compare(QLatin1String("EPData.ini"), Qt::CaseInsensitive) == 0)
                    return file.filePath();
    return QString();
}

QString UpgradeRun::checkEnvironment(const QString& programFile) {
    const QString file = programFile.trimmed();
    if (file.isEmpty() || file == QStringLiteral("请选择.."))
        return QStringLiteral("请选择青木鸟快递打印软件的主运行程序(例如:D:/青木鸟打印/青木鸟V927.exe)~");
    if (!QFileInfo(file).isFile())
        return QStringLiteral("主程序文件无效~");
    const QString database = earlierDatabase(QFileInfo(file).absolutePath());
    if (database.isEmpty())
        return QStringLiteral("主程序数据文件无效，请重新选择符合完整的主程序文件~");
    const DataFileKind kind = dataFileKind(database);
    if (kind != DataFileKind::SQLite)
        return refusalText(kind, database);
    return QStringLiteral("环境OK，可以升级~");
}

QString UpgradeRun::programVersion(const core::AppContext& app) {
    return app.version.isEmpty() ? core::VersionInfo::applicationVersionText() : app.version;
}

UpgradeRun::PackageMark UpgradeRun::packageMark(const QString& path, const QString& version) {
    if (dataFileKind(path) != DataFileKind::SQLite)
        return PackageMark::Unreadable;
    core::Database package(QStringLiteral("overprint_upgrade_mark"));
    try {
        package.open(path);
        if (!package
                 .scalar(QStringLiteral("select 1 from sqlite_master where type='table' and name='_Config'"))
                 .isValid())
            return PackageMark::Older;
        const QString mark =
            package.scalar(QStringLiteral("select DMValue from _Config where DMName='version'")).toString();
        return core::VersionInfo::isOlderMark(mark, version) ? PackageMark::Older : PackageMark::Current;
    } catch (const core::DbError&) {
        return PackageMark::Unreadable;
    }
}

bool UpgradeRun::isDue(core::AppContext& app) {
    const QString version = programVersion(app);
    QString mark;
    try {
        // Read here rather than through the option service, which takes an unreadable file for
        // a missing mark.
        mark =
            app.db()
                .scalar(QStringLiteral("select cvalue from configtable where ltrim(rtrim(cname))='version'"))
                .toString();
    } catch (const core::DbError&) {
        return false;
    }
    return core::VersionInfo::isOlderMark(mark, version) ||
           packageMark(app.pathOf(QStringLiteral("Data/Template.a01")), version) == PackageMark::Older;
}

void UpgradeRun::step(const QString& name) {
    if (atStep)
        atStep(name);
}

// The copy is written under a temporary name and takes its final one only when whole, so a
// file named like a backup is always a complete one; a killed copy is removed at the next start.
bool UpgradeRun::backUp() {
    core::Database& db = m_app.db();
    // A store on a server is backed up as a local file beside the program's own.
    const QString base =
        db.filePath().isEmpty() ? core::ProgramFolder::databasePath(m_app.getRunPath()) : db.filePath();
    m_backup = base + QStringLiteral(".升级前-") +
               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString part = core::ProgramFolder::unfinishedBackupName(m_backup);
    QString failure;
    try {
        QFile::remove(part);
        db.copyToFile(part);
        step(QStringLiteral("backup-copied"));
        QFile::remove(m_backup);
        if (!QFile::rename(part, m_backup))
            failure = QStringLiteral("备份文件无法改名为 ") + QDir::toNativeSeparators(m_backup);
    } catch (const core::DbError& e) {
        failure = e.message();
    }
    if (failure.isEmpty())
        return true;
    QFile::remove(part);
    m_backup.clear();
    m_app.dialogs().message(kFailed + QStringLiteral("无法备份数据文件，未作任何修改。") + failure);
    return false;
}

UpgradeRun::Outcome UpgradeRun::run() {
    core::Dialogs& dialogs = m_app.dialogs();
    core::Database& db = m_app.db();
    const QString package = m_app.pathOf(QStringLiteral("Data/Template.a01"));
    const DataFileKind packageKind = dataFileKind(package);
    const bool dataDue =
        core::VersionInfo::isOlderMark(m_app.getConfigByname(QStringLiteral("version")), m_version);
    // A run stopped between the two files left the package behind: it is finished on its own.
    const PackageMark packageState = packageMark(package, m_version);
    const bool packageDue =
        packageState == PackageMark::Older || (dataDue && packageState == PackageMark::Unreadable);
    if (!dataDue && !packageDue) {
        dialogs.message(QStringLiteral("当前软件已经是V9.28，无需再升级！"));
        return Outcome::AlreadyCurrent;
    }
    // Files of another engine are refused before anything is written to either.
    QList<std::pair<QString, DataFileKind>> files;
    if (dataDue && !db.filePath().isEmpty())
        files << std::pair{db.filePath(), dataFileKind(db.filePath())};
    if (packageDue && packageKind != DataFileKind::Missing)
        files << std::pair{package, packageKind};
    for (const auto& [path, kind] : files) {
        if (kind == DataFileKind::SQLite)
            continue;
        dialogs.message(kFailed + refusalText(kind, path));
        return Outcome::Refused;
    }

    m_position = 0;
    m_columnFailed = false;
    m_backup.clear();
    if (dataDue) {
        if (!backUp())
            return Outcome::Failed;
        core::ColumnOps ops(m_app);
        ops.progress = [this](int by, const QString& text) { advance(by, text); };
        const QString restored = QStringLiteral("\n数据已恢复到升级前的状态；升级前的数据备份在：") +
                                 QDir::toNativeSeparators(m_backup);
        try {
            db.begin();
            // A data file that cannot be written (read-only, locked by another program) says so
            // here once, before any step.
            db.exec(QStringLiteral("update configtable set cvalue=cvalue where 1=0"));
            upgradeMain(ops);
            if (m_columnFailed)
                throw core::DbError(QStringLiteral("部分表结构未能升级"));
            const core::Params version{{QStringLiteral("v"), m_version}};
            if (db.exec(QStringLiteral("update configtable set cvalue=:v where cname='version'"), version) ==
                0)
                db.exec(QStringLiteral("insert into configtable (cname,cvalue) values ('version',:v)"),
                        version);
            db.commit();
        } catch (const Stopped&) {
            db.rollback();
            dialogs.message(QStringLiteral("升级已取消。") + restored);
            return Outcome::Cancelled;
        } catch (const core::DbError& e) {
            db.rollback();
            dialogs.message(kFailed + e.message() + restored);
            return Outcome::Failed;
        }
        step(QStringLiteral("data-committed"));
    }

    QString packageNote;
    if (packageKind == DataFileKind::Missing)
        packageNote = QStringLiteral("\n模板数据包不存在，未升级：") + QDir::toNativeSeparators(package);
    else if (packageDue && !upgradePackage(package)) {
        if (!dataDue)
            return Outcome::Failed;
        packageNote = QStringLiteral("\n模板数据包未能升级，保持原样：") + QDir::toNativeSeparators(package);
    }

    m_position = kMaximum;
    if (progress)
        progress(m_position, QStringLiteral("进度:") + QString::number(kMaximum) + QLatin1Char('/') +
                                 QString::number(kMaximum) + QStringLiteral("    升级完成！"));
    QString text = QStringLiteral("恭喜，升级成功啦！") + packageNote;
    if (!m_backup.isEmpty())
        text += QStringLiteral("\n升级前的数据备份在：") + QDir::toNativeSeparators(m_backup);
    dialogs.message(text);
    return Outcome::Upgraded;
}

void UpgradeRun::upgradeMain(core::ColumnOps& ops) {
    core::Database& db = m_app.db();
    const auto add = [&](const QString& table, const QString& column, const QString& size,
                         const QString& type) {
        if (!ops.aAddColumn(table, column, nullptr, size, type))
            m_columnFailed = true;
    };
    for (const char* column :
         {"ctlLH", "ctlH", "ctlW", "NeedShow", "NeedPrint", "SrcX", "SrcY", "SrcW", "SrcH"})
        add(QStringLiteral("CKControl"), u(column), QString(), QStringLiteral("Number"));
    add(QStringLiteral("CKControl"), QStringLiteral("CtlType"), QStringLiteral("30"),
        QStringLiteral("String"));
    add(QStringLiteral("CKControl"), QStringLiteral("InitValue"), QStringLiteral("80"),
        QStringLiteral("String"));
    add(QStringLiteral("NameDict"), QStringLiteral("CtlData"), QStringLiteral("100"),
        QStringLiteral("String"));
    add(QStringLiteral("NameDict"), QStringLiteral("CtlType"), QStringLiteral("20"),
        QStringLiteral("String"));
    add(QStringLiteral("CKTypeTable"), QStringLiteral("IsCommon"), QStringLiteral("10"),
        QStringLiteral("String"));
    add(QStringLiteral("CKTypeTable"), QStringLiteral("PWidth"), QString(), QStringLiteral("Number"));
    add(QStringLiteral("CKTypeTable"), QStringLiteral("PHeight"), QString(), QStringLiteral("Number"));
    // The recipient list comes with the imports; an installation that never imported has none.
    const bool hasReceivers = [&] {
        try {
            db.query(QStringLiteral("select * from ReceiverList where 1>2"));
            return true;
        } catch (const core::DbError&) {
            return false;
        }
    }();
    QList<Column> receiverColumns = kFeeColumns;
    receiverColumns << Column{"自定义3", "50", "String"} << Column{"自定义4", "50", "String"}
                    << Column{"自定义5", "50", "String"};
    if (hasReceivers)
        for (const Column& c : receiverColumns)
            add(QStringLiteral("ReceiverList"), u(c.name), u(c.size), u(c.type));
    if (!ops.CreateTableIFNotExists(
            QStringLiteral("DataKDDTable"),
            QStringLiteral("create table DataKDDTable (ID autoincrement(1,1) primary key,"
                           "票据编号 Text(50),模板种类 Text(50),出票日期 Text(30))")))
        m_columnFailed = true;
    QList<Column> courierColumns = kFeeColumns;
    for (const char* name : {"自定义1", "自定义2", "自定义3", "自定义4", "自定义5"})
        courierColumns << Column{name, "50", "String"};
    for (const Column& c : courierColumns)
        add(QStringLiteral("DataKDDTable"), u(c.name), u(c.size), u(c.type));
    if (createMatchColumn && !createMatchColumn(db))
        m_columnFailed = true;
    // The history's kept day totals, counted from the notes the earlier version saved.
    entry::NoteDayTotals(db).ensure();
    advance(1, QStringLiteral("升级模板样本结构"));

    add(QStringLiteral("CKTypeTable"), QStringLiteral("IniFile"), QStringLiteral("50"),
        QStringLiteral("String"));
    add(QStringLiteral("CKTypeTable"), QStringLiteral("TypeFirstName"), QStringLiteral("50"),
        QStringLiteral("String"));
    if (!ops.initTypeFirstNameValue())
        m_columnFailed = true;

    for (const Item& item : courierItems())
        ops.aInsertNameDictItemIFLost(kCourier, u(item.label), QStringLiteral("Text"), item.order, 1,
                                      u(item.name));
    for (int i = 0; i <= 12; ++i)
        ops.aInsertNameDictItemIFLost(kCourier, QStringLiteral("勾选") + QString::number(i),
                                      QStringLiteral("CHECKBOX"), 409 + i, 1,
                                      QStringLiteral("DEFCHECK") + QString::number(i));
    ops.aInsertNameDictItemIFLost(kCourier, QStringLiteral("自定义3"), QStringLiteral("Text"), 470, 1,
                                  QStringLiteral("ZDDEF3"));
    ops.aInsertNameDictItemIFLost(kCourier, QStringLiteral("自定义4"), QStringLiteral("Text"), 471, 1,
                                  QStringLiteral("ZDDEF4"));
    ops.aInsertNameDictItemIFLost(kCourier, QStringLiteral("自定义5"), QStringLiteral("Text"), 472, 1,
                                  QStringLiteral("ZDDEF5"));

    db.exec(QStringLiteral("update NameDict set CtlName=UCase(CtlName)"));
    advance(1, QStringLiteral("编码大小写修正..."));
    // Kinds are set only where none is stored yet: items that are lines, images or tick boxes
    // keep what they are, so templates keep printing as before after an upgrade. The tick items
    // are tick items also where an earlier run stored them as text.
    const QString empty = QStringLiteral("(CtlType is null or CtlType='')");
    db.exec(QStringLiteral("update NameDict set CtlType='CHECKBOX' where CtlName like 'DEFCHECK%' and "
                           "(CtlType is null or CtlType='' or upper(CtlType)='TEXT')"));
    db.exec(QStringLiteral("update NameDict set CtlType='TEXT' where ") + empty);
    advance(1, QStringLiteral("编码修正，控件类型TEXT..."));
    advance(1, QStringLiteral("编码修正，控件类型CHECKBOX..."));

    const core::Recordset templates = db.query(QStringLiteral("select CheckTypeID from CKTypeTable "));
    for (int i = 0; i < templates.recordCount(); ++i) {
        advance(1, QStringLiteral("升级模板数据.."));
        if (pump && pump())
            throw Stopped{};
    }

    for (const char* name : {"邮政快递", "申通速递", "圆通速递", "韵达快运", "顺丰速运"})
        if (!ops.aUpdateColumnValue(QStringLiteral("ckTypeTable"), QStringLiteral("isCommon"),
                                    QStringLiteral(" TypeName like '%") + u(name) +
                                        QStringLiteral("%' and visiable='启用'"),
                                    QStringLiteral("string"), QStringLiteral("是")))
            m_columnFailed = true;
    if (!ops.aUpdateColumnValue(QStringLiteral("ckTypeTable"), QStringLiteral("isCommon"),
                                QStringLiteral(" IsDefault='默认'"), QStringLiteral("string"),
                                QStringLiteral("是")))
        m_columnFailed = true;
}

bool UpgradeRun::upgradePackage(const QString& path) {
    core::Database package(QStringLiteral("overprint_upgrade_package"));
    try {
        package.open(path);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("模板数据包打开失败：") + e.message());
        return false;
    }
    core::ColumnOps ops(m_app);
    ops.progress = [this](int by, const QString& text) { advance(by, text); };
    bool ok = true;
    try {
        const QString check = package.scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok"))
            throw core::DbError(QStringLiteral("数据包已损坏 ") + check);
        package.begin();
        package.exec(QStringLiteral("update _CKTypeTable set CheckTypeID=CheckTypeID where 1=0"));
        for (const char* column : {"SrcX", "SrcY", "SrcH", "SrcW", "NeedShow", "NeedPrint", "CtlLH"})
            ok = ops.aAddColumn(QStringLiteral("_CKControl"), u(column), &package, QString(),
                                QStringLiteral("Number")) &&
                 ok;
        ok = ops.aAddColumn(QStringLiteral("_CKControl"), QStringLiteral("CtlType"), &package,
                            QStringLiteral("30"), QStringLiteral("String")) &&
             ok;
        ok = ops.aAddColumn(QStringLiteral("_CKControl"), QStringLiteral("InitValue"), &package,
                            QStringLiteral("60"), QStringLiteral("String")) &&
             ok;
        ok = ops.aAddColumn(QStringLiteral("_CKTypeTable"), QStringLiteral("PWidth"), &package, QString(),
                            QStringLiteral("Number")) &&
             ok;
        ok = ops.aAddColumn(QStringLiteral("_CKTypeTable"), QStringLiteral("PHeight"), &package, QString(),
                            QStringLiteral("Number")) &&
             ok;
        if (!ok)
            throw core::DbError(QStringLiteral("部分表结构未能升级"));
        ops.CreateTableIFNotExists(
            QStringLiteral("_Config"),
            QStringLiteral("create table _Config (Id autoincrement(1,1) primary key,DMName "
                           "Text(50),DMValue Text(200),CheckTypeId Integer)"),
            &package);
        const core::Params version{{QStringLiteral("v"), m_version}};
        if (package.exec(QStringLiteral("update _Config set DMValue=:v where DMName='version'"), version) ==
            0)
            package.exec(
                QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values ('version',:v,0)"),
                version);
        package.commit();
        return true;
    } catch (const core::DbError& e) {
        package.rollback();
        m_app.dialogs().message(QStringLiteral("模板数据包升级失败：") + e.message());
        return false;
    }
}

} // namespace upgrade
