#include "core/ColumnOps.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/TemplateStore.h"

#include <QRegularExpression>

namespace core {

namespace {

const QString kFullOpen = QStringLiteral("（");

// A type word given by the caller: a word, optionally with a size, and nothing else.
bool isPlainType(const QString& type) {
    static const QRegularExpression word(QStringLiteral("^[A-Za-z]+(\\(\\d{1,4}\\))?$"));
    return word.match(type).hasMatch();
}

} // namespace

ColumnOps::ColumnOps(AppContext& app) : m_app(app) {}

bool ColumnOps::isPlainName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_\\x{3400}-\\x{9FFF}]{1,64}$"));
    return plain.match(name).hasMatch();
}

Database& ColumnOps::target(Database* db) {
    return db ? *db : m_app.db();
}

void ColumnOps::advance(int by, const QString& text) {
    if (progress)
        progress(by, text);
}

bool ColumnOps::aIFExistsColumn(const QString& table, const QString& column, Database* db) {
    if (!isPlainName(table) || !isPlainName(column))
        return false;
    try {
        target(db).query(QStringLiteral(" select ") + column + QStringLiteral(" from ") + table +
                         QStringLiteral(" where 1>2 "));
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool ColumnOps::aAddColumn(const QString& table, const QString& column, Database* db, const QString& size,
                           const QString& type) {
    const QString word = type.trimmed().toLower();
    bool done = false;
    if (aIFExistsColumn(table, column, db)) {
        done = true;
    } else {
        QString definition;
        if (word == QLatin1String("text") || word == QLatin1String("string")) {
            const QString width = size.trimmed().isEmpty() ? QStringLiteral("50") : size.trimmed();
            bool numeric = false;
            const int n = width.toInt(&numeric);
            if (numeric && n > 0 && n <= 8000)
                definition = QStringLiteral("varchar(") + QString::number(n) + QLatin1Char(')');
        } else if (word == QLatin1String("numeric") || word == QLatin1String("number")) {
            definition = QStringLiteral("long");
        } else if (isPlainType(word)) {
            definition = word;
        }
        try {
            if (definition.isEmpty() || !isPlainName(table) || !isPlainName(column))
                throw DbError(QStringLiteral("不支持的表、列或类型: ") + table + QLatin1Char('.') + column +
                              QLatin1Char(' ') + type);
            target(db).exec(QStringLiteral(" alter table ") + table + QStringLiteral(" ADD column ") +
                            column + QLatin1Char(' ') + definition);
            done = true;
        } catch (const DbError& e) {
            m_app.dialogs().message(QStringLiteral("修改表结构(") + column + QStringLiteral(")错误,Error=") +
                                    e.message());
        }
    }
    advance(1, QStringLiteral("升级表存储结构...") + table);
    return done;
}

bool ColumnOps::CreateTableIFNotExists(const QString& table, const QString& statement, Database* db) {
    if (isPlainName(table)) {
        try {
            target(db).query(QStringLiteral("select * from ") + table + QStringLiteral(" where 1>2"));
            return true;
        } catch (const DbError&) {
            try {
                target(db).exec(statement);
                return true;
            } catch (const DbError&) {
            }
        }
    }
    m_app.dialogs().message(QStringLiteral("创建表格失败") + table);
    return false;
}

bool ColumnOps::initTypeFirstNameValue(Database* db) {
    Database& d = target(db);
    try {
        const Recordset rows =
            d.query(QStringLiteral("select CheckTypeId,TypeFirstname,TypeName from CKTypeTable"));
        Recordset walk = rows;
        for (walk.first(); !walk.eof(); walk.next()) {
            if (!walk.text(QStringLiteral("TypeFirstname")).isEmpty())
                continue;
            const QString name = walk.text(QStringLiteral("TypeName"));
            if (!name.contains(kFullOpen) && !name.contains(QLatin1Char('(')))
                continue;
            d.exec(QStringLiteral("update CKTypeTable set TypeFirstName=:kind where CheckTypeId=:id"),
                   {{QStringLiteral("kind"), TemplateStore::kindFromTypeName(name)},
                    {QStringLiteral("id"), walk.integer(QStringLiteral("CheckTypeId"))}});
        }
        return true;
    } catch (const DbError& e) {
        m_app.dialogs().message(e.message());
        return false;
    }
}

bool ColumnOps::addTypeFirstNameColumn(Database* db) {
    return aAddColumn(QStringLiteral("CKTypeTable"), QStringLiteral("TypeFirstName"), db,
                      QStringLiteral("50"), QStringLiteral("String")) &&
           initTypeFirstNameValue(db);
}

bool ColumnOps::aInsertNameDictItemIFLost(const QString& kind, const QString& label, const QString& type,
                                          int order, int printFlag, const QString& itemName, Database* db) {
    Database& d = target(db);
    const QString name = itemName.toUpper();
    bool done = false;
    try {
        const Params key{{QStringLiteral("kind"), kind}, {QStringLiteral("name"), name}};
        if (d.scalar(QStringLiteral("select 1 from NameDict where CheckTypeName=:kind and CtlName=:name"),
                     key)
                .isValid()) {
            done = true;
        } else {
            d.exec(QStringLiteral(
                       "insert into NameDict (CheckTypeName,CtlLabel,CtlName,CtlType,ShowOrd,PrintItem) "
                       "values (:kind,:label,:name,:type,:ord,:print)"),
                   {{QStringLiteral("kind"), kind},
                    {QStringLiteral("label"), label},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("type"), type},
                    {QStringLiteral("ord"), order},
                    {QStringLiteral("print"), printFlag}});
            done = true;
        }
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("升级模型数据失败(") + kind + QLatin1Char(',') + itemName +
                                QStringLiteral("):") + e.message());
    }
    advance(1, QStringLiteral("升级单据模型..."));
    return done;
}

bool ColumnOps::aUpdateColumnValue(const QString& table, const QString& column, const QString& condition,
                                   const QString& type, const QString& value, Database* db) {
    const QString word = type.trimmed().toLower();
    QString literal;
    bool known = true;
    if (word == QLatin1String("varchar") || word == QLatin1String("text") ||
        word == QLatin1String("string")) {
        literal = Database::quote(value);
    } else if (word == QLatin1String("number")) {
        bool ok = false;
        const qlonglong n = value.trimmed().toLongLong(&ok);
        known = ok;
        literal = QString::number(n);
    } else if (word == QLatin1String("numeric")) {
        bool ok = false;
        const double n = value.trimmed().toDouble(&ok);
        known = ok;
        literal = QString::number(n, 'g', 17);
    } else {
        known = false;
    }
    if (!known || !isPlainName(table) || !isPlainName(column)) {
        m_app.dialogs().message(QStringLiteral("类型错误，不支持的类型-") + type);
        return false;
    }
    const QString where = condition.trimmed().isEmpty() ? QStringLiteral(" 1=1 ") : condition;
    bool done = false;
    try {
        target(db).exec(QStringLiteral("update ") + table + QStringLiteral(" set ") + column +
                        QLatin1Char('=') + literal + QStringLiteral(" where ") + where);
        done = true;
    } catch (const DbError& e) {
        m_app.dialogs().message(table + QStringLiteral("表升级数据失败.") + e.message());
    }
    advance(5, table + QStringLiteral("升级数据"));
    return done;
}

} // namespace core
