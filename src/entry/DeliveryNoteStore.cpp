#include "entry/DeliveryNoteStore.h"

#include "core/Recordset.h"
#include "entry/MoneyText.h"
#include "entry/NoteDayTotals.h"

namespace entry {

const QString DeliveryNoteStore::kHeaderTable = QStringLiteral("DataCheckFHDSHD");
const QString DeliveryNoteStore::kDetailTable = QStringLiteral("DataCheckFHDSHDDetail");

namespace {
const QString kNumber = QStringLiteral("number");

core::Params byNumber(const QString& number) {
    return {{kNumber, number}};
}

QString customColumn(int i) {
    return QStringLiteral("自定义") + QString::number(i + 1);
}
} // namespace

namespace {
bool sameLine(const NoteLine& a, const NoteLine& b) {
    return a.line == b.line && a.articleNumber == b.articleNumber && a.name == b.name && a.model == b.model &&
           a.unit == b.unit && a.quantity == b.quantity &&
           a.price.value_or(QString()) == b.price.value_or(QString()) &&
           a.amount.value_or(QString()) == b.amount.value_or(QString()) &&
           a.otherAttributes == b.otherAttributes;
}

// The texts a user fills in, in one list so the two checks below cannot drift apart.
QStringList typedTexts(const DeliveryNote& n) {
    QStringList texts{n.customerName, n.contact, n.address, n.phone,  n.handset,
                      n.issuer,       n.payee,   n.orderId, n.remark, n.tickedItems};
    for (const std::optional<QString>& custom : n.custom)
        texts << custom.value_or(QString());
    return texts;
}
} // namespace

bool hasTypedContent(const DeliveryNote& note) {
    if (!note.lines.isEmpty())
        return true;
    double total = 0;
    if (parseDecimal(note.total.trimmed(), total) && total != 0)
        return true;
    for (const QString& text : typedTexts(note))
        if (!text.trimmed().isEmpty())
            return true;
    return false;
}

bool sameContent(const DeliveryNote& a, const DeliveryNote& b) {
    if (a.lines.size() != b.lines.size())
        return false;
    for (int i = 0; i < a.lines.size(); ++i)
        if (!sameLine(a.lines[i], b.lines[i]))
            return false;
    return typedTexts(a) == typedTexts(b) && a.number == b.number && a.currency == b.currency &&
           a.total == b.total && a.totalQuantity == b.totalQuantity &&
           a.issueDate.date() == b.issueDate.date() && a.orderDate.date() == b.orderDate.date();
}

QString DeliveryNoteStore::dateValue(const QDateTime& when) {
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

bool DeliveryNoteStore::exists(const QString& number) {
    return !m_db.query(QStringLiteral("select * from DataCheckFHDSHD where 票据编号=:number"),
                       byNumber(number))
                .isEmpty();
}

DeliveryNoteStore::Saved DeliveryNoteStore::save(const DeliveryNote& note,
                                                 const std::function<void()>& alongside, bool asNew) {
    m_db.begin();
    bool appended = false;
    try {
        m_db.lockName(QStringLiteral("note:") + note.number);
        if (asNew && exists(note.number))
            throw core::DbError(
                QStringLiteral("编号为【") + note.number +
                QStringLiteral("】的票据刚刚已在别处保存。请再保存一次，以决定新生成单号还是替换它。"));
        // The note leaves the kept totals under what it was and comes back under what it is.
        NoteDayTotals totals(m_db);
        const QString sameNumber = QStringLiteral("票据编号=:number");
        totals.take(sameNumber, byNumber(note.number));
        writeHeader(note, appended);
        writeLines(note);
        totals.put(sameNumber, byNumber(note.number));
        if (alongside)
            alongside();
        m_db.commit();
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    } catch (const std::exception& e) {
        m_db.rollback();
        throw core::DbError(QString::fromLocal8Bit(e.what()));
    }
    return appended ? Saved::Appended : Saved::Edited;
}

void DeliveryNoteStore::writeHeader(const DeliveryNote& note, bool& appended) {
    core::Recordset header = m_db.query(
        QStringLiteral("select * from DataCheckFHDSHD where 票据编号=:number"), byNumber(note.number));
    appended = header.editFirstOrAppend();
    if (appended)
        header.setValue(QStringLiteral("票据编号"), note.number);
    header.setValue(QStringLiteral("模板种类"), note.variant);
    header.setValue(QStringLiteral("其他选项"), note.tickedItems);
    header.setValue(QStringLiteral("票据状态"), note.state);
    header.setValue(QStringLiteral("币种"), note.currency);
    header.setValue(QStringLiteral("合计金额"), note.total);
    header.setValue(QStringLiteral("合计数量"), note.totalQuantity);
    header.setValue(QStringLiteral("备注"), note.remark);
    header.setValue(QStringLiteral("订单编号"), note.orderId);
    header.setValue(QStringLiteral("订单日期"), dateValue(note.orderDate));
    header.setValue(QStringLiteral("出票日期"), dateValue(note.issueDate));
    header.setValue(QStringLiteral("顾客名称"), note.customerName);
    header.setValue(QStringLiteral("顾客联系人"), note.contact);
    header.setValue(QStringLiteral("顾客地址"), note.address);
    header.setValue(QStringLiteral("顾客电话"), note.phone);
    header.setValue(QStringLiteral("顾客手机"), note.handset);
    header.setValue(QStringLiteral("开票人"), note.issuer);
    header.setValue(QStringLiteral("收款人"), note.payee);
    for (int i = 0; i < int(note.custom.size()); ++i)
        if (note.custom[i])
            header.setValue(customColumn(i), *note.custom[i]);
    header.post();
}

void DeliveryNoteStore::writeLines(const DeliveryNote& note) {
    m_db.exec(QStringLiteral("delete from DataCheckFHDSHDDetail where 票据编号=:number"),
              byNumber(note.number));
    core::Recordset detail = m_db.query(
        QStringLiteral("select * from DataCheckFHDSHDDetail where 票据编号=:number"), byNumber(note.number));
    for (const NoteLine& line : note.lines) {
        detail.append();
        detail.setValue(QStringLiteral("票据编号"), note.number);
        detail.setValue(QStringLiteral("序号"), line.line);
        detail.setValue(QStringLiteral("订单编号"), note.orderId);
        detail.setValue(QStringLiteral("货号"), line.articleNumber);
        detail.setValue(QStringLiteral("商品名"), line.name);
        detail.setValue(QStringLiteral("规格"), line.model);
        detail.setValue(QStringLiteral("单位"), line.unit);
        detail.setValue(QStringLiteral("数量"), line.quantity);
        if (line.price)
            detail.setValue(QStringLiteral("单价"), *line.price);
        if (line.amount)
            detail.setValue(QStringLiteral("金额"), *line.amount);
        detail.setValue(QStringLiteral("其他属性"), line.otherAttributes);
        detail.post();
    }
}

std::optional<DeliveryNote> DeliveryNoteStore::load(const QString& number) {
    core::Recordset header =
        m_db.query(QStringLiteral("select * from DataCheckFHDSHD where 票据编号=:number"), byNumber(number));
    if (header.isEmpty())
        return std::nullopt;
    header.first();
    DeliveryNote note;
    note.number = number;
    note.variant = header.text(QStringLiteral("模板种类"));
    note.tickedItems = header.text(QStringLiteral("其他选项"));
    note.state = header.text(QStringLiteral("票据状态"));
    note.currency = header.text(QStringLiteral("币种"));
    note.total = header.text(QStringLiteral("合计金额"));
    note.totalQuantity = header.text(QStringLiteral("合计数量"));
    note.remark = header.text(QStringLiteral("备注"));
    note.orderId = header.text(QStringLiteral("订单编号"));
    note.orderDate = header.dateTime(QStringLiteral("订单日期"));
    note.issueDate = header.dateTime(QStringLiteral("出票日期"));
    note.customerName = header.text(QStringLiteral("顾客名称"));
    note.contact = header.text(QStringLiteral("顾客联系人"));
    note.address = header.text(QStringLiteral("顾客地址"));
    note.phone = header.text(QStringLiteral("顾客电话"));
    note.handset = header.text(QStringLiteral("顾客手机"));
    note.issuer = header.text(QStringLiteral("开票人"));
    note.payee = header.text(QStringLiteral("收款人"));
    for (int i = 0; i < int(note.custom.size()); ++i)
        note.custom[i] = header.text(customColumn(i));
    note.lines = loadLines(number);
    return note;
}

QVector<NoteLine> DeliveryNoteStore::loadLines(const QString& number) {
    core::Recordset rows =
        m_db.query(QStringLiteral("select * from DataCheckFHDSHDDetail where 票据编号=:number order by 序号"),
                   byNumber(number));
    QVector<NoteLine> lines;
    for (rows.first(); !rows.eof(); rows.next()) {
        NoteLine line;
        line.line = int(rows.integer(QStringLiteral("序号")));
        if (line.line < 1 || line.line > 8)
            continue;
        line.articleNumber = rows.text(QStringLiteral("货号"));
        line.name = rows.text(QStringLiteral("商品名"));
        line.model = rows.text(QStringLiteral("规格"));
        line.unit = rows.text(QStringLiteral("单位"));
        line.quantity = rows.text(QStringLiteral("数量"));
        line.price = rows.text(QStringLiteral("单价"));
        line.amount = rows.text(QStringLiteral("金额"));
        line.otherAttributes = rows.text(QStringLiteral("其他属性"));
        lines << line;
    }
    return lines;
}

} // namespace entry
