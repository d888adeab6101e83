#include "core/Recordset.h"
#include "designer/ui/LayoutSurface.h"
#include "designer/ui/TfmTemplateDesigner.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using designer::ui::LayoutSurface;
using designer::ui::TfmTemplateDesigner;

namespace {

QStringList snapshot(TestHome& home) {
    QStringList out;
    for (const char* table : {"ckControl", "CKTypeTable", "NameDict"}) {
        core::Recordset rs = home.db().query(QStringLiteral("select * from ") + QLatin1String(table) +
                                             QStringLiteral(" order by 1"));
        for (rs.first(); !rs.eof(); rs.next()) {
            QStringList row;
            for (int c = 0; c < rs.fieldCount(); ++c)
                row << rs.text(c);
            out << row.join(QLatin1Char('|'));
        }
    }
    return out;
}

int value(TestHome& home, const char* name, const char* column) {
    return home.db()
        .scalar(QStringLiteral("select ") + QLatin1String(column) +
                    QStringLiteral(" from ckControl where CheckTypeId=1 and CtlName=:n"),
                {{QStringLiteral("n"), QLatin1String(name)}})
        .toInt();
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QPoint partCentre(LayoutSurface* s, const QString& item, int index) {
    const auto parts = s->partsOf(item);
    return index < parts.size() ? parts.at(index).rect.topLeft() + QPoint(2, 2) : QPoint(-1, -1);
}

QStringList partNames(LayoutSurface* s, const QString& item) {
    QStringList out;
    for (const auto& p : s->partsOf(item))
        out << p.name;
    return out;
}

const QString kLongAddress =
    QStringLiteral("广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼一二零三室收货部张先生转交");

} // namespace

class TestLayoutDesigner : public QObject {
    Q_OBJECT

private slots:
    void openingShowsThePlanAndWritesNothing() {
        TestHome home;
        const QStringList before = snapshot(home);
        TfmTemplateDesigner window(home.app(), 1);
        QVERIFY(window.isValid());
        QCOMPARE(window.windowTitle(), QStringLiteral("【出货单（标准）】打印设置"));
        LayoutSurface* s = window.surface();
        const QRect pjbh = s->partsOf(QStringLiteral("zdPJBH")).value(0).rect;
        QCOMPARE(pjbh.topLeft(), QPoint(s->scale().toPixels(1890), s->scale().toPixels(175)));
        if (s->scale().dpi() == 96)
            QCOMPARE(pjbh.topLeft(), QPoint(714, 66));
        // Selecting loads the properties in the loading state: nothing is written.
        window.selectItem(QStringLiteral("zdGKAddr"));
        window.selectItem(QStringLiteral("zdPJBH"));
        QCOMPARE(window.currentName(), QStringLiteral("zdPJBH"));
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtCtlX"))->value(), 1890);
        QCOMPARE(snapshot(home), before);
        // A hidden item never prints, so it is only outlined.
        home.db().exec(
            QStringLiteral("update ckControl set NeedShow=0 where CheckTypeId=1 and CtlName='zdPJBH'"));
        window.btLoadCheckItemClick();
        QVERIFY(!s->partsOf(QStringLiteral("zdPJBH")).value(0).prints);
    }

    void noKindDoesNotOpen() {
        TestHome home;
        TfmTemplateDesigner window(home.app(), 4711);
        QVERIFY(!window.isValid());
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("没有找到对应的单据信息~"));
    }

