#include "accounts/StatementOutput.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "imports/XlsxExport.h"
#include "masterdata/PersonStore.h"
#include "print/PrintError.h"
#include "print/QtPrintDevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QPageSize>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace accounts {

QString ourUnitName(core::Database& db) {
    try {
        return db
            .scalar(QStringLiteral("select 全称 from CKPersonalInfoTable where 分组=:group order by ID"),
                    {{QStringLiteral("group"), masterdata::PersonStore::kDefaultIssuer}})
            .toString()
            .trimmed();
    } catch (const std::exception&) {
        return {};
    }
}

bool printStatements(core::AppContext& app, print::PrintDevice& device,
                     const QVector<StatementDocument>& documents) {
    if (documents.isEmpty())
        return false;
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return false;
    }
    try {
        const QString printer = app.currentPrinter();
        if (!printer.isEmpty() && printer != device.printerName())
            device.selectPrinter(printer);
        device.setOrientation(print::PrintDevice::Orientation::Portrait);
        device.setPaper({QPageSize(QPageSize::A4), device.paper().source});
        device.setCopies(1);
        device.setTitle(QStringLiteral("对账单 ") + documents.constFirst().statement().customer);
        device.beginDocument();
        bool started = false;
        for (const StatementDocument& document : documents) {
            document.drawAll(device, started);
            started = true;
        }
        device.endDocument();
        return true;
    } catch (const std::exception&) {
        device.abort();
        app.dialogs().alert(QStringLiteral("打印出错，请检查打印机是否可用！"), QStringLiteral("提示"),
                            false);
    }
    return false;
}

StatementPdf::StatementPdf(const QString& path) {
    const QFileInfo info(path);
    m_path = info.absoluteFilePath();
    m_part = info.absoluteDir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(::getpid()));
    m_device = std::make_unique<print::QtPrintDevice>(m_path);
    m_device->printer().setOutputFileName(m_part);
    m_device->setPaper({QPageSize(QPageSize::A4), -1});
    m_device->setOrientation(print::PrintDevice::Orientation::Portrait);
    m_device->setPdfMargins(QMarginsF(0, 0, 0, 0));
    m_device->setTitle(QStringLiteral("对账单"));
}

StatementPdf::~StatementPdf() {
    if (m_device)
        m_device->abort();
    if (!m_part.isEmpty())
        QFile::remove(m_part);
}

void StatementPdf::add(const StatementDocument& document) {
    if (!m_started) {
        m_device->beginDocument();
        m_started = true;
        document.drawAll(*m_device, false);
    } else {
        document.drawAll(*m_device, true);
    }
    m_pages += document.pageCount();
}

void StatementPdf::finish() {
    if (!m_started)
        throw print::PrintError(QStringLiteral("没有要输出的对账单"));
    m_device->endDocument();
    // rename() replaces an existing file in one step; a reader sees the old file or the new.
    if (std::rename(QFile::encodeName(m_part).constData(), QFile::encodeName(m_path).constData()) != 0)
        throw print::PrintError(
            QStringLiteral("不能写入 %1：%2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    m_part.clear();
}

void writeStatementXlsx(const Statement& s, const QString& ourUnit, const QString& path) {
    imports::XlsxExport sheet(path, QStringLiteral("对账单"));
    sheet.writeTitleRow({QStringLiteral("日期"), QStringLiteral("单号"), QStringLiteral("摘要"),
                         QStringLiteral("发货金额"), QStringLiteral("收款金额"), QStringLiteral("商品明细")});
    const QString empty;
    sheet.writeRow({empty, empty, QStringLiteral("对账单位：") + ourUnit});
    sheet.writeRow({empty, empty, QStringLiteral("客户：") + s.customer});
    sheet.writeRow({empty, empty, QStringLiteral("期间：") + StatementDocument::periodText(s)});
    sheet.writeRow({empty, empty, QStringLiteral("期初余额"), centsText(s.openingCents)});
    for (const StatementEntry& e : s.entries) {
        const bool payment = e.kind == StatementEntry::Kind::Payment;
        sheet.writeRow({e.date.toString(QStringLiteral("yyyy-MM-dd")), e.number,
                        StatementDocument::summary(e), payment ? empty : centsText(e.cents),
                        payment ? centsText(e.cents) : empty});
        for (const GoodsLine& g : e.goods)
            sheet.writeRow({empty, empty, empty, empty, empty, StatementDocument::goodsText(g)});
    }
    sheet.writeRow(
        {empty, empty, QStringLiteral("本期合计"), centsText(s.deliveredCents), centsText(s.receivedCents)});
    sheet.writeRow({empty, empty, QStringLiteral("期末应收余额"), centsText(s.closingCents)});
    sheet.save();
}

QString statementFileName(const QString& customer, const QString& suffix) {
    QString name = customer.trimmed();
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('"') ||
            c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('|') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("对账单"));
    return name.left(120) + suffix;
}

QStringList statementFileNames(const QStringList& customers, const QString& suffix) {
    QStringList out;
    QSet<QString> taken;
    for (const QString& customer : customers) {
        const QString plain = statementFileName(customer, QString());
        QString name = plain + suffix;
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = plain + QLatin1Char('-') + QString::number(n) + suffix;
        taken.insert(name.toLower());
        out << name;
    }
    return out;
}

QJsonObject statementJson(const Statement& s) {
    QJsonArray entries;
    for (const StatementEntry& e : s.entries) {
        static const char* const kinds[] = {"note", "order", "payment"};
        QJsonObject o{{QStringLiteral("kind"), QLatin1String(kinds[int(e.kind)])},
                      {QStringLiteral("date"), e.date.toString(Qt::ISODate)},
                      {QStringLiteral("number"), e.number},
                      {QStringLiteral("amount"), centsText(e.cents)}};
        if (e.kind == StatementEntry::Kind::Payment)
            o.insert(QStringLiteral("method"), e.method);
        if (e.notShipped)
            o.insert(QStringLiteral("notShipped"), true);
        if (!e.remark.isEmpty())
            o.insert(QStringLiteral("remark"), e.remark);
        entries.append(o);
    }
    return {{QStringLiteral("customer"), s.customer},
            {QStringLiteral("from"), s.from.toString(Qt::ISODate)},
            {QStringLiteral("to"), s.to.toString(Qt::ISODate)},
            {QStringLiteral("opening"), centsText(s.openingCents)},
            {QStringLiteral("delivered"), centsText(s.deliveredCents)},
            {QStringLiteral("received"), centsText(s.receivedCents)},
            {QStringLiteral("closing"), centsText(s.closingCents)},
            {QStringLiteral("entries"), entries}};
}

} // namespace accounts
