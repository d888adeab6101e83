#include "core/ScriptedDialogs.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/ui/TfrmBillImportExport.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using templates::ui::TfrmBillImportExport;

namespace {

void click(QWidget& window, const char* name) {
    auto* b = window.findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(b && b->isEnabled(), name);
    b->click();
}

} // namespace

class TestBillImportExport : public QObject {
    Q_OBJECT

private slots:
    // Export both templates through the window, then bring them back through it.
    void exportThenImport() {
        QTemporaryDir dir;
        TestHome home;
        TfrmBillImportExport window(home.app(), TfrmBillImportExport::Pages::Both);
        window.loadExistsChecks();
        click(window, "btESelAll");
        const QString path = dir.filePath(QStringLiteral("出货单-标准等2个模板.qpk"));
        home.dialogs().files.enqueue(path);
        click(window, "btBrowseExport");
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("edtExportFolder"))->text(), path);
        click(window, "btExport");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("导出完成,成功导出2个单据！"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lbProcessOut"))->text(), QStringLiteral("2/2"));

        home.db().exec(QStringLiteral("update CKTypeTable set IsDefault='0', THeight=1 where CheckTypeID=1"));
        home.dialogs().files.enqueue(path);
        click(window, "btBrowseImport");
        QCOMPARE(window.findChild<QListWidget*>(QStringLiteral("lstImpSel"))->count(), 1);
        click(window, "btImpSelAll");
        click(window, "btImport");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("导入结束，成功导入单据2个!"));
        QVERIFY(window.importedAny());
        QCOMPARE(
            home.db().scalar(QStringLiteral("select THeight from CKTypeTable where CheckTypeID=1")).toInt(),
            529);
    }

    // "X" empties the import list and lists the chosen package again, which stays chosen.
    void clearKeepsThePackage() {
        TestHome home;
        TfrmBillImportExport window(home.app(), TfrmBillImportExport::Pages::ImportOnly);
        home.dialogs().files.enqueue(TestHome::testData(QStringLiteral("packages/good.qpk")));
        click(window, "btBrowseImport");
        click(window, "btImpClear");
        QCOMPARE(window.findChild<QListWidget*>(QStringLiteral("lstImpSel"))->count(), 0);
        QCOMPARE(window.findChild<QListWidget*>(QStringLiteral("lstImpFrom"))->count(), 1);
        click(window, "btImpSelAll");
        click(window, "btImport");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("导入结束，成功导入单据1个!"));
    }

    void refusedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("other extension")
            << QStringLiteral("a.txt") << QByteArray("x")
            << QStringLiteral("请选择标准的青木鸟票据包，例如：中国银行进账单.qpk");
        QTest::newRow("not a package")
            << QStringLiteral("a.zrx") << QByteArray(4096, 'x') << QStringLiteral(":),数据包访问异常！");
    }
    void refusedFiles() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile f(dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        TestHome home;
        TfrmBillImportExport window(home.app(), TfrmBillImportExport::Pages::ImportOnly);
        home.dialogs().files.enqueue(f.fileName());
        click(window, "btBrowseImport");
        QCOMPARE(home.dialogs().lastText(), message);
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("btImport"))->isEnabled());
    }
};

OVERPRINT_TEST(TestBillImportExport)
#include "TestBillImportExport.moc"
