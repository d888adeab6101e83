#include "accounts/AccountsTables.h"
#include "batch/OrderStore.h"
#include "entry/NoteDayTotals.h"
#include "print/PrintJournal.h"
#include "support/PdfWords.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "cli/CommandLine.h"
#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "users/PasswordHash.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <memory>

// The real program run as a command, as a script or a scheduled task runs it: exit code,
// standard output and standard error, and what it left in the program folder.
namespace {

constexpr int kKilled = -2;

struct Run {
    int code = -1;
    QString out;
    QString err;
};

QString dataFile(const QString& name) {
    return QStringLiteral(OVERPRINT_TEST_DATA_DIR "/") + name;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

    // Enough orders that the batch's job lasts long enough to be killed inside it.
    static constexpr int kKilledOrders = 500;

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<QTemporaryDir> m_out;

    core::Database& db() { return m_home->db(); }

    void start(QProcess& process, QStringList arguments, const QMap<QString, QString>& env = {},
               const QString& home = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The program must choose its platform itself: no display is given to it.
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("OVERPRINT_PASSWORD"));
        for (auto it = env.cbegin(); it != env.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        // First, unless the arguments place it themselves.
        if (!arguments.contains(QStringLiteral("--home")) &&
            arguments.filter(QRegularExpression(QStringLiteral("^--home="))).isEmpty()) {
            arguments.prepend(home.isEmpty() ? m_home->path() : home);
            arguments.prepend(QStringLiteral("--home"));
        }
        process.start(QStringLiteral(OVERPRINT_BINARY), arguments);
    }

    Run run(const QStringList& arguments, const QMap<QString, QString>& env = {}, const QString& home = {},
            int waitMs = 120000) {
        QProcess process;
        start(process, arguments, env, home);
        Run result;
        if (!process.waitForFinished(waitMs)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : kKilled;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    qint64 count(const QString& table) {
        return db().scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
    }

    void saveNote(const QString& number, const QString& date, const QString& total) {
        saveNote(db(), number, date, total);
    }
    static void saveNote(core::Database& db, const QString& number, const QString& date,
                         const QString& total) {
        db.exec(
            QStringLiteral(
                "insert into DataCheckFHDSHD (票据编号,模板种类,币种,合计金额,出票日期,顾客名称,票据状态) "
                "values (:n,'标准','人民币',:t,:d,'南方商贸','正常')"),
            {{QStringLiteral("n"), number}, {QStringLiteral("t"), total}, {QStringLiteral("d"), date}});
        db.exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号,序号,商品名,数量,单价,金额) "
                               "values (:n,1,'螺丝','3','10',:t)"),
                {{QStringLiteral("n"), number}, {QStringLiteral("t"), total}});
        entry::NoteDayTotals(db).put(QStringLiteral("票据编号=:n"), {{QStringLiteral("n"), number}});
    }

    QString outFile(const QString& name) const { return m_out->filePath(name); }

