#include "accounts/StatementDocument.h"
#include "accounts/StatementOutput.h"
#include "print/RecordingPrintDevice.h"
#include "support/TestRegistry.h"

#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using accounts::GoodsLine;
using accounts::Statement;
using accounts::StatementDocument;
using accounts::StatementEntry;

namespace {

// A statement of `notes` notes (each with `goods` goods lines) and a payment after every
// fifth note, with figures that add up.
Statement makeStatement(int notes, int goods) {
    Statement s;
    s.customer = QStringLiteral("鸿运五金");
    s.from = QDate(2026, 11, 1);
    s.to = QDate(2026, 11, 30);
    s.openingCents = 120050;
    for (int i = 0; i < notes; ++i) {
        StatementEntry note;
        note.kind = i % 7 == 6 ? StatementEntry::Kind::PrintedOrder : StatementEntry::Kind::Note;
        note.date = s.from.addDays(i % 30);
        note.number = QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0'));
        note.cents = 1000 + i;
        note.notShipped = i == 1;
        for (int g = 0; g < goods; ++g)
            note.goods << GoodsLine{QString(),
                                    QStringLiteral("G%1x%2").arg(i).arg(g),
                                    QStringLiteral("M8"),
                                    QStringLiteral("个"),
                                    QStringLiteral("2"),
                                    QStringLiteral("5.00"),
                                    QStringLiteral("10.00")};
        s.deliveredCents += note.cents;
        s.entries << note;
        if (i % 5 == 4) {
            StatementEntry pay;
            pay.kind = StatementEntry::Kind::Payment;
            pay.date = note.date;
            pay.number = QStringLiteral("P%1").arg(i, 6, 10, QLatin1Char('0'));
            pay.cents = i == 4 ? -300 : 2000;
            pay.method = QStringLiteral("转账");
            s.receivedCents += pay.cents;
            s.entries << pay;
        }
    }
    s.closingCents = s.openingCents + s.deliveredCents - s.receivedCents;
    return s;
}

int countTexts(const print::RecordingPrintDevice& device, const QString& text, int page = -1) {
    int n = 0;
    for (const auto& t : device.texts)
        if (t.text == text && (page < 0 || t.page == page))
            ++n;
    return n;
}

} // namespace

class TestStatementDocument : public QObject {
    Q_OBJECT

private slots:
    // Rows are counted with the totals block, which never splits: the edges are where the
    // last row, or the totals after it, just fit or just spill.
    void pagesAcrossBreaks_data() {
        QTest::addColumn<int>("notes");
        QTest::addColumn<int>("goods");
        QTest::addColumn<int>("pages");
        const int perPage = StatementDocument::rowsPerPage();
        const int totals = StatementDocument::kTotalsRows;
        // With no goods, n notes make n + n/5 rows.
        auto notesFor = [](int rows) {
            for (int n = 0;; ++n)
                if (n + n / 5 >= rows)
                    return n + n / 5 == rows ? n : -1;
        };
        auto addRow = [&](const char* name, int rows, int pages) {
            const int notes = notesFor(rows);
            if (notes >= 0)
                QTest::newRow(name) << notes << 0 << pages;
        };
        QTest::newRow("empty") << 0 << 0 << 1;
        addRow("totals just fit", perPage - totals, 1);
        addRow("totals spill", perPage - totals + 1, 2);
        addRow("rows fill the page", perPage, 2);
        addRow("second page full", 2 * perPage - totals, 2);
        addRow("third page for totals", 2 * perPage - totals + 1, 3);
        QTest::newRow("goods lines") << 12 << 9 << int((12 + 2 + 12 * 9 + totals + perPage - 1) / perPage);
    }
    void pagesAcrossBreaks() {
        QFETCH(int, notes);
        QFETCH(int, goods);
        QFETCH(int, pages);
        const Statement s = makeStatement(notes, goods);
        const StatementDocument doc(s, QStringLiteral("本公司"));
        print::RecordingPrintDevice device;
        device.beginDocument();
        doc.drawAll(device, false);
        device.endDocument();
        QCOMPARE(doc.pageCount(), pages);
        QCOMPARE(device.pages, pages);

        // Every entry and goods line exactly once, on the page it was laid on.
        for (const StatementEntry& e : s.entries) {
            QCOMPARE(countTexts(device, e.number), 1);
            for (const GoodsLine& g : e.goods)
                QCOMPARE(countTexts(device, StatementDocument::goodsText(g)), 1);
        }
        // Nothing but the page number below the body, nothing at all off the paper.
        auto px = [&](int tenths) { return tenths * device.dpiY / 254; };
        const int bodyEnd =
            StatementDocument::kPageHeight - StatementDocument::kMargin - StatementDocument::kFooterHeight;
        for (const auto& t : device.texts) {
            const bool footer = t.text.startsWith(QStringLiteral("第 "));
            QVERIFY2(t.y > 0 && t.y < px(footer ? StatementDocument::kPageHeight - 100 : bodyEnd - 40),
                     qPrintable(t.text));
        }
        for (int p = 1; p <= pages; ++p) {
            QCOMPARE(countTexts(device, QStringLiteral("日期"), p), 1);
            QCOMPARE(countTexts(device, QStringLiteral("收款金额"), p), 1);
            QCOMPARE(countTexts(device, QStringLiteral("第 %1 页 共 %2 页").arg(p).arg(pages), p), 1);
        }
        const QString closing =
            QStringLiteral("期末应收余额：") + accounts::centsText(s.closingCents) + QStringLiteral(" 元");
        QCOMPARE(countTexts(device, closing), 1);
        QCOMPARE(countTexts(device, closing, pages), 1);
        if (notes > 1)
            QCOMPARE(countTexts(device, QStringLiteral("出货单 未发货")), 1);
    }

