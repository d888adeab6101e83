#include "print/PrintGeometry.h"
#include "support/TestRegistry.h"

#include <QTest>

using print::DeviceMetrics;
using print::PrintGeometry;

class TestPrintGeometry : public QObject {
    Q_OBJECT

private slots:
    void tenthsToPixels_data() {
        QTest::addColumn<double>("tenths");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one inch at 180 dpi") << 254.0 << 180 << 180;
        QTest::newRow("one tenth rounds up") << 1.0 << 180 << 1;
        QTest::newRow("zero") << 0.0 << 600 << 0;
        QTest::newRow("480 at 600") << 480.0 << 600 << 1134;
        QTest::newRow("315 at 600") << 315.0 << 600 << 744;
        QTest::newRow("true half goes up to even") << 127.0 << 203 << 102;   // 101.5
        QTest::newRow("true half goes down to even") << 381.0 << 203 << 304; // 304.5
        QTest::newRow("negative half to even") << -127.0 << 203 << -102;
        QTest::newRow("negative") << -20.0 << 600 << -47; // -47.24
        QTest::newRow("fraction of a tenth") << 12.7 << 200 << 10;
        QTest::newRow("another fraction") << 6.35 << 200 << 5;
    }
    void tenthsToPixels() {
        QFETCH(double, tenths);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(PrintGeometry::tenthsToPixels(tenths, dpi), pixels);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("1.5") << 1.5 << qint64(2);
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("-0.5") << -0.5 << qint64(0);
        QTest::newRow("-1.5") << -1.5 << qint64(-2);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("2.5001") << 2.5001 << qint64(3);
        QTest::newRow("-2.4") << -2.4 << qint64(-2);
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(PrintGeometry::roundHalfEven(value), rounded);
    }

    void devicePosition_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("offsetX");
        QTest::addColumn<int>("offsetY");
        QTest::addColumn<QPoint>("expected");
        // ctlx 500 + XMove -20, ctly 300 + YMove 15 on a 600-dpi printer with crossed offsets.
        QTest::newRow("calibrated example") << 480 << 315 << 600 << 100 << 50 << QPoint(1084, 644);
        QTest::newRow("offsets are crossed") << 0 << 254 << 100 << 7 << 0 << QPoint(0, 93);
        QTest::newRow("x may go far left") << 0 << 254 << 100 << 0 << 50 << QPoint(-50, 100);
        QTest::newRow("y of -5 is drawn at -3") << 0 << 0 << 600 << 5 << 0 << QPoint(0, -3);
        QTest::newRow("y far above is drawn at -3") << 0 << -300 << 600 << 0 << 0 << QPoint(0, -3);
        QTest::newRow("y of -2 stays") << 0 << 0 << 600 << 2 << 0 << QPoint(0, -2);
        QTest::newRow("different resolutions") << 254 << 254 << 300 << 0 << 0 << QPoint(300, 300);
    }
    void devicePosition() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, dpi);
        QFETCH(int, offsetX);
        QFETCH(int, offsetY);
        QFETCH(QPoint, expected);
        QCOMPARE(PrintGeometry::devicePosition(x, y, DeviceMetrics{dpi, dpi, offsetX, offsetY}), expected);
    }

    void sizesUseTheirOwnResolution() {
        const DeviceMetrics m{300, 600, 40, 80};
        QCOMPARE(PrintGeometry::widthToPixels(254, m), 300);
        QCOMPARE(PrintGeometry::heightToPixels(254, m), 600);
    }

    void copies_data() {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("copies");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("negative") << -4 << 1;
    }
    void copies() {
        QFETCH(int, requested);
        QFETCH(int, copies);
        QCOMPARE(PrintGeometry::jobCopies(requested), copies);
    }

    void orientation_data() {
        QTest::addColumn<QString>("hvPrint");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("1") << QStringLiteral("1") << true;
        QTest::newRow("0") << QStringLiteral("0") << false;
        QTest::newRow("2") << QStringLiteral("2") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("11") << QStringLiteral("11") << false;
    }
    void orientation() {
        QFETCH(QString, hvPrint);
        QFETCH(bool, landscape);
        QCOMPARE(PrintGeometry::isLandscape(hvPrint), landscape);
    }
};

OVERPRINT_TEST(TestPrintGeometry)
#include "TestPrintGeometry.moc"
