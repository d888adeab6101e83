#include "core/ScriptedDialogs.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/PreviewPlan.h"
#include "templates/ui/Tfm_PrintPreview.h"
#include "templates/ui/TfrmPrintOffset.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using templates::ui::TfrmPrintOffset;

namespace {

QVariantMap row(TestHome& home, int id) {
    core::Recordset rs = home.db().query(QStringLiteral("select * from CKTypeTable where CheckTypeID=:id"),
                                         {{QStringLiteral("id"), id}});
    rs.first();
    QVariantMap out;
    for (const char* c : {"XMove", "YMove", "TWidth", "THeight", "PWidth", "PHeight", "HVPrint"})
        out.insert(QLatin1String(c), rs.text(QLatin1String(c)));
    return out;
}

void click(QWidget& window, const QString& name) {
    auto* b = window.findChild<QAbstractButton*>(name);
    QVERIFY2(b, qPrintable(name));
    b->click();
}

} // namespace

class TestPrintOffset : public QObject {
    Q_OBJECT

private slots:
    void feedPicture_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("picture");
        QTest::newRow("portrait") << "lbPictureZX"
                                  << "sys_exZX.jpg";
        QTest::newRow("landscape") << "lbPictureHX"
                                   << "sys_exHX.jpg";
    }

    // A program folder made from the shipped data has the pictures, in the image folder whose
    // name has a capital I.
    void feedPicture() {
        QFETCH(QString, link);
        QFETCH(QString, picture);
        TestHome home;
        QVERIFY(!QImage(home.path() + QStringLiteral("Image/") + picture).isNull());
        TfrmPrintOffset window(home.app(), 1);
        auto* label = window.findChild<QLabel*>(link);
        QVERIFY(label);
        emit label->linkActivated(QStringLiteral("x"));
        QCOMPARE(home.dialogs().texts(), QStringList());
        bool shown = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("templates::ui::TfrmImageShow") && w->isVisible()) {
                shown = true;
                w->close();
            }
        QVERIFY(shown);
    }

    void pointIsSwallowed() {
        TestHome home;
        TfrmPrintOffset window(home.app(), 1);
        auto* box = window.findChild<QSpinBox*>(QStringLiteral("XMove"));
        auto* edit = box->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("12.5"));
        QCOMPARE(box->value(), 125);

        // The screen size is fixed until a double click opens it for typing, and another
        // closes it again.
        auto* width = window.findChild<QSpinBox*>(QStringLiteral("edtTWidth"));
        QVERIFY(width->isReadOnly());
        QTest::mouseDClick(width->findChild<QLineEdit*>(), Qt::LeftButton);
        QVERIFY(!width->isReadOnly());
        QTest::mouseDClick(width->findChild<QLineEdit*>(), Qt::LeftButton);
        QVERIFY(width->isReadOnly());
    }

    void arrowsWithoutTemplate() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set Visiable='停用隐藏'"));
        const QVariantMap before = row(home, 1);
        TfrmPrintOffset window(home.app(), 0);
        home.dialogs().clear();
        click(window, QStringLiteral("btMoveRight"));
        click(window, QStringLiteral("btSaveMove"));
        QCOMPARE(home.dialogs().texts(), QStringList({QStringLiteral("请在左侧选择要设置的快递单据！"),
                                                      QStringLiteral("请选择要设置的票据类型！")}));
        QCOMPARE(row(home, 1), before);
    }

    void hiddenTemplateFallsBackToFirst() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set Visiable='停用隐藏' where CheckTypeID=2"));
        TfrmPrintOffset window(home.app(), 2);
        QCOMPARE(home.dialogs().texts(),
                 QStringList{QStringLiteral("没有找到编号为2的票据，请查看是否存在或被隐藏。")});
        auto* list = window.findChild<QListWidget*>(QStringLiteral("listCheckTypeName"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(window.currentId(), 1);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lbTypeName"))->text(),
                 QStringLiteral("当前调整：出货单（标准）"));
        QCOMPARE(window.windowTitle(), QStringLiteral("出货单（标准）"));
    }

    // Arrows store their one column at once; sizes outside the usual ranges (or 0, as an
    // imported template may have) and an unusual direction are shown and never rewritten.
    void arrowsWriteOnlyTheOffset_data() {
        QTest::addColumn<int>("pWidth");
        QTest::addColumn<int>("pHeight");
        QTest::addColumn<QString>("hv");
        QTest::newRow("usual") << 2410 << 1400 << "0";
        QTest::newRow("tall paper") << 2410 << 3200 << "1";
        QTest::newRow("imported, no size") << 0 << 0 << "2";
    }
    void arrowsWriteOnlyTheOffset() {
        QFETCH(int, pWidth);
        QFETCH(int, pHeight);
        QFETCH(QString, hv);
        TestHome home;
        home.db().exec(
            QStringLiteral("update CKTypeTable set XMove=2995, YMove=-5, PWidth=:w, PHeight=:h, "
                           "HVPrint=:hv where CheckTypeID=1"),
            {{QStringLiteral("w"), pWidth}, {QStringLiteral("h"), pHeight}, {QStringLiteral("hv"), hv}});
        TfrmPrintOffset window(home.app(), 1);
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtPHeight"))->value(), pHeight);
        // Only "1" is landscape, as printing reads it.
        QCOMPARE(window.findChild<QRadioButton*>(QStringLiteral("rdHX"))->isChecked(),
                 hv == QLatin1String("1"));
        click(window, QStringLiteral("btMoveRight"));
        QCOMPARE(window.windowTitle(), QStringLiteral("票据整体属性修改成功！"));
        click(window, QStringLiteral("btMoveRight")); // at the end of the range: nothing changes
        QCOMPARE(window.windowTitle(), QStringLiteral("票据整体属性没有变动！"));
        click(window, QStringLiteral("btMoveDown"));
        QVariantMap want{{"XMove", "3000"},
                         {"YMove", "5"},
                         {"TWidth", "911"},
                         {"THeight", "529"},
                         {"PWidth", QString::number(pWidth)},
                         {"PHeight", QString::number(pHeight)},
                         {"HVPrint", hv}};
        QCOMPARE(row(home, 1), want);
        // The arrows saved already; the button says so rather than that nothing changed.
        click(window, QStringLiteral("btSaveMove"));
        QCOMPARE(home.dialogs().texts().value(0), QStringLiteral("票据整体属性修改成功！"));
        QCOMPARE(window.windowTitle(), home.dialogs().texts().value(0));
        QCOMPARE(row(home, 1), want);
        click(window, QStringLiteral("btSaveMove"));
        QCOMPARE(home.dialogs().texts().value(1), QStringLiteral("票据整体属性没有变动！"));
        QCOMPARE(window.windowTitle(), home.dialogs().texts().value(1));

        window.findChild<QRadioButton*>(QLatin1String(hv == QLatin1String("1") ? "rdZX" : "rdHX"))
            ->setChecked(true);
        click(window, QStringLiteral("btSaveMove"));
        QCOMPARE(home.dialogs().texts().value(2), QStringLiteral("票据整体属性修改成功！"));
        want.insert(QStringLiteral("HVPrint"), hv == "1" ? "0" : "1");
        QCOMPARE(row(home, 1), want);
    }

    void failedSaveIsSaid() {
        TestHome home;
        TfrmPrintOffset window(home.app(), 1);
        home.db().exec(QStringLiteral("create trigger refuse before update on CKTypeTable begin "
                                      "select raise(abort, 'read only'); end"));
        window.findChild<QSpinBox*>(QStringLiteral("XMove"))->setValue(40);
        click(window, QStringLiteral("btSaveMove"));
        QCOMPARE(home.dialogs().texts().size(), 1);
        QVERIFY(home.dialogs().texts().at(0).startsWith(QStringLiteral("票据整体属性保存失败：")));
        QCOMPARE(row(home, 1).value(QStringLiteral("XMove")).toString(), QStringLiteral("0"));
    }

    void previewIgnoresOffsetAndBack() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set XMove=100, YMove=-50 where CheckTypeID=1"));
        templates::ui::Tfm_PrintPreview preview(home.app(), 1);
        QVERIFY(preview.isValid());
        templates::ui::PreviewPaper* paper = preview.paper();
        const QPoint origin(templates::ui::PreviewPaper::kOriginX, templates::ui::PreviewPaper::kOriginY);
        const QPoint moved = origin + QPoint(paper->toPixelsX(100), paper->toPixelsY(-50));
        QCOMPARE(paper->paperOrigin(), moved);
        auto* ignore = preview.findChild<QCheckBox*>(QStringLiteral("ckNoMoveXY"));
        ignore->setChecked(true);
        QCOMPARE(paper->paperOrigin(), origin);
        ignore->setChecked(false);
        QCOMPARE(paper->paperOrigin(), moved);
        QCOMPARE(preview.findChild<QLineEdit*>(QStringLiteral("edtMoveY"))->text(), QStringLiteral("-0.5"));
        QCOMPARE(row(home, 1).value(QStringLiteral("XMove")).toString(), QStringLiteral("100"));
    }

    void previewWithoutKind() {
        TestHome home;
        templates::ui::Tfm_PrintPreview preview(home.app(), 77);
        QVERIFY(!preview.isValid());
        QCOMPARE(home.dialogs().texts(), QStringList{QStringLiteral("没有找到对应的单据信息~")});
    }

    // The preview plans what prints: test values, the label when there is none, nothing for
    // items switched off; an edited test value is stored and drawn.
    void previewPlansTestValues() {
        TestHome home;
        home.db().exec(QStringLiteral("update NameDict set CtlData='' where CtlName='zdGKLXR'"));
        home.db().exec(QStringLiteral("update NameDict set PrintItem=0 where CtlName='zdPJBH'"));
        templates::PreviewPlan plan = templates::PreviewPlan::load(home.db(), 1);
        auto texts = [&plan] {
            QStringList out;
            for (const auto& op : plan.ops)
                out << op.text;
            return out;
        };
        QVERIFY(texts().contains(QStringLiteral("客户联系人")));
        QVERIFY(!texts().contains(QStringLiteral("00000001")));
        home.db().exec(QStringLiteral("update NameDict set CtlData='张三' where CtlName='zdGKLXR'"));
        plan.replan(home.db());
        QVERIFY(texts().contains(QStringLiteral("张三")));
    }
};

OVERPRINT_TEST(TestPrintOffset)
#include "TestPrintOffset.moc"
