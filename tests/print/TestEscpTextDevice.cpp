#include "PrintFixture.h"
#include "core/IniFile.h"
#include "print/BillPrinter.h"
#include "print/EscpTextDevice.h"
#include "print/PrintJournal.h"
#include "print/PrinterModeDevice.h"
#include "support/TestRegistry.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using print::EscpTextDevice;
using print::TextModeSettings;

namespace {

// The entry window's parts a job reads: the variant and the boxes of the note.
struct Form {
    QWidget form;
    QWidget* panel = new QWidget(&form);
    Form() {
        panel->setObjectName(QStringLiteral("panelImgBg"));
        auto* variant = new QComboBox(&form);
        variant->setObjectName(QStringLiteral("cbFirstTypeName"));
        variant->addItem(QStringLiteral("测试"));
    }
    void edit(const QString& name, const QString& text) {
        auto* e = new QLineEdit(text, panel);
        e->setObjectName(name);
    }
};

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestEscpTextDevice : public QObject {
    Q_OBJECT
private slots:
    // Marks drawn out of order come out top to bottom, then left to right, each at absolute
    // positions in the declared unit (declared again when horizontal and vertical units differ),
    // sizes switched only when they change, every form ended by FF, copies repeating the forms.
    void stream_data() {
        QTest::addColumn<int>("hUnit");
        QTest::addColumn<int>("vUnit");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray page180 = hex("1b28560200 2400 1b245a00 a1cc 1b24b400 0f 41"
                                       " 1b28560200 5a00 1b246801 12 d2d2 0c");
        QTest::newRow("180 both") << 180 << 180
                                  << hex("1b40 1c26 1b4d 1b2855010014 1b28430200 de03") + page180 + page180 +
                                         hex("1c2e");
        const QByteArray page60 = hex("1b28560200 2400 1b285501003c 1b245a00 a1cc 1b24b400 0f 41"
                                      " 1b285501000a 1b28560200 5a00 1b285501003c 1b246801 12 d2d2"
                                      " 1b285501000a 0c");
        QTest::newRow("60 across, 360 down")
            << 60 << 360
            << hex("1b40 1c26 1b4d 1b285501000a 1b28430200 bc07") + page60 + page60 + hex("1c2e");
    }
    void stream() {
        QFETCH(int, hUnit);
        QFETCH(int, vUnit);
        QFETCH(QByteArray, expected);
        TextModeSettings settings;
        settings.horizontalUnit = hUnit;
        settings.verticalUnit = vUnit;
        QTemporaryDir dir;
        EscpTextDevice device(settings);
        device.setRawFile(dir.filePath(QStringLiteral("job.esc")));
        QVERIFY(device.selectPrinter(QStringLiteral("Dot")));
        device.setPaper({QPageSize(QSizeF(10, 5.5), QPageSize::Inch), -1});
        device.setCopies(2);
        device.beginDocument();
        device.setFontSize(10);
        device.drawText(360, 90, QStringLiteral("乙"));
        device.drawLine(0, 0, 500, 0); // the form carries the lines
        device.setFontSize(7);
        device.drawText(180, 36, QStringLiteral("A"));
        device.setFontSize(10);
        device.drawText(90, 36, QStringLiteral("√"));
        device.endDocument();
        QCOMPARE(device.lastStream().toHex(' '), expected.toHex(' '));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("job.esc"))), expected);
    }

    // The printer font's fixed cells: an ASCII character half a Chinese one, a character beyond
    // the BMP (four bytes in GB18030) one Chinese cell, sizes from the item's points.
    void textWidth_data() {
        QTest::addColumn<int>("hUnit");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("normal") << 180 << 10 << QStringLiteral("中A") << 45;
        QTest::newRow("condensed") << 180 << 7 << QStringLiteral("中A") << 27;
        QTest::newRow("double height keeps width") << 180 << 16 << QStringLiteral("中A") << 45;
        QTest::newRow("quadruple") << 180 << 26 << QStringLiteral("中A") << 90;
        QTest::newRow("four-byte character") << 120 << 10 << QStringLiteral("𠀀1") << 30;
        QTest::newRow("1/60 inch") << 60 << 10 << QStringLiteral("12.50") << 25;
    }
    void textWidth() {
        QFETCH(int, hUnit);
        QFETCH(int, points);
        QFETCH(QString, text);
        QFETCH(int, width);
        TextModeSettings settings;
        settings.horizontalUnit = hUnit;
        EscpTextDevice device(settings);
        device.setFontSize(points);
        QCOMPARE(device.textWidth(text), width);
    }

    // GB2312 is the GB18030 code only in GB2312's own cells; a control character never reaches
    // the printer as a command.
    void charset_data() {
        QTest::addColumn<bool>("gb2312");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // empty: refused
        QTest::addColumn<QString>("refused");
        QTest::newRow("tick 2312") << true << QStringLiteral("√") << hex("a1cc") << QString();
        QTest::newRow("circled one 2312") << true << QStringLiteral("⒈") << hex("a2b1") << QString();
        QTest::newRow("euro 2312") << true << QStringLiteral("价€") << QByteArray() << QStringLiteral("€");
        QTest::newRow("euro 18030") << false << QStringLiteral("€") << hex("a2e3") << QString();
        QTest::newRow("roman small 2312")
            << true << QStringLiteral("ⅰ") << QByteArray() << QStringLiteral("ⅰ");
        QTest::newRow("GBK only 2312")
            << true << QStringLiteral("王镕") << QByteArray() << QStringLiteral("镕");
        QTest::newRow("GBK only 18030") << false << QStringLiteral("镕") << hex("e946") << QString();
        QTest::newRow("four bytes 2312")
            << true << QStringLiteral("𠀀") << QByteArray() << QStringLiteral("𠀀");
        QTest::newRow("four bytes 18030")
            << false << QStringLiteral("a𠀀") << hex("61 95328236") << QString();
        QTest::newRow("escape 18030")
            << false << QStringLiteral("A\x1b@") << QByteArray() << QStringLiteral("U+001B");
    }
    void charset() {
        QFETCH(bool, gb2312);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        const auto set = gb2312 ? TextModeSettings::Charset::GB2312 : TextModeSettings::Charset::GB18030;
        try {
            QCOMPARE(EscpTextDevice::encode(text, set).toHex(), bytes.toHex());
            QVERIFY(refused.isEmpty());
        } catch (const print::UnprintableCharacter& e) {
            QCOMPARE(e.character(), refused);
        }
    }

    // The job reaches a CUPS queue as raw data, byte for byte: BillRaw (scripts/cups-queue.sh)
    // writes what it gets to a file.
    void rawQueue() {
        EscpTextDevice device;
        if (!device.printerNames().contains(QStringLiteral("BillRaw")))
            QSKIP("no BillRaw queue (scripts/cups-queue.sh)");
        QVERIFY(device.selectPrinter(QStringLiteral("BillRaw")));
        device.beginDocument();
        // A value no earlier job had, so an old file cannot pass.
        device.drawText(10, 20, QUuid::createUuid().toString());
        device.endDocument();
        QTRY_COMPARE_WITH_TIMEOUT(readAll(QStringLiteral("/var/tmp/overprint-billraw/BillRaw.out")),
                                  device.lastStream(), 60000);
    }

    // A value with a character the printer's set lacks: the job is refused whole before anything
    // is sent, the clerk told the note, the box and the character, and nothing is journalled.
    void refusalSendsNothing() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QTemporaryDir dir;
        const QString raw = dir.filePath(QStringLiteral("job.esc"));
        TextModeSettings settings;
        settings.charset = TextModeSettings::Charset::GB2312;
        EscpTextDevice device(settings);
        device.setRawFile(raw);
        f.addItem(QStringLiteral("ZDPJBH"), 1);
        f.addItem(QStringLiteral("ZDGKMC"), 2);
        f.home.db().exec(QStringLiteral("update NameDict set CtlLabel='客户名称' where CtlName='ZDGKMC'"));
        f.addLayout(QStringLiteral("zdPJBH"));
        f.addLayout(QStringLiteral("zdGKMC"), {{QStringLiteral("CtlY"), 400}});
        Form form;
        form.edit(QStringLiteral("zdPJBH"), QStringLiteral("NO-7"));
        form.edit(QStringLiteral("zdGKMC"), QStringLiteral("王镕商行"));
        print::BillPrinter job(f.home.app(), device, &form.form);
        QVERIFY(!job.printCurrentBill(1));
        QVERIFY(!QFile::exists(raw));
        QVERIFY(!device.isPrinting());
        QCOMPARE(job.lastJob(), 0);
        QCOMPARE(f.home.dialogs().shown.size(), 1);
        const QString said = f.home.dialogs().shown.first().text;
        for (const char* part : {"NO-7", "客户名称", "“镕”", "GB2312"})
            QVERIFY2(said.contains(QString::fromUtf8(part)), qPrintable(said));
    }

    // A printer set to text mode in Config.ini prints through the text device, on the job steps
    // and into the journal like any other; set back to graphics, its next job goes to the driver.
    void modeReadWhereTheJobBegins() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printers = {QStringLiteral("Dot")};
        QTemporaryDir dir;
        const QString raw = dir.filePath(QStringLiteral("job.esc"));
        EscpTextDevice text;
        text.setRawFile(raw);
        print::PrinterModeDevice device(f.device, text, f.home.app().userIni());
        QVERIFY(device.selectPrinter(QStringLiteral("Dot")));
        f.home.app().setCurrentPrinter(QStringLiteral("Dot"));
        TextModeSettings settings;
        settings.mode = TextModeSettings::Mode::Text;
        settings.write(f.home.app().userIni(), QStringLiteral("Dot"));
        f.addItem(QStringLiteral("ZDGKMC"), 1);
        f.addLayout(QStringLiteral("zdGKMC"));
        Form form;
        form.edit(QStringLiteral("zdGKMC"), QStringLiteral("南方"));
        print::BillPrinter job(f.home.app(), device, &form.form);

        QVERIFY(job.printCurrentBill(1));
        QVERIFY(readAll(raw).contains(EscpTextDevice::encode(QStringLiteral("南方"), settings.charset)));
        QVERIFY(f.device.texts.isEmpty());
        QVERIFY(job.lastJob() > 0);
        QCOMPARE(print::PrintJournal(f.home.app()).pagesOf(job.lastJob(), 1).size(), 1);
        QCOMPARE(print::PrintJournal(f.home.app()).printers(), QStringList{QStringLiteral("Dot")});

        QFile::remove(raw);
        settings.mode = TextModeSettings::Mode::Graphics;
        settings.write(f.home.app().userIni(), QStringLiteral("Dot"));
        QVERIFY(job.printCurrentBill(1));
        QVERIFY(!QFile::exists(raw));
        QCOMPARE(f.device.texts.size(), 1);
    }
};

OVERPRINT_TEST(TestEscpTextDevice)
#include "TestEscpTextDevice.moc"
