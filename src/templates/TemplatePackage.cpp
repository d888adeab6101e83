#include "templates/TemplatePackage.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Recordset.h"
#include "core/TemplateStore.h"
#include "core/VersionInfo.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace templates {

const QString TemplatePackage::kAccessError = QStringLiteral(":),数据包访问异常！");

namespace {

constexpr qint64 kMaxPackageBytes = 512LL * 1024 * 1024;
constexpr int kMaxItems = 2000;

const QStringList kIntItems{
    QStringLiteral("ctlx"),      QStringLiteral("ctly"),          QStringLiteral("ctlh"),
    QStringLiteral("ctlw"),      QStringLiteral("ctllh"),         QStringLiteral("srcx"),
    QStringLiteral("srcy"),      QStringLiteral("srch"),          QStringLiteral("srcw"),
    QStringLiteral("needprint"), QStringLiteral("needshow"),      QStringLiteral("ctlfontsize"),
    QStringLiteral("bold"),      QStringLiteral("breakfontsize"), QStringLiteral("italic"),
    QStringLiteral("underline"), QStringLiteral("showord")};
const QStringList kTextItems{
    QStringLiteral("ctlname"),     QStringLiteral("ctlcname"), QStringLiteral("ctltype"),
    QStringLiteral("ctlfontname"), QStringLiteral("fitparam"), QStringLiteral("breaknum"),
    QStringLiteral("initvalue"),   QStringLiteral("align"),    QStringLiteral("ctlfontcolor")};
// Template columns a package may carry; the image is read apart.
const QStringList kTypeColumns{
    QStringLiteral("checktypeid"),  QStringLiteral("typename"), QStringLiteral("typefirstname"),
    QStringLiteral("typedescribe"), QStringLiteral("xmove"),    QStringLiteral("ymove"),
    QStringLiteral("theight"),      QStringLiteral("twidth"),   QStringLiteral("hvprint"),
    QStringLiteral("checkboxs"),    QStringLiteral("pwidth"),   QStringLiteral("pheight")};

// The engine's text of the last package failure, for support.
void storeLastError(core::AppContext& app, const QString& text) {
    core::IniFile& ini = app.userIni();
    ini.writeString(QStringLiteral("ERROR"), QStringLiteral("LASTERROR"), text);
    ini.flush();
}

core::DbError accessError(const QString& why) {
    return core::DbError(TemplatePackage::kAccessError + QLatin1Char(' ') + why);
}

// A package value as the store column's type: an integer column takes only a whole number
// (or stays NULL), a text column only a bounded text.
QVariant asInteger(const QVariant& v, const QString& column) {
    if (v.isNull())
        return v;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw core::DbError(QStringLiteral("数值无效：") + column);
    return n;
}

QVariant asText(const QVariant& v, const QString& column) {
    if (v.isNull())
        return v;
    const QString text = v.toString();
    if (text.size() > TemplatePackage::kMaxText)
        throw core::DbError(QStringLiteral("文字过长：") + column);
    return text;
}

bool emptyValue(const QVariant& v) {
    return v.isNull() || v.toString().trimmed().isEmpty();
}

// The defaults of a written item, both directions.
QVariantMap itemWithDefaults(QVariantMap item) {
    const auto orDefault = [&item](const char* column, const QVariant& value, bool whenEmpty) {
        const QString c = QLatin1String(column);
        if (whenEmpty ? emptyValue(item.value(c)) : item.value(c).isNull())
            item.insert(c, value);
    };
    orDefault("underline", 0, false);
    orDefault("italic", 0, false);
    orDefault("bold", 0, false);
    orDefault("breaknum", QString(), false);
    orDefault("breakfontsize", 7, false);
    if (emptyValue(item.value(QStringLiteral("ctllh"))) ||
        item.value(QStringLiteral("ctllh")).toString() == QLatin1String("0"))
        item.insert(QStringLiteral("ctllh"), 50);
    orDefault("srcx", 10, true);
    orDefault("srcy", 10, true);
    orDefault("srcw", 50, true);
    orDefault("srch", 20, true);
    orDefault("needprint", 1, true);
    orDefault("needshow", 1, true);
    orDefault("ctltype", QStringLiteral("Text"), true);
    orDefault("showord", 0, false);
    if (!item.contains(QStringLiteral("initvalue")))
        item.insert(QStringLiteral("initvalue"), QString());
    return item;
}

// Insert of one item with every present column bound, converted to its type.
void insertItem(core::Database& db, const QString& table, int id, const QVariantMap& item) {
    QStringList cols{QStringLiteral("CheckTypeID")};
    QStringList marks{QStringLiteral(":id")};
    core::Params params{{QStringLiteral("id"), id}};
    for (auto it = item.begin(); it != item.end(); ++it) {
        const bool isInt = kIntItems.contains(it.key());
        if (!isInt && !kTextItems.contains(it.key()))
            continue;
        cols << it.key();
        marks << QLatin1Char(':') + it.key();
        params.insert(it.key(), isInt ? asInteger(it.value(), it.key()) : asText(it.value(), it.key()));
    }
    db.exec(QStringLiteral("insert into ") + table + QStringLiteral(" (") + cols.join(QLatin1Char(',')) +
                QStringLiteral(") values (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'),
            params);
}

void checkImage(const QByteArray& bytes) {
    if (bytes.isEmpty())
        throw core::DbError(QStringLiteral("模板图片为空"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(256);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > TemplatePackage::kMaxPixels)
        throw core::DbError(QStringLiteral("模板图片尺寸无效"));
    if (reader.read().isNull())
        throw core::DbError(QStringLiteral("模板图片无法解码：") + reader.errorString());
}

} // namespace

TemplatePackage::TemplatePackage(const QString& path)
    : m_connection(QStringLiteral("package-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() < 512 || info.size() > kMaxPackageBytes || !m_dir.isValid())
        throw accessError(QStringLiteral("文件大小不符"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(16) != QByteArray("SQLite format 3\0", 16))
        throw accessError(QStringLiteral("不是票据包文件"));
    file.close();
    const QString copy = m_dir.filePath(QStringLiteral("package.db"));
    if (!QFile::copy(path, copy))
        throw accessError(QStringLiteral("无法读取文件"));

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(copy);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        if (!db.open())
            failure = db.lastError().text();
        else if (!q.exec(QStringLiteral("PRAGMA trusted_schema=OFF")) ||
                 !q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next() ||
                 q.value(0).toString() != QLatin1String("ok"))
            failure = QStringLiteral("文件已损坏");
        else {
            QStringList tables;
            q.exec(QStringLiteral("select type, lower(name) from sqlite_master"));
            while (q.next()) {
                const QString type = q.value(0).toString();
                if (type == QLatin1String("view") || type == QLatin1String("trigger"))
                    failure = QStringLiteral("包含不允许的内容");
                else if (type == QLatin1String("table"))
                    tables << q.value(1).toString();
            }
            if (failure.isEmpty() && (!tables.contains(QStringLiteral("_cktypetable")) ||
                                      !tables.contains(QStringLiteral("_ckcontrol"))))
                failure = QStringLiteral("缺少模板表");
            m_hasConfig = tables.contains(QStringLiteral("_config"));
        }
    }
    if (failure.isEmpty()) {
        m_typeColumns = columns(QStringLiteral("_CKTypeTable"));
        m_itemColumns = columns(QStringLiteral("_ckControl"));
        for (const char* needed : {"checktypeid", "typename", "img_bytes"})
            if (!m_typeColumns.contains(QLatin1String(needed)))
                failure = QStringLiteral("缺少列 ") + QLatin1String(needed);
        if (!m_itemColumns.contains(QStringLiteral("checktypeid")))
            failure = QStringLiteral("缺少列 checktypeid");
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
        throw accessError(failure);
    }
}

TemplatePackage::~TemplatePackage() {
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QStringList TemplatePackage::columns(const QString& table) const {
    QStringList names;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.exec(QStringLiteral("PRAGMA table_info(") + table + QLatin1Char(')'));
    while (q.next())
        names << q.value(1).toString().toLower();
    return names;
}

QStringList TemplatePackage::names() const {
    QStringList out;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("select typename from _CKTypeTable where length(typename) between 1 and 200")))
        throw accessError(q.lastError().text());
    while (q.next())
        out << q.value(0).toString();
    return out;
}

TemplatePackage::Template TemplatePackage::load(const QString& name) const {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    Template t;
    QStringList present;
    for (const QString& c : kTypeColumns)
        if (m_typeColumns.contains(c))
            present << c;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select ") + present.join(QLatin1Char(',')) +
              QStringLiteral(", length(Img_Bytes), rowid from _CKTypeTable where typename=:name limit 1"));
    q.bindValue(QStringLiteral(":name"), name);
    if (!q.exec() || !q.next())
        throw core::DbError(QStringLiteral("包中找不到模板：") + name);
    for (int i = 0; i < present.size(); ++i)
        t.row.insert(present[i], q.value(i));
    t.packageId =
        asInteger(t.row.value(QStringLiteral("checktypeid")), QStringLiteral("CheckTypeID")).toInt();
    const qint64 imageBytes = q.value(present.size()).toLongLong();
    const qint64 rowid = q.value(present.size() + 1).toLongLong();
    if (imageBytes <= 0 || imageBytes > kMaxImageBytes)
        throw core::DbError(QStringLiteral("模板图片大小无效"));
    QSqlQuery img(db);
    img.prepare(QStringLiteral("select Img_Bytes from _CKTypeTable where rowid=:r"));
    img.bindValue(QStringLiteral(":r"), rowid);
    if (!img.exec() || !img.next())
        throw core::DbError(img.lastError().text());
    t.image = img.value(0).toByteArray();
    img.finish();
    checkImage(t.image);

    QSqlQuery items(db);
    items.prepare(QStringLiteral("select * from _ckControl where CheckTypeID=:id limit ") +
                  QString::number(kMaxItems + 1));
    items.bindValue(QStringLiteral(":id"), t.packageId);
    if (!items.exec())
        throw core::DbError(items.lastError().text());
    while (items.next()) {
        if (t.items.size() == kMaxItems)
            throw core::DbError(QStringLiteral("模板项目过多"));
        QVariantMap item;
        const QSqlRecord rec = items.record();
        for (int i = 0; i < rec.count(); ++i)
            item.insert(rec.fieldName(i).toLower(), items.value(i));
        t.items << item;
    }
    if (m_hasConfig) {
        QSqlQuery config(db);
        config.prepare(QStringLiteral("select DMName, DMValue from _Config where CheckTypeId=:id limit 500"));
        config.bindValue(QStringLiteral(":id"), t.packageId);
        if (config.exec())
            while (config.next())
                t.config << QVariantMap{
                    {QStringLiteral("name"), asText(config.value(0), QStringLiteral("DMName"))},
                    {QStringLiteral("value"), asText(config.value(1), QStringLiteral("DMValue"))}};
    }
    return t;
}

PackageTransfer::PackageTransfer(core::AppContext& app) : m_app(app) {}

PackageTransfer::Report PackageTransfer::importTemplates(const QString& packagePath,
                                                         const QStringList& names) {
    TemplatePackage package(packagePath);
    Report report;
    for (const QString& name : names)
        importOne(package, name, package.currentLayout(), report);
    return report;
}

void PackageTransfer::importOne(const TemplatePackage& package, const QString& name, bool layout,
                                Report& report) {
    core::Database& db = m_app.db();
    const QString imageDir = m_app.pathOf(QStringLiteral("Image"));
    QString part;
    try {
        const TemplatePackage::Template t = package.load(name);
        const QString fullName =
            asText(t.row.value(QStringLiteral("typename")), QStringLiteral("typename")).toString();
        QString kind = t.row.value(QStringLiteral("typefirstname")).toString();
        if (kind.isEmpty())
            kind = core::TemplateStore::kindFromTypeName(fullName);
        if (fullName.trimmed().isEmpty() || kind.isEmpty() || kind == fullName)
            throw core::DbError(QStringLiteral("模板名称无效"));
        // The kind's own calibration, read before anything of the namesake goes.
        int x = 0;
        int y = 0;
        bool haveOffsets = false;
        try {
            haveOffsets = m_app.templates().loadUserXYMoveByFirstName(kind, x, y);
        } catch (const core::DbError&) {
            x = asInteger(t.row.value(QStringLiteral("xmove")), QStringLiteral("xmove")).toInt();
            y = asInteger(t.row.value(QStringLiteral("ymove")), QStringLiteral("ymove")).toInt();
            haveOffsets = true;
        }
        const core::Recordset namesake =
            db.query(QStringLiteral("select * from CKTypeTable where TypeName=:name order by CheckTypeID"),
                     {{QStringLiteral("name"), fullName}});
        const QString code = core::TemplateStore::getTypeCodeByTypeName(kind);
        int id = 0;
        if (!namesake.isEmpty())
            id = static_cast<int>(namesake.integer(QStringLiteral("CheckTypeID")));
        else if (code.isEmpty())
            throw core::DbError(QStringLiteral("没有找到模板的主类型编码:") + kind);
        else
            id = m_app.templates().loadMaxNewCheckTypeId().toInt();
        const QString image =
            (code.isEmpty() ? QStringLiteral("img") : code) + QString::number(id) + QStringLiteral(".jpg");
        const bool keepItems = !layout || t.items.isEmpty();

        QDir().mkpath(imageDir);
        part = QDir(imageDir).filePath(image + QStringLiteral(".part"));
        QFile file(part);
        if (!file.open(QIODevice::WriteOnly) || file.write(t.image) != t.image.size() || !file.flush())
            throw core::DbError(QStringLiteral("图片保存失败"));
        file.close();

        const auto pkgValue = [&](const char* column, const QVariant& fallback) {
            const QVariant v = t.row.value(QLatin1String(column));
            return v.isNull() ? fallback : v;
        };
        db.begin();
        try {
            db.exec(QStringLiteral("delete from CKTypeTable where CheckTypeID=:id"),
                    {{QStringLiteral("id"), id}});
            const QVariant oldPWidth =
                namesake.isEmpty() ? QVariant(0) : namesake.value(QStringLiteral("PWidth"));
            const QVariant oldPHeight =
                namesake.isEmpty() ? QVariant(0) : namesake.value(QStringLiteral("PHeight"));
            db.exec(
                QStringLiteral(
                    "insert into CKTypeTable (CheckTypeID,TypeName,TypeFirstName,TypeDescribe,XMove,YMove,"
                    "THeight,TWidth,PWidth,PHeight,HVPrint,CheckBoxs,ImgFile,Visiable,IsCommon,ShowOrd,"
                    "IsDefault) values (:id,:name,:kind,:variant,:x,:y,:th,:tw,:pw,:ph,:hv,:boxes,:img,"
                    "'启用','是',0,'0')"),
                {{QStringLiteral("id"), id},
                 {QStringLiteral("name"), fullName},
                 {QStringLiteral("kind"), kind},
                 {QStringLiteral("variant"),
                  asText(t.row.value(QStringLiteral("typedescribe")), QStringLiteral("TypeDescribe"))},
                 {QStringLiteral("x"), haveOffsets ? x : 0},
                 {QStringLiteral("y"), haveOffsets ? y : 0},
                 {QStringLiteral("th"), asInteger(pkgValue("theight", 0), QStringLiteral("theight"))},
                 {QStringLiteral("tw"), asInteger(pkgValue("twidth", 0), QStringLiteral("twidth"))},
                 {QStringLiteral("pw"), asInteger(pkgValue("pwidth", oldPWidth), QStringLiteral("PWidth"))},
                 {QStringLiteral("ph"),
                  asInteger(pkgValue("pheight", oldPHeight), QStringLiteral("PHeight"))},
                 {QStringLiteral("hv"),
                  asText(pkgValue("hvprint", QStringLiteral("0")), QStringLiteral("hvPrint"))},
                 {QStringLiteral("boxes"),
                  asText(pkgValue("checkboxs", QString()), QStringLiteral("CheckBoxs"))},
                 {QStringLiteral("img"), image}});
            if (!keepItems) {
                db.exec(QStringLiteral("delete from ckControl where CheckTypeID=:id"),
                        {{QStringLiteral("id"), id}});
                for (const QVariantMap& item : t.items)
                    insertItem(db, QStringLiteral("ckControl"), id, itemWithDefaults(item));
            }
            if (layout) {
                db.exec(QStringLiteral("delete from DMTable where CheckTypeId=:id"),
                        {{QStringLiteral("id"), id}});
                for (const QVariantMap& c : t.config)
                    db.exec(
                        QStringLiteral("insert into DMTable (DMName,DMValue,CheckTypeId) values (:n,:v,:id)"),
                        {{QStringLiteral("n"), c.value(QStringLiteral("name"))},
                         {QStringLiteral("v"), c.value(QStringLiteral("value"))},
                         {QStringLiteral("id"), id}});
            }
            db.commit();
        } catch (...) {
            db.rollback();
            throw;
        }
        const QString target = QDir(imageDir).filePath(image);
        QFile::remove(target);
        const bool imageSaved = QFile::rename(part, target);
        part.clear();
        QFile::remove(m_app.templates().cacheFilePath(id));
        ++report.succeeded;
        if (!imageSaved)
            report.notes << fullName + QStringLiteral("：图片保存失败，") + image;
        if (keepItems)
            report.notes << fullName + (namesake.isEmpty()
                                            ? QStringLiteral("：包中没有模板项目")
                                            : QStringLiteral("：包中没有模板项目，保留了原模板的项目"));
    } catch (const core::DbError& e) {
        if (!part.isEmpty())
            QFile::remove(part);
        ++report.failed;
        report.notes << QStringLiteral("导入失败，单据：") + name + QStringLiteral("（") + e.message() +
                            QStringLiteral("）");
        storeLastError(m_app, e.message());
    }
}

PackageTransfer::Report PackageTransfer::exportTemplates(const QStringList& names, const QString& target) {
    Report report;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(m_app.pathOf(QStringLiteral("Data/Template.a01")), part))
        throw core::DbError(QStringLiteral("无法创建票据包：") + target);
    QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    {
        core::Database out(QStringLiteral("export-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
        out.open(part);
        // An empty package made by an earlier version lacks the optional columns.
        for (const char* optional : {"Align", "CtlFontColor"})
            if (!out.scalar(QStringLiteral(
                                "select 1 from pragma_table_info('_ckControl') where lower(name)=lower(:c)"),
                            {{QStringLiteral("c"), QLatin1String(optional)}})
                     .isValid())
                out.exec(QStringLiteral("alter table _ckControl add column ") + QLatin1String(optional) +
                         QStringLiteral(" TEXT"));
        out.exec(QStringLiteral("delete from _CKTypeTable"));
        out.exec(QStringLiteral("delete from _ckControl"));
        out.exec(QStringLiteral("delete from _Config"));
        out.exec(QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values ('version',:v,0)"),
                 {{QStringLiteral("v"), core::VersionInfo::applicationVersionText()}});
        core::Database& db = m_app.db();
        for (const QString& name : names) {
            out.begin();
            try {
                const core::Recordset row =
                    db.query(QStringLiteral("select * from CKTypeTable where TypeName=:name"),
                             {{QStringLiteral("name"), name}});
                if (row.isEmpty())
                    throw core::DbError(QStringLiteral("找不到模板"));
                const int id = static_cast<int>(row.integer(QStringLiteral("CheckTypeID")));
                QFile image(QDir(m_app.pathOf(QStringLiteral("Image")))
                                .filePath(row.text(QStringLiteral("ImgFile"))));
                if (row.text(QStringLiteral("ImgFile")).isEmpty() || !image.open(QIODevice::ReadOnly) ||
                    image.size() > TemplatePackage::kMaxImageBytes)
                    throw core::DbError(QStringLiteral("图片获取失败,") + image.fileName());
                const QByteArray bytes = image.readAll();
                out.exec(
                    QStringLiteral(
                        "insert into _CKTypeTable (CheckTypeID,typename,TypeFirstName,TypeDescribe,xmove,"
                        "ymove,theight,twidth,hvPrint,ImgFile,visiable,CheckBoxs,IsCommon,ShowOrd,IsDefault,"
                        "Img_Bytes,Ini_Text,PWidth,PHeight) values (:id,:name,:kind,:variant,:x,:y,:th,:tw,"
                        ":hv,:img,'启用',:boxes,'是','0','默认',:bytes,' ',:pw,:ph)"),
                    {{QStringLiteral("id"), id},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("kind"), row.value(QStringLiteral("TypeFirstName"))},
                     {QStringLiteral("variant"), row.value(QStringLiteral("TypeDescribe"))},
                     {QStringLiteral("x"), row.value(QStringLiteral("XMove"))},
                     {QStringLiteral("y"), row.value(QStringLiteral("YMove"))},
                     {QStringLiteral("th"), row.value(QStringLiteral("THeight"))},
                     {QStringLiteral("tw"), row.value(QStringLiteral("TWidth"))},
                     {QStringLiteral("hv"), row.value(QStringLiteral("HVPrint"))},
                     {QStringLiteral("img"), row.value(QStringLiteral("ImgFile"))},
                     {QStringLiteral("boxes"), row.value(QStringLiteral("CheckBoxs"))},
                     {QStringLiteral("bytes"), bytes},
                     {QStringLiteral("pw"), row.value(QStringLiteral("PWidth"))},
                     {QStringLiteral("ph"), row.value(QStringLiteral("PHeight"))}});
                core::Recordset items =
                    db.query(QStringLiteral("select * from ckControl where CheckTypeID=:id order by ID"),
                             {{QStringLiteral("id"), id}});
                for (items.first(); !items.eof(); items.next()) {
                    QVariantMap item;
                    for (const QString& f : items.fieldNames())
                        item.insert(f.toLower(), items.value(f));
                    insertItem(out, QStringLiteral("_ckControl"), id, itemWithDefaults(item));
                }
                core::Recordset config =
                    db.query(QStringLiteral("select DMName,DMValue from DMTable where CheckTypeId=:id"),
                             {{QStringLiteral("id"), id}});
                for (config.first(); !config.eof(); config.next())
                    out.exec(
                        QStringLiteral("insert into _Config (DMName,DMValue,CheckTypeId) values (:n,:v,:id)"),
                        {{QStringLiteral("n"), config.value(0)},
                         {QStringLiteral("v"), config.value(1)},
                         {QStringLiteral("id"), id}});
                out.commit();
                ++report.succeeded;
            } catch (const core::DbError& e) {
                out.rollback();
                ++report.failed;
                report.notes << QStringLiteral("导出失败，单据：") + name + QStringLiteral("（") +
                                    e.message() + QStringLiteral("）");
                storeLastError(m_app, e.message());
            }
        }
        out.close();
    }
    if (report.succeeded == 0) {
        QFile::remove(part);
        return report;
    }
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw core::DbError(QStringLiteral("无法写入票据包：") + target);
    }
    return report;
}

} // namespace templates
