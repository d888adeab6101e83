#include "masterdata/ProductImporter.h"

#include "core/Database.h"
#include "core/Dialogs.h"
#include "masterdata/PinyinInitials.h"

namespace masterdata {

namespace {

const QString kCodeColumn = QStringLiteral("简码");
// The product form's mnemonic box takes no more.
constexpr int kCodeLength = 12;

bool isBrandTitle(const QString& title) {
    return title == QStringLiteral("规格型号") || title == QStringLiteral("品牌型号") ||
           title == QStringLiteral("规格");
}

// The sheet may title the model column 规格型号 or 品牌型号; the catalogue keeps it in 规格.
QString columnFor(const QString& title) {
    return isBrandTitle(title) ? QStringLiteral("规格") : title;
}

QString cell(const QStringList& cells, int column) {
    return column >= 0 && column < cells.size() ? cells.at(column) : QString();
}

} // namespace

bool ProductImporter::setHeader(const QStringList& titles) {
    m_columns.clear();
    m_nameColumn = m_brandColumn = m_priceColumn = -1;
    for (const QString& raw : titles) {
        const QString title = raw.trimmed();
        if (title.isEmpty())
            break;
        const int at = m_columns.size();
        if (title == QStringLiteral("商品名") && m_nameColumn < 0)
            m_nameColumn = at;
        else if (title == QStringLiteral("单价") && m_priceColumn < 0)
            m_priceColumn = at;
        else if (isBrandTitle(title) && m_brandColumn < 0)
            m_brandColumn = at;
        m_columns << title;
    }
    return m_nameColumn >= 0 && m_brandColumn >= 0 && m_priceColumn >= 0;
}

QString ProductImporter::headerError() {
    return QStringLiteral("验证数据文件失败，文档的第一行必须含有列：\n商品名,规格,单价");
}

bool ProductImporter::isDuplicate(const QString& name, const QString& brand) {
    if (m_rule == DuplicateRule::NameAndBrand)
        return !m_db.query(QStringLiteral("select * from Products where 商品名=:name and 规格=:brand"),
                           {{QStringLiteral("name"), name}, {QStringLiteral("brand"), brand}})
                    .isEmpty();
    return !m_db.query(QStringLiteral("select * from Products where 商品名=:name"),
                       {{QStringLiteral("name"), name}})
                .isEmpty();
}

bool ProductImporter::insertRow(const QStringList& cells) {
    QStringList names;
    QStringList shownValues;
    QStringList placeholders;
    core::Params params;
    bool usable = true;
    for (int i = 0; i < m_columns.size(); ++i) {
        const QString column = columnFor(m_columns.at(i));
        // A title is spliced as a column name: one that could close its brackets is refused.
        usable = usable && !column.contains(QLatin1Char(']'));
        names << QLatin1Char('[') + column + QLatin1Char(']');
        const QString value = cell(cells, i);
        shownValues << core::Database::quote(value);
        placeholders << QStringLiteral(":v") + QString::number(i);
        params.insert(QStringLiteral("v") + QString::number(i), value);
    }
    QStringList shownColumns = m_columns;
    if (!m_columns.contains(kCodeColumn)) {
        // The mnemonic code the product form would have given the name, so that the entry
        // window's picker finds imported products by their initials too.
        const QString code = PinyinInitials(cell(cells, m_nameColumn).trimmed()).left(kCodeLength);
        shownColumns << kCodeColumn;
        names << QLatin1Char('[') + kCodeColumn + QLatin1Char(']');
        shownValues << core::Database::quote(code);
        placeholders << QStringLiteral(":code");
        params.insert(QStringLiteral("code"), code);
    }
    const QString shown = QStringLiteral("Insert into Products (") + shownColumns.join(QLatin1Char(',')) +
                          QStringLiteral(") values(") + shownValues.join(QLatin1Char(',')) + QLatin1Char(')');
    try {
        if (!usable)
            throw core::DbError(shown);
        m_db.exec(QStringLiteral("Insert into Products (") + names.join(QLatin1Char(',')) +
                      QStringLiteral(") values(") + placeholders.join(QLatin1Char(',')) + QLatin1Char(')'),
                  params);
        return true;
    } catch (const core::DbError&) {
        m_dialogs.error(QStringLiteral("Error:") + shown);
        return false;
    }
}

ProductImporter::Outcome ProductImporter::saveGood(const QStringList& cells) {
    const QString name = cell(cells, m_nameColumn).trimmed();
    if (name.isEmpty())
        return Outcome::Blank;
    const QString brand = cell(cells, m_brandColumn).trimmed();
    bool duplicate = false;
    try {
        duplicate = isDuplicate(name, brand);
    } catch (const core::DbError& e) {
        m_dialogs.error(QStringLiteral("Error:") + e.message());
        ++m_skipped;
        return Outcome::Skipped;
    }
    if (duplicate) {
        bool skip = true;
        if (m_prompt) {
            const QString shownName = m_rule == DuplicateRule::NameAndBrand
                                          ? name + QLatin1Char('(') + brand + QLatin1Char(')')
                                          : name;
            skip =
                m_dialogs.ask(QStringLiteral("商品\"") + shownName +
                                  QStringLiteral("\"已经存在,是否跳过？点击\"是\"跳过,点击\"否\"继续添加！"),
                              QStringLiteral("记录已经存在"));
        }
        if (skip) {
            ++m_skipped;
            return Outcome::Skipped;
        }
    }
    if (!insertRow(cells)) {
        ++m_skipped;
        return Outcome::Skipped;
    }
    ++m_inserted;
    return Outcome::Inserted;
}

QString ProductImporter::summary() const {
    QString text =
        QStringLiteral("导入完成，共有 ") + QString::number(m_inserted) + QStringLiteral(" 条导入成功！");
    if (m_skipped > 0)
        text += QStringLiteral(" 其中跳过了") + QString::number(m_skipped) +
                QStringLiteral(" 条已经存在的记录！");
    return text;
}

} // namespace masterdata
