#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "imports/SheetCells.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"
#include "imports/WorkbookStream.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QTest>
#include <unistd.h>

using imports::SheetCells;
using imports::Spreadsheet;
using imports::SpreadsheetError;
namespace WorkbookStream = imports::WorkbookStream;

namespace {

// Every sheet with its used range and cells, one line per row, as the readers gave them before
// they were bounded (tests/data/sheets/cells).
QString dump(const QString& path) {
    Spreadsheet book;
    QString out;
    try {
        book.open(path);
        for (int s = 0; s < book.sheetCount(); ++s) {
            book.activate(s);
            out += QStringLiteral("# %1 %2x%3\n")
                       .arg(book.activeSheetName())
                       .arg(book.usedRows())
                       .arg(book.usedColumns());
            for (int r = 1; r <= book.usedRows(); ++r) {
                QStringList cells;
                for (int c = 1; c <= book.usedColumns(); ++c)
                    cells << book.cell(r, c)
                                 .replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                                 .replace(QLatin1Char('\n'), QLatin1String("\\n"))
                                 .replace(QLatin1Char('|'), QLatin1String("\\|"));
                out += cells.join(QLatin1Char('|')) + QLatin1Char('\n');
            }
        }
    } catch (const SpreadsheetError& e) {
        out += QStringLiteral("! ") + e.message() + QLatin1Char('\n');
    }
    return out;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray streamOf(const std::function<void(WorkbookStream::Writer&)>& write) {
    QTemporaryFile file;
    if (!file.open())
        return QByteArray();
    std::FILE* out = fdopen(dup(file.handle()), "wb");
    WorkbookStream::Writer writer(out);
    write(writer);
    std::fclose(out);
    file.seek(0);
    return file.readAll();
}

} // namespace

// Files from elsewhere: the workbooks clerks receive read exactly as before, the hostile ones
// open sensibly or are refused with a message, and the program goes on.
class TestReaderSafety : public QObject {
    Q_OBJECT

private slots:
    void fixturesReadAsBefore_data() {
        QTest::addColumn<QString>("file");
        const QDir dir(TestHome::testData(QStringLiteral("sheets")));
        for (const QString& name : dir.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << name;
    }
    void fixturesReadAsBefore() {
        QFETCH(QString, file);
        const QString sheets = TestHome::testData(QStringLiteral("sheets/"));
        const QString actual = dump(sheets + file).replace(sheets, QString());
        const QString expected =
            QString::fromUtf8(readAll(sheets + QStringLiteral("cells/") + file + ".cells"));
        if (!expected.isEmpty()) {
            const QStringList a = actual.split(QLatin1Char('\n'));
            const QStringList e = expected.split(QLatin1Char('\n'));
            for (int i = 0; i < qMin(a.size(), e.size()); ++i)
                QCOMPARE(a[i], e[i]);
            QCOMPARE(a.size(), e.size());
            return;
        }
        const QByteArray hash = readAll(sheets + QStringLiteral("cells/") + file + ".cells.sha256").trimmed();
        QVERIFY2(!hash.isEmpty(), "no expected cells for this file");
        QCOMPARE(QCryptographicHash::hash(actual.toUtf8(), QCryptographicHash::Sha256).toHex(), hash);
    }

    // Each opens with its contents (rows × columns of the first sheet) or is refused with a
    // message naming the file; the same object then opens a good workbook.
    void hostileFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("refusal"); // empty: the file opens
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        const QString grid = QStringLiteral("超出了表格的范围");
        const QString limit = QStringLiteral("超过了可导入的上限");
        const QString damaged = QStringLiteral("工作簿已损坏");
        QTest::newRow("7 column letters") << "xlsx-column-7-letters.xlsx" << grid << 0 << 0;
        QTest::newRow("6 column letters") << "xlsx-column-6-letters-stall.xlsx" << grid << 0 << 0;
        QTest::newRow("row INT_MIN") << "xlsx-row-int-min.xlsx" << grid << 0 << 0;
        QTest::newRow("row 999999999") << "xlsx-row-999999999.xlsx" << grid << 0 << 0;
        QTest::newRow("column past INT_MAX") << "xlsx-column-after-int-max.xlsx" << grid << 0 << 0;
        QTest::newRow("1 GB part") << "xlsx-sheet-inflates-to-1GB.xlsx" << QStringLiteral("解压后过大") << 0
                                   << 0;
        QTest::newRow("100000 attributes") << "xlsx-100000-attributes-on-a-row.xlsx" << QString() << 1 << 1;
        QTest::newRow("cell XFD1048576")
            << "xlsx-one-cell-at-XFD1048576.xlsx" << QString() << 1048576 << 16384;
        QTest::newRow("2e9 spaces") << "ods-2e9-spaces.ods" << limit << 0 << 0;
        QTest::newRow("row repeated a million times")
            << "ods-row-repeated-million-times.ods" << limit << 0 << 0;
        QTest::newRow("rows repeated INT_MAX") << "ods-rows-repeated-int-max.ods" << QString() << 0 << 0;
        QTest::newRow("columns repeated INT_MAX")
            << "ods-columns-repeated-int-max.ods" << QString() << 0 << 0;
        QTest::newRow("directory name") << "xls-directory-name-overflow.xls" << damaged << 0 << 0;
        QTest::newRow("cell array") << "xls-cell-array-heap-overflow.xls" << damaged << 0 << 0;
        QTest::newRow("format record") << "xls-format-record-overread.xls" << damaged << 0 << 0;
        QTest::newRow("shared strings") << "xls-shared-strings-overread.xls" << damaged << 0 << 0;
        QTest::newRow("268M rows") << "xls-declares-268M-rows.xls" << QStringLiteral("268435456行") << 0 << 0;
    }
    void hostileFiles() {
        QFETCH(QString, file);
        QFETCH(QString, refusal);
        QFETCH(int, rows);
        QFETCH(int, columns);
        const QString path = TestHome::testData(QStringLiteral("hostile/") + file);
        Spreadsheet book;
        QString message;
        try {
            book.open(path);
            QCOMPARE(book.usedRows(), rows);
            QCOMPARE(book.usedColumns(), columns);
            for (int i = 0; i < book.sheetCount(); ++i)
                book.activate(i);
        } catch (const SpreadsheetError& e) {
            message = e.message();
        }
        if (refusal.isEmpty())
            QVERIFY2(message.isEmpty(), qPrintable(message));
        else
            QVERIFY2(message.contains(refusal) && message.contains(path), qPrintable(message));
        book.open(TestHome::testData(QStringLiteral("sheets/recipients.xls")));
        QCOMPARE(book.usedRows(), 41);
    }