    // The PDF of two customers reads back: each page set whole, every number and balance there.
    void pdfReadsBack() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("对账单.pdf"));
        Statement first = makeStatement(50, 0);
        Statement second = makeStatement(3, 2);
        second.customer = QStringLiteral("顺达商贸");
        second.openingCents = -5;
        second.closingCents = second.openingCents + second.deliveredCents - second.receivedCents;
        {
            accounts::StatementPdf pdf(path);
            pdf.add(StatementDocument(first, QStringLiteral("本公司")));
            pdf.add(StatementDocument(second, QStringLiteral("本公司")));
            QVERIFY(!QFile::exists(path));
            pdf.finish();
            QCOMPARE(pdf.pages(), 3);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QProcess run;
        run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY(run.waitForFinished(30000));
        // The text layer keeps the characters, not every space between them.
        QString text = QString::fromUtf8(run.readAllStandardOutput());
        text.remove(QLatin1Char(' '));
        const QStringList pages = text.split(QLatin1Char('\f'));
        QVERIFY(pages.size() >= 3);
        const QString firstSet = pages.mid(0, 2).join(QString());
        for (const StatementEntry& e : first.entries)
            QVERIFY2(firstSet.count(e.number) == 1, qPrintable(e.number));
        QVERIFY(firstSet.contains(QStringLiteral("鸿运五金")));
        QVERIFY(firstSet.contains(QStringLiteral("期初余额：1200.50")));
        QVERIFY(
            firstSet.contains(QStringLiteral("期末应收余额：") + accounts::centsText(first.closingCents)));
        QVERIFY(pages.at(1).contains(QStringLiteral("第2页共2页")));
        QVERIFY(pages.at(2).contains(QStringLiteral("顺达商贸")));
        QVERIFY(pages.at(2).contains(QStringLiteral("期初余额：-0.05")));
        QVERIFY(pages.at(2).contains(QStringLiteral("第1页共1页")));
        QVERIFY(pages.at(2).contains(
            StatementDocument::goodsText(second.entries.at(0).goods.at(1)).remove(QLatin1Char(' '))));
    }

    // One folder, one workbook per customer: names that come out alike must not overwrite.
    void fileNamesNeverCollide() {
        const QString longName(130, QChar(0x5546));
        const QStringList customers{QStringLiteral("A/B 商行"),      QStringLiteral("A:B 商行"),
                                    QStringLiteral("Ａbc"),          QStringLiteral("ａbc"),
                                    QStringLiteral("abc"),           QStringLiteral("ABC"),
                                    longName + QStringLiteral("甲"), longName + QStringLiteral("乙")};
        const QStringList names = accounts::statementFileNames(customers, QStringLiteral(".xlsx"));
        QCOMPARE(names.size(), customers.size());
        QSet<QString> folded;
        for (const QString& name : names) {
            QVERIFY2(!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':')), qPrintable(name));
            QVERIFY2(name.endsWith(QStringLiteral(".xlsx")), qPrintable(name));
            folded.insert(name.toLower());
        }
        QCOMPARE(folded.size(), customers.size());
        QCOMPARE(names.at(0), QStringLiteral("A_B 商行.xlsx"));
        QCOMPARE(names.at(1), QStringLiteral("A_B 商行-2.xlsx"));
    }
};

OVERPRINT_TEST(TestStatementDocument)
#include "TestStatementDocument.moc"
