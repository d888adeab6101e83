#pragma once

#include "core/Database.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace masterdata {

// One article of the catalogue as the product form edits it. Prices are kept as typed texts.
struct Product {
    int id = 0;        // 0: not stored yet
    QString name;      // 商品名
    QString brand;     // 规格
    QString otherPro;  // 其他属性
    QString identy;    // 货号
    QString unit;      // 单位
    QString price;     // 单价
    QString specPrice; // 批价
    QString inputCode; // 简码
    QString classify;  // 分类
    QString remark;    // 备注
};

// A statement with its bound values, for windows that show the rows in a grid.
struct Statement {
    QString sql;
    core::Params params;
};

// What the catalogue window filters and sorts by.
struct CatalogueFilter {
    QString keyword;       // KeyEdit
    QString name;          // cbGoodName; "所有商品" or empty for every name
    QString classPath;     // edtPath, "全部分类\" + class
    QString sortColumn;    // a column of Products
    QString sortDirection; // "ASC" or "DESC"
};

// The SQL of the product catalogue (table Products). Look-ups swallow errors and return what
// they have; changes raise core::DbError with the engine's text.
class ProductStore {
public:
    explicit ProductStore(core::Database& db) : m_db(db) {}

    static const QString kAllNames;  // "所有商品"
    static const QString kClassRoot; // "全部分类\"

    // The class of a path: trimmed, its first "全部分类\" removed.
    static QString classOf(const QString& classPath);
    // True when the filter selects nothing beyond the class (empty keyword, every name).
    static bool isClassOnly(const CatalogueFilter& filter);
    // Keyword, name and class filter in the chosen order.
    static Statement filterStatement(const CatalogueFilter& filter);
    // Every product, or every product of one class.
    static Statement allStatement(const QString& sortColumn, const QString& sortDirection);
    static Statement classStatement(const QString& classify);

    // "所有商品" followed by the distinct names, descending.
    QStringList nameList();
    // Distinct non-blank classes, trimmed, in order.
    QStringList classList();
    // Units and classes offered by the product form; units fall back to a standard set.
    QStringList unitChoices();
    QStringList classChoices();

    // Deletes the products in one transaction.
    void deleteIds(const QList<int>& ids);
    void clearAll();

    Product load(int id);
    // ID of another product already carrying the article number, 0 when none (or on error).
    int articleNumberOwner(const QString& identy, int ownId);
    // Inserts when the id names no row (and takes the new key), else updates.
    void save(Product& product);

    enum class SaveResult { Saved, NameMissing, ArticleTaken };
    // The product form's save: a name is required, an empty price becomes "0.00", class and
    // article number are trimmed in place, and an article number may belong to one product only.
    // Database errors of the save itself raise.
    SaveResult saveChecked(Product& product);

private:
    static QString orderBy(const QString& sortColumn, const QString& sortDirection,
                           const QString& blankDirection);
    QStringList distinctTexts(const QString& sql, bool dropBlank);

    core::Database& m_db;
};

} // namespace masterdata
