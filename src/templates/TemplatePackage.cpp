#include "templates/TemplatePackage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <sqlite3.h>

namespace templates {

const QString TemplatePackage::kAccessError = QStringLiteral(":),数据包访问异常！");

namespace {

// The digits of a number as a package may write it: sign, 19 digits, blanks around.
constexpr int kMaxNumberText = 30;

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
const QStringList kIntTypeColumns{QStringLiteral("checktypeid"), QStringLiteral("xmove"),
                                  QStringLiteral("ymove"),       QStringLiteral("theight"),
                                  QStringLiteral("twidth"),      QStringLiteral("pwidth"),
                                  QStringLiteral("pheight")};
// Template columns a package may carry; the image is read apart.
const QStringList kTypeColumns =
    kIntTypeColumns + QStringList{QStringLiteral("typename"), QStringLiteral("typefirstname"),
                                  QStringLiteral("typedescribe"), QStringLiteral("hvprint"),
                                  QStringLiteral("checkboxs")};

core::DbError accessError(const QString& why) {
    return core::DbError(TemplatePackage::kAccessError + QLatin1Char(' ') + why);
}

int boundOf(const QString& column) {
    return kIntItems.contains(column) || kIntTypeColumns.contains(column) ? kMaxNumberText
                                                                          : TemplatePackage::kMaxText;
}

// "length(a),length(b),…" for the columns; names come from the package's own schema, quoted.
QString quoted(const QString& column) {
    QString c = column;
    c.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + c + QLatin1Char('"');
}

QString joinedColumns(const QStringList& columns, bool measured) {
    QStringList out;
    for (const QString& c : columns)
        out << (measured ? QStringLiteral("max(length(") + quoted(c) + QStringLiteral("))") : quoted(c));
    return out.join(QLatin1Char(','));
}

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantMap& params = {}) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw core::DbError(q.lastError().text());
    for (auto it = params.begin(); it != params.end(); ++it)
        q.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (!q.exec())
        throw core::DbError(q.lastError().text());
    return q;
}

// Refuses a row set whose values would be larger than accepted, before any of them is read: one
// query gives the count and the longest value of every column.
void measure(const QSqlDatabase& db, const QString& table, const QStringList& columns, const QString& where,
             const QVariantMap& params, int maxRows, const QString& tooMany) {
    QSqlQuery q = run(db,
                      QStringLiteral("select count(*)") +
                          (columns.isEmpty() ? QString() : QLatin1Char(',') + joinedColumns(columns, true)) +
                          QStringLiteral(" from ") + table + QStringLiteral(" where ") + where,
                      params);
    if (!q.next())
        throw core::DbError(q.lastError().text());
    if (q.value(0).toLongLong() > maxRows)
        throw core::DbError(tooMany);
    for (int i = 0; i < columns.size(); ++i)
        if (q.value(i + 1).toLongLong() > boundOf(columns[i]))
            throw core::DbError(QStringLiteral("文字过长：") + columns[i]);
}

} // namespace

bool isIntegerItem(const QString& column) {
    return kIntItems.contains(column);
}

bool isTextItem(const QString& column) {
    return kTextItems.contains(column);
}

QVariant packageInteger(const QVariant& v, const QString& column) {
    if (v.isNull())
        return v;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw core::DbError(QStringLiteral("数值无效：") + column);
    return n;
}

QVariant packageText(const QVariant& v, const QString& column) {
    if (v.isNull())
        return v;
    const QString text = v.toString();
    if (text.size() > TemplatePackage::kMaxText)
        throw core::DbError(QStringLiteral("文字过长：") + column);
    return text;
}

QString TemplatePackage::imageRefusal(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("模板图片为空");
    // The format is JPEG by definition of the package, never guessed from the bytes.
    if (!bytes.startsWith(QByteArray("\xFF\xD8\xFF", 3)))
        return QStringLiteral("模板图片不是JPEG格式");
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(256);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPixels)
        return QStringLiteral("模板图片尺寸无效");
    if (reader.read().isNull())
        return QStringLiteral("模板图片无法解码：") + reader.errorString();
    return QString();
}

