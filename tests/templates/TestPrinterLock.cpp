#include "core/IniFile.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/PrinterCalibration.h"
#include "templates/ui/TfmLockPrinter.h"
#include "templates/ui/TfrmPrinterParam.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using templates::PrinterCalibration;
using templates::ui::TfmLockPrinter;
using templates::ui::TfrmPrinterParam;

namespace {

QStringList offsets(TestHome& home) {
    QStringList out;
    core::Recordset rs =
        home.db().query(QStringLiteral("select XMove, YMove, HVPrint from CKTypeTable order by CheckTypeID"));
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(0) + QLatin1Char(',') + rs.text(1) + QLatin1Char(',') + rs.text(2);
    return out;
}

} // namespace

class TestPrinterLock : public QObject {
    Q_OBJECT

private slots:
    void lockStoresAndSelects() {
        TestHome home;
        QString selected;
        TfmLockPrinter lock(
            home.app(), {QStringLiteral("A"), QStringLiteral("BillPDF")},
            [&selected](const QString& name) { selected = name; },
            [] {
                return QStringList{"A", "BillPDF"};
            });
        auto* box = lock.findChild<QComboBox*>(QStringLiteral("cbPrinters"));
        QCOMPARE(box->currentIndex(), -1);
        QVERIFY(!lock.findChild<QPushButton*>(QStringLiteral("btLock"))->isEnabled());
        box->setCurrentIndex(1);
        lock.findChild<QPushButton*>(QStringLiteral("btLock"))->click();
        QCOMPARE(home.app().getConfigByname(QStringLiteral("DefaultPrinter")), QStringLiteral("BillPDF"));
        QCOMPARE(selected, QStringLiteral("BillPDF"));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("默认票据打印机设置成功！"));

        TfmLockPrinter again(home.app(), {QStringLiteral("A"), QStringLiteral("BillPDF")}, {}, {});
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("cbPrinters"))->currentText(),
                 QStringLiteral("BillPDF"));
    }

    void goneOrNoPrinters() {
        TestHome home;
        TfmLockPrinter gone(home.app(), {QStringLiteral("Old")}, {}, [] { return QStringList{}; });
        gone.findChild<QComboBox*>(QStringLiteral("cbPrinters"))->setCurrentIndex(0);
        gone.findChild<QPushButton*>(QStringLiteral("btLock"))->click();
        QVERIFY(home.dialogs().lastText().contains(QStringLiteral("现在不可用")));
        QCOMPARE(home.app().getConfigByname(QStringLiteral("DefaultPrinter")), QString());

        home.dialogs().clear();
        TfmLockPrinter none(home.app(), {}, {}, {});
        QCOMPARE(home.dialogs().texts(),
                 QStringList{QStringLiteral("没有检测到打印机！请安装打印机并重启动本软件！")});
        QVERIFY(!none.findChild<QPushButton*>(QStringLiteral("btShiPei"))->isEnabled());
    }

    void presetsFromSettings() {
        TestHome home;
        const QStringList models = PrinterCalibration::knownModels(home.app().userIni());
        QCOMPARE(models.size(), 3);
        QCOMPARE(PrinterCalibration::preset(home.app().userIni(), models.at(2)).direction,
                 QStringLiteral("纵向"));
        home.app().userIni().eraseSection(QStringLiteral("PrinterWeKnow"));
        QCOMPARE(PrinterCalibration::knownModels(home.app().userIni()),
                 QStringList{PrinterCalibration::kNoPresets});
        TfrmPrinterParam window(home.app(), {QStringLiteral("BillPDF")}, {});
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("edtOX"))->text(), QString());
    }

    // Applying checks everything first: a refused direction or model name, or a printer gone
    // since start, writes nothing; a good one changes every template and remembers itself.
    void apply_data() {
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("written");
        const QStringList pdf{QStringLiteral("BillPDF")};
        QTest::newRow("landscape") << "横向"
                                   << "我的针打" << pdf << "配置修改成功！" << true;
        QTest::newRow("direction typed by hand") << "斜向"
                                                 << "我的针打" << pdf << "非法的打印方向参数！" << false;
        QTest::newRow("no direction") << ""
                                      << "我的针打" << pdf << "请选择打印方向！" << false;
        QTest::newRow("no model") << "纵向"
                                  << "  " << pdf << "请输入适配打印机类型名！" << false;
        QTest::newRow("model breaks the file") << "纵向"
                                               << "a=b[c]" << pdf << "适配打印机类型名不能含有" << false;
        QTest::newRow("printer gone") << "纵向"
                                      << "我的针打" << QStringList{} << "现在不可用" << false;
    }
    void apply() {
        QFETCH(QString, direction);
        QFETCH(QString, model);
        QFETCH(QStringList, installed);
        QFETCH(QString, said);
        QFETCH(bool, written);
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set XMove=55 where CheckTypeID=2"));
        const QStringList before = offsets(home);
        TfmLockPrinter lock(home.app(), {QStringLiteral("BillPDF")}, {}, [installed] { return installed; });
        lock.findChild<QComboBox*>(QStringLiteral("cbPrinters"))->setCurrentIndex(0);
        bool ran = false;
        lock.runCalibration = [&](QDialog& d) {
            ran = true;
            QVERIFY(!d.findChild<QComboBox*>(QStringLiteral("cb_PrintersClient"))->isEnabled());
            d.findChild<QSpinBox*>(QStringLiteral("edtUX"))->setValue(-30);
            d.findChild<QSpinBox*>(QStringLiteral("edtUY"))->setValue(12);
            d.findChild<QComboBox*>(QStringLiteral("cbUDirection"))->setCurrentText(direction);
            d.findChild<QLineEdit*>(QStringLiteral("edtUPrinter"))->setText(model);
            home.dialogs().answers.enqueue(1);
            static_cast<TfrmPrinterParam&>(d).BitBtn1Click();
        };
        lock.findChild<QPushButton*>(QStringLiteral("btShiPei"))->click();
        QVERIFY(ran);
        QVERIFY2(home.dialogs().lastText().contains(said), qPrintable(home.dialogs().lastText()));
        const PrinterCalibration use = PrinterCalibration::inUse(home.app().userIni());
        if (written) {
            QCOMPARE(offsets(home), QStringList({"-30,12,1", "-30,12,1"}));
            QCOMPARE(use.model, model);
            QCOMPARE(use.printer, QStringLiteral("BillPDF"));
            QCOMPARE(use.x, QStringLiteral("-30"));
            QCOMPARE(home.app().currentPrinter(), QStringLiteral("BillPDF"));
            core::IniFile reread(home.app().userIni().fileName());
            QCOMPARE(reread.readString(QStringLiteral("printeruse"), model + QStringLiteral(".d")),
                     direction);
        } else {
            QCOMPARE(offsets(home), before);
            QCOMPARE(use.model, QString());
        }
    }
};

OVERPRINT_TEST(TestPrinterLock)
#include "TestPrinterLock.moc"
