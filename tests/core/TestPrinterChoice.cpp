#include "support/TestRegistry.h"

#include "core/PrinterChoice.h"

#include <QTest>

using core::PrinterChoice;

class TestPrinterChoice : public QObject {
    Q_OBJECT
private slots:
    void choose_data() {
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        const QStringList two{"HP LaserJet", "Epson LQ-630K"};
        const QStringList one{"Epson LQ-630K"};
        QTest::newRow("given name, letter case ignored") << two << "epson lq-630k"
                                                         << "HP LaserJet" << 1;
        QTest::newRow("given name wins over the option") << two << "HP LaserJet"
                                                         << "Epson LQ-630K" << 0;
        QTest::newRow("blank name reads the option") << two << "  "
                                                     << "EPSON LQ-630K" << 1;
        QTest::newRow("two printers, no option: platform default") << two << ""
                                                                   << "" << -1;
        QTest::newRow("one printer, no option: unchanged") << one << ""
                                                           << "" << -1;
        QTest::newRow("unknown printer: unchanged") << two << "Canon"
                                                    << "" << -1;
        QTest::newRow("name is compared as given") << two << "HP LaserJet "
                                                   << "" << -1;
        QTest::newRow("no printers") << QStringList() << "HP"
                                     << "" << -1;
        QTest::newRow("first of equal names") << QStringList{"PDF", "pdf"} << "Pdf"
                                              << "" << 0;
    }
    void choose() {
        QFETCH(QStringList, printers);
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(int, index);
        QCOMPARE(PrinterChoice::choose(printers, name, stored), index);
        const QString current = QStringLiteral("current");
        QCOMPARE(PrinterChoice::apply(printers, name, stored, current),
                 index < 0 ? current : printers.at(index));
    }
};

OVERPRINT_TEST(TestPrinterChoice)
#include "TestPrinterChoice.moc"