TemplatePackage::TemplatePackage(const QString& path)
    : m_connection(QStringLiteral("package-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_clock(std::make_unique<QElapsedTimer>()) {
    m_clock->start();
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
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            // Set before the first statement loads the schema, so the schema meets them too.
            sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
            sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, int(kMaxImageBytes + 1024 * 1024));
            sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, 100000);
            sqlite3_limit(handle, SQLITE_LIMIT_COLUMN, 200);
            sqlite3_limit(handle, SQLITE_LIMIT_EXPR_DEPTH, 100);
            sqlite3_limit(handle, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 100);
            sqlite3_limit(handle, SQLITE_LIMIT_ATTACHED, 0);
            sqlite3_limit(handle, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
            sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
            sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
            sqlite3_progress_handler(
                handle, 10000,
                [](void* clock) { return static_cast<QElapsedTimer*>(clock)->elapsed() > kBudgetMs ? 1 : 0; },
                m_clock.get());
            try {
                refuseActiveSchema();
                QSqlQuery q = run(db, QStringLiteral("PRAGMA quick_check"));
                if (!q.next() || q.value(0).toString() != QLatin1String("ok"))
                    failure = QStringLiteral("文件已损坏");
            } catch (const core::DbError& e) {
                failure = e.message();
            }
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
        if (m_hasConfig) {
            m_configColumns = columns(QStringLiteral("_Config"));
            for (const char* needed : {"checktypeid", "dmname", "dmvalue"})
                if (!m_configColumns.contains(QLatin1String(needed)))
                    m_hasConfig = false;
        }
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

// The schema alone, before any row is touched: nothing in the package may run code when a row is
// read or checked, and only plain tables and indexes on plain columns are accepted.
void TemplatePackage::refuseActiveSchema() {
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString refused = QStringLiteral("包含不允许的内容：");
    QStringList tables;
    QStringList indexes;
    QSqlQuery q = run(db, QStringLiteral("select type, name, sql from sqlite_master"));
    while (q.next()) {
        const QString type = q.value(0).toString();
        const QString name = q.value(1).toString();
        if (type == QLatin1String("table")) {
            if (q.value(2).toString().simplified().startsWith(QLatin1String("CREATE VIRTUAL"),
                                                              Qt::CaseInsensitive))
                throw core::DbError(refused + QStringLiteral("虚拟表 ") + name);
            tables << name;
        } else if (type == QLatin1String("index")) {
            indexes << name;
        } else {
            throw core::DbError(refused + type + QLatin1Char(' ') + name);
        }
    }
    for (const QString& table : tables) {
        QSqlQuery c = run(db, QStringLiteral("select name, hidden from pragma_table_xinfo(:t)"),
                          {{QStringLiteral("t"), table}});
        while (c.next())
            if (c.value(1).toInt() != 0)
                throw core::DbError(refused + QStringLiteral("计算列 ") + table + QLatin1Char('.') +
                                    c.value(0).toString());
        QSqlQuery i = run(db, QStringLiteral("select name from pragma_index_list(:t) where partial<>0"),
                          {{QStringLiteral("t"), table}});
        if (i.next())
            throw core::DbError(refused + QStringLiteral("条件索引 ") + i.value(0).toString());
    }
    for (const QString& index : indexes) {
        QSqlQuery c = run(db, QStringLiteral("select 1 from pragma_index_xinfo(:i) where cid=-2"),
                          {{QStringLiteral("i"), index}});
        if (c.next())
            throw core::DbError(refused + QStringLiteral("表达式索引 ") + index);
    }
    const auto has = [&tables](const char* name) {
        return tables.contains(QLatin1String(name), Qt::CaseInsensitive);
    };
    if (!has("_cktypetable") || !has("_ckcontrol"))
        throw core::DbError(QStringLiteral("缺少模板表"));
    m_hasConfig = has("_config");
}

QStringList TemplatePackage::columns(const QString& table) const {
    QStringList names;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("select name from pragma_table_info(:t)"));
    q.bindValue(QStringLiteral(":t"), table);
    q.exec();
    while (q.next())
        names << q.value(0).toString().toLower();
    return names;
}

