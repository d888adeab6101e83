#include "support/TestRegistry.h"

#include "AllCells.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

using imports::Spreadsheet;
using imports::SpreadsheetError;

namespace {

const QByteArray mainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A workbook of one sheet from the sheet's XML and, when given, the shared strings' XML.
bool writeWorkbook(const QString& path, const QByteArray& sheet, const QByteArray& strings) {
    const QByteArray workbook =
        R"(<?xml version="1.0"?><workbook xmlns=")" + mainNs +
        R"(" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<sheets><sheet name="表" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    QByteArray rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)";
    if (!strings.isEmpty())
        rels +=
            R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)";
    rels += "</Relationships>";
    QVector<QPair<QByteArray, QByteArray>> parts{{"xl/workbook.xml", workbook},
                                                 {"xl/_rels/workbook.xml.rels", rels},
                                                 {"xl/worksheets/sheet1.xml", sheet}};
    if (!strings.isEmpty())
        parts.append({"xl/sharedStrings.xml", strings});
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto& part : parts) {
        zip_source_t* source = zip_source_buffer(archive, part.second.constData(), part.second.size(), 0);
        if (zip_file_add(archive, part.first.constData(), source, ZIP_FL_OVERWRITE) < 0)
            return false;
    }
    return zip_close(archive) == 0;
}

QByteArray sheetOf(const QByteArray& rows) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"" + mainNs +
           "\"><sheetData>" + rows + "</sheetData></worksheet>";
}

} // namespace

