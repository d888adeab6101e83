#include "support/EscpDecoder.h"
#include "support/TestRegistry.h"

#include <QtTest>

using testing_support::EscpDecoder;

// The decoder judges the text-mode device, so it is checked on streams written by hand from
// the command reference: a decoder that misreads a unit would pass a device with the same fault.
class TestEscpDecoder : public QObject {
    Q_OBJECT

    static QByteArray b(std::initializer_list<int> bytes) {
        QByteArray out;
        for (int v : bytes)
            out += char(v);
        return out;
    }

private slots:
    void decodesPositionsAndRefusesWhatWouldMisprint_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("gb2312");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("text");
        const QByteArray unit180 = b({0x1b, '@', 0x1b, '(', 'U', 1, 0, 20});
        // 𠀀 is four bytes in GB18030 and has no GB2312 code.
        const QByteArray ext = b({0x95, 0x32, 0x82, 0x36});
        QTest::newRow("declared 1/180")
            << unit180 + b({0x1b, '(', 'V', 2, 0, 100, 0, 0x1b, '$', 0x2c, 1}) + "AB" << false << true << 0
            << 300 * 20 << 100 * 20 << "AB";
        QTest::newRow("commands' own units when none is declared")
            << b({0x1b, '@', 0x1b, '(', 'V', 2, 0, 10, 0, 0x1b, '$', 10, 0}) + "x" << false << true << 0
            << 600 << 100 << "x";
        QTest::newRow("ESC J is 1/180 whatever is declared, x stays")
            << b({0x1b, '(', 'U', 1, 0, 10, 0x1b, '$', 36, 0, 0x1b, 'J', 90}) + "y" << false << true << 0
            << 360 << 1800 << "y";
        QTest::newRow("Chinese mode text, GB2312 bytes")
            << unit180 + b({0x1c, '&', 0xd6, 0xd0, 'A'}) << true << true << 0 << 0 << 0 << "中A";
        QTest::newRow("four-byte character on a GB18030 printer")
            << unit180 + b({0x1c, '&'}) + ext << false << true << 0 << 0 << 0
            << QString::fromUcs4(U"\U00020000");
        QTest::newRow("next form starts at its top")
            << unit180 + b({0x1b, '(', 'V', 2, 0, 200, 0, '\f', 0x1b, '(', 'V', 2, 0, 50, 0}) + "z" << false
            << true << 1 << 0 << 1000 << "z";
        QTest::newRow("move up the paper")
            << unit180 + b({0x1b, '(', 'V', 2, 0, 200, 0, 0x1b, '(', 'V', 2, 0, 50, 0}) << false << false << 0
            << 0 << 0 << "";
        QTest::newRow("move past the form")
            << unit180 + b({0x1b, '(', 'C', 2, 0, 100, 0, 0x1b, '(', 'V', 2, 0, 100, 0}) << false << false
            << 0 << 0 << 0 << "";
        QTest::newRow("Chinese bytes outside Chinese mode")
            << unit180 + b({0xd6, 0xd0}) << false << false << 0 << 0 << 0 << "";
        QTest::newRow("four-byte character on a GB2312 printer")
            << unit180 + b({0x1c, '&'}) + ext << true << false << 0 << 0 << 0 << "";
        QTest::newRow("unknown command") << unit180 + b({0x1b, 'E'}) << false << false << 0 << 0 << 0 << "";
        QTest::newRow("command cut short")
            << unit180 + b({0x1b, '$', 1}) << false << false << 0 << 0 << 0 << "";
    }

    void decodesPositionsAndRefusesWhatWouldMisprint() {
        QFETCH(QByteArray, stream);
        QFETCH(bool, gb2312);
        QFETCH(bool, ok);
        EscpDecoder decoder(gb2312 ? EscpDecoder::Charset::GB2312 : EscpDecoder::Charset::GB18030);
        QCOMPARE(decoder.decode(stream), ok);
        if (!ok)
            return;
        QCOMPARE(decoder.runs.size(), 1);
        QFETCH(int, page);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, text);
        const EscpDecoder::Run& run = decoder.runs.first();
        QCOMPARE(run.text, text);
        QCOMPARE(run.page, page);
        QCOMPARE(run.x, x);
        QCOMPARE(run.y, y);
    }

    void cellTable_data() {
        QTest::addColumn<QByteArray>("sizeCommands");
        QTest::addColumn<int>("width"); // of "中A" in 1/3600 inch
        QTest::newRow("10 cpi") << QByteArray() << 720 + 360;
        QTest::newRow("12 cpi") << b({0x1b, 'M'}) << 600 + 300;
        QTest::newRow("12 cpi condensed") << b({0x1b, 'M', 0x0f}) << 360 + 180;
        QTest::newRow("double width") << b({0x1b, 'W', 1}) << 1440 + 720;
        QTest::newRow("Chinese quadruple") << b({0x1b, 'M', 0x1c, 'W', 1}) << 1200 + 300;
        QTest::newRow("condensed off again") << b({0x0f, 0x12}) << 720 + 360;
    }

    void cellTable() {
        QFETCH(QByteArray, sizeCommands);
        QFETCH(int, width);
        EscpDecoder decoder;
        QVERIFY2(decoder.decode(b({0x1b, '@', 0x1c, '&'}) + sizeCommands + b({0xd6, 0xd0, 'A'})),
                 qPrintable(decoder.errors.join('\n')));
        QCOMPARE(decoder.runs.size(), 1);
        QCOMPARE(decoder.runs.first().width, width);
    }
};

OVERPRINT_TEST(TestEscpDecoder)
#include "TestEscpDecoder.moc"