    // A sheet takes cells up to its limit and refuses the next without storing it; cells
    // written out of order read back in place.
    void sheetLimits() {
        SheetCells cells;
        QVERIFY(cells.set(5, 3, QStringLiteral("d")));
        QVERIFY(cells.set(0, 7, QStringLiteral("a")));
        QVERIFY(cells.set(5, 1, QStringLiteral("b")));
        QVERIFY(cells.set(5, 3, QStringLiteral("  e ")));
        QCOMPARE(cells.cell(6, 4), QStringLiteral("e"));
        QCOMPARE(cells.cell(6, 2), QStringLiteral("b"));
        QCOMPARE(cells.cell(1, 8), QStringLiteral("a"));
        QCOMPARE(cells.cell(3, 1), QString());
        QCOMPARE(cells.rows(), 6);
        QCOMPARE(cells.columns(), 8);
        QVERIFY(!cells.set(SheetCells::maxRows, 0, QStringLiteral("x")));
        QVERIFY(!cells.set(0, SheetCells::maxColumns, QStringLiteral("x")));
        QVERIFY(!cells.set(1, 0, QString(SheetCells::maxText, QLatin1Char('x'))));
        for (int i = int(cells.cellCount()); i < SheetCells::maxCells; ++i)
            QVERIFY(cells.set(10 + i / 1000, i % 1000, QStringLiteral("v")));
        QVERIFY(!cells.set(SheetCells::maxRows - 1, 0, QStringLiteral("one too many")));
        QCOMPARE(cells.cellCount(), SheetCells::maxCells);
        QCOMPARE(cells.rows(), 10 + int(SheetCells::maxCells / 1000));
    }

    // What a reader process sends decodes only when whole and well-formed.
    void readerStream_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("cell");
        const QByteArray good = streamOf([](WorkbookStream::Writer& w) {
            w.sheet(QStringLiteral("表"));
            w.cell(1, 2, QStringLiteral("值"));
            w.sheet(QStringLiteral("坏"));
            w.sheetRefused(QStringLiteral("不能读"));
            w.end();
        });
        QTest::newRow("whole") << good << true << "值";
        QTest::newRow("cut short") << good.left(good.size() - 3) << false << "值";
        QTest::newRow("trailing bytes") << good + "x" << false << "值";
        QTest::newRow("no header") << good.mid(3) << false << "";
        QByteArray huge = good;
        huge[good.indexOf("C") + 1] = '\xFF';
        QTest::newRow("length past the end") << huge << false << "";
        QTest::newRow("cell beyond grid") << streamOf([](WorkbookStream::Writer& w) {
            w.sheet(QStringLiteral("表"));
            w.cell(SheetCells::maxRows, 0, QStringLiteral("x"));
            w.end();
        }) << false << "";
        QTest::newRow("cell before a sheet") << streamOf([](WorkbookStream::Writer& w) {
            w.cell(0, 0, QStringLiteral("x"));
            w.end();
        }) << false << "";
    }
    void readerStream() {
        QFETCH(QByteArray, stream);
        QFETCH(bool, complete);
        QFETCH(QString, cell);
        const WorkbookStream::Workbook book = WorkbookStream::decode(stream, QStringLiteral("x.xls"));
        QCOMPARE(book.complete, complete);
        if (!cell.isEmpty())
            QCOMPARE(book.sheets.at(0).cell(2, 3), cell);
        if (complete) {
            QCOMPARE(book.names, QStringList({QStringLiteral("表"), QStringLiteral("坏")}));
            QCOMPARE(book.refusals, QStringList({QString(), QStringLiteral("不能读")}));
        }
    }
};

OVERPRINT_TEST(TestReaderSafety)
#include "TestReaderSafety.moc"