    void drag_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("part");
        QTest::addColumn<QPoint>("delta");
        QTest::newRow("single line 38 px right") << QStringLiteral("zdPJBH") << 0 << QPoint(38, 0);
        QTest::newRow("first line") << QStringLiteral("zdGKAddr") << 0 << QPoint(38, 0);
        QTest::newRow("second line") << QStringLiteral("zdGKAddr") << 1 << QPoint(38, 0);
        QTest::newRow("third line up left") << QStringLiteral("zdGKAddr") << 2 << QPoint(-7, -20);
        QTest::newRow("wobble") << QStringLiteral("zdGKAddr") << 1 << QPoint(1, 1);
    }
    void drag() {
        QFETCH(QString, item);
        QFETCH(int, part);
        QFETCH(QPoint, delta);
        TestHome home;
        home.db().exec(QStringLiteral("update NameDict set CtlData=:a where CtlName='zdGKAddr'"),
                       {{QStringLiteral("a"), kLongAddress}});
        TfmTemplateDesigner window(home.app(), 1);
        LayoutSurface* s = window.surface();
        QCOMPARE(partNames(s, QStringLiteral("zdGKAddr")),
                 QStringList({QStringLiteral("zdGKAddrL0"), QStringLiteral("zdGKAddrL1"),
                              QStringLiteral("zdGKAddrL2")}));
        const QByteArray name = item.toLatin1();
        const int x = value(home, name, "CtlX");
        const int y = value(home, name, "CtlY");
        const QStringList before = snapshot(home);

        const QPoint from = partCentre(s, item, part);
        mouse(s, QEvent::MouseButtonPress, from, Qt::LeftButton);
        QCOMPARE(window.currentName(), item);
        mouse(s, QEvent::MouseMove, from + delta / 2, Qt::LeftButton);
        mouse(s, QEvent::MouseMove, from + delta, Qt::LeftButton);
        const bool dragged = delta.manhattanLength() >= QApplication::startDragDistance();
        const int dx = dragged ? s->scale().toTenths(delta.x()) : 0;
        const int dy = dragged ? s->scale().toTenths(delta.y()) : 0;
        // While dragging the boxes show where the item would go; nothing is written yet.
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtCtlX"))->value(), x + dx);
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtCtlY"))->value(), y + dy);
        QCOMPARE(snapshot(home), before);
        mouse(s, QEvent::MouseButtonRelease, from + delta, Qt::NoButton);

        if (dragged && s->scale().dpi() == 96 && delta == QPoint(38, 0))
            QCOMPARE(dx, 101);
        QCOMPARE(value(home, name, "CtlX"), x + dx);
        QCOMPARE(value(home, name, "CtlY"), y + dy);
        // Nothing but the position changed.
        QStringList after = snapshot(home);
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += after.at(i) != before.at(i);
        QCOMPARE(changed, dragged ? 1 : 0);
    }

    void unfinishedDragWritesNothing_data() {
        QTest::addColumn<bool>("zoom");
        QTest::newRow("zoom changed") << true;
        QTest::newRow("window closed") << false;
    }
    void unfinishedDragWritesNothing() {
        QFETCH(bool, zoom);
        TestHome home;
        TfmTemplateDesigner window(home.app(), 1);
        const QStringList before = snapshot(home);
        LayoutSurface* s = window.surface();
        const QPoint from = partCentre(s, QStringLiteral("zdPJBH"), 0);
        mouse(s, QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(s, QEvent::MouseMove, from + QPoint(40, 10), Qt::LeftButton);
        QVERIFY(s->dragging());
        if (zoom)
            window.findChild<QComboBox*>(QStringLiteral("cbZoom"))->setCurrentText(QStringLiteral("150"));
        else
            window.close();
        QVERIFY(!s->dragging());
        mouse(s, QEvent::MouseButtonRelease, from + QPoint(60, 10), Qt::NoButton);
        QCOMPARE(snapshot(home), before);
    }

    void stepAndBatchOnTwoItems() {
        TestHome home;
        TfmTemplateDesigner window(home.app(), 1);
        window.setMultiple(true);
        window.selectItem(QStringLiteral("zdPJBH"));
        window.selectItem(QStringLiteral("zdGKAddr"));
        QCOMPARE(window.selectedNames(), QStringList({QStringLiteral("zdPJBH"), QStringLiteral("zdGKAddr")}));
        QVERIFY(window.findChild<QTabWidget*>(QStringLiteral("PageControlUpdate"))->isVisibleTo(&window));
        QVERIFY(!window.findChild<QWidget*>(QStringLiteral("pnlProperty"))->isVisibleTo(&window));
        window.findChild<QSpinBox*>(QStringLiteral("StepLenth"))->setValue(10);
        window.findChild<QPushButton*>(QStringLiteral("btMoveRight"))->click();
        QCOMPARE(value(home, "zdPJBH", "CtlX"), 1900);
        QCOMPARE(value(home, "zdGKAddr", "CtlX"), 320);
        QTest::keyClick(window.surface(), Qt::Key_Up);
        QCOMPARE(value(home, "zdPJBH", "CtlY"), 165);
        QCOMPARE(value(home, "zdGKAddr", "CtlY"), 340);
        // The surface follows the stored values.
        QCOMPARE(window.surface()->partsOf(QStringLiteral("zdGKAddr")).value(0).rect.left(),
                 window.surface()->scale().toPixels(320));
        window.findChild<QPushButton*>(QStringLiteral("btBatch0"))->click(); // 最左对齐
        QCOMPARE(value(home, "zdPJBH", "CtlX"), 320);
        QCOMPARE(value(home, "zdGKAddr", "CtlX"), 320);
        QCOMPARE(window.statusMessage(), QStringLiteral("2批量修改最左对齐成功！"));
        // The single-item save refuses two items.
        window.btSaveXYWHClick();
        QCOMPARE(window.statusMessage(), QStringLiteral("单选一个项目才可以保存！"));
    }

    void storedValuesOutsideTheRangesStay() {
        TestHome home;
        // An imported template below the paper and an item moved left of the edge.
        home.db().exec(QStringLiteral(
            "update ckControl set CtlY=1500, CtlX=-20, CtlW=3500 where CheckTypeId=1 and CtlName='zdPJBH'"));
        TfmTemplateDesigner window(home.app(), 1);
        const QStringList before = snapshot(home);
        window.selectItem(QStringLiteral("zdPJBH"));
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtCtlY"))->value(), 1500);
        QCOMPARE(window.findChild<QSpinBox*>(QStringLiteral("edtCtlX"))->value(), -20);
        window.btSaveXYWHClick();
        QCOMPARE(snapshot(home), before);
        // What the clerk changes is written, and only that.
        window.findChild<QSpinBox*>(QStringLiteral("edtCtlH"))->setValue(60);
        QCOMPARE(value(home, "zdPJBH", "CtlH"), 60);
        QCOMPARE(value(home, "zdPJBH", "CtlY"), 1500);
    }

    void breakingFollowsThePrinter() {
        TestHome home;
        home.db().exec(QStringLiteral("update NameDict set CtlData=:a where CtlName='zdGKAddr'"),
                       {{QStringLiteral("a"), kLongAddress}});
        // "5 " is no count for the printer: no breaking, on paper and here.
        home.db().exec(
            QStringLiteral("update ckControl set BreakNum='5 ' where CheckTypeId=1 and CtlName='zdGKAddr'"));
        TfmTemplateDesigner window(home.app(), 1);
        LayoutSurface* s = window.surface();
        QCOMPARE(partNames(s, QStringLiteral("zdGKAddr")), QStringList(QStringLiteral("zdGKAddr")));
        window.selectItem(QStringLiteral("zdGKAddr"));
        auto* breaking = window.findChild<QCheckBox*>(QStringLiteral("ckMutiLineOn"));
        QVERIFY(!breaking->isChecked());
        window.findChild<QSpinBox*>(QStringLiteral("edtBreakNum"))->setValue(20);
        breaking->setChecked(true);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select BreakNum from ckControl where CheckTypeId=1 and "
                                            "CtlName='zdGKAddr'"))
                     .toString(),
                 QStringLiteral("20"));
        QCOMPARE(partNames(s, QStringLiteral("zdGKAddr")).size(), 3);
        breaking->setChecked(false);
        QCOMPARE(partNames(s, QStringLiteral("zdGKAddr")), QStringList(QStringLiteral("zdGKAddr")));
        // Cells spread every character, whatever the width.
        auto* cells = window.findChild<QCheckBox*>(QStringLiteral("ckWidthAveOn"));
        cells->setChecked(true);
        QCOMPARE(partNames(s, QStringLiteral("zdGKAddr")).value(1), QStringLiteral("zdGKAddrR2"));
    }

    void propertyWrites_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::newRow("bold") << QStringLiteral("ckBold") << QStringLiteral("Bold") << QStringLiteral("1");
        QTest::newRow("underline") << QStringLiteral("ckUnderLine") << QStringLiteral("UnderLine")
                                   << QStringLiteral("1");
        QTest::newRow("right") << QStringLiteral("alRight") << QStringLiteral("Align") << QStringLiteral("2");
        QTest::newRow("centre") << QStringLiteral("alCenter") << QStringLiteral("Align")
                                << QStringLiteral("1");
        QTest::newRow("font size") << QStringLiteral("edtFontSize") << QStringLiteral("CtlFontSize")
                                   << QStringLiteral("14");
        QTest::newRow("line height") << QStringLiteral("edtLineH") << QStringLiteral("CtlLH")
                                     << QStringLiteral("60");
        QTest::newRow("cells") << QStringLiteral("ckWidthAveOn") << QStringLiteral("FitParam")
                               << QStringLiteral("20");
        QTest::newRow("default") << QStringLiteral("edtDefaultValue") << QStringLiteral("InitValue")
                                 << QStringLiteral("深圳");
    }
    void propertyWrites() {
        QFETCH(QString, control);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set IniFile='1.ini' where CheckTypeId=1"));
        TfmTemplateDesigner window(home.app(), 1);
        window.selectItem(QStringLiteral("zdGKAddr"));
        const QStringList before = snapshot(home);
        QWidget* w = window.findChild<QWidget*>(control);
        QVERIFY2(w, qPrintable(control));
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->click();
        else if (auto* box = qobject_cast<QSpinBox*>(w))
            box->setValue(stored.toInt());
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            typeText(edit, stored);
        const QString now =
            home.db()
                .scalar(QStringLiteral("select ") + column +
                        QStringLiteral(" from ckControl where CheckTypeId=1 and CtlName='zdGKAddr'"))
                .toString();
        QCOMPARE(now, stored);
        // One column of one row changed, and the layout cache is marked only for the default value.
        const QStringList after = snapshot(home);
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += after.at(i) != before.at(i);
        QCOMPARE(changed, column == QLatin1String("InitValue") ? 2 : 1);
        QVERIFY(window.statusMessage().endsWith(QStringLiteral("属性保存成功~")));
    }

    void testValueAndFullScreen() {
        TestHome home;
        TfmTemplateDesigner window(home.app(), 1);
        window.selectItem(QStringLiteral("zdPJBH"));
        window.findChild<QComboBox*>(QStringLiteral("cbTestData"))->setCurrentText(QStringLiteral(" 0518 "));
        window.btUpdateTestDataClick();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("更新成功！"));
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select CtlData from NameDict where CheckTypeName='出货单' and "
                                            "CtlName='zdPJBH'"))
                     .toString(),
                 QStringLiteral("0518"));
        auto* full = window.findChild<QPushButton*>(QStringLiteral("btMaxVeiw"));
        full->click();
        QCOMPARE(full->text(), QStringLiteral("返回"));
        QVERIFY(!window.findChild<QWidget*>(QStringLiteral("pnlTool"))->isVisibleTo(&window));
        full->click();
        QCOMPARE(full->text(), QStringLiteral("满屏"));
        QVERIFY(window.findChild<QWidget*>(QStringLiteral("pnlTool"))->isVisibleTo(&window));
    }

    void paperSize() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set PWidth=0, PHeight=0 where CheckTypeId=1"));
        TfmTemplateDesigner window(home.app(), 1);
        QCOMPARE(window.surface()->size(), window.surface()->scale().surfaceSize(2300, 1270));
        auto* height = window.findChild<QDoubleSpinBox*>(QStringLiteral("edtPHeight"));
        height->setValue(0);
        window.btSaveXYClick();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("失败，票据最矮不能小于2厘米。"));
        height->setValue(32.0);
        window.btSaveXYClick();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("底图实际长和宽保存成功！"));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select PHeight from CKTypeTable where CheckTypeId=1")).toInt(),
            3200);
        QCOMPARE(window.surface()->size(), window.surface()->scale().surfaceSize(2300, 3200));
    }

    // The item lists and the status bar read as the form does (labels); a pick from the list
    // still selects the item itself.
    void listsShowLabels() {
        TestHome home;
        TfmTemplateDesigner window(home.app(), 1);
        auto* all = window.findChild<QListWidget*>(QStringLiteral("lstAllCtlNames"));
        auto* chosen = window.findChild<QListWidget*>(QStringLiteral("lstSelectedNames"));
        QVERIFY(all && chosen && all->count() > 0);
        for (int i = 0; i < all->count(); ++i) {
            const QString text = all->item(i)->text();
            QVERIFY2(!text.contains(QLatin1Char('=')) && !text.startsWith(QLatin1String("zd")),
                     qPrintable(text));
        }
        const QList<QListWidgetItem*> number = all->findItems(QStringLiteral("票据编号"), Qt::MatchExactly);
        QCOMPARE(number.size(), 1);
        window.show();
        all->scrollToItem(number.first());
        const QPoint at = all->visualItemRect(number.first()).center();
        QTest::mouseClick(all->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(all->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(window.selectedNames(), QStringList{QStringLiteral("zdPJBH")});
        QCOMPARE(chosen->count(), 1);
        QCOMPARE(chosen->item(0)->text(), QStringLiteral("票据编号"));
        for (const QLabel* label : window.findChildren<QLabel*>())
            QVERIFY2(!label->text().contains(QLatin1String("zdPJBH"), Qt::CaseInsensitive),
                     qPrintable(label->text()));
    }

    void groupSelection() {
        TestHome home;
        TfmTemplateDesigner window(home.app(), 1);
        window.selectGroup(QStringLiteral("客户信息"));
        QVERIFY(window.selectedNames().contains(QStringLiteral("zdGKAddr")));
        const QStringList chosen = window.selectedNames();
        // Quotes and percent signs are text: nothing matches, the selection stays.
        window.selectGroup(QStringLiteral("x'%*"));
        QCOMPARE(window.selectedNames(), chosen);
        window.clearSelection();
        QVERIFY(window.selectedNames().isEmpty());
    }
};

OVERPRINT_TEST(TestLayoutDesigner)
#include "TestLayoutDesigner.moc"
