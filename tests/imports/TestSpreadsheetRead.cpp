#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "AllCells.h"
#include "imports/ColumnList.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using imports::ColumnList;
using imports::Spreadsheet;
using imports::SpreadsheetError;

namespace {

QString sheetFile(const QString& name) {
    return TestHome::testData(QStringLiteral("sheets/") + name);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSpreadsheetRead : public QObject {
    Q_OBJECT

private slots:
    // The same recipients saved by different programs and formats read as the same texts.
    void variantsGiveSameCells_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("allSheets");
        QTest::newRow("office xlsx") << "recipients-office.xlsx" << true;
        QTest::newRow("xls") << "recipients.xls" << true;
        QTest::newRow("ods") << "recipients.ods" << true;
        QTest::newRow("csv utf-8 bom") << "recipients-utf8.csv" << false;
        QTest::newRow("csv gbk") << "recipients-gbk.csv" << false;
    }
    void variantsGiveSameCells() {
        QFETCH(QString, file);
        QFETCH(bool, allSheets);
        Spreadsheet reference;
        reference.open(sheetFile(QStringLiteral("recipients.xlsx")));
        Spreadsheet book;
        book.open(sheetFile(file));
        QCOMPARE(book.activeSheet(), 0);
        if (allSheets)
            QCOMPARE(book.sheetNames(), (QStringList{"收件人", "空列", "仅标题"}));
        else
            QCOMPARE(book.sheetNames(), QStringList{QFileInfo(file).completeBaseName()});
        for (int sheet = 0; sheet < (allSheets ? 3 : 1); ++sheet) {
            reference.activate(sheet);
            book.activate(sheet);
            QCOMPARE(book.usedRows(), reference.usedRows());
            QCOMPARE(book.usedColumns(), reference.usedColumns());
            QCOMPARE(allCells(book), allCells(reference));
        }
    }

    void recipientsContent() {
        Spreadsheet book;
        book.open(sheetFile(QStringLiteral("recipients.xlsx")));
        QCOMPARE(book.usedRows(), 41);
        QCOMPARE(book.usedColumns(), 11);
        QCOMPARE(book.cell(6, 1), QStringLiteral("O'Brien"));
        QCOMPARE(book.cell(6, 2), QStringLiteral("O'Brien's 商店"));
        QCOMPARE(book.cell(6, 9), QStringLiteral("078666"));
        QCOMPARE(book.cell(0, 1), QString());
        QCOMPARE(book.cell(1, 12), QString());
        QCOMPARE(book.cell(42, 1), QString());
    }

    void phoneNumberWithoutExponent_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "recipients.xlsx";
        QTest::newRow("office xlsx") << "recipients-office.xlsx";
        QTest::newRow("xls") << "recipients.xls";
        QTest::newRow("ods") << "recipients.ods";
    }
    void phoneNumberWithoutExponent() {
        QFETCH(QString, file);
        Spreadsheet book;
        book.open(sheetFile(file));
        book.activate(1);
        QCOMPARE(book.cell(2, 3), QStringLiteral("13800138000"));
    }

    void columnList_data() {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("usedRows");
        const QStringList recipients{
            "",       "列1:姓名", "列2:公司名称", "列3:手机号码", "列4:联系电话",  "列5:省",
            "列6:市", "列7:区县", "列8:收货地址", "列9:邮编",     "列10:订单编号", "列11:买家留言"};
        QTest::newRow("empty column 2") << 1 << QStringList{"", "列1:姓名", "列3:电话"} << 2;
        QTest::newRow("titles only") << 2 << recipients << 1;
        QTest::newRow("recipients") << 0 << recipients << 41;
    }
    void columnList() {
        QFETCH(int, sheet);
        QFETCH(QStringList, expected);
        QFETCH(int, usedRows);
        Spreadsheet book;
        book.open(sheetFile(QStringLiteral("recipients.ods")));
        book.activate(sheet);
        core::ScriptedDialogs dialogs;
        QCOMPARE(ColumnList::build(book, dialogs), expected);
        QVERIFY(dialogs.shown.isEmpty());
        // Data rows are 2 to the used rows; a sheet of titles only has none.
        QCOMPARE(book.usedRows(), usedRows);
    }

