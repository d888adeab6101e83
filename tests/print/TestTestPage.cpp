#include "PrintFixture.h"
#include "print/TestPage.h"
#include "support/TestRegistry.h"

#include <QTest>

using print::DrawOp;
using print::TestPage;

// The test page: what each item contributes, with the template's offset applied.
class TestTestPage : public QObject {
    Q_OBJECT

private slots:
    void marksOfOneItem_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QVariantMap>("layout");
        QTest::addColumn<QString>("testValue");
        QTest::addColumn<QStringList>("marks"); // "L x,y,length,v|h" and "T x,y:text"
        const QVariantMap sized{{QStringLiteral("CtlW"), 300}, {QStringLiteral("CtlH"), 50}};
        QTest::newRow("frame of a sized box")
            << int(TestPage::Mode::Frames) << sized << QString()
            << QStringList{"L 120,230,300,h", "L 120,280,300,h", "L 120,230,50,v", "L 420,230,50,v",
                           "T 125,235:客户名称"};
        QTest::newRow("corner of a box without size")
            << int(TestPage::Mode::Frames) << QVariantMap{{QStringLiteral("CtlW"), 0}} << QString()
            << QStringList{"L 120,230,30,h", "L 120,230,30,v", "T 125,235:客户名称"};
        QTest::newRow("test value") << int(TestPage::Mode::Values) << sized << QStringLiteral("O'Brien 商行")
                                    << QStringList{"T 120,230:O'Brien 商行"};
        QTest::newRow("label without a test value")
            << int(TestPage::Mode::Values) << sized << QString() << QStringList{"T 120,230:客户名称"};
        QTest::newRow("not shown on the form")
            << int(TestPage::Mode::Frames) << QVariantMap{{QStringLiteral("NeedShow"), 0}} << QString()
            << QStringList{};
        QTest::newRow("not printed") << int(TestPage::Mode::Values)
                                     << QVariantMap{{QStringLiteral("NeedPrint"), 0}} << QStringLiteral("X")
                                     << QStringList{};
    }
    void marksOfOneItem() {
        QFETCH(int, mode);
        QFETCH(QVariantMap, layout);
        QFETCH(QString, testValue);
        QFETCH(QStringList, marks);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.placeTemplate(20, 30, QStringLiteral("0"));
        f.addItem(QStringLiteral("zdGKMC"), 1);
        f.home.db().exec(
            QStringLiteral("update NameDict set CtlLabel=:l, CtlData=:d where CtlName='zdGKMC'"),
            {{QStringLiteral("l"), QStringLiteral("客户名称")}, {QStringLiteral("d"), testValue}});
        f.addLayout(QStringLiteral("zdGKMC"), layout);
        QStringList got;
        for (const DrawOp& op : TestPage::plan(f.home.db(), PrintFixture::kTemplate, TestPage::Mode(mode))) {
            if (op.kind == DrawOp::Kind::Line)
                got << QStringLiteral("L %1,%2,%3,%4")
                           .arg(op.x)
                           .arg(op.y)
                           .arg(op.length)
                           .arg(op.vertical ? 'v' : 'h');
            else
                got << QStringLiteral("T %1,%2:%3").arg(op.x).arg(op.y).arg(op.text);
        }
        QCOMPARE(got, marks);
    }
};

OVERPRINT_TEST(TestTestPage)
#include "TestTestPage.moc"
