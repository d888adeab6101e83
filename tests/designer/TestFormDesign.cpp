#include "core/IniFile.h"
#include "designer/ui/TfmCheckDesign.h"
#include "designer/ui/TfmTemplateDesigner.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/ItemRenderer.h"
#include "print/RecordingPrintDevice.h"
#include "program/Program.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using designer::ui::TfmCheckDesign;

namespace {

struct Layout {
    int x, y, w, h, show, print, ctlX, ctlY, fontSize;
};

Layout layout(TestHome& home, int id, const QString& name) {
    core::Recordset rs = home.db().query(
        QStringLiteral("select * from ckControl where CheckTypeID=:id and ucase(CtlName)=:name"),
        {{QStringLiteral("id"), id}, {QStringLiteral("name"), name.toUpper()}});
    if (rs.isEmpty())
        return {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    rs.first();
    auto i = [&rs](const char* f) { return int(rs.integer(QLatin1String(f))); };
    return {i("SrcX"),      i("SrcY"), i("SrcW"), i("SrcH"),       i("NeedShow"),
            i("NeedPrint"), i("CtlX"), i("CtlY"), i("CtlFontSize")};
}

void key(QWidget* target, Qt::Key k, Qt::KeyboardModifiers mods) {
    QTest::keyClick(target, k, mods);
}

QSpinBox* spin(TfmCheckDesign& w, const char* name) {
    return w.findChild<QSpinBox*>(QLatin1String(name));
}

} // namespace

class TestFormDesign : public QObject {
    Q_OBJECT
private slots:
    // Ctrl+arrow moves are saved when the clerk picks another item, and the layout cache and
    // the entry window follow once the designer closes.
    void keyMovesReachTheEntryWindow() {
        TestHome home;
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        program.mainWindow().action(QStringLiteral("actDeliveryNote"))->trigger();
        auto* entry = qobject_cast<entry::ui::TfmCheckFHDSHD*>(program.mainWindow().entryWindow());
        QVERIFY(entry);
        const Layout before = layout(home, 1, QStringLiteral("zdPJBH"));
        bool acted = false;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<TfmCheckDesign*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QCOMPARE(w->templateId(), 1);
            w->selectItem(QStringLiteral("zdPJBH"));
            QWidget* focus = w->findChild<QListWidget*>(QStringLiteral("listCtlLabel"));
            for (int i = 0; i < 3; ++i)
                key(focus, Qt::Key_Right, Qt::ControlModifier);
            key(spin(*w, "SrcX"), Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(!w->isSaved());
            QVERIFY(w->messageText().startsWith(QStringLiteral("下移了10像素")));
            QCOMPARE(w->box(QStringLiteral("zdPJBH"))->pos(), QPoint(before.x + 3, before.y + 10));
            w->selectItem(QStringLiteral("zdGKMC"));
            const Layout saved = layout(home, 1, QStringLiteral("zdPJBH"));
            QCOMPARE(QPoint(saved.x, saved.y), QPoint(before.x + 3, before.y + 10));
            QCOMPARE(QPoint(saved.ctlX, saved.ctlY), QPoint(before.ctlX, before.ctlY));
            acted = true;
            w->close();
        });
        entry->findChild<QToolButton*>(QStringLiteral("btDesign"))->click();
        QVERIFY(acted);
        core::IniFile cache(home.app().templates().cacheFilePath(1));
        QCOMPARE(cache.readString(QStringLiteral("viewx"), QStringLiteral("ZDPJBH.x")),
                 QString::number(before.x + 3));
        QWidget* box = entry->findChild<QWidget*>(QStringLiteral("zdPJBH"));
        QCOMPARE(box->geometry().topLeft(), QPoint(before.x + 3, before.y + 10));
    }

