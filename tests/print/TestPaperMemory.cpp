#include "core/IniFile.h"
#include "print/PaperMemory.h"
#include "support/TestRegistry.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using print::PaperMemory;
using print::PrintDevice;

// The paper kept per printer in Config.ini comes back from the file as it was set up.
class TestPaperMemory : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<QPageSize>("size");
        QTest::addColumn<int>("source");
        QTest::newRow("A4 from the tractor") << QPageSize(QPageSize::A4) << int(QPrinter::Tractor);
        QTest::newRow("Letter, no source") << QPageSize(QPageSize::Letter) << -1;
        QTest::newRow("continuous 241 × 93 mm")
            << QPageSize(QSizeF(241, 93), QPageSize::Millimeter, QString(), QPageSize::ExactMatch)
            << int(QPrinter::Manual);
        QTest::newRow("tenths of a millimetre")
            << QPageSize(QSizeF(210.5, 99.1), QPageSize::Millimeter, QString(), QPageSize::ExactMatch) << 0;
    }
    void roundTrip() {
        QFETCH(QPageSize, size);
        QFETCH(int, source);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Config.ini"));
        {
            core::IniFile ini(file);
            PaperMemory(ini).remember(QStringLiteral("Bills"), {size, source});
            PaperMemory(ini).remember(QStringLiteral("Other"), {QPageSize(QPageSize::A5), 1});
        }
        core::IniFile reread(file);
        QVERIFY(!PaperMemory(reread).recall(QStringLiteral("Nobody")).isValid());
        const PrintDevice::Paper paper = PaperMemory(reread).recall(QStringLiteral("bills"));
        QVERIFY(paper.isValid());
        QCOMPARE(paper.size.id(), size.id());
        const QSizeF mm = paper.size.size(QPageSize::Millimeter);
        const QSizeF want = size.size(QPageSize::Millimeter);
        QVERIFY2(qAbs(mm.width() - want.width()) < 0.05 && qAbs(mm.height() - want.height()) < 0.05,
                 qPrintable(QStringLiteral("%1 × %2 mm").arg(mm.width()).arg(mm.height())));
        QCOMPARE(paper.source, source);
    }
};

OVERPRINT_TEST(TestPaperMemory)
#include "TestPaperMemory.moc"