    void columnListStopsAtColumn61() {
        QTemporaryDir dir;
        QStringList titles;
        for (int c = 1; c <= 70; ++c)
            titles.append(c == 5 ? QString() : QStringLiteral("T%1").arg(c));
        const QString path = dir.filePath(QStringLiteral("wide.csv"));
        writeFile(path, titles.join(QLatin1Char(',')).toUtf8() + "\n1,2\n");
        Spreadsheet book;
        book.open(path);
        const QStringList list = ColumnList::build(book);
        QCOMPARE(list.size(), 1 + 60);
        QCOMPARE(list.at(4), QStringLiteral("列4:T4"));
        QCOMPARE(list.at(5), QStringLiteral("列6:T6"));
        QCOMPARE(list.last(), QStringLiteral("列61:T61"));
    }

    void sheetWithoutTitles() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("无标题.csv"));
        writeFile(path, ",,\n张三,,123\n");
        Spreadsheet book;
        book.open(path);
        core::ScriptedDialogs dialogs;
        QCOMPARE(ColumnList::build(book, dialogs), QStringList{QString()});
        QCOMPARE(dialogs.lastText(),
                 QStringLiteral("Excel的[无标题]没有可识别的列(表格第一行必须为非空的列标题，"
                                "比如：联系人,电话..)!"));
    }

    void columnNumberOfEntry_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("column");
        QTest::newRow("simple") << "列3:电话" << 3;
        QTest::newRow("two digits") << "列61:T:x" << 61;
        QTest::newRow("empty entry") << "" << -1;
        QTest::newRow("fixed value") << "收件单位" << -1;
        QTest::newRow("no colon") << "列3" << -1;
    }
    void columnNumberOfEntry() {
        QFETCH(QString, entry);
        QFETCH(int, column);
        QCOMPARE(ColumnList::columnNumber(entry), column);
    }

    // A file that cannot be read gives a message and leaves the object closed and usable.
    void unreadableFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QFile good(sheetFile(QStringLiteral("recipients.xlsx")));
        good.open(QIODevice::ReadOnly);
        const QByteArray xlsx = good.readAll();
        QFile goodXls(sheetFile(QStringLiteral("recipients.xls")));
        goodXls.open(QIODevice::ReadOnly);
        const QByteArray xls = goodXls.readAll();
        QTest::newRow("text renamed xlsx") << "notes.xlsx" << QByteArray("姓名,电话\n这不是表格\n");
        QTest::newRow("truncated xlsx") << "cut.xlsx" << xlsx.left(xlsx.size() / 2);
        QTest::newRow("truncated xls") << "cut.xls" << xls.left(1024);
        QTest::newRow("empty xls") << "empty.xls" << QByteArray();
        QTest::newRow("zip without workbook")
            << "other.xlsx" << QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
        QTest::newRow("encrypted package")
            << "secret.xlsx"
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0') +
                   QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    }
    void unreadableFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        Spreadsheet book;
        book.open(sheetFile(QStringLiteral("recipients.xlsx")));
        QString message;
        try {
            book.open(path);
        } catch (const SpreadsheetError& e) {
            message = e.message();
        }
        QVERIFY2(!message.isEmpty(), "no error reported");
        QVERIFY2(message.contains(path), qPrintable(message));
        if (name == u"secret.xlsx")
            QVERIFY(message.contains(QStringLiteral("密码")));
        QVERIFY(!book.isOpen());
        QCOMPARE(book.usedRows(), 0);
        book.open(sheetFile(QStringLiteral("recipients.xls")));
        QCOMPARE(book.usedRows(), 41);
    }

    // The format is found from the content: an ods package named .xlsx still opens.
    void formatFromContent() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("export.xlsx"));
        QVERIFY(QFile::copy(sheetFile(QStringLiteral("recipients.ods")), path));
        Spreadsheet book;
        book.open(path);
        QCOMPARE(book.sheetCount(), 3);
        QCOMPARE(book.cell(6, 1), QStringLiteral("O'Brien"));
    }

    void missingFile() {
        Spreadsheet book;
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, book.open(QStringLiteral("/nonexistent/x.xlsx")));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, book.activate(0));
    }
};

OVERPRINT_TEST(TestSpreadsheetRead)
#include "TestSpreadsheetRead.moc"