    // Closing saves a pending key move; a hidden item is hidden and no longer prints.
    void closingSavesAndHidingStopsPrinting() {
        TestHome home;
        const Layout before = layout(home, 1, QStringLiteral("zdPJBH"));
        {
            TfmCheckDesign w(home.app(), 1);
            w.selectItem(QStringLiteral("zdPJBH"));
            key(&w, Qt::Key_Left, Qt::ControlModifier);
            w.close();
        }
        QCOMPARE(layout(home, 1, QStringLiteral("zdPJBH")).x, before.x - 1);

        TfmCheckDesign w(home.app(), 1);
        w.selectItem(QStringLiteral("zdPJBH"));
        w.findChild<QCheckBox*>(QStringLiteral("ckHidden"))->click();
        QVERIFY(w.box(QStringLiteral("zdPJBH"))->isHidden());
        home.dialogs().clear();
        w.findChild<QPushButton*>(QStringLiteral("btSaveCheck"))->click();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("' 票据编号' 打印细节修改成功！"));
        const Layout hidden = layout(home, 1, QStringLiteral("zdPJBH"));
        QCOMPARE(hidden.show, 0);
        QCOMPARE(hidden.print, 0);
        print::RecordingPrintDevice device;
        device.beginDocument();
        print::ItemRenderer renderer(home.app(), device);
        QVERIFY(
            renderer.printCheckItem(1, 0, 0, QStringLiteral("zdOrderId"), QStringLiteral("DD1"), QString()));
        QCOMPARE(device.texts.size(), 1);
        QVERIFY(
            renderer.printCheckItem(1, 0, 0, QStringLiteral("zdPJBH"), QStringLiteral("NO123"), QString()));
        QCOMPARE(device.texts.size(), 1);
    }

    // A drag moves the screen box by exactly the pointer's way and leaves the print position.
    void dragMovesScreenOnly() {
        TestHome home;
        const Layout before = layout(home, 1, QStringLiteral("zdGKMC"));
        TfmCheckDesign w(home.app(), 1);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        designer::ui::FormBox* box = w.box(QStringLiteral("zdGKMC"));
        QVERIFY(box && box->isVisible());
        const QPoint grab(5, 5);
        QTest::mousePress(box, Qt::LeftButton, {}, grab);
        QCOMPARE(w.currentItem(), QStringLiteral("ZDGKMC"));
        QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(25, -12)),
                         box->mapToGlobal(QPointF(grab + QPoint(25, -12))), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(box, &move);
        QVERIFY(w.messageText().startsWith(QStringLiteral("拖动了【")));
        QTest::mouseRelease(box, Qt::LeftButton, {}, grab);
        const Layout after = layout(home, 1, QStringLiteral("zdGKMC"));
        QCOMPARE(QPoint(after.x, after.y), QPoint(before.x + 25, before.y - 12));
        QCOMPARE(QPoint(after.ctlX, after.ctlY), QPoint(before.ctlX, before.ctlY));
        QVERIFY(w.isSaved());
    }

    // The print-layout designer changes the font while this window is open; a button move here
    // keeps it, and the item shows it afterwards.
    void fontFromLayoutDesignerSurvives() {
        TestHome home;
        TfmCheckDesign w(home.app(), 1);
        auto* preview = w.findChild<QPushButton*>(QStringLiteral("btPreview"));
        QVERIFY(!preview->isEnabled());
        QCOMPARE(preview->toolTip(), QStringLiteral("此功能尚未提供"));
        int openedFor = 0;
        w.setPrintLayoutOpener([&](QWidget* parent, int id) {
            QCOMPARE(parent, &w);
            openedFor = id;
            home.db().exec(QStringLiteral(
                "update ckControl set CtlFontSize=22 where CheckTypeID=1 and CtlName='zdPJBH'"));
        });
        w.selectItem(QStringLiteral("zdPJBH"));
        preview->click();
        QCOMPARE(openedFor, 1);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lbFont"))->font().pointSize(), 22);
        const Layout before = layout(home, 1, QStringLiteral("zdPJBH"));
        w.findChild<QToolButton*>(QStringLiteral("btRunR"))->click();
        const Layout after = layout(home, 1, QStringLiteral("zdPJBH"));
        QCOMPARE(after.x, before.x + 3);
        QCOMPARE(after.fontSize, 22);
    }

    // Messages and edges of selecting and moving.
    void edges() {
        TestHome home;
        home.db().exec(
            QStringLiteral("update ckControl set SrcX=10 where CheckTypeID=1 and CtlName='zdPJBH'"));
        home.db().exec(QStringLiteral("delete from ckControl where CheckTypeID=1 and CtlName='zdOrderId'"));
        home.db().exec(QStringLiteral("update NameDict set CtlType='IMAGE' where CtlName='zdRemark'"));
        TfmCheckDesign w(home.app(), 1);
        home.dialogs().clear();
        w.findChild<QToolButton*>(QStringLiteral("btRunU"))->click();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("请选取或点中需要配置或修改的项目！"));

        w.selectItem(QStringLiteral("zdPJBH"));
        key(&w, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(spin(w, "SrcX")->value(), 10);

        // No row yet: made at once from the box's own place and size, hidden.
        w.selectItem(QStringLiteral("zdOrderId"));
        const Layout made = layout(home, 1, QStringLiteral("zdOrderId"));
        QCOMPARE(QList<int>({made.x, made.y, made.w, made.h, made.show}), QList<int>({0, 0, 50, 18, 0}));
        QVERIFY(w.findChild<QCheckBox*>(QStringLiteral("ckHidden"))->isChecked());

        w.selectItem(QStringLiteral("zdRemark"));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("找不到对应的项目定义~~"));
        QCOMPARE(w.currentItem(), QStringLiteral("ZDORDERID"));

        // Two rows of one item save nothing and say so.
        home.db().exec(
            QStringLiteral("insert into ckControl (CheckTypeID,CtlName,SrcX) values (1,'ZDPJBH',1)"));
        w.selectItem(QStringLiteral("zdPJBH"));
        w.findChild<QToolButton*>(QStringLiteral("btRunD"))->click();
        QCOMPARE(w.messageText(), QStringLiteral("错误:CKControlTable ZDPJBH not found!"));
    }

    // A wide entry area takes a box beyond 1000 pixels and stores it as placed.
    void wideEntryArea() {
        TestHome home;
        home.db().exec(
            QStringLiteral("update CKTypeTable set TWidth=1200, ImgFile='missing.jpg' where CheckTypeID=1"));
        TfmCheckDesign w(home.app(), 1);
        w.selectItem(QStringLiteral("zdPJBH"));
        QSpinBox* x = spin(w, "SrcX");
        QCOMPARE(x->maximum(), 1200);
        x->setValue(1150);
        QCOMPARE(w.box(QStringLiteral("zdPJBH"))->x(), 1150);
        w.findChild<QPushButton*>(QStringLiteral("btSaveCheck"))->click();
        QCOMPARE(layout(home, 1, QStringLiteral("zdPJBH")).x, 1150);
    }

    // Items of one label are two list entries that edit their own rows.
    void sameLabelTwoItems() {
        TestHome home;
        home.db().exec(QStringLiteral("update NameDict set CtlLabel='票据编号' where CtlName='zdOrderId'"));
        TfmCheckDesign w(home.app(), 1);
        auto* list = w.findChild<QListWidget*>(QStringLiteral("listCtlLabel"));
        const QList<QListWidgetItem*> entries = list->findItems(QStringLiteral("票据编号"), Qt::MatchExactly);
        QCOMPARE(entries.size(), 2);
        QStringList picked;
        for (QListWidgetItem* entry : entries) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(entry).center());
            picked << w.currentItem();
        }
        picked.sort();
        QCOMPARE(picked, QStringList({QStringLiteral("ZDORDERID"), QStringLiteral("ZDPJBH")}));
    }

    // Switching variant lays the other template out; the offset page runs its hook for the
    // template on screen and returns to the design page; Shift+arrow sizes, a letter typed into
    // a number box commits it; closing in the middle of a drag keeps what was dragged.
    void switchingAndClosingMidDrag() {
        TestHome home;
        TfmCheckDesign w(home.app(), 1);
        auto* pages = w.findChild<QTabWidget*>(QStringLiteral("pageControl"));
        QVERIFY(!pages->isTabEnabled(1));
        int offsetsFor = 0;
        w.setOffsetOpener([&](int id) { offsetsFor = id; });
        auto* variants = w.findChild<QComboBox*>(QStringLiteral("cbTypeLastName"));
        variants->setCurrentIndex(variants->findText(QStringLiteral("三联241")));
        QCOMPARE(w.templateId(), 2);
        QCOMPARE(w.windowTitle(), QStringLiteral("票据设计调整（出货单-三联241）,ID=2"));
        QCOMPARE(w.box(QStringLiteral("DEFCHECK1"))->text(), QStringLiteral("月结"));
        pages->setCurrentIndex(1);
        QCOMPARE(offsetsFor, 2);
        QCOMPARE(pages->currentIndex(), 0);

        const Layout before = layout(home, 2, QStringLiteral("zdPJBH"));
        w.selectItem(QStringLiteral("zdPJBH"));
        key(&w, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(w.box(QStringLiteral("zdPJBH"))->width(), before.w - 1);
        QLineEdit* typed = spin(w, "SrcY")->findChild<QLineEdit*>();
        typed->selectAll();
        QTest::keyClicks(typed, QStringLiteral("40a"));
        const Layout committed = layout(home, 2, QStringLiteral("zdPJBH"));
        QCOMPARE(QPoint(committed.w, committed.y), QPoint(before.w - 1, 40));

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        designer::ui::FormBox* box = w.box(QStringLiteral("zdPJBH"));
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(2, 2));
        QMouseEvent move(QEvent::MouseMove, QPointF(12, 2), box->mapToGlobal(QPointF(12, 2)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(box, &move);
        w.close();
        QCOMPARE(layout(home, 2, QStringLiteral("zdPJBH")).x, before.x + 10);
    }

    // The offset window's "整体上差不多，我要调整某单项的打印位置" opens the designer for its
    // template through the main window's command.
    void offsetWindowOpensDesigner() {
        TestHome home;
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        home.app().currentCheckTypeId = 2;
        int designedFor = 0;
        QTimer::singleShot(0, [&] {
            auto* offsets = QApplication::activeModalWidget();
            QVERIFY(offsets);
            QTimer::singleShot(0, [&] {
                auto* w = qobject_cast<TfmCheckDesign*>(QApplication::activeModalWidget());
                QVERIFY(w);
                designedFor = w->templateId();
                w->close();
            });
            offsets->findChild<QPushButton*>(QStringLiteral("btPrintItemSet"))->click();
        });
        program.mainWindow().action(QStringLiteral("actOffsets"))->trigger();
        QCOMPARE(designedFor, 2);
    }

    // "设置打印参数" opens the print-layout designer of the same template, over the form designer.
    void printSettingsOpenTheLayoutDesigner() {
        TestHome home;
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        home.app().currentCheckTypeId = 2;
        bool layoutShown = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TfmCheckDesign*>(QApplication::activeModalWidget());
            QVERIFY(form);
            auto* button = form->findChild<QPushButton*>(QStringLiteral("btPreview"));
            QVERIFY(button->isEnabled());
            QTimer::singleShot(0, [&] {
                auto* layout =
                    qobject_cast<designer::ui::TfmTemplateDesigner*>(QApplication::activeModalWidget());
                layoutShown = layout != nullptr;
                if (layout)
                    layout->close();
                form->close();
            });
            button->click();
        });
        program.mainWindow().action(QStringLiteral("actDesigner"))->trigger();
        QVERIFY(layoutShown);
    }

    // "勾选项目定义": the captions are cleaned and stored; the tick boxes show them.
    void tickCaptions() {
        TestHome home;
        TfmCheckDesign w(home.app(), 2);
        home.dialogs().inputs << QStringLiteral(" 现金，月结（新）") << QStringLiteral("'*'");
        w.nCheckBoxsClick();
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select CheckBoxs from CKTypeTable where CheckTypeID=2"))
                     .toString(),
                 QStringLiteral("现金,月结新"));
        QCOMPARE(w.box(QStringLiteral("DEFCHECK1"))->text(), QStringLiteral("月结新"));
        w.nCheckBoxsClick();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("输入了无效的字符(引号\\?\\*\\(\\)\\%)!"));
    }
};

OVERPRINT_TEST(TestFormDesign)
#include "TestFormDesign.moc"
