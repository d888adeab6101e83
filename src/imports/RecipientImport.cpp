#include "imports/RecipientImport.h"

#include "core/Database.h"
#include "core/Dialogs.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportLog.h"
#include "imports/Spreadsheet.h"

namespace imports {

namespace {

const QString kReceiverUnit = QStringLiteral("收件单位");
const QString kSenderUnit = QStringLiteral("发件单位");

void removeFirstQuote(QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char('\''));
    if (at >= 0)
        text.remove(at, 1);
}

// A stored NULL and an empty cell are the same empty value; a given value uses the index.
QString sameText(const QString& column, const QString& param, const QString& value, core::Params& params) {
    if (value.isEmpty())
        return QStringLiteral(" and (") + column + QStringLiteral(" is null or ") + column +
               QStringLiteral("='')");
    params.insert(param, value);
    return QStringLiteral(" and ") + column + QStringLiteral("=:") + param;
}

} // namespace

RecipientImport::RecipientImport(core::Database& db, core::Dialogs& dialogs, ImportLog& log,
                                 RunObserver& observer)
    : m_db(db), m_dialogs(dialogs), m_log(log), m_observer(observer), m_columns(items().size(), -1),
      m_statements(db), m_regions(db) {}

bool RecipientImport::inScenario(const ImportItem& item, Scenario scenario) {
    switch (item.scope) {
    case ImportItem::Scope::Both:
        return true;
    case ImportItem::Scope::AddressBook:
        return scenario == Scenario::AddressBook;
    case ImportItem::Scope::BatchList:
        return scenario == Scenario::BatchList;
    }
    return false;
}

QVector<int> RecipientImport::autoMatch(core::Database& db, const QStringList& columnList,
                                        Scenario scenario) {
    QStringList patterns;
    for (const ImportItem& it : items())
        patterns << (inScenario(it, scenario)
                         ? ColumnMatching::loadConstColumnPair(db, it.rule, matchtype::recipients)
                         : QString());
    return ColumnMatching::autoMatch(columnList, patterns);
}

QString RecipientImport::missingColumnsMessage() {
    return QStringLiteral(
        "收、发件单位名称、联系人、地址不能同时为空，请选择有效的Excel数据文件并匹配项目！");
}

QString RecipientImport::noCriteriaQuestion() {
    return QStringLiteral("你未选择任何重复判断依据。这样将可能会插入重复记录。确认允许重复吗？");
}

QString RecipientImport::skippedText() {
    return QStringLiteral(" 条重复的或无效(单位、联系人、电话都为空)的记录！");
}

QString RecipientImport::cell(const Spreadsheet& sheet, int row, int item) const {
    const int column = m_columns.value(item, -1);
    return column > 0 ? sheet.cell(row, column) : QString();
}

RunResult RecipientImport::run(const Spreadsheet& sheet, const QString& workbook) {
    RunResult result;
    m_log.clear();
    if (!m_options.byName && !m_options.byContact && !m_options.byPhone &&
        !m_dialogs.ask(noCriteriaQuestion(), QStringLiteral("重复匹配确认"))) {
        m_log.flush();
        result.declined = true;
        return result;
    }
    m_observer.status(QStringLiteral("正在验证数据文件有效性！"));
    if (m_columns.value(item(QStringLiteral("cbName")), -1) < 0 &&
        m_columns.value(item(QStringLiteral("cbContactor")), -1) < 0 &&
        m_columns.value(item(QStringLiteral("cbAddress")), -1) < 0) {
        m_dialogs.notice(missingColumnsMessage(), QStringLiteral("提示"));
        m_log.flush();
        return result;
    }
    m_log.info(QStringLiteral("File"), QStringLiteral("数据文件来源:") + workbook);
    SheetRun rows(m_db, m_dialogs, m_log, m_observer);
    return rows.run(
        sheet, [&](int row) { return savePerson(sheet, row); }, skippedText());
}