// The markup that writers of worksheets and shared strings use, and what breaks a part.
class TestXlsxMarkup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // References at the edges of the grid read; one step beyond refuses the sheet by name.
    void gridBounds_data() {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<int>("usedRows");
        QTest::addColumn<int>("usedColumns");
        QTest::newRow("last column") << QByteArray("<row r=\"1\"><c r=\"XFD1\"><v>1</v></c></row>") << 1
                                     << 16384;
        QTest::newRow("last row") << QByteArray("<row r=\"1048576\"><c r=\"A1048576\"><v>1</v></c></row>")
                                  << 1048576 << 1;
        QTest::newRow("row zero ignored")
            << QByteArray("<row r=\"0\"><c r=\"B0\"><v>1</v></c></row>") << 0 << 0;
        QTest::newRow("column beyond XFD")
            << QByteArray("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>") << -1 << 0;
        QTest::newRow("seven letters")
            << QByteArray("<row r=\"1\"><c r=\"ZZZZZZZ1\"><v>1</v></c></row>") << -1 << 0;
        QTest::newRow("row beyond grid")
            << QByteArray("<row r=\"1\"><c r=\"A1048577\"><v>1</v></c></row>") << -1 << 0;
        QTest::newRow("row element beyond grid")
            << QByteArray("<row r=\"999999999\"><c><v>1</v></c></row>") << -1 << 0;
        QTest::newRow("negative row")
            << QByteArray("<row r=\"1\"><c r=\"A-2147483648\"><v>1</v></c></row>") << -1 << 0;
    }
    void gridBounds() {
        QFETCH(QByteArray, rows);
        QFETCH(int, usedRows);
        QFETCH(int, usedColumns);
        const QString path = m_dir.filePath(QStringLiteral("bounds.xlsx"));
        QVERIFY(writeWorkbook(path, sheetOf(rows), QByteArray()));
        Spreadsheet book;
        QString message;
        try {
            book.open(path);
        } catch (const SpreadsheetError& e) {
            message = e.message();
        }
        if (usedRows < 0) {
            QVERIFY2(message.contains(QStringLiteral("工作表“表”")) && message.contains(path),
                     qPrintable(message));
            return;
        }
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(book.usedRows(), usedRows);
        QCOMPARE(book.usedColumns(), usedColumns);
        if (usedRows > 0)
            QCOMPARE(book.cell(usedRows, usedColumns), QStringLiteral("1"));
    }

    void cellTexts_data() {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QStringList>("rows");
        const auto inlineCell = [](const QByteArray& ref, const QByteArray& content) {
            return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + content + "</t></is></c>";
        };
        QTest::newRow("references and entities")
            << sheetOf("<row r=\"1\">" + inlineCell("A1", "&#22995;&#x540D;&amp;&lt;&gt;&quot;&apos;") +
                       "</row>")
            << QByteArray() << QStringList{"姓名&<>\"'"};
        QTest::newRow("line breaks") << sheetOf("<row r=\"1\">" +
                                                inlineCell("A1", "上海\r\n浦东\r新区&#13;x") + "</row>")
                                     << QByteArray() << QStringList{"上海\n浦东\n新区\rx"};
        QTest::newRow("tabs and inner blanks")
            << sheetOf("<row r=\"1\">" + inlineCell("A1", " a  b\tc&#9;d ") + "</row>") << QByteArray()
            << QStringList{"a  b\tc\td"};
        QTest::newRow("cdata") << sheetOf("<row r=\"1\">" +
                                          inlineCell("A1", "x<![CDATA[<b>&amp;\r\n</b>]]>y") + "</row>")
                               << QByteArray() << QStringList{"x<b>&amp;\n</b>y"};
        QTest::newRow("comments and instructions")
            << sheetOf(
                   "<!-- top --><row r=\"1\"><?pi data?><c r=\"A1\" t=\"inlineStr\"><is><t>a<!-- - -->b</t>"
                   "</is></c></row>")
            << QByteArray() << QStringList{"ab"};
        QTest::newRow("prefixed elements")
            << QByteArray("<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"" + mainNs +
                          "\"><x:sheetData><x:row r=\"1\"><x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t>前缀</x:t>"
                          "</x:is></x:c></x:row></x:sheetData></x:worksheet>")
            << QByteArray() << QStringList{"|前缀"};
        QTest::newRow("rich runs and phonetic guides")
            << sheetOf("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>富</t></r><r>"
                       "<t xml:space=\"preserve\"> 文 本 </t></r><rPh sb=\"0\" "
                       "eb=\"1\"><t>ふ</t></rPh></is></c></row>")
            << QByteArray() << QStringList{"富 文 本"};
        QTest::newRow("elements inside a text")
            << sheetOf("<row r=\"1\">" + inlineCell("A1", "a<x>b<y/>c</x>d") + "</row>") << QByteArray()
            << QStringList{"abcd"};
        QTest::newRow("empty elements and gaps")
            << sheetOf("<row r=\"1\">" + inlineCell("A1", "a") +
                       "<c r=\"B1\"/><c r=\"D1\" t=\"inlineStr\"><is><t/></is></c></row><row r=\"3\"/>"
                       "<row r=\"4\"><c r=\"C4\"><v>7</v></c></row>")
            << QByteArray() << QStringList{"a||", "||", "||", "||7"};
        QTest::newRow("no references")
            << sheetOf("<row><c t=\"inlineStr\"><is><t>x</t></is></c><c><v>2</v></c></row><row><c r=\"B2\">"
                       "<v>3</v></c><c><v>4</v></c></row>")
            << QByteArray() << QStringList{"x|2|", "|3|4"};
        QTest::newRow("lower-case reference")
            << sheetOf("<row r=\"2\"><c r=\"ab2\"><v>5</v></c></row>") << QByteArray()
            << QStringList{QString(27, '|'), QString(27, '|') + "5"};
        QTest::newRow("quoting and blanks in tags")
            << sheetOf("<row r = '1' ><c r='A1'\n t = \"inlineStr\" ><is ><t >q</t ></is></c ></row>")
            << QByteArray() << QStringList{"q"};
        QTest::newRow("astral characters")
            << sheetOf("<row r=\"1\">" + inlineCell("A1", "&#x20000;\xF0\xA0\x80\x80") + "</row>")
            << QByteArray() << QStringList{QString::fromUtf8("\xF0\xA0\x80\x80\xF0\xA0\x80\x80")};
        QTest::newRow("other children skipped")
            << sheetOf("<row r=\"1\"><c r=\"A1\"><extLst><ext><v>9</v></ext></extLst><v>5</v></c></row>")
            << QByteArray() << QStringList{"5"};
        QTest::newRow("formula, error and boolean")
            << sheetOf(
                   "<row r=\"1\"><c t=\"str\"><f>A1&amp;\"x\"</f><v>公式&lt;</v></c><c t=\"e\"><v>#DIV/0!</v>"
                   "</c><c t=\"b\"><v>0</v></c><c t=\"b\"><v> 1 </v></c></row>")
            << QByteArray() << QStringList{"公式<|#DIV/0!|FALSE|TRUE"};
        QTest::newRow("numbers") << sheetOf(
                                        "<row r=\"1\"><c><v>13800138000</v></c><c><v>0.30000000000000004</v>"
                                        "</c><c><v> 12.50 </v></c><c><v>-1E-7</v></c><c><v>abc</v></c></row>")
                                 << QByteArray() << QStringList{"13800138000|0.3|12.5|-0.0000001|abc"};
        QTest::newRow("shared strings")
            << sheetOf("<row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c><c t=\"s\"><v>2</v></c>"
                       "<c t=\"s\"><v>7</v></c></row>")
            << QByteArray(
                   "<?xml version=\"1.0\"?>\r\n<sst xmlns=\"" + mainNs +
                   "\" count=\"3\"><si><t>&#20844;&amp;司\r\n</t></si><si><r><t>A</t></r><r><t>&#x42;</t>"
                   "</r><rPh><t>x</t></rPh></si><si><t/></si></sst>")
            << QStringList{"公&司|AB"};
        QTest::newRow("byte order mark")
            << "\xEF\xBB\xBF" + sheetOf("<row r=\"1\">" + inlineCell("A1", "b") + "</row>") << QByteArray()
            << QStringList{"b"};
        QTest::newRow("document type with an entity")
            << QByteArray(
                   "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY co \"公司\">]><worksheet xmlns=\"" +
                   mainNs + "\"><sheetData><row r=\"1\">" + inlineCell("A1", "&co;x") +
                   "</row></sheetData></worksheet>")
            << QByteArray() << QStringList{"公司x"};
        QStringEncoder gbk("GBK");
        QTest::newRow("declared encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"GBK\"?><worksheet xmlns=\"" + mainNs +
                          "\"><sheetData><row r=\"1\">" + inlineCell("A1", gbk(QStringLiteral("中文"))) +
                          "</row></sheetData></worksheet>")
            << QByteArray() << QStringList{"中文"};
    }
    void cellTexts() {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, strings);
        QFETCH(QStringList, rows);
        const QString path = m_dir.filePath(QStringLiteral("markup.xlsx"));
        QVERIFY(writeWorkbook(path, sheet, strings));
        Spreadsheet book;
        book.open(path);
        QCOMPARE(allCells(book), rows);
    }

    // A broken document is reported with its name and line, and no cells are taken from it.
    void brokenDocuments_data() {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("line");
        const QByteArray cell = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c></row>\n";
        const QByteArray good = sheetOf(cell);
        const QString sheetXml = QStringLiteral("xl/worksheets/sheet1.xml");
        QTest::newRow("mismatched tag")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\"><v>1</c></row>") << QByteArray() << sheetXml << 3;
        QTest::newRow("undeclared entity")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\"><v>&nbsp;</v></c></row>") << QByteArray() << sheetXml
            << 3;
        QTest::newRow("control character")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\"><v>1\x01</v></c></row>") << QByteArray() << sheetXml
            << 3;
        QTest::newRow("invalid character reference")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\"><v>&#1;</v></c></row>") << QByteArray() << sheetXml
            << 3;
        QTest::newRow("reference without semicolon")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\"><v>&#65</v></c></row>") << QByteArray() << sheetXml
            << 3;
        QTest::newRow("duplicate attribute")
            << sheetOf(cell + "<row r=\"2\"><c r=\"A2\" r=\"B2\"/></row>") << QByteArray() << sheetXml << 3;
        QTest::newRow("undeclared prefix")
            << sheetOf(cell + "<x:row r=\"2\"/>") << QByteArray() << sheetXml << 3;
        QTest::newRow("less-than in an attribute")
            << sheetOf(cell + "<row r=\"<2\"/>") << QByteArray() << sheetXml << 3;
        QTest::newRow("cdata end in text")
            << sheetOf(cell + "<row r=\"2\"><c><v>]]></v></c></row>") << QByteArray() << sheetXml << 3;
        QTest::newRow("child in a value")
            << sheetOf(cell + "<row r=\"2\"><c><v>1<b/></v></c></row>") << QByteArray() << sheetXml << 3;
        QTest::newRow("content after the document") << good + "\njunk" << QByteArray() << sheetXml << 4;
        QTest::newRow("second root") << good + "\n<worksheet/>" << QByteArray() << sheetXml << 4;
        QTest::newRow("truncated") << good.left(good.size() - 20) << QByteArray() << sheetXml << 3;
        QTest::newRow("invalid utf-8")
            << sheetOf(cell + "<row r=\"2\"><c><v>\xFF</v></c></row>") << QByteArray() << sheetXml << 1;
        QTest::newRow("double hyphen in a comment")
            << sheetOf(cell + "<!-- a -- b -->") << QByteArray() << sheetXml << 3;
        QTest::newRow("late declaration") << "\n" + good << QByteArray() << sheetXml << 2;
        QTest::newRow("unsupported version")
            << QByteArray("<?xml version=\"1.1\"?>\n<worksheet/>") << QByteArray() << sheetXml << 1;
        QTest::newRow("empty document") << QByteArray() << QByteArray() << sheetXml << 1;
        QTest::newRow("broken shared strings")
            << sheetOf(cell) << QByteArray("<sst xmlns=\"" + mainNs + "\">\n<si><t>a</si>\n</sst>")
            << QStringLiteral("xl/sharedStrings.xml") << 2;
    }
    void brokenDocuments() {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, strings);
        QFETCH(QString, part);
        QFETCH(int, line);
        const QString path = m_dir.filePath(QStringLiteral("broken.xlsx"));
        QVERIFY(writeWorkbook(path, sheet, strings));
        Spreadsheet book;
        QString message;
        try {
            book.open(path);
        } catch (const SpreadsheetError& e) {
            message = e.message();
        }
        QVERIFY2(message.startsWith(QStringLiteral("工作簿内容有误（%1，第%2行：").arg(part).arg(line)),
                 qPrintable(message));
        QVERIFY(message.endsWith(path));
        QVERIFY(!book.isOpen());
    }
};

OVERPRINT_TEST(TestXlsxMarkup)
#include "TestXlsxMarkup.moc"
