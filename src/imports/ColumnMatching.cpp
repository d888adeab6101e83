#include "imports/ColumnMatching.h"

#include "core/AppContext.h"
#include "core/ColumnOps.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "imports/ColumnList.h"

namespace imports {

namespace {

// Letter case is ignored for Latin letters only, as the old engine compared.
bool equalIgnoringLatinCase(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        QChar x = a.at(i);
        QChar y = b.at(i);
        if (x == y)
            continue;
        if (x.unicode() >= 'A' && x.unicode() <= 'Z')
            x = QChar(x.unicode() + 32);
        if (y.unicode() >= 'A' && y.unicode() <= 'Z')
            y = QChar(y.unicode() + 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool ColumnMatching::matchColumnOk(const QString& title, const QString& patterns) {
    const QStringList pieces = patterns.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        if (piece.contains(QLatin1Char('*'))) {
            QString inner = piece;
            inner.remove(QLatin1Char('*'));
            if (!inner.isEmpty() && title.contains(inner, Qt::CaseSensitive))
                return true;
        } else if (equalIgnoringLatinCase(piece, title)) {
            return true;
        }
    }
    return false;
}

QString ColumnMatching::loadConstColumnPair(core::Database& db, const QString& item,
                                            const QString& matchType) {
    try {
        const core::Recordset rows =
            db.query(QStringLiteral("select SourceName from MatchColumn where ItemName=:item and "
                                    "MatchType=:type order by Id"),
                     {{QStringLiteral("item"), item}, {QStringLiteral("type"), matchType}});
        // A list without any title (empty, or commas only) would leave the item unmatchable.
        if (!rows.isEmpty() && !rows.text(0).split(QLatin1Char(','), Qt::SkipEmptyParts).isEmpty())
            return rows.text(0);
    } catch (const core::DbError&) {
        // An unreadable table leaves every item its own name, so exact titles still match.
    }
    return item;
}

QStringList ColumnMatching::loadAllConstColumnPairs(core::Database& db, const QStringList& items,
                                                    const QString& matchType) {
    QStringList patterns;
    patterns.reserve(items.size());
    for (const QString& item : items)
        patterns << (item.isEmpty() ? QString() : loadConstColumnPair(db, item, matchType));
    return patterns;
}

QVector<int> ColumnMatching::autoMatch(const QStringList& columnList, const QStringList& patterns) {
    QVector<int> columns(patterns.size(), -1);
    for (const QString& entry : columnList) {
        const int column = ColumnList::columnNumber(entry);
        if (column < 0)
            continue;
        const QString title = entry.mid(entry.indexOf(QLatin1Char(':')) + 1);
        for (int item = 0; item < patterns.size(); ++item) {
            if (columns.at(item) < 0 && !patterns.at(item).isEmpty() &&
                matchColumnOk(title, patterns.at(item))) {
                columns[item] = column;
                break;
            }
        }
    }
    return columns;
}

QString ColumnMatching::createStatement() {
    return QStringLiteral("create table MatchColumn (Id autoincrement(1,1) primary key,MatchType Text(50),"
                          "ItemName Text(50),SourceName Text(200),ShowOrd Integer default 0)");
}

const QVector<ColumnMatching::Rule>& ColumnMatching::defaultRules() {
    static const QVector<Rule> rules = {
        {QStringLiteral("联系人"),
         QStringLiteral("联系人,收件人姓名,收货人,收件联系人,*姓名*,name,fullname")},
        {QStringLiteral("单位全称"),
         QStringLiteral("会员ID,买家会员名,全称,单位全称,收件单位,收件公司,*公司*,企业名称")},
        {QStringLiteral("电话"), QStringLiteral("收件电话,固定电话,联系方式,联系电话,*电话*")},
        {QStringLiteral("手机"), QStringLiteral("收件手机,Mobile,移动电话,*手机*")},
        {QStringLiteral("地址"), QStringLiteral("收件地址,*地址*,address")},
        {QStringLiteral("省"), QStringLiteral("*省*,州,Province")},
        {QStringLiteral("市"), QStringLiteral("市,县市,城市,二级区划,city")},
        {QStringLiteral("镇区"), QStringLiteral("镇区,区县,三级区划,区镇")},
        {QStringLiteral("银行账号"), QStringLiteral("账号,银行账号,开户行账号,帐号")},
        {QStringLiteral("开户银行"), QStringLiteral("开户行,开户银行,银行名称,银行")},
        {QStringLiteral("物品内容"), QStringLiteral("物品内容,内件说明,商品名称,宝贝名称,宝贝标题")},
        {QStringLiteral("重量"), QStringLiteral("重量,计费重量,weight")},
        {QStringLiteral("国家"), QStringLiteral("国家,country")},
        {QStringLiteral("备注"), QStringLiteral("备注,买家留言")},
        {QStringLiteral("目的站"), QStringLiteral("目的地,目的站,城市")},
        {QStringLiteral("件数"), QStringLiteral("件数,数量")},
        {QStringLiteral("费用"), QStringLiteral("费用,总费用,费用合计")},
        // The tab keeps the title 订单编号 from matching: shops use it for other numbers too.
        {QStringLiteral("订单号"), QStringLiteral("\t订单编号,订单ID,订单号")},
        {QStringLiteral("会员ID"), QStringLiteral("QQ,旺旺,会员ID,客户编号")},
        {QStringLiteral("保价金额"), QStringLiteral("保价金额,声明价值,保险金额")},
        {QStringLiteral("保价费"), QStringLiteral("保价费,保险费")},
        {QStringLiteral("运费"), QStringLiteral("运费,运输费")},
        {QStringLiteral("加急费"), QStringLiteral("加急费")},
        {QStringLiteral("加急费"), QStringLiteral("加急费")},
        {QStringLiteral("包装费"), QStringLiteral("包装费")},
        {QStringLiteral("体积"), QStringLiteral("体积")},
        {QStringLiteral("代收金额"), QStringLiteral("代收金额,代收金额小写,代收款")},
        {QStringLiteral("手续费"), QStringLiteral("手续费,代收费")},
        {QStringLiteral("金额大写1"), QStringLiteral("金额大写1,金额")},
        {QStringLiteral("自定义3"), QStringLiteral("自定义3")},
        {QStringLiteral("自定义4"), QStringLiteral("自定义4")},
        {QStringLiteral("自定义5"), QStringLiteral("自定义5")},
        {QStringLiteral("助记码"), QStringLiteral("助记码")},
        {QStringLiteral("批打分组"), QStringLiteral("分组,批打分组,导入分组")},
    };
    return rules;
}

bool ColumnMatching::createMatchColumnTableIfNotExists(core::AppContext& app, core::Database& db) {
    core::Dialogs& dialogs = app.dialogs();
    // Inside a caller's transaction (the data upgrade) the caller commits or rolls back.
    const bool own = !db.inTransaction();
    try {
        if (own)
            db.begin();
    } catch (const core::DbError& e) {
        dialogs.message(QStringLiteral("MatchColumn表格初始化数据失败!") + e.message());
        return false;
    }
    const auto fail = [&] {
        if (own)
            db.rollback();
        return false;
    };
    core::ColumnOps ops(app);
    if (!ops.CreateTableIFNotExists(QStringLiteral("MatchColumn"), createStatement(), &db))
        return fail();
    bool fill = false;
    try {
        fill = db.query(QStringLiteral("select top 1 ItemName from MatchColumn")).isEmpty();
    } catch (const core::DbError&) {
        // A table of that name but of another shape: the clerk's data, never emptied.
        dialogs.message(QStringLiteral("创建表格失败") + QStringLiteral("MatchColumn"));
        return fail();
    }
    try {
        if (fill) {
            for (const Rule& rule : defaultRules())
                db.exec(QStringLiteral("insert into MatchColumn (MatchType,ItemName,SourceName,ShowOrd) "
                                       "values (:type,:item,:sources,0)"),
                        {{QStringLiteral("type"), matchtype::recipients},
                         {QStringLiteral("item"), rule.item},
                         {QStringLiteral("sources"), rule.sources}});
        }
        if (own)
            db.commit();
    } catch (const core::DbError& e) {
        if (own && db.inTransaction())
            db.rollback();
        dialogs.message(QStringLiteral("MatchColumn表格初始化数据失败!") + e.message());
        return false;
    }
    return true;
}

QString ColumnMatching::cleanSourceNames(const QString& typed) {
    QString text = typed.trimmed();
    text.remove(QLatin1Char('\''));
    text.remove(QLatin1Char('?'));
    text.replace(QStringLiteral("，"), QStringLiteral(","));
    text.replace(QStringLiteral(",,"), QStringLiteral(","));
    text.replace(QStringLiteral(",,"), QStringLiteral(","));
    return text.trimmed();
}

void ColumnMatching::prepareForImport(core::AppContext& app) {
    createMatchColumnTableIfNotExists(app, app.db());
    ensureLookupIndexes(app.db());
}

// The order list's number has its unique key (core::OrderNumberKey), made by the order import.
void ColumnMatching::ensureLookupIndexes(core::Database& db) {
    const char* const statements[] = {
        "CREATE INDEX IF NOT EXISTS idx_person_fullname ON CKPersonalInfoTable (全称)",
        "CREATE INDEX IF NOT EXISTS idx_receiverlist_fullname ON ReceiverList (全称)",
        "CREATE INDEX IF NOT EXISTS idx_orderdetail_number ON OrderDetail (订单号)",
    };
    for (const char* statement : statements) {
        try {
            db.exec(QString::fromUtf8(statement));
        } catch (const core::DbError&) {
            // The table is missing in an older installation; its upgrade adds it.
        }
    }
}

} // namespace imports