bool RecipientImport::savePerson(const Spreadsheet& sheet, int row) {
    const QVector<ImportItem>& list = items();
    QVector<QString> values(list.size());
    for (int i = 0; i < list.size(); ++i)
        if (inScenario(list.at(i), m_options.scenario))
            values[i] = cell(sheet, row, i);
    const int name = item(QStringLiteral("cbName"));
    const int contact = item(QStringLiteral("cbContactor"));
    const int phone = item(QStringLiteral("cbPhone"));
    const int address = item(QStringLiteral("cbAddress"));
    const int remark = item(QStringLiteral("cbRemark"));
    const int order = item(QStringLiteral("订单号"));
    const int member = item(QStringLiteral("会员Id"));

    const int memberColumn = m_columns.value(member, -1);
    if (memberColumn > 0 && m_columns.value(name) == memberColumn && !values[name].isEmpty())
        values[name] = (QStringLiteral(" 会员ID:") + values[name]).trimmed();
    removeFirstQuote(values[phone]);
    removeFirstQuote(values[item(QStringLiteral("cbHandset"))]);
    if (m_options.orderIdOn && !values[order].isEmpty())
        values[remark] =
            (values[remark] + QStringLiteral(" 订单号:") + values[order] + QLatin1Char(';')).trimmed();
    if (m_options.memberIdOn && !values[member].isEmpty())
        values[remark] = (values[remark] + QStringLiteral("会员ID:") + values[member]).trimmed();
    if (m_options.scenario == Scenario::AddressBook) {
        QString& type = values[item(QStringLiteral("cbACCType"))];
        if (m_options.unitTypeFixed)
            type = m_options.unitType.isEmpty() ? kReceiverUnit : m_options.unitType;
        else
            type = type == kSenderUnit ? kSenderUnit : kReceiverUnit;
    }

    // A province or city in another spelling of a stored region code is stored as the code.
    QString& province = values[item(QStringLiteral("cbProvince"))];
    province = m_regions.province(province);
    QString& city = values[item(QStringLiteral("cbCity"))];
    city = m_regions.city(province, city);

    const QString unit = values[name].trimmed();
    const QString person = values[contact].trimmed();
    const QString telephone = values[phone].trimmed();
    if (unit.isEmpty() && person.isEmpty() && telephone.isEmpty()) {
        m_log.log(row, QStringLiteral("无效行，联系人、电话、全称均为空！"));
        return false;
    }
    try {
        if (m_options.judgeRepeated && isDuplicate(values)) {
            bool skip = true;
            if (m_options.askOnDuplicate) {
                QString text = QStringLiteral("单位\"") + values[name];
                if (m_options.byContact)
                    text += QStringLiteral("(联系人:") + values[contact] + QLatin1Char(')');
                text += QStringLiteral("\"已经存在,是否跳过？点击\"是\"跳过,点击\"否\"继续添加！");
                skip = m_dialogs.ask(text, QStringLiteral("记录已经存在"));
            }
            if (skip) {
                if (!values[contact].isEmpty())
                    m_log.log(row, QStringLiteral("重复，单位：") + values[name] +
                                       QStringLiteral(",联系人：") + values[contact] +
                                       QStringLiteral(",电话：") + values[phone]);
                else
                    m_log.log(row, QStringLiteral("无效行，地址：") + values[address]);
                return false;
            }
        }
        insert(values);
        return true;
    } catch (const core::DbError&) {
        m_log.err(row, QStringLiteral("错误，单位：") + values[name] + QStringLiteral(",联系人：") +
                           values[contact] + QStringLiteral(",电话：") + values[phone]);
        SheetRun::ensureTransaction(m_db);
        return false;
    }
}

bool RecipientImport::isDuplicate(const QVector<QString>& values) {
    core::Params params;
    QString condition;
    if (m_options.byName)
        condition += sameText(QStringLiteral("全称"), QStringLiteral("name"),
                              values[item(QStringLiteral("cbName"))], params);
    if (m_options.byContact)
        condition += sameText(QStringLiteral("联系人"), QStringLiteral("contact"),
                              values[item(QStringLiteral("cbContactor"))], params);
    if (m_options.byPhone)
        condition += sameText(QStringLiteral("电话"), QStringLiteral("phone"),
                              values[item(QStringLiteral("cbPhone"))], params);
    if (condition.isEmpty())
        condition = QStringLiteral(" and 4<3 ");
    const QString table = m_options.scenario == Scenario::AddressBook ? QStringLiteral("CKPersonalInfoTable")
                                                                      : QStringLiteral("ReceiverList");
    return m_statements
        .scalar(QStringLiteral("select top 1 1 from ") + table + QStringLiteral(" where 1=1") + condition,
                params)
        .isValid();
}

void RecipientImport::insert(const QVector<QString>& values) {
    const QVector<ImportItem>& list = items();
    const bool addressBook = m_options.scenario == Scenario::AddressBook;
    QStringList columns;
    QStringList placeholders;
    core::Params params;
    for (int i = 0; i < list.size(); ++i) {
        const ImportItem& it = list.at(i);
        if (it.column.isEmpty() || !inScenario(it, m_options.scenario))
            continue;
        const QString key = QStringLiteral("v") + QString::number(i);
        columns << (!addressBook && it.chooser == u"cbRemark" ? QStringLiteral("备注") : it.column);
        placeholders << QLatin1Char(':') + key;
        params.insert(key, values.at(i));
    }
    if (addressBook) {
        columns << QStringLiteral("排序");
        placeholders << QStringLiteral("0");
    }
    m_statements.exec(
        QStringLiteral("insert into ") +
            (addressBook ? QStringLiteral("CKPersonalInfoTable") : QStringLiteral("ReceiverList")) +
            QStringLiteral(" (") + columns.join(QLatin1Char(',')) + QStringLiteral(") values (") +
            placeholders.join(QLatin1Char(',')) + QLatin1Char(')'),
        params);
}

} // namespace imports