QStringList TemplatePackage::names() const {
    m_clock->restart();
    QStringList out;
    try {
        QSqlQuery q = run(QSqlDatabase::database(m_connection, false),
                          QStringLiteral("select typename from _CKTypeTable where length(typename) between 1 "
                                         "and 200 limit ") +
                              QString::number(kMaxTemplates));
        while (q.next())
            out << q.value(0).toString();
    } catch (const core::DbError& e) {
        throw accessError(e.message());
    }
    return out;
}

TemplatePackage::Template TemplatePackage::load(const QString& name) const {
    m_clock->restart();
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    Template t;
    QStringList present;
    for (const QString& c : kTypeColumns)
        if (m_typeColumns.contains(c))
            present << c;
    const QVariantMap byName{{QStringLiteral("name"), name}};
    QSqlQuery found = run(db,
                          QStringLiteral("select rowid, length(Img_Bytes) from _CKTypeTable where "
                                         "length(typename) <= 200 and typename=:name limit 1"),
                          byName);
    if (!found.next())
        throw core::DbError(QStringLiteral("包中找不到模板：") + name);
    const QVariantMap byRow{{QStringLiteral("r"), found.value(0)}};
    const qint64 imageBytes = found.value(1).toLongLong();
    measure(db, QStringLiteral("_CKTypeTable"), present, QStringLiteral("rowid=:r"), byRow, 1, QString());
    QSqlQuery row = run(db,
                        QStringLiteral("select ") + joinedColumns(present, false) +
                            QStringLiteral(" from _CKTypeTable where rowid=:r"),
                        byRow);
    if (!row.next())
        throw core::DbError(row.lastError().text());
    for (int i = 0; i < present.size(); ++i)
        t.row.insert(present[i], row.value(i));
    row.finish();
    t.packageId =
        packageInteger(t.row.value(QStringLiteral("checktypeid")), QStringLiteral("CheckTypeID")).toInt();
    if (imageBytes <= 0 || imageBytes > kMaxImageBytes)
        throw core::DbError(QStringLiteral("模板图片大小无效"));
    QSqlQuery img = run(db, QStringLiteral("select Img_Bytes from _CKTypeTable where rowid=:r"), byRow);
    if (!img.next())
        throw core::DbError(img.lastError().text());
    t.image = img.value(0).toByteArray();
    img.finish();
    const QString badImage = imageRefusal(t.image);
    if (!badImage.isEmpty())
        throw core::DbError(badImage);

    const QVariantMap byId{{QStringLiteral("id"), t.packageId}};
    QStringList items;
    for (const QString& c : m_itemColumns)
        if (kIntItems.contains(c) || kTextItems.contains(c))
            items << c;
    measure(db, QStringLiteral("_ckControl"), items, QStringLiteral("CheckTypeID=:id"), byId, kMaxItems,
            QStringLiteral("模板项目过多"));
    if (!items.isEmpty()) {
        QSqlQuery rows = run(db,
                             QStringLiteral("select ") + joinedColumns(items, false) +
                                 QStringLiteral(" from _ckControl where CheckTypeID=:id order by rowid"),
                             byId);
        while (rows.next()) {
            QVariantMap item;
            for (int i = 0; i < items.size(); ++i)
                item.insert(items[i], rows.value(i));
            t.items << item;
        }
    }
    if (m_hasConfig) {
        const QStringList config{QStringLiteral("dmname"), QStringLiteral("dmvalue")};
        measure(db, QStringLiteral("_Config"), config, QStringLiteral("CheckTypeId=:id"), byId, kMaxSettings,
                QStringLiteral("设置项过多（多于") + QString::number(kMaxSettings) + QStringLiteral("条）"));
        QSqlQuery rows = run(
            db, QStringLiteral("select DMName, DMValue from _Config where CheckTypeId=:id order by rowid"),
            byId);
        while (rows.next())
            t.config << QVariantMap{
                {QStringLiteral("name"), packageText(rows.value(0), QStringLiteral("DMName"))},
                {QStringLiteral("value"), packageText(rows.value(1), QStringLiteral("DMValue"))}};
    }
    return t;
}

} // namespace templates
