#include "support/TestRegistry.h"
#include "templates/WindowFit.h"

#include <QTest>

class TestWindowFit : public QObject {
    Q_OBJECT

private slots:
    void fitWindow_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        // 1366 x 768 with a 40-pixel task bar at the bottom.
        const QRect office(0, 0, 1366, 728);
        QTest::newRow("designer too tall, low on the screen")
            << QRect(33, 40, 1300, 760) << office << QRect(33, 30, 1300, 694);
        QTest::newRow("too wide and off to the right")
            << QRect(500, 100, 1500, 500) << office << QRect(4, 100, 1358, 500);
        QTest::newRow("fits already, stays")
            << QRect(100, 100, 800, 500) << office << QRect(100, 100, 800, 500);
        QTest::newRow("above the area") << QRect(10, 5, 800, 500) << office << QRect(10, 30, 800, 500);
        QTest::newRow("second screen to the right")
            << QRect(1300, 40, 1300, 760) << QRect(1366, 0, 1920, 1040) << QRect(1370, 40, 1300, 760);
        QTest::newRow("large screen keeps the size")
            << QRect(33, 40, 1300, 760) << QRect(0, 0, 1920, 1040) << QRect(33, 40, 1300, 760);
    }
    void fitWindow() {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        const QMargins frame(4, 30, 4, 4);
        const QRect got = templates::fitWindow(wanted, available, frame);
        QCOMPARE(got, placed);
        QVERIFY(available.contains(got.marginsAdded(frame)));
    }
};

OVERPRINT_TEST(TestWindowFit)
#include "TestWindowFit.moc"
