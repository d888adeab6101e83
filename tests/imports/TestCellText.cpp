#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "imports/CellText.h"
#include "imports/CsvReader.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

#include <QLocale>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

using imports::CellText;
using imports::CsvReader;
using imports::Spreadsheet;

namespace {

QString shortDate(int y, int m, int d) {
    return QLocale::system().toString(QDate(y, m, d), QLocale::ShortFormat);
}

// Writes a zip package from part names and contents.
bool writePackage(const QString& path, const QVector<QPair<QString, QByteArray>>& parts) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    QVector<QByteArray> keep;
    for (const auto& part : parts) {
        keep.append(part.second);
        zip_source_t* source = zip_source_buffer(archive, keep.last().constData(), keep.last().size(), 0);
        if (zip_file_add(archive, part.first.toUtf8().constData(), source, ZIP_FL_OVERWRITE) < 0)
            return false;
    }
    return zip_close(archive) == 0;
}

} // namespace

class TestCellText : public QObject {
    Q_OBJECT

private slots:
    void numbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("phone") << 13800138000.0 << "13800138000";
        QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("small") << 0.0000001 << "0.0000001";
        QTest::newRow("large") << 1e20 << "100000000000000000000";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("price") << -12.5 << "-12.5";
        QTest::newRow("16 digits shown as 15") << 1234567890123456.0 << "1234567890123460";
    }
    void numbers() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(CellText::number(value), text);
    }

    void serialDates_data() {
        QTest::addColumn<double>("serial");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QString>("text");
        QTest::newRow("2023-03-15") << 45000.0 << false << shortDate(2023, 3, 15);
        QTest::newRow("first day") << 1.0 << false << shortDate(1900, 1, 1);
        QTest::newRow("after the false leap day") << 61.0 << false << shortDate(1900, 3, 1);
        QTest::newRow("with time") << 45000.75 << false << shortDate(2023, 3, 15) + " 18:00:00";
        QTest::newRow("time only") << 0.5 << false << "12:00:00";
        QTest::newRow("1904 system") << 0.0 << true << shortDate(1904, 1, 1);
    }
    void serialDates() {
        QFETCH(double, serial);
        QFETCH(bool, date1904);
        QFETCH(QString, text);
        QCOMPARE(CellText::serialDate(serial, date1904), text);
    }

    void dateFormats_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("iso") << "yyyy-mm-dd" << true;
        QTest::newRow("chinese") << "yyyy\"年\"m\"月\"d\"日\"" << true;
        QTest::newRow("time") << "h:mm AM/PM" << true;
        QTest::newRow("elapsed") << "[h]:mm:ss" << true;
        QTest::newRow("general") << "General" << false;
        QTest::newRow("money") << "#,##0.00" << false;
        QTest::newRow("colour") << "[Red]0.00" << false;
        QTest::newRow("quoted letters") << "0\" days\"" << false;
        QTest::newRow("escaped letter") << "0\\d" << false;
        QTest::newRow("locale currency") << "[$-804]#,##0" << false;
        QTest::newRow("text") << "@" << false;
    }
    void dateFormats() {
        QFETCH(QString, code);
        QFETCH(bool, isDate);
        QCOMPARE(CellText::isDateFormatCode(code), isDate);
    }

    void trimming_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks") << "  张三 \t"
                                << "张三";
        QTest::newRow("ideographic space") << QString::fromUtf8("\u3000李四\u3000") << "李四";
        QTest::newRow("control characters") << QString::fromUtf8("\x01王五\x7f\r\n") << "王五";
        QTest::newRow("inner blanks kept") << " a  b "
                                           << "a  b";
    }
    void trimming() {
        QFETCH(QString, raw);
        QFETCH(QString, text);
        QCOMPARE(CellText::trimmed(raw), text);
    }

    void csvFields_data() {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("quoted comma") << "a,\"b,c\",d\n" << 1 << 2 << "b,c";
        QTest::newRow("doubled quote") << "\"O\"\"Brien\",x" << 1 << 1 << "O\"Brien";
        QTest::newRow("line break inside quotes") << "\"1\n2\",x\ny,z" << 2 << 2 << "z";
        QTest::newRow("crlf") << "a,b\r\nc,d\r\n" << 2 << 1 << "c";
        QTest::newRow("lone cr") << "a,b\rc,d" << 2 << 2 << "d";
        QTest::newRow("leading zeros") << "000123,x" << 1 << 1 << "000123";
        QTest::newRow("blank before quote") << "x, \"q,r\"" << 1 << 2 << "q,r";
    }
    void csvFields() {
        QFETCH(QString, csv);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(CsvReader::parse(csv).cell(row, column), text);
    }

    void csvEncodings() {
        const QString text = QStringLiteral("姓名,电话");
        QStringEncoder gbk("GBK");
        QCOMPARE(CsvReader::decode(gbk(text)), text);
        QCOMPARE(CsvReader::decode(text.toUtf8()), text);
        QCOMPARE(CsvReader::decode("\xEF\xBB\xBF" + text.toUtf8()), text);
    }

    // What office suites write beyond the shop exports: relative targets, shared strings with
    // phonetic guides, dates by built-in and custom formats, booleans, formula texts, errors,
    // cells without references, a chart sheet, and the active tab.
    void xlsxValueKinds() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kinds.xlsx"));
        const QByteArray rels =
            R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
        const QByteArray workbook =
            R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
            R"(<bookViews><workbookView activeTab="1"/></bookViews><sheets><sheet name="图表" sheetId="2" r:id="rId9"/><sheet name="数据" sheetId="1" r:id="rId1"/></sheets></workbook>)";
        const QByteArray workbookRels =
            R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/../worksheets/s1.xml"/>)"
            R"(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet" Target="chartsheets/c1.xml"/>)"
            R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
            R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)";
        const QByteArray strings =
            R"(<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
            R"(<si><t>  王's店 </t></si><si><r><t>富</t></r><r><rPr><b/></rPr><t>文本</t></r><rPh><t>ふ</t></rPh></si></sst>)";
        const QByteArray styles =
            R"(<?xml version="1.0"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
            R"(<numFmts><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/><numFmt numFmtId="165" formatCode="0.00&quot;元&quot;"/></numFmts>)"
            R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";
        const QByteArray sheet =
            R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
            R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" s="1"><v>45000</v></c>)"
            R"(<c r="D1" s="2"><v>45000.5</v></c><c r="E1" s="3"><v>12.5</v></c></row>)"
            R"(<row r="3"><c t="b"><v>1</v></c><c t="str"><f>A1&amp;"x"</f><v>公式</v></c><c t="e"><v>#N/A</v></c>)"
            R"(<c><v>1.2E+3</v></c><c r="F3" s="1"/></row></sheetData></worksheet>)";
        const QVector<QPair<QString, QByteArray>> parts{{"_rels/.rels", rels},
                                                        {"xl/workbook.xml", workbook},
                                                        {"xl/_rels/workbook.xml.rels", workbookRels},
                                                        {"xl/sharedStrings.xml", strings},
                                                        {"xl/styles.xml", styles},
                                                        {"xl/worksheets/s1.xml", sheet}};
        QVERIFY(writePackage(path, parts));
        Spreadsheet book;
        book.open(path);
        QCOMPARE(book.sheetNames(), (QStringList{"图表", "数据"}));
        QCOMPARE(book.activeSheetName(), QStringLiteral("数据"));
        QCOMPARE(book.cell(1, 1), QStringLiteral("王's店"));
        QCOMPARE(book.cell(1, 2), QStringLiteral("富文本"));
        QCOMPARE(book.cell(1, 3), shortDate(2023, 3, 15));
        QCOMPARE(book.cell(1, 4), shortDate(2023, 3, 15) + QStringLiteral(" 12:00:00"));
        QCOMPARE(book.cell(1, 5), QStringLiteral("12.5"));
        QCOMPARE(book.cell(3, 1), QStringLiteral("TRUE"));
        QCOMPARE(book.cell(3, 2), QStringLiteral("公式"));
        QCOMPARE(book.cell(3, 3), QStringLiteral("#N/A"));
        QCOMPARE(book.cell(3, 4), QStringLiteral("1200"));
        QCOMPARE(book.usedRows(), 3);
        QCOMPARE(book.usedColumns(), 5);
        QVERIFY_THROWS_EXCEPTION(imports::SpreadsheetError, book.activate(0));
        QCOMPARE(book.activeSheetName(), QStringLiteral("数据"));
    }
};

OVERPRINT_TEST(TestCellText)
#include "TestCellText.moc"