    // The text of pages first…last of a PDF, as pdftotext reads it.
    static QString pdfText(const QString& path, int first, int last) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(first),
                    QStringLiteral("-l"), QString::number(last), path, QStringLiteral("-")});
        if (!text.waitForFinished(30000) || text.exitCode() != 0)
            return QStringLiteral("<pdftotext failed>");
        return QString::fromUtf8(text.readAllStandardOutput());
    }

    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // An order sheet of `count` orders numbered CLI00001 on, without goods lines.
    QString ordersCsv(int count) {
        QByteArray csv = QStringLiteral("订单号,客户全称\n").toUtf8();
        for (int i = 1; i <= count; ++i)
            csv += QStringLiteral("CLI%1,上海金源贸易有限公司\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
        const QString path = outFile(QStringLiteral("orders-%1.csv").arg(count));
        writeFile(path, csv);
        return path;
    }

    static int pdfPages(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray bytes = file.readAll();
        if (!bytes.startsWith("%PDF"))
            return -1;
        return bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") + bytes.count("/Type /Page>");
    }

    // The number of notes the history shows for a program folder (its count comes from the
    // day totals): what a clerk sees after a copy.
    int notesShown(const QString& home = {}) {
        const Run r = run({QStringLiteral("notes"), QStringLiteral("--json")}, {}, home);
        if (r.code != 0)
            return -1;
        return QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("count")).toInt();
    }

    // A copy runs between the local file of a program folder and a store on the test server.
    bool copyHomes(std::unique_ptr<TestHome>& server, QString* reason) {
        if (TestHome::testServer(reason).isEmpty())
            return false;
        m_home = std::make_unique<TestHome>(TestHome::Store::LocalFile);
        server = std::make_unique<TestHome>();
        return m_home->isValid() && server->isValid() && server->onServer();
    }

    static QString addressText(const core::ServerAddress& a) {
        QStringList parts{QStringLiteral("host=") + a.host, QStringLiteral("user=") + a.user,
                          QStringLiteral("dbname=") + a.database, QStringLiteral("schema=") + a.schema};
        if (a.port > 0)
            parts << QStringLiteral("port=") + QString::number(a.port);
        return parts.join(QLatin1Char(' '));
    }

    void turnLoginOn(core::Database& store, core::AppContext& app) {
        store.exec(
            QStringLiteral("insert into UserTable (UserName,Passwd,RoleName) values ('张三',:p,'管理员')"),
            {{QStringLiteral("p"), users::PasswordHash::make(QStringLiteral("秘密"), 1000)}});
        app.setConfigByname(QStringLiteral("进入系统需验证"), QStringLiteral("yes"));
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        m_out = std::make_unique<QTemporaryDir>();
    }

    // Wrong use ends with 1 and says why on standard error, before anything is opened.
    void usage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        const auto args = [](const char* line) { return QString::fromUtf8(line).split(QLatin1Char(' ')); };
        QTest::newRow("version") << args("--version") << 0 << "overprint 1";
        QTest::newRow("help") << args("--help") << 0 << "test-page";
        QTest::newRow("print help") << args("print --help") << 0 << "--copies";
        QTest::newRow("batch help") << args("batch --help") << 0 << "--details";
        QTest::newRow("import help") << args("import --help") << 0 << "--sheet";
        QTest::newRow("package help") << args("package --help") << 0 << "--template";
        QTest::newRow("test-page help") << args("test-page --help") << 0 << "--template";
        QTest::newRow("notes help") << args("notes --help") << 0 << "--to";
        QTest::newRow("note missing") << args("print") << 1 << "--note";
        QTest::newRow("printer and pdf") << args("print --note 1 --printer P --pdf a.pdf") << 1 << "--pdf";
        QTest::newRow("unknown option") << args("notes --frob") << 1 << "--frob";
        QTest::newRow("bad mode") << args("print --note 1 --mode dots") << 1 << "--mode";
        QTest::newRow("raw and pdf") << args("batch --orders a.csv --raw a.esc --pdf a.pdf") << 1 << "--raw";
        QTest::newRow("raw calibration") << args("test-page --calibration --raw a.esc") << 1 << "校准页";
        QTest::newRow("option of another command") << args("notes --all") << 1 << "--all";
        QTest::newRow("value missing") << args("notes --from") << 1 << "--from";
        QTest::newRow("given twice") << args("notes --to 2026-01-01 --to 2026-02-01") << 1 << "--to";
        QTest::newRow("unknown import") << args("import people a.xlsx") << 1 << "people";
        QTest::newRow("import without file") << args("import orders") << 1 << "import";
        QTest::newRow("extra argument") << args("package import a.qpk b.qpk") << 1 << "b.qpk";
        QTest::newRow("bad date") << args("notes --from 2026-13-45") << 1 << "2026-13-45";
        QTest::newRow("bad copies") << args("print --note X --copies zwei") << 1 << "--copies";
        QTest::newRow("journal help") << args("journal --help") << 0 << "--job";
        QTest::newRow("reprint help") << args("reprint --help") << 0 << "--from-page";
        QTest::newRow("reversed pages") << args("reprint --job 1 --pages 12-7 --pdf a.pdf") << 1 << "12-7";
        QTest::newRow("pages no range") << args("reprint --job 1 --pages x --pdf a.pdf") << 1 << "--pages";
        QTest::newRow("page 0") << args("reprint --job 1 --from-page 0 --pdf a.pdf") << 1 << "--from-page";
        QTest::newRow("pages twice over")
            << args("reprint --job 1 --pages 1-2 --from-page 1 --pdf a.pdf") << 1 << "--from-page";
        QTest::newRow("reprint to nowhere") << args("reprint --job 1 --pages 1-2") << 1 << "--pdf";
        QTest::newRow("job no number") << args("reprint --job x --pages 1 --pdf a.pdf") << 1 << "--job";
        QTest::newRow("journal bad date") << args("journal --from 2026-13-45") << 1 << "2026-13-45";
        QTest::newRow("calibrate help") << args("calibrate --help") << 0 << "--readings";
        QTest::newRow("calibrate without readings") << args("calibrate --printer P") << 1 << "--readings";
        QTest::newRow("calibrate two ways")
            << args("calibrate --printer P --readings 1,2 --clear") << 1 << "--clear";
        QTest::newRow("calibrate without printer") << args("calibrate --clear") << 1 << "--printer";
        QTest::newRow("copy to nowhere") << args("export-note --note 1") << 1 << "--png";
        QTest::newRow("copy to both") << args("export-note --note 1 --pdf a.pdf --png a.png") << 1 << "--png";
        QTest::newRow("copy dpi of a pdf")
            << args("export-note --note 1 --pdf a.pdf --dpi 150") << 1 << "--dpi";
        QTest::newRow("copy dpi out of range")
            << args("export-note --note 1 --png a.png --dpi 5000") << 1 << "--dpi";
        QTest::newRow("statement help") << args("statement --help") << 0 << "--goods";
        QTest::newRow("statement for nobody") << args("statement --month 2026-11") << 1 << "--all";
        QTest::newRow("statement customer and all") << args("statement --customer A --all") << 1 << "--all";
        QTest::newRow("statement bad month") << args("statement --all --month 2026-13") << 1 << "2026-13";
        QTest::newRow("statement crossed dates")
            << args("statement --all --from 2026-11-30 --to 2026-11-01") << 1 << "2026-11-30";
        QTest::newRow("statement unknown customer")
            << args("statement --customer 无此客户 --month 2026-11") << 1 << "无此客户";
        QTest::newRow("statement pdf and xlsx")
            << args("statement --all --pdf a.pdf --xlsx d") << 1 << "--xlsx";
        QTest::newRow("scan not there")
            << args("calibrate --printer P --scan /nonexistent/scan.png") << 1 << "/nonexistent/scan.png";
    }
    void usage() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, said);
        const Run r = run(arguments);
        QCOMPARE(r.code, code);
        QVERIFY2((code == 0 ? r.out : r.err).contains(said), qPrintable(r.out + r.err));
    }

    void printNote_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pages");
        QTest::newRow("pdf") << QStringList{"print", "--note", "CLI-1", "--pdf", "note.pdf"} << 0 << 1;
        QTest::newRow("json") << QStringList{"print", "--note", "CLI-1", "--pdf", "note.pdf", "--json"} << 0
                              << 1;
        QTest::newRow("unknown note")
            << QStringList{"print", "--note", "CLI-9", "--pdf", "note.pdf"} << 1 << -1;
        QTest::newRow("unknown printer")
            << QStringList{"print", "--note", "CLI-1", "--printer", "无此打印机"} << 3 << -1;
    }
    void printNote() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(int, pages);
        saveNote(QStringLiteral("CLI-1"), QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("30.00"));
        const int pdf = arguments.indexOf(QStringLiteral("--pdf"));
        if (pdf >= 0)
            arguments[pdf + 1] = outFile(arguments.at(pdf + 1));
        const Run r = run(arguments);
        QCOMPARE(r.code, code);
        if (pdf >= 0)
            QCOMPARE(pdfPages(arguments.at(pdf + 1)), pages);
        if (code == 0)
            QCOMPARE(
                db().scalar(QStringLiteral("select count(*) from PrintJournal where NoteNo='CLI-1'")).toInt(),
                1);
        if (arguments.contains(QStringLiteral("--json"))) {
            const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
            QCOMPARE(json.value(QStringLiteral("note")).toString(), QStringLiteral("CLI-1"));
            QCOMPARE(json.value(QStringLiteral("exit")).toInt(), 0);
        }
        if (code != 0)
            QVERIFY(!r.err.isEmpty());
    }

    // --raw: the job in the printer's own characters goes to the file instead of a queue, through
    // the same job steps, so its pages are journalled (and a batch's orders marked) as printed.
    void rawStream_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("forms");
        QTest::addColumn<QString>("value");
        QTest::newRow("note") << QStringList{"print", "--note", "CLI-1", "--copies", "2"} << 2 << "南方商贸";
        QTest::newRow("batch") << QStringList{"batch", "--orders", dataFile("sheets/orders.xlsx"), "--from",
                                              "18"}
                               << 3 << "";
    }
    void rawStream() {
        QFETCH(QStringList, arguments);
        QFETCH(int, forms);
        QFETCH(QString, value);
        saveNote(QStringLiteral("CLI-1"), QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("30.00"));
        const QString raw = outFile(QStringLiteral("job.esc"));
        const Run r = run(arguments + QStringList{"--raw", raw});
        QVERIFY2(r.code == 0, qPrintable(QString::number(r.code) + r.out + r.err));
        const QByteArray stream = bytesOf(raw);
        QVERIFY(stream.startsWith(QByteArray("\x1b@\x1c&")));
        QCOMPARE(int(stream.count('\f')), forms);
        if (!value.isEmpty())
            QVERIFY(stream.contains(QByteArray(QStringEncoder("GB18030").encode(value))));
        const int pages = forms / (arguments.contains(QStringLiteral("--copies")) ? 2 : 1);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from PrintJournal")).toInt(), pages);
    }

    // The PDF reads back as printed: every kind of value a note prints, searched for in the text
    // pdftotext takes from the file. Digits after Latin letters, signs among digits and
    // ideographs that share their glyph with a radical (高, 色, 行, 大, 户, 角) are the hard cases.
    void pdfReadsBackAsPrinted() {
        db().exec(QStringLiteral(
            "insert into DataCheckFHDSHD (票据编号,模板种类,其他选项,币种,合计金额,合计数量,出票日期,"
            "顾客名称,顾客地址,顾客电话,开票人,收款人,订单编号) values ('HX700001','三联241','现金',"
            "'人民币','1234.50','32','2026-12-01 10:00:00','高色行大户商贸有限公司',"
            "'上海市浦东新区科技园路50号502室','021-61310001','张三','李四','PO-2026/8')"));
        db().exec(QStringLiteral(
            "insert into DataCheckFHDSHDDetail (票据编号,序号,货号,商品名,规格,单位,数量,单价,金额) values "
            "('HX700001',1,'HH-1','螺栓 M8×30','Φ8','个','20','12.50','250.00'),"
            "('HX700001',2,'HH-2','O''Ring 密封圈','20×2 2mm','只','12','82.04','984.50'),"
            // Shaping joins glyphs here (an accent typed apart, the ligature "ffi", whose line
            // has as many glyphs as "office" has characters): the line reads as the engine reads
            // it, and everything else still reads back.
            "('HX700001',3,'Cafe'||char(769),'office','2m','','','','')"));
        const QString pdf = outFile(QStringLiteral("search.pdf"));
        const Run r = run({"print", "--note", "HX700001", "--pdf", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000) && text.exitCode() == 0);
        const QStringList lines =
            QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList values{"HX700001",
                                 "PO-2026/8",
                                 "2026-12-01",
                                 "人民币",
                                 "高色行大户商贸有限公司",
                                 "上海市浦东新区科技园路50号502室",
                                 "021-61310001",
                                 "HH-1 螺栓 M8×30 Φ8 个 20 12.50 250.00",
                                 "HH-2 O'Ring 密封圈 20×2 2mm 只 12 82.04 984.50",
                                 "￥1,234.50",
                                 "壹仟贰佰叁拾肆元伍角整",
                                 "张三 李四",
                                 "√"};
        for (const QString& value : values)
            QVERIFY2(lines.contains(value), qPrintable(value + QStringLiteral(" not read back from:\n") +
                                                       lines.join(QLatin1Char('\n'))));
    }

    // The customer's copy of a saved note: the PNG at the dots per inch asked for, over the
    // form's own paper or A4 turned as the form is; the PDF on the form's paper, its values
    // reading back; no printing, so nothing in the journal; an unknown note writes nothing.
    void exportNote_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QSize>("pixels"); // PNG only
        // 出货单（标准）: 241 × 140 mm.
        QTest::newRow("png 150") << QStringList{"--png", "copy.png"} << 0 << QSize(1423, 827);
        QTest::newRow("png 100") << QStringList{"--png", "copy.png", "--dpi", "100"} << 0 << QSize(949, 551);
        QTest::newRow("png a4") << QStringList{"--png", "copy.png", "--a4"} << 0 << QSize(1754, 1240);
        QTest::newRow("pdf") << QStringList{"--pdf", "copy.pdf"} << 0 << QSize();
        QTest::newRow("unknown note") << QStringList{"--png", "copy.png", "--note", "CLI-9"} << 1 << QSize();
    }
    void exportNote() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QSize, pixels);
        saveNote(QStringLiteral("CLI-1"), QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("30.00"));
        const QString file = outFile(arguments.at(1));
        arguments[1] = file;
        if (!arguments.contains(QStringLiteral("--note")))
            arguments << QStringLiteral("--note") << QStringLiteral("CLI-1");
        const Run r = run(QStringList{QStringLiteral("export-note")} + arguments);
        QVERIFY2(r.code == code, qPrintable(r.out + r.err));
        QVERIFY(!db().hasTable(QStringLiteral("PrintJournal")) || count(QStringLiteral("PrintJournal")) == 0);
        QCOMPARE(QDir(m_out->path()).entryList(QDir::Files | QDir::Hidden).size(), code == 0 ? 1 : 0);
        if (code != 0)
            return;
        QVERIFY(r.out.contains(file));
        if (pixels.isValid()) {
            const QImage image(file);
            QCOMPARE(image.size(), pixels);
            return;
        }
        const PdfWords words = PdfWords::read(file);
        QVERIFY2(words.error.isEmpty(), qPrintable(words.error));
        QCOMPARE(words.pages.size(), 1);
        QVERIFY(qAbs(words.pages.at(0).width - 241) < 0.5 && qAbs(words.pages.at(0).height - 140) < 0.5);
        const QString text = pdfText(file, 1, 1);
        for (const QString& value : {QStringLiteral("CLI-1"), QStringLiteral("南方商贸"),
                                     QStringLiteral("螺丝"), QStringLiteral("30.00")})
            QVERIFY2(text.contains(value), qPrintable(value + QStringLiteral(" not in:\n") + text));
    }

    // A saved note whose first line is negative prints with the total it was saved with.
    void printNoteWithANegativeFirstLine() {
        saveNote(QStringLiteral("00000001"), QStringLiteral("2026-12-01 10:00:00"),
                 QStringLiteral("4021.00"));
        db().exec(QStringLiteral("delete from DataCheckFHDSHDDetail"));
        db().exec(
            QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号,序号,商品名,数量,单价,金额) values "
                           "('00000001',1,'退货','-2','35.50','-71.00'),"
                           "('00000001',2,'螺丝','1200','3.25','3900.00'),"
                           "('00000001',3,'螺母','15','12.80','192.00')"));
        const QString pdf = outFile(QStringLiteral("negative.pdf"));
        const Run r = run({"print", "--note", "00000001", "--pdf", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        const QString text = pdfText(pdf, 1, 1);
        QVERIFY2(text.contains(QStringLiteral("4,021.00")) && !text.contains(QStringLiteral("4,092.00")),
                 qPrintable(text));
    }

    // Each import reads its sample sheet; a hostile or unreadable file ends with 1 and leaves
    // the table as it was.
    void imports_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("added");
        QTest::newRow("recipients") << "recipients"
                                    << "sheets/recipients.xlsx" << QStringList() << "CKPersonalInfoTable" << 0
                                    << 40;
        QTest::newRow("recipients csv")
            << "recipients"
            << "sheets/recipients-gbk.csv" << QStringList() << "CKPersonalInfoTable" << 0 << -1;
        QTest::newRow("products") << "products"
                                  << "sheets/products.xlsx" << QStringList() << "Products" << 0 << -1;
        QTest::newRow("orders") << "orders"
                                << "sheets/orders.xlsx" << QStringList() << "OrderList" << 0 << 20;
        QTest::newRow("orders xls") << "orders"
                                    << "sheets/orders.xls" << QStringList() << "OrderList" << 0 << 20;
        QTest::newRow("no such sheet")
            << "recipients"
            << "sheets/recipients.xlsx" << QStringList{"--sheet", "无"} << "CKPersonalInfoTable" << 1 << 0;
        QTest::newRow("wrong header")
            << "products"
            << "masterdata-wrongheader.csv" << QStringList() << "Products" << 1 << 0;
        QTest::newRow("no file") << "orders"
                                 << "sheets/none.xlsx" << QStringList() << "OrderList" << 1 << 0;
        QTest::newRow("inflates to 1 GB")
            << "recipients"
            << "hostile/xlsx-sheet-inflates-to-1GB.xlsx" << QStringList() << "CKPersonalInfoTable" << 1 << 0;
        QTest::newRow("xls heap overflow")
            << "orders"
            << "hostile/xls-cell-array-heap-overflow.xls" << QStringList() << "OrderList" << 1 << 0;
        QTest::newRow("ods repeats") << "products"
                                     << "hostile/ods-rows-repeated-int-max.ods" << QStringList() << "Products"
                                     << 1 << 0;
        QTest::newRow("row 999999999")
            << "orders"
            << "hostile/xlsx-row-999999999.xlsx" << QStringList() << "OrderList" << 1 << 0;
    }
    void imports() {
        QFETCH(QString, kind);
        QFETCH(QString, file);
        QFETCH(QStringList, extra);
        QFETCH(QString, table);
        QFETCH(int, code);
        QFETCH(int, added);
        const qint64 before = count(table);
        const Run r = run(QStringList{"import", kind, dataFile(file)} + extra);
        QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + r.err));
        const qint64 after = count(table);
        if (added >= 0)
            QCOMPARE(after - before, qint64(added));
        else
            QVERIFY(after > before);
        if (code != 0)
            QVERIFY(!r.err.isEmpty());
    }

    void orderImportWithLines() {
        const Run r = run({"import", "orders", dataFile("sheets/orders.xlsx"), "--json"});
        QCOMPARE(r.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("orders")).toObject().value(QStringLiteral("imported")).toInt(),
                 20);
        // An order file read again updates its orders instead of adding them.
        QCOMPARE(run({"import", "orders", dataFile("sheets/orders.xlsx")}).code, 0);
        QCOMPARE(count(QStringLiteral("OrderList")), qint64(20));
    }

    void packages_data() {
        QTest::addColumn<QString>("package");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("templatesAdded");
        QTest::newRow("good") << "packages/good.qpk" << 0 << 1;
        QTest::newRow("trigger") << "packages/trigger.qpk" << 1 << 0;
        QTest::newRow("view") << "packages/view.qpk" << 1 << 0;
        QTest::newRow("long text") << "packages/long-text.qpk" << 2 << 0;
        QTest::newRow("a sheet") << "sheets/orders.xlsx" << 1 << 0;
        QTest::newRow("missing") << "packages/none.qpk" << 1 << 0;
    }
    void packages() {
        QFETCH(QString, package);
        QFETCH(int, code);
        QFETCH(int, templatesAdded);
        const qint64 before = count(QStringLiteral("CKTypeTable"));
        const Run r = run({"package", "import", dataFile(package)});
        QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + r.err));
        QCOMPARE(count(QStringLiteral("CKTypeTable")) - before, qint64(templatesAdded));
    }

    void packageRoundTrip() {
        const QString file = outFile(QStringLiteral("all.qpk"));
        QCOMPARE(run({"package", "export", file, "--template", "出货单（无此模板）"}).code, 1);
        QVERIFY(!QFile::exists(file));
        const Run out = run({"package", "export", file, "--template", "出货单（标准）", "--json"});
        QCOMPARE(out.code, 0);
        QCOMPARE(QJsonDocument::fromJson(out.out.toUtf8()).object().value(QStringLiteral("exported")).toInt(),
                 1);
        db().exec(QStringLiteral("update ckControl set CtlX=CtlX+7 where CheckTypeID=1"));
        const qint64 moved =
            db().scalar(QStringLiteral("select sum(CtlX) from ckControl where CheckTypeID=1")).toLongLong();
        QCOMPARE(run({"package", "import", file}).code, 0);
        QCOMPARE(
            db().scalar(QStringLiteral("select sum(CtlX) from ckControl where CheckTypeID=1")).toLongLong(),
            moved - 7 * count(QStringLiteral("ckControl where CheckTypeID=1")));
    }

    void notes_data() {
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("sum");
        QTest::newRow("all") << QStringList() << 3 << "60.50";
        QTest::newRow("from") << QStringList{"--from", "2026-12-02"} << 2 << "30.50";
        QTest::newRow("to, the whole day") << QStringList{"--to", "2026-12-02"} << 2 << "40.00";
        QTest::newRow("one day") << QStringList{"--from", "2026-12-02", "--to", "2026-12-02"} << 1 << "10.00";
        QTest::newRow("none") << QStringList{"--from", "2027-01-01"} << 0 << "0.00";
    }
    void notes() {
        QFETCH(QStringList, filter);
        QFETCH(int, count);
        QFETCH(QString, sum);
        saveNote(QStringLiteral("N-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("30.00"));
        saveNote(QStringLiteral("N-2"), QStringLiteral("2026-12-02 23:30:00"), QStringLiteral("10.00"));
        saveNote(QStringLiteral("N-3"), QStringLiteral("2026-12-03 08:00:00"), QStringLiteral("20.50"));
        const Run r = run(QStringList{"notes", "--json"} + filter);
        QCOMPARE(r.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("count")).toInt(), count);
        QCOMPARE(json.value(QStringLiteral("notes")).toArray().size(), count);
        QCOMPARE(json.value(QStringLiteral("sum")).toString(), sum);
        const Run text = run(QStringList{"notes"} + filter);
        QCOMPARE(text.out.count(QLatin1Char('\n')), count + 1);
        // The money in the JSON is the very string the text shows.
        QVERIFY2(text.out.trimmed().endsWith(QStringLiteral("合计金额 ") + sum), qPrintable(text.out));
    }

    // payment add then list: the amount as typed (groups, a refund), the customer as the notes
    // hold it, the JSON's money the text's; a customer nobody knows ends with 1 and adds nothing.
    void paymentRoundTrip() {
        saveNote(QStringLiteral("N-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("30.00"));
        QCOMPARE(run({"payment", "add", "--customer", "南方商贸", "--amount", "1,280.50", "--date",
                      "2026-12-02", "--method", "转账", "--note", "N-1"})
                     .code,
                 0);
        QCOMPARE(
            run({"payment", "add", "--customer", "南方商贸", "--amount", "-20", "--date", "2026-12-03"}).code,
            0);
        const Run unknown = run({"payment", "add", "--customer", "无名氏", "--amount", "5", "--json"});
        QCOMPARE(unknown.code, 1);
        QVERIFY(unknown.out.contains(QStringLiteral("无名氏")));
        QCOMPARE(run({"payment", "add", "--customer", "南方商贸", "--amount", "abc"}).code, 1);
        const Run r = run({"payment", "list", "--customer", "南方商贸", "--from", "2026-12-01", "--to",
                           "2026-12-31", "--json"});
        QCOMPARE(r.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("count")).toInt(), 2);
        QCOMPARE(json.value(QStringLiteral("sum")).toString(), QStringLiteral("1260.50"));
        const QJsonObject first = json.value(QStringLiteral("payments")).toArray().at(0).toObject();
        QCOMPARE(first.value(QStringLiteral("amount")).toString(), QStringLiteral("1280.50"));
        QCOMPARE(first.value(QStringLiteral("method")).toString(), QStringLiteral("转账"));
        QCOMPARE(first.value(QStringLiteral("note")).toString(), QStringLiteral("N-1"));
        QCOMPARE(run({"payment", "list", "--to", "2026-12-02"}).out.trimmed().section(QLatin1Char('\n'), -1),
                 QStringLiteral("共 1 笔，合计 1280.50 元"));
    }

    // A month's statement: figures as JSON, the PDF read back, a workbook per customer with --all.
    void statement() {
        accounts::ensureTables(db());
        saveNote(QStringLiteral("ST-OCT"), QStringLiteral("2026-10-30 09:00:00"), QStringLiteral("100.00"));
        saveNote(QStringLiteral("ST-1"), QStringLiteral("2026-11-02 09:00:00"), QStringLiteral("30.00"));
        saveNote(QStringLiteral("ST-2"), QStringLiteral("2026-11-30 23:30:00"), QStringLiteral("20.50"));
        saveNote(QStringLiteral("ST-DEC"), QStringLiteral("2026-12-01 00:00:00"), QStringLiteral("7.00"));
        db().exec(
            QStringLiteral("insert into Payments (收款日期,顾客名称,金额分,收款方式,票据编号,备注) values "
                           "('2026-11-15','南方商贸',4005,'微信','ST-1','')"));
        const QString pdf = outFile(QStringLiteral("对账单.pdf"));
        const Run r = run(
            {"statement", "--customer", "南方商贸", "--month", "2026-11", "--goods", "--pdf", pdf, "--json"});
        QCOMPARE(r.code, 0);
        const QJsonObject s =
            QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("statement")).toObject();
        QCOMPARE(s.value(QStringLiteral("opening")).toString(), QStringLiteral("100.00"));
        QCOMPARE(s.value(QStringLiteral("delivered")).toString(), QStringLiteral("50.50"));
        QCOMPARE(s.value(QStringLiteral("received")).toString(), QStringLiteral("40.05"));
        QCOMPARE(s.value(QStringLiteral("closing")).toString(), QStringLiteral("110.45"));
        QCOMPARE(s.value(QStringLiteral("entries")).toArray().size(), 3);
        const QString text = pdfText(pdf, 1, 1).remove(QLatin1Char(' '));
        for (const char* expected : {"南方商贸", "ST-1", "ST-2", "收款微信", "40.05", "期初余额：100.00",
                                     "期末应收余额：110.45", "螺丝", "第1页共1页"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains(QStringLiteral("ST-DEC")));

        const QString folder = outFile(QStringLiteral("月结"));
        const Run all = run({"statement", "--all", "--month", "2026-11", "--xlsx", folder, "--json"});
        QCOMPARE(all.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(all.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("customers")).toInt(), 1);
        QVERIFY(QFileInfo(QDir(folder).filePath(QStringLiteral("南方商贸.xlsx"))).size() > 0);
    }

    // A store an earlier build left wrong: every note gone, yet the kept totals still count two
    // notes without state or date. The command's start counts them again.
    void notesOfAStoreLeftWrong() {
        db().exec(QStringLiteral("drop index idx_notedaytotals_key"));
        db().exec(QStringLiteral(
            "insert into NoteDayTotals (出票日期, 模板种类, 票据状态, 单据数, 金额数, 金额合计) "
            "values ('2026-12-01 00:00:00', '标准', null, 1, 1, 20), "
            "(null, '标准', '正常', 1, 1, 30)"));
        const Run r = run({"notes"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("共 0 张，合计金额 0.00"));
        QCOMPARE(count(QStringLiteral("NoteDayTotals")), 0);
    }

    void login_data() {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("code");
        QTest::newRow("no user") << QStringList() << "秘密" << 1;
        QTest::newRow("no password") << QStringList{"--user", "张三"} << QString() << 1;
        QTest::newRow("wrong password") << QStringList{"--user", "张三"} << "错的" << 1;
        QTest::newRow("unknown user") << QStringList{"--user", "李四"} << "秘密" << 1;
        QTest::newRow("logged in") << QStringList{"--user", "张三"} << "秘密" << 0;
    }
    void login() {
        QFETCH(QStringList, user);
        QFETCH(QString, password);
        QFETCH(int, code);
        db().exec(
            QStringLiteral("insert into UserTable (UserName,Passwd,RoleName) values ('张三',:p,'管理员')"),
            {{QStringLiteral("p"), users::PasswordHash::make(QStringLiteral("秘密"), 1000)}});
        m_home->app().setConfigByname(QStringLiteral("进入系统需验证"), QStringLiteral("yes"));
        QMap<QString, QString> env;
        if (!password.isNull())
            env.insert(QStringLiteral("OVERPRINT_PASSWORD"), password);
        const Run r = run(QStringList{"notes", "--json"} + user, env);
        QCOMPARE(r.code, code);
        // Standard input is no terminal here: a missing password is refused, never waited for.
        if (code != 0)
            QVERIFY(!r.err.isEmpty());
        // A refused login is a JSON object too, with its exit code and why.
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("exit")).toInt(-1), code);
        if (code != 0)
            QVERIFY2(r.err.contains(json.value(QStringLiteral("error")).toString()) &&
                         !json.value(QStringLiteral("error")).toString().isEmpty(),
                     qPrintable(r.out));
    }

    // A file a command would write that cannot be written refuses the command before anything
    // is read or written: exit 1, the path named, on standard error and in the JSON object. The
    // other failures before a command runs (its line, its store) are JSON objects alike.
    void refusedBeforeAnything_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        const QString missing = QStringLiteral("/nonexistent/x.pdf");
        const QString orders = dataFile(QStringLiteral("sheets/orders.xlsx"));
        QTest::newRow("batch to a folder not there")
            << QStringList{"batch", "--orders", orders, "--pdf", missing} << 1 << missing;
        QTest::newRow("batch to a folder")
            << QStringList{"batch", "--orders", orders, "--pdf", "<out>"} << 1 << "<out>";
        QTest::newRow("print") << QStringList{"print", "--note", "N-1", "--pdf", missing} << 1 << missing;
        QTest::newRow("test page") << QStringList{"test-page", "--template", "出货单（标准）",
                                                  "--pdf=" + missing}
                                   << 1 << missing;
        QTest::newRow("reprint") << QStringList{"reprint", "--job", "1", "--pages", "1", "--pdf", missing}
                                 << 1 << missing;
        QTest::newRow("package export")
            << QStringList{"package", "export", "/nonexistent/t.qpk"} << 1 << "/nonexistent/t.qpk";
        QTest::newRow("package export over a folder")
            << QStringList{"package", "export", "<out>"} << 1 << "<out>";
        QTest::newRow("swapped sheets") << QStringList{"batch",
                                                       "--orders",
                                                       dataFile(QStringLiteral("sheets/order-details.xlsx")),
                                                       "--details",
                                                       orders,
                                                       "--pdf",
                                                       "<out>/swapped.pdf"}
                                        << 1 << "没有客户的列";
        QTest::newRow("command line") << QStringList{"notes", "--frob"} << 1 << "--frob";
        QTest::newRow("refused file")
            << QStringList{"import", "orders", "/nonexistent/o.xlsx"} << 1 << "/nonexistent/o.xlsx";
        QTest::newRow("store not reachable") << QStringList{"notes"} << 2 << "127.0.0.1:1";
    }
    void refusedBeforeAnything() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, said);
        arguments.replaceInStrings(QStringLiteral("<out>"), m_out->path());
        said.replace(QStringLiteral("<out>"), m_out->path());
        saveNote(QStringLiteral("N-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("30.00"));
        if (QTest::currentDataTag() == QLatin1String("store not reachable")) {
            core::IniFile ini(m_home->path() + QStringLiteral("Config.ini"));
            const QString s = QStringLiteral("Database");
            ini.writeString(s, QStringLiteral("engine"), QStringLiteral("postgresql"));
            ini.writeString(s, QStringLiteral("host"), QStringLiteral("127.0.0.1"));
            ini.writeInteger(s, QStringLiteral("port"), 1); // nothing listens there
            ini.writeString(s, QStringLiteral("database"), QStringLiteral("books"));
        }
        const QStringList before = QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden);
        const Run r = run(arguments + QStringList{"--json"});
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("exit")).toInt(-1), code);
        QVERIFY2(
            json.value(QStringLiteral("error")).toString().contains(said) ||
                json.value(QStringLiteral("messages")).toVariant().toStringList().join(' ').contains(said),
            qPrintable(r.out));
        QCOMPARE(count(QStringLiteral("OrderList")), qint64(0));
        QCOMPARE(QDir(m_out->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // The global options with a value go before or after the command, as `--opt value` or
    // `--opt=value`; none of them may start the windows. A display is given, so a window would wait.
    void globalOptionsAnywhere_data() {
        QTest::addColumn<QStringList>("arguments");
        const QStringList forms{"before", "before=", "after", "after="};
        for (const QString& home : forms)
            for (const QString& user : forms) {
                QStringList before, after;
                const auto place = [&](const QString& form, const QString& name, const QString& value) {
                    const QStringList option = form.endsWith('=')
                                                   ? QStringList{QStringLiteral("--%1=%2").arg(name, value)}
                                                   : QStringList{QLatin1String("--") + name, value};
                    (form.startsWith(QLatin1String("before")) ? before : after) << option;
                };
                place(home, QStringLiteral("home"), QStringLiteral("HOME"));
                place(user, QStringLiteral("user"), QStringLiteral("张三"));
                QTest::addRow("home %s, user %s", qPrintable(home), qPrintable(user))
                    << before + QStringList{"notes"} + after;
            }
    }
    void globalOptionsAnywhere() {
        QFETCH(QStringList, arguments);
        turnLoginOn(db(), m_home->app());
        arguments.replaceInStrings(QStringLiteral("HOME"), m_home->path());
        const Run r = run(arguments,
                          {{QStringLiteral("OVERPRINT_PASSWORD"), QStringLiteral("秘密")},
                           {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}},
                          {}, 30000);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("共 0 张，合计金额 0.00"));
    }

    // A word that is no command ends with 1, naming it and the commands, instead of waiting on a
    // window; only an existing file goes to the windows.
    void unknownCommand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("word");
        QTest::newRow("typo") << QStringList{"bacth", "--orders", "a.csv"} << "bacth";
        QTest::newRow("no such command") << QStringList{"refund", "add", "12"} << "refund";
        QTest::newRow("after --user") << QStringList{"--user", "张三", "nots"} << "nots";
        QTest::newRow("missing file") << QStringList{"/nonexistent/a.qpk"} << "/nonexistent/a.qpk";
    }
    void unknownCommand() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, word);
        const Run r =
            run(arguments, {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}, {}, 30000);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(word) && r.err.contains(QStringLiteral("test-page")) &&
                     r.err.contains(QStringLiteral("reprint")),
                 qPrintable(r.err));
    }
    void windowsOrCommand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("command");
        const QString file = dataFile(QStringLiteral("sheets/orders.xlsx"));
        QTest::newRow("nothing") << QStringList{"--home", "/h"} << false;
        QTest::newRow("a file") << QStringList{"--home", "/h", file} << false;
        QTest::newRow("a file after --user") << QStringList{"--user", "张三", file} << false;
        QTest::newRow("Qt's session restore") << QStringList{"-session", "1a2b", "--home=/h"} << false;
        QTest::newRow("Qt's style") << QStringList{"--style", "fusion", file} << false;
        QTest::newRow("a folder") << QStringList{dataFile(QStringLiteral("sheets"))} << true;
        QTest::newRow("a command after --user") << QStringList{"--user", "张三", "notes"} << true;
    }
    void windowsOrCommand() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, command);
        QCOMPARE(cli::CommandLine::requested(QStringList{"overprint"} + arguments), command);
    }

    void batch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("printedBefore");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("printedAfter");
        const QString orders = dataFile(QStringLiteral("sheets/orders.xlsx"));
        const QString details = dataFile(QStringLiteral("sheets/order-details.xlsx"));
        QTest::newRow("orders and lines")
            << QStringList{"--orders", orders, "--details", details} << false << 0 << 20 << 20;
        QTest::newRow("from the 15th")
            << QStringList{"--orders", orders, "--from", "15"} << false << 0 << 6 << 6;
        // An order printed before is printed again only when the file brings it changed.
        QTest::newRow("only the unprinted")
            << QStringList{"--orders", "one-order.csv"} << true << 0 << 1 << 20;
        QTest::newRow("all") << QStringList{"--orders", "one-order.csv", "--all"} << true << 0 << 20 << 20;
        QTest::newRow("nothing left")
            << QStringList{"--orders", "one-order.csv", "--from", "30"} << true << 0 << 0 << 19;
        QTest::newRow("hostile orders")
            << QStringList{"--orders", dataFile("hostile/xlsx-row-int-min.xlsx")} << false << 1 << -1 << 0;
        QTest::newRow("hostile details")
            << QStringList{"--orders", orders, "--details", dataFile("hostile/ods-2e9-spaces.ods")} << false
            << 1 << -1 << 0;
        QTest::newRow("bad start") << QStringList{"--orders", orders, "--from", "0"} << false << 1 << -1 << 0;
    }
    void batch() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, printedBefore);
        QFETCH(int, code);
        QFETCH(int, pages);
        QFETCH(int, printedAfter);
        if (printedBefore) {
            QCOMPARE(run({"import", "orders", dataFile(QStringLiteral("sheets/orders.xlsx"))}).code, 0);
            db().exec(QStringLiteral("update OrderList set 订单状态='已打印'"));
        }
        const int file = arguments.indexOf(QStringLiteral("one-order.csv"));
        if (file >= 0) {
            QFile csv(outFile(QStringLiteral("one-order.csv")));
            QVERIFY(csv.open(QIODevice::WriteOnly));
            csv.write(QStringLiteral("订单号,客户全称\nDD000001,上海金源贸易有限公司（新址）\n").toUtf8());
            csv.close();
            arguments[file] = csv.fileName();
        }
        const QString pdf = outFile(QStringLiteral("batch.pdf"));
        const Run r = run(QStringList{"batch", "--pdf", pdf, "--json"} + arguments);
        QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + r.err));
        const qint64 printed =
            db().scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'"))
                .toLongLong();
        QCOMPARE(printed, qint64(printedAfter));
        if (pages < 0) {
            QVERIFY(!QFile::exists(pdf));
            QVERIFY(!r.err.isEmpty());
            QCOMPARE(count(QStringLiteral("OrderList")), qint64(0));
            return;
        }
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("pages")).toInt(), pages);
        QCOMPARE(json.value(QStringLiteral("printedOrders")).toArray().size(), pages);
        if (pages > 0) {
            QCOMPARE(pdfPages(pdf), pages);
            // Every page is in the print journal.
            QCOMPARE(db().scalar(QStringLiteral("select count(*) from PrintJournal")).toInt(), pages);
        }
    }

    // The nightly script runs the same files again: nothing is printed twice, and it ends well.
    void batchTwiceWithTheSameFiles() {
        const QStringList files{"--orders", dataFile("sheets/orders.xlsx"), "--details",
                                dataFile("sheets/order-details.xlsx"), "--json"};
        const Run first = run(QStringList{"batch", "--pdf", outFile("first.pdf")} + files);
        QVERIFY2(first.code == 0, qPrintable(first.err));
        QCOMPARE(QJsonDocument::fromJson(first.out.toUtf8()).object().value("printed").toInt(), 20);
        const Run second = run(QStringList{"batch", "--pdf", outFile("second.pdf")} + files);
        QVERIFY2(second.code == 0, qPrintable(second.err));
        const QJsonObject json = QJsonDocument::fromJson(second.out.toUtf8()).object();
        QCOMPARE(json.value("printed").toInt(), 0);
        QCOMPARE(json.value("import").toObject().value("changed").toArray().size(), 0);
        QVERIFY(!QFile::exists(outFile("second.pdf")));
        QCOMPARE(db().scalar("select count(*) from OrderList where 订单状态='已打印'").toInt(), 20);
        QCOMPARE(db().scalar("select count(*) from PrintJournal").toInt(), 20);
    }

    void batchOnMissingPrinter() {
        const Run r = run(
            {"batch", "--orders", dataFile(QStringLiteral("sheets/orders.xlsx")), "--printer", "无此打印机"});
        QCOMPARE(r.code, 3);
        QCOMPARE(count(QStringLiteral("OrderList")), qint64(0));
    }

    void testPage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::newRow("standard") << "出货单（标准）" << 0;
        QTest::newRow("three-part") << "出货单（三联241）" << 0;
        QTest::newRow("unknown") << "出货单（无此模板）" << 1;
    }
    void testPage() {
        QFETCH(QString, name);
        QFETCH(int, code);
        const QString pdf = outFile(QStringLiteral("test.pdf"));
        const Run r = run({"test-page", "--template", name, "--pdf", pdf});
        QCOMPARE(r.code, code);
        QCOMPARE(pdfPages(pdf), code == 0 ? 1 : -1);
    }

    // A script calibrates the printer from its own page: the page's crosses listed, readings
    // fitted and stored, a misread refused by name without touching what is stored, the test
    // page for that printer then printed under the correction, and --clear back to none.
    void calibrationFlow() {
        if (QProcess::execute(QStringLiteral("lpstat"), {QStringLiteral("-p"), QStringLiteral("BillPDF")}) !=
            0)
            QSKIP("no CUPS queue BillPDF");
        const QString printer = QStringLiteral("BillPDF");
        const QString before = outFile(QStringLiteral("before.pdf"));
        QCOMPARE(run({"test-page", "--printer", printer, "--pdf", before}).code, 0);
        const Run page = run({"test-page", "--calibration", "--printer", printer, "--pdf",
                              outFile(QStringLiteral("calibration.pdf")), "--json"});
        QVERIFY2(page.code == 0, qPrintable(page.err));
        const QJsonObject listed = QJsonDocument::fromJson(page.out.toUtf8()).object();
        const QJsonArray crosses = listed.value(QStringLiteral("crosses")).toArray();
        QCOMPARE(crosses.size(), 9);
        QCOMPARE(listed.value(QStringLiteral("printer")).toString(), printer);

        // The printer shifts 2 mm right and 1 mm up and stretches 1 % down; cross 4 not measured.
        const QTransform worn = QTransform::fromScale(1.0, 1.01) * QTransform::fromTranslate(2, -1);
        QStringList readings;
        for (const QJsonValue& c : crosses) {
            const QPointF at =
                worn.map(QPointF(c[QStringLiteral("x")].toDouble(), c[QStringLiteral("y")].toDouble()));
            readings << (c[QStringLiteral("number")].toInt() == 4
                             ? QString()
                             : QStringLiteral("%1,%2").arg(at.x(), 0, 'f', 1).arg(at.y(), 0, 'f', 1));
        }
        const Run fitted =
            run({"calibrate", "--printer", printer, "--readings", readings.join(';'), "--json"});
        QVERIFY2(fitted.code == 0, qPrintable(fitted.out + fitted.err));
        const QJsonObject fit = QJsonDocument::fromJson(fitted.out.toUtf8()).object();
        QVERIFY(std::abs(fit.value(QStringLiteral("scaleY")).toDouble() - 1.01) < 0.002);
        QVERIFY(fit.value(QStringLiteral("crosses"))
                    .toArray()
                    .at(3)
                    .toObject()
                    .value(QStringLiteral("residual"))
                    .isUndefined());
        QCOMPARE(fit.value(QStringLiteral("code")), listed.value(QStringLiteral("code")));

        QStringList misread = readings;
        misread[2] = QStringLiteral("%1,%2")
                         .arg(misread[2].section(',', 0, 0).toDouble() + 3)
                         .arg(misread[2].section(',', 1));
        const Run refused =
            run({"calibrate", "--printer", printer, "--readings", misread.join(';'), "--json"});
        QCOMPARE(refused.code, 1);
        QCOMPARE(QJsonDocument::fromJson(refused.out.toUtf8())
                     .object()
                     .value(QStringLiteral("refusedCross"))
                     .toInt(),
                 3);

        // What the printer is sent now lands where it belongs once the printer has moved it.
        const QString after = outFile(QStringLiteral("after.pdf"));
        QCOMPARE(run({"test-page", "--printer", printer, "--pdf", after}).code, 0);
        const PdfWords plain = PdfWords::read(before);
        const PdfWords corrected = PdfWords::read(after);
        QVERIFY(plain.error.isEmpty() && corrected.error.isEmpty() && !plain.words.isEmpty());
        const auto only = [](const PdfWords& pdf, const QString& text) {
            const PdfWords::Word* found = nullptr;
            for (const PdfWords::Word& w : pdf.words)
                if (w.text == text) {
                    if (found)
                        return static_cast<const PdfWords::Word*>(nullptr);
                    found = &w;
                }
            return found;
        };
        int compared = 0;
        for (const PdfWords::Word& w : plain.words) {
            const PdfWords::Word* c = only(corrected, w.text);
            if (!c || only(plain, w.text) != &w)
                continue;
            const QPointF landed = worn.map(QPointF(c->left, c->top));
            QVERIFY2(QLineF(landed, QPointF(w.left, w.top)).length() < 0.15, qPrintable(w.text));
            ++compared;
        }
        QVERIFY(compared > 10);

        QCOMPARE(run({"calibrate", "--printer", printer, "--clear"}).code, 0);
        core::IniFile ini(m_home->app().userIni().fileName());
        QVERIFY(ini.keys(QStringLiteral("MeasuredCalibration")).isEmpty());
    }

    // The whole flow of a script after a jam: a batch into a PDF, the journal lists the job, and
    // pages 2-3 of it are printed again from their orders, as they were.
    void journalAndReprintOfBatch() {
        const QString first = outFile(QStringLiteral("batch.pdf"));
        const Run batch = run({"batch", "--orders", dataFile("sheets/orders.xlsx"), "--details",
                               dataFile("sheets/order-details.xlsx"), "--pdf", first, "--json"});
        QVERIFY2(batch.code == 0, qPrintable(batch.err));
        const QJsonArray printed = QJsonDocument::fromJson(batch.out.toUtf8())
                                       .object()
                                       .value(QStringLiteral("printedOrders"))
                                       .toArray();
        QCOMPARE(printed.size(), 20);

        const Run listed = run({"journal", "--json"});
        QCOMPARE(listed.code, 0);
        const QJsonArray jobs =
            QJsonDocument::fromJson(listed.out.toUtf8()).object().value(QStringLiteral("jobs")).toArray();
        QCOMPARE(jobs.size(), 1);
        const QJsonObject job = jobs.first().toObject();
        QCOMPARE(job.value(QStringLiteral("printer")).toString(), first);
        const QJsonArray pages = job.value(QStringLiteral("pages")).toArray();
        QCOMPARE(pages.size(), 20);
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(pages.at(i).toObject().value(QStringLiteral("page")).toInt(), i + 1);
            QCOMPARE(pages.at(i).toObject().value(QStringLiteral("order")).toString(),
                     printed.at(i).toString());
        }

        const QString again = outFile(QStringLiteral("again.pdf"));
        const QString number = QString::number(job.value(QStringLiteral("job")).toInt());
        const Run reprint = run({"reprint", "--job", number, "--pages", "2-3", "--pdf", again, "--json"});
        QVERIFY2(reprint.code == 0, qPrintable(reprint.out + reprint.err));
        QCOMPARE(pdfPages(again), 2);
        QCOMPARE(pdfText(again, 1, 2), pdfText(first, 2, 3));
        // The reprint is a job of the journal too.
        const Run after = run({"journal", "--json"});
        QCOMPARE(QJsonDocument::fromJson(after.out.toUtf8()).object().value(QStringLiteral("count")).toInt(),
                 2);
    }

    // Pages of saved notes printed again as the notes are stored now: a note changed since asks
    // first (only --yes prints it), a missing one is named; whatever fails leaves the file that
    // was at the --pdf path as it was.
    void reprintOfSavedNotes_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("printedNotes"); // the pages expected, by note
        QTest::addColumn<QString>("said");
        const QString changeR2 =
            QStringLiteral("update DataCheckFHDSHD set 顾客名称='Zeta商贸' where 票据编号='R-2'");
        const QString dropR1 = QStringLiteral("delete from DataCheckFHDSHD where 票据编号='R-1'");
        QTest::newRow("from page 2") << "" << QStringList{"--from-page", "2"} << 0 << QStringList{"R-2"}
                                     << "";
        QTest::newRow("changed, no --yes")
            << changeR2 << QStringList{"--pages", "1-2"} << 1 << QStringList() << "R-2";
        QTest::newRow("changed, --yes")
            << changeR2 << QStringList{"--pages", "1-2", "--yes"} << 0 << QStringList{"R-1", "Zeta"} << "R-2";
        QTest::newRow("all missing") << dropR1 << QStringList{"--pages", "1", "--yes"} << 1 << QStringList()
                                     << "R-1";
        QTest::newRow("past the job") << "" << QStringList{"--pages", "2-3"} << 1 << QStringList() << "2";
        QTest::newRow("no such job") << "" << QStringList{"--pages", "1", "--job", "9"} << 1 << QStringList()
                                     << "9";
    }
    void reprintOfSavedNotes() {
        QFETCH(QString, change);
        QFETCH(QStringList, pages);
        QFETCH(int, code);
        QFETCH(QStringList, printedNotes);
        QFETCH(QString, said);
        saveNote(QStringLiteral("R-1"), QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("30.00"));
        saveNote(QStringLiteral("R-2"), QStringLiteral("2026-12-01 11:00:00"), QStringLiteral("40.00"));
        QMap<QString, QString> printedText;
        for (const QString& note : {QStringLiteral("R-1"), QStringLiteral("R-2")}) {
            const QString pdf = outFile(note + QStringLiteral(".pdf"));
            QCOMPARE(run({"print", "--note", note, "--pdf", pdf}).code, 0);
            printedText.insert(note, pdfText(pdf, 1, 1));
        }
        // Jobs 1 and 2 hold one page each; job 3 holds both, as the journal window's reprint of a
        // selection over two jobs writes it.
        {
            print::PrintJournal journal(m_home->app());
            const print::JournalPage one = journal.pagesOf(1, 1).value(0);
            const print::JournalPage two = journal.pagesOf(2, 1).value(0);
            QCOMPARE(two.noteNumber, QStringLiteral("R-2"));
            print::PrintJournal::Job job;
            job.printer = one.printer;
            job.paper = one.paper;
            job.templateId = one.templateId;
            job.templateName = one.templateName;
            for (const print::JournalPage& page : {one, two}) {
                print::PrintJournal::Job::Page p;
                p.noteNumber = page.noteNumber;
                p.digest = page.digest;
                job.pages << p;
            }
            QCOMPARE(journal.record(job), 3);
        }
        if (!change.isEmpty())
            db().exec(change);
        const QString pdf = outFile(QStringLiteral("again.pdf"));
        writeFile(pdf, "the file that was here");
        QStringList arguments{"reprint", "--pdf", pdf, "--json"};
        if (!pages.contains(QStringLiteral("--job")))
            arguments << QStringLiteral("--job") << QStringLiteral("3");
        const Run r = run(arguments + pages);
        QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + r.err));
        if (!said.isEmpty())
            QVERIFY2(r.err.contains(said), qPrintable(r.err));
        if (code != 0) {
            QCOMPARE(bytesOf(pdf), QByteArray("the file that was here"));
            QCOMPARE(count(QStringLiteral("PrintJournal")), qint64(4));
            return;
        }
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("pages")).toInt(), printedNotes.size());
        if (!said.isEmpty())
            QVERIFY(json.value(QStringLiteral("messages"))
                        .toVariant()
                        .toStringList()
                        .join(QLatin1Char('\n'))
                        .contains(said));
        QCOMPARE(pdfPages(pdf), printedNotes.size());
        for (int i = 0; i < printedNotes.size(); ++i) {
            const QString text = pdfText(pdf, i + 1, i + 1);
            if (printedText.contains(printedNotes.at(i)))
                QCOMPARE(text, printedText.value(printedNotes.at(i)));
            else
                QVERIFY2(text.contains(printedNotes.at(i)), qPrintable(text));
        }
        // The reprint is journalled as a job of its own.
        QCOMPARE(json.value(QStringLiteral("reprintJob")).toInt(), 4);
    }

    // Orders another seat's run holds are left out and named with why; nothing left to print is
    // no printer error.
    void batchWhileAnotherSeatHolds_data() {
        QTest::addColumn<int>("held");
        QTest::newRow("every order") << 20;
        QTest::newRow("five of them") << 5;
    }
    void batchWhileAnotherSeatHolds() {
        QFETCH(int, held);
        if (!m_home->onServer())
            QSKIP("only a server store holds orders for a seat (OVERPRINT_TEST_PG names none)");
        const QString orders = ordersCsv(20);
        QStringList numbers;
        for (int i = 1; i <= held; ++i)
            numbers << QStringLiteral("CLI%1").arg(i, 5, 10, QLatin1Char('0'));
        // This test's connection is the other seat: its run holds the first orders.
        batch::OrderStore otherSeat(db());
        QStringList refused;
        QCOMPARE(otherSeat.claim(numbers, QStringList(held, QStringLiteral("未打印")), refused), numbers);
        const QString pdf = outFile(QStringLiteral("held.pdf"));
        const Run r = run({"batch", "--orders", orders, "--pdf", pdf, "--json"});
        otherSeat.release(numbers);
        QVERIFY2(r.code == 0, qPrintable(QString::number(r.code) + r.err));
        const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(json.value(QStringLiteral("pages")).toInt(), 20 - held);
        const QStringList skipped = json.value(QStringLiteral("skipped")).toVariant().toStringList();
        QCOMPARE(skipped.size(), held);
        for (int i = 0; i < held; ++i) {
            QVERIFY2(skipped.at(i).startsWith(numbers.at(i)), qPrintable(skipped.at(i)));
            QVERIFY2(skipped.at(i).contains(QStringLiteral("另一台电脑")), qPrintable(skipped.at(i)));
        }
        QCOMPARE(pdfPages(pdf), held == 20 ? -1 : 20 - held);
        QCOMPARE(
            db().scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'")).toInt(),
            20 - held);
    }

    // A batch killed while its job is being written leaves the file that was at the --pdf path,
    // never a part of a PDF.
    void killedBatchLeavesNoPartialPdf() {
        const QString orders = ordersCsv(kKilledOrders);
        const QString pdf = outFile(QStringLiteral("run.pdf"));
        const QByteArray before("the file that was here");
        writeFile(pdf, before);
        QProcess process;
        start(process, {"batch", "--orders", orders, "--pdf", pdf});
        QVERIFY(process.waitForStarted());
        // The job has begun once a PDF is being written: beside the path, or at it.
        const auto writing = [&] {
            const QFileInfoList parts =
                QDir(m_out->path()).entryInfoList({QStringLiteral(".run.pdf.*")}, QDir::Files | QDir::Hidden);
            for (const QFileInfo& part : parts)
                if (part.size() > 0)
                    return true;
            return bytesOf(pdf) != before;
        };
        QElapsedTimer waited;
        waited.start();
        while (!writing()) {
            QVERIFY2(process.state() == QProcess::Running, "the batch ended before its job began");
            QVERIFY2(waited.elapsed() < 120000, "the job did not begin");
            QThread::msleep(2);
        }
        process.kill();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        // Killed inside the job: no order was marked, and the path holds what it held.
        QCOMPARE(
            db().scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'")).toInt(), 0);
        QCOMPARE(bytesOf(pdf), before);
    }

    // A copy replaces the whole target: a source of an earlier version (no day totals, no print
    // journal) leaves the history counting the copied notes and none of the target's journal.
    void copyReplacesEverything_data() {
        QTest::addColumn<bool>("toServer");
        QTest::newRow("to the server") << true;
        QTest::newRow("from the server") << false;
    }
    void copyReplacesEverything() {
        QFETCH(bool, toServer);
        std::unique_ptr<TestHome> server;
        QString reason;
        if (!copyHomes(server, &reason))
            QSKIP(qPrintable(reason.isEmpty() ? m_home->error() + server->error() : reason));
        core::Database& source = toServer ? db() : server->db();
        core::Database& target = toServer ? server->db() : db();
        for (const char* number : {"S-1", "S-2"})
            saveNote(source, QString::fromUtf8(number), QStringLiteral("2026-12-01 09:00:00"),
                     QStringLiteral("5"));
        for (const char* number : {"T-1", "T-2", "T-3"})
            saveNote(target, QString::fromUtf8(number), QStringLiteral("2026-12-02 09:00:00"),
                     QStringLiteral("7"));
        source.exec(QStringLiteral("drop table NoteDayTotals"));
        target.exec(
            QStringLiteral("create table PrintJournal (ID autoincrement(1,1) primary key, NoteNo Text(40))"));
        target.exec(QStringLiteral("insert into PrintJournal (NoteNo) values ('T-1')"));

        const Run r = run({QStringLiteral("db"), QStringLiteral("copy"),
                           toServer ? QStringLiteral("--to") : QStringLiteral("--from"),
                           addressText(server->db().server()), QStringLiteral("--yes")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(notesShown(toServer ? server->path() : m_home->path()), 2);
        core::Database after(QStringLiteral("after-copy"));
        if (toServer)
            after.openServer(server->db().server());
        else
            after.open(core::ProgramFolder::databasePath(m_home->path()));
        QVERIFY(!after.hasTable(QStringLiteral("PrintJournal")) ||
                after.scalar(QStringLiteral("select count(*) from PrintJournal")).toInt() == 0);
    }

    // With the login on, db copy needs its operator as every other command does.
    void copyAsksForTheLogin_data() {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("code");
        QTest::newRow("no user") << QStringList() << "秘密" << 1;
        QTest::newRow("wrong password") << QStringList{"--user", "张三"} << "错的" << 1;
        QTest::newRow("logged in") << QStringList{"--user", "张三"} << "秘密" << 0;
    }
    void copyAsksForTheLogin() {
        QFETCH(QStringList, user);
        QFETCH(QString, password);
        QFETCH(int, code);
        std::unique_ptr<TestHome> server;
        QString reason;
        if (!copyHomes(server, &reason))
            QSKIP(qPrintable(reason.isEmpty() ? m_home->error() + server->error() : reason));
        turnLoginOn(db(), m_home->app());
        saveNote(QStringLiteral("L-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("5"));
        const Run r = run(QStringList{"db", "copy", "--to", addressText(server->db().server())} + user,
                          {{QStringLiteral("OVERPRINT_PASSWORD"), password}});
        QVERIFY2(r.code == code, qPrintable(r.err));
        QCOMPARE(server->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(),
                 code == 0 ? 1 : 0);
    }

    // db copy --from killed at each of its steps: the next start finishes a complete copy or
    // undoes an incomplete one, the store and the template pictures together, and says which.
    void copyFromServerKilled_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("finished");
        QTest::newRow("rows copied") << "rows-copied" << false;
        QTest::newRow("pictures staged") << "images-staged" << false;
        QTest::newRow("marked complete") << "ready" << true;
        QTest::newRow("between the renames") << "store-kept" << true;
        QTest::newRow("store in place") << "store-replaced" << true;
    }
    void copyFromServerKilled() {
        QFETCH(QString, step);
        QFETCH(bool, finished);
        std::unique_ptr<TestHome> server;
        QString reason;
        if (!copyHomes(server, &reason))
            QSKIP(qPrintable(reason.isEmpty() ? m_home->error() + server->error() : reason));
        saveNote(QStringLiteral("L-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("5"));
        for (const char* number : {"S-1", "S-2", "S-3"})
            saveNote(server->db(), QString::fromUtf8(number), QStringLiteral("2026-12-02 09:00:00"),
                     QStringLiteral("7"));
        const QByteArray serverPicture("server picture of shd1");
        server->db().exec(QStringLiteral("create table StoreImages (Name Text(255), Bytes blob)"));
        server->db().exec(QStringLiteral("insert into StoreImages (Name, Bytes) values ('shd1.jpg', :b)"),
                          {{QStringLiteral("b"), serverPicture}});
        const QString picture = m_home->path() + QStringLiteral("Image/shd1.jpg");
        const QByteArray ownPicture = bytesOf(picture);
        QVERIFY(!ownPicture.isEmpty());

        const Run killed = run({QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--from"),
                                addressText(server->db().server())},
                               {{QStringLiteral("OVERPRINT_KILL_AT"), step}});
        QVERIFY2(killed.code == kKilled, qPrintable(killed.err));

        const Run next = run({QStringLiteral("notes"), QStringLiteral("--json")});
        QVERIFY2(next.code == 0, qPrintable(next.err));
        QVERIFY2(next.err.contains(finished ? QStringLiteral("已完成") : QStringLiteral("已撤销")),
                 qPrintable(next.err));
        QCOMPARE(QJsonDocument::fromJson(next.out.toUtf8()).object().value(QStringLiteral("count")).toInt(),
                 finished ? 3 : 1);
        QCOMPARE(bytesOf(picture), finished ? serverPicture : ownPicture);
        const QDir data(m_home->path() + QStringLiteral("Data"));
        QCOMPARE(data.entryList({QStringLiteral("EPData.ini.new-*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
        // Nothing is said twice: the start after finds nothing left to do.
        QVERIFY(!run({QStringLiteral("notes")}).err.contains(QStringLiteral("复制")));
    }

    // db copy --to into an empty schema, killed before its commit: a seat pointed at the
    // schema refuses the half-made store and says why, until the copy is run again.
    void copyToServerKilled_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("store built") << "target-built";
        QTest::newRow("rows copied") << "rows-copied";
    }
    void copyToServerKilled() {
        QFETCH(QString, step);
        std::unique_ptr<TestHome> admin;
        QString reason;
        if (!copyHomes(admin, &reason))
            QSKIP(qPrintable(reason.isEmpty() ? m_home->error() + admin->error() : reason));
        saveNote(QStringLiteral("L-1"), QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("5"));
        core::ServerAddress target = admin->db().server();
        target.schema = QStringLiteral("t_copy_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        struct DropAfter {
            core::Database& db;
            QString schema;
            ~DropAfter() {
                try {
                    db.exec(QStringLiteral("DROP SCHEMA IF EXISTS \"") + schema +
                            QStringLiteral("\" CASCADE"));
                } catch (const core::DbError&) {
                }
            }
        } drop{admin->db(), target.schema};
        const QStringList copy{QStringLiteral("db"), QStringLiteral("copy"), QStringLiteral("--to"),
                               addressText(target)};

        const Run killed = run(copy, {{QStringLiteral("OVERPRINT_KILL_AT"), step}});
        QVERIFY2(killed.code == kKilled, qPrintable(killed.err));
        QString refused;
        try {
            core::Database seat(QStringLiteral("seat"));
            seat.openServer(target);
        } catch (const core::DbError& e) {
            refused = e.message();
        }
        QVERIFY2(refused.contains(QStringLiteral("没有复制完成")), qPrintable(refused));
        const Run again = run(copy);
        QVERIFY2(again.code == 0, qPrintable(again.err));
        core::Database seat(QStringLiteral("seat"));
        seat.openServer(target);
        QCOMPARE(seat.scalar(QStringLiteral("select 票据编号 from DataCheckFHDSHD")).toString(),
                 QStringLiteral("L-1"));
    }

    // A store that refuses the write ends with 2 and keeps nothing of the file.
    void storeRefuses() {
        db().exec(QStringLiteral("create trigger refuse before insert on OrderList "
                                 "begin select raise(abort, '拒绝写入'); end"));
        const Run r = run({"import", "orders", dataFile("sheets/orders.xlsx")});
        QCOMPARE(r.code, 2);
        QCOMPARE(count(QStringLiteral("OrderList")), qint64(0));
    }
};

OVERPRINT_TEST(TestCommandLine)
#include "TestCommandLine.moc"
