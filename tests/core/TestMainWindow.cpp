#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"
#include "core/InstallRecord.h"
#include "core/ui/StartupRules.h"
#include "core/ui/Tfm_Main.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

using core::ui::Tfm_Main;

namespace {

// The action reached by a path of captions from the menu bar ("A|B|C"), the tool bar
// ("tool:caption") or the background's pop-up menu ("pop:A|B"); captions may hold "/".
QAction* findPath(Tfm_Main& main, const QString& path) {
    QList<QAction*> level;
    QString rest = path;
    if (rest.startsWith(QLatin1String("tool:"))) {
        level = main.findChild<QToolBar*>(QStringLiteral("ToolBarMain"))->actions();
        rest = rest.mid(5);
    } else if (rest.startsWith(QLatin1String("pop:"))) {
        level = main.findChild<QMenu*>(QStringLiteral("PopupImage1"))->actions();
        rest = rest.mid(4);
    } else {
        level = main.menuBar()->actions();
    }
    const QStringList parts = rest.split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); ++i) {
        QAction* found = nullptr;
        for (QAction* a : level)
            if (a->text() == parts.at(i))
                found = a;
        if (!found || i == parts.size() - 1)
            return found;
        if (!found->menu())
            return nullptr;
        level = found->menu()->actions();
    }
    return nullptr;
}

// Records the keys a widget receives.
class KeyRecorder : public QObject {
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

struct Fixture {
    TestHome home;
    core::InstallRecord record{home.path() + QStringLiteral("install.ini")};
    Tfm_Main main{home.app()};
    Fixture() { main.setInstallRecord(&record); }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void menuTree_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("state");
        const auto row = [](const char* path, const char* state) {
            QTest::newRow(path) << QString::fromUtf8(path) << QString::fromLatin1(state);
        };
        row("新票据填开(&F)|填开新票据|出货单", "enabled");
        row("新票据填开(&F)|填开新票据|填写快递单", "enabled");
        for (const char* p : {"海运业发票", "增值税发票", "国地税发票", "其他发票", "送货单", "销售单",
                              "珠宝质保单", "单位收付款单"})
            row(QByteArray("新票据填开(&F)|其他定制票据|").append(p).constData(), "disabled");
        row("新票据填开(&F)|关闭所有填开单据", "enabled");
        row("历史开票管理(&S)|出货单管理", "disabled");
        for (const char* p :
             {"支票管理(&Z)", "电汇单管理(&D)", "承兑汇票管理", "境外汇款申请书管理", "现金缴款单管理",
              "进帐单管理(&J) ", "国际货运发票管理", "出口商品发票管理", "快递单管理"})
            row(QByteArray("历史开票管理(&S)|").append(p).constData(), "invisible");
        for (const char* p : {"单位及客户资料管理(&K) ", "商品管理(&G)", "票据模板导入",
                              "票据模板管理（默认、显示、隐藏）", "字典管理设置(&N) 用途、始发站等",
                              "币种设置", "省市代码设置(&O)", "更改系统登录密码", "数据备份", "从备份恢复"})
            row(QByteArray("系统管理(&M)|").append(p).constData(), "disabled");
        for (const char* p :
             {"打印前弹出打印机配置窗口", "进入系统需要密码验证", "启用默认出票人", "启用系统背景图"})
            row(QByteArray("系统管理(&M)|系统选项(&Y)|").append(p).constData(), "checkable");
        for (const char* p : {"打印整体偏移调整(&M)", "设计模式（票据模板界面及打印效果调整）",
                              "锁定/匹配票据打印机", "打印机设置 (&C)", "添加打印机纸张规格"})
            row(QByteArray("打印设置(&P)|").append(p).constData(), "disabled");
        row("工具(&T)|  清除软件缓存文件", "enabled");
        row("工具(&T)|  修复压缩数据库", "enabled");
        for (const char* p :
             {"  在线升级", "  显示\\\\隐藏在线中心", "  邮政编码查询", "  锁定电脑屏幕", "  计算器 (&U)"})
            row(QByteArray("工具(&T)|").append(p).constData(), "disabled");
        row("显示/隐藏工具栏(&L)", "enabled");
        row("帮 助(&H)|  关于 (&A)", "enabled");
        row("帮 助(&H)|  帮助 (&H)", "disabled");
        row("帮 助(&H)|  升级到9.28", "invisible");
        row("帮 助(&H)|  重启软件", "enabled");
        row("帮 助(&H)|  退出 (&Q)", "enabled");
        row("tool:填开新票据", "enabled");
        row("tool:单据查询", "disabled");
        row("tool:我方单位", "invisible");
        row("tool:往来单位(&K)", "disabled");
        row("tool:字典管理", "invisible");
        for (const char* p : {"tool:商品管理", "tool:新模板导入", "tool:打印机(&C)"})
            row(p, "disabled");
        row("tool:第一次用", "enabled");
        row("tool:  退出 (&Q)", "enabled");
        row("pop:【出货单】填开", "enabled");
        row("pop:【快递单】", "enabled");
        for (const char* p : {"支票", "进账单", "电汇单/业务委托书", "承兑汇票", "境外汇款申请书", "缴款单",
                              "国税发票", "地税发票", "定制单"})
            row(QByteArray("pop:【其他单】填开|").append(p).constData(), "disabled");
        row("pop:刷新", "enabled");
        row("pop:帮助", "disabled");
    }
    void menuTree() {
        QFETCH(QString, path);
        QFETCH(QString, state);
        Fixture f;
        QAction* a = findPath(f.main, path);
        QVERIFY2(a, qPrintable(path));
        QVERIFY(!a->objectName().isEmpty());
        QCOMPARE(a->isVisible(), state != QLatin1String("invisible"));
        if (state == QLatin1String("invisible"))
            return;
        QCOMPARE(a->isEnabled(), state != QLatin1String("disabled"));
        QCOMPARE(a->isCheckable(), state == QLatin1String("checkable"));
        if (state == QLatin1String("disabled") && a->menu() == nullptr &&
            path.startsWith(QStringLiteral("系统管理")))
            QCOMPARE(a->toolTip(), QStringLiteral("此功能尚未提供"));
    }

    void setCommandEnablesMenuAndToolBar() {
        Fixture f;
        int runs = 0;
        f.main.setCommand(QStringLiteral("actProducts"), [&] { ++runs; });
        QAction* menu = findPath(f.main, QStringLiteral("系统管理(&M)|商品管理(&G)"));
        QAction* tool = findPath(f.main, QStringLiteral("tool:商品管理"));
        QVERIFY(menu->isEnabled() && tool->isEnabled());
        menu->trigger();
        tool->trigger();
        QCOMPARE(runs, 2);
        QVERIFY(!findPath(f.main, QStringLiteral("系统管理(&M)|币种设置"))->isEnabled());
    }

    void deliveryNoteOpensOnce() {
        Fixture f;
        QVERIFY(f.main.startUp(false));
        QCOMPARE(f.main.childWindowCount(), 0);
        int created = 0;
        f.main.setEntryWindowFactory([&](Tfm_Main&) {
            ++created;
            return new QWidget;
        });
        QAction* note = f.main.action(QStringLiteral("actDeliveryNote"));
        note->trigger();
        QCOMPARE(f.main.childWindowCount(), 1);
        QPointer<QWidget> first = f.main.entryWindow();
        QVERIFY(first);
        note->trigger();
        QCOMPARE(created, 1);
        QCOMPARE(f.home.dialogs().lastText(), QStringLiteral("请先关闭打开的单据！"));
        QCOMPARE(f.home.dialogs().shown.last().caption, QStringLiteral("提示"));

        f.home.app().currentCheckTypeId = 7;
        f.main.action(QStringLiteral("actCloseBills"))->trigger();
        QTRY_VERIFY(!first);
        QCOMPARE(f.main.childWindowCount(), 0);
        QCOMPARE(f.home.app().currentCheckTypeId, -1);
        f.main.action(QStringLiteral("actPopDeliveryNote"))->trigger();
        QCOMPARE(created, 2);
        QCOMPARE(f.main.childWindowCount(), 1);
    }

    void entryWindowAtStart() {
        Fixture f;
        f.main.setEntryWindowFactory([](Tfm_Main&) { return new QWidget; });
        QVERIFY(f.main.startUp(false));
        QCOMPARE(f.main.childWindowCount(), 1);
        QVERIFY(f.main.isVisible());
    }

    void loginAtFirstTick_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("stillOpen");
        QTest::addColumn<QString>("operatorPanel");
        QTest::newRow("off") << "no" << false << 0 << true << "";
        QTest::newRow("on, logged in") << "yes" << true << 1 << true << " 操作员：王会计 ";
        QTest::newRow("on, refused") << "yes" << false << 1 << false << "";
        QTest::newRow("1 counts as on") << "1" << false << 1 << false << "";
    }
    void loginAtFirstTick() {
        QFETCH(QString, option);
        QFETCH(bool, loggedIn);
        QFETCH(int, calls);
        QFETCH(bool, stillOpen);
        QFETCH(QString, operatorPanel);
        Fixture f;
        f.home.app().setConfigByname(QStringLiteral("进入系统需验证"), option);
        int called = 0;
        f.main.setLoginHook([&] {
            ++called;
            if (loggedIn)
                f.home.app().userName = QStringLiteral("王会计");
            return loggedIn;
        });
        QVERIFY(f.main.startUp(false));
        f.main.TimerSystemTimer();
        f.main.TimerSystemTimer();
        QCOMPARE(called, calls);
        QCOMPARE(f.main.isVisible(), stillOpen);
        QCOMPARE(f.main.findChild<QLabel*>(QStringLiteral("StatusPanel4"))->text(), operatorPanel);
        QVERIFY(f.main.findChild<QLabel*>(QStringLiteral("StatusPanel3"))
                    ->text()
                    .startsWith(QStringLiteral(" 当前时间：")));
    }

    void exitQuestion_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::newRow("shipped word, no") << "" << 0 << "真的要退出【青木鸟票据打印】系统吗？";
        QTest::newRow("own word, yes") << "蓝天" << 1 << "真的要退出【蓝天票据打印】系统吗？";
    }
    void exitQuestion() {
        QFETCH(QString, word);
        QFETCH(int, answer);
        QFETCH(QString, question);
        Fixture f;
        if (!word.isEmpty()) {
            core::IniFile ini(f.home.path() + QStringLiteral("Config.ini"));
            ini.writeString(QStringLiteral("Info"), QStringLiteral("nm"), word);
            ini.flush();
        }
        QVERIFY(f.main.startUp(false));
        f.home.dialogs().answers.enqueue(answer);
        f.main.action(QStringLiteral("actTbExit"))->trigger();
        QCOMPARE(f.home.dialogs().lastText(), question);
        QCOMPARE(f.home.dialogs().shown.last().caption, QStringLiteral("确认"));
        QCOMPARE(f.main.isVisible(), answer != 1);
        // A closed main window has let go of the shared connection.
        QCOMPARE(f.home.db().isOpen(), answer != 1);
    }

    void toolBarToggleIsStored() {
        Fixture f;
        QVERIFY(f.main.startUp(false));
        auto* bar = f.main.findChild<QToolBar*>(QStringLiteral("ToolBarMain"));
        QVERIFY(!bar->isHidden());
        f.main.action(QStringLiteral("actToggleToolBar"))->trigger();
        QVERIFY(bar->isHidden());
        core::IniFile disk(f.home.path() + QStringLiteral("Config.ini"));
        QCOMPARE(disk.readString(QStringLiteral("fm_main"), QStringLiteral("toolbarmain")),
                 QStringLiteral("0"));

        Tfm_Main again(f.home.app());
        again.setInstallRecord(&f.record);
        QVERIFY(again.FormCreate());
        QVERIFY(again.findChild<QToolBar*>(QStringLiteral("ToolBarMain"))->isHidden());
    }

    void switchToggles_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("pop printer on→off") << "mPopPrint"
                                            << "打印前弹出打印机设置"
                                            << "yes"
                                            << "no";
        QTest::newRow("pop printer off→on") << "mPopPrint"
                                            << "打印前弹出打印机设置"
                                            << "YES"
                                            << "yes";
        QTest::newRow("login 1→off") << "mNeedLogin"
                                     << "进入系统需验证"
                                     << "1"
                                     << "no";
        QTest::newRow("issuer off→on") << "mUseDefaultCPR"
                                       << "启用默认出票人"
                                       << ""
                                       << "yes";
    }
    void switchToggles() {
        QFETCH(QString, item);
        QFETCH(QString, option);
        QFETCH(QString, before);
        QFETCH(QString, after);
        Fixture f;
        f.home.app().setConfigByname(option, before);
        QVERIFY(f.main.FormCreate());
        QAction* a = f.main.action(item);
        a->trigger();
        QCOMPARE(f.home.app().getConfigByname(option), after);
        QCOMPARE(a->isChecked(), after == QLatin1String("yes"));
        if (item == QLatin1String("mPopPrint"))
            QCOMPARE(f.home.app().popPrinterSetup, after == QLatin1String("yes"));
        if (item == QLatin1String("mUseDefaultCPR"))
            QCOMPARE(f.home.app().useDefaultIssuer, after == QLatin1String("yes"));
    }

    void backgroundToggle() {
        Fixture f;
        f.home.app().setConfigByname(QStringLiteral("启用系统背景"), QStringLiteral("yes"));
        QVERIFY(f.main.startUp(false));
        QVERIFY(f.main.backgroundShown());
        QAction* item = f.main.action(QStringLiteral("mSystemBackImage"));
        item->trigger();
        QCOMPARE(f.home.app().getConfigByname(QStringLiteral("启用系统背景")), QStringLiteral("no"));
        QVERIFY(!item->isChecked());
        QCOMPARE(f.home.dialogs().lastText(), QStringLiteral("需要重启软件才生效哦！"));
        // The picture stays until the next start.
        QVERIFY(f.main.backgroundShown());
        item->trigger();
        QCOMPARE(f.home.app().getConfigByname(QStringLiteral("启用系统背景")), QStringLiteral("yes"));
        QVERIFY(f.main.backgroundShown());

        f.main.action(QStringLiteral("actTbFirstUse"))->trigger();
        QVERIFY(f.main.firstUseNotesVisible());
        QCOMPARE(f.main.findChild<QPlainTextEdit*>(QStringLiteral("MemoFirstRead"))->toPlainText(),
                 core::ui::StartupRules::firstUseNotes());
        QVERIFY(!f.main.backgroundShown());
        f.main.resize(f.main.width() - 40, f.main.height() - 40);
        f.main.action(QStringLiteral("actTbFirstUse"))->trigger();
        f.main.action(QStringLiteral("actTbFirstUse"))->trigger();
        QVERIFY(!f.main.firstUseNotesVisible());
        QVERIFY(f.main.backgroundShown());
    }

    void wheelMovesLikeCursorKeys_data() {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("key");
        QTest::newRow("towards the user") << -120 << int(Qt::Key_Down);
        QTest::newRow("zero") << 0 << int(Qt::Key_Down);
        QTest::newRow("away") << 120 << int(Qt::Key_Up);
    }
    void wheelMovesLikeCursorKeys() {
        QFETCH(int, delta);
        QFETCH(int, key);
        Fixture f;
        QLineEdit* box = nullptr;
        f.main.setEntryWindowFactory([&](Tfm_Main&) {
            auto* entry = new QWidget;
            box = new QLineEdit(entry);
            return entry;
        });
        QVERIFY(f.main.startUp(false));
        f.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        box->setFocus();
        KeyRecorder recorder;
        box->installEventFilter(&recorder);
        QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(box, &wheel);
        QCOMPARE(recorder.keys, QList<int>({key}));
    }

    // A drop-down or spin box under the pointer neither takes the focus from the wheel nor its
    // value, in the main window and in windows of their own; focused, it takes the wheel.
    void wheelLeavesUnfocusedBoxes() {
        Fixture f;
        QVERIFY(f.main.startUp(false));
        QWidget dialog;
        auto* combo = new QComboBox(&dialog);
        combo->addItems({QStringLiteral("个"), QStringLiteral("箱"), QStringLiteral("件")});
        auto* spin = new QSpinBox(&dialog);
        spin->move(0, 40);
        auto* focused = new QLineEdit(&dialog);
        focused->move(0, 80);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        focused->setFocus();
        // Qt gives the focus on a wheel turn to boxes of the wheel focus policy.
        QCOMPARE(combo->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(spin->focusPolicy(), Qt::StrongFocus);
        const auto turn = [](QWidget* box) {
            QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(box, &wheel);
        };
        turn(combo);
        turn(spin);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(spin->value(), 0);
        combo->setFocus();
        turn(combo);
        QCOMPARE(combo->currentIndex(), 1);
    }

    void restartAskedFirst() {
        Fixture f;
        f.main.setEntryWindowFactory([](Tfm_Main&) { return new QWidget; });
        QVERIFY(f.main.startUp(false));
        f.home.dialogs().answers.enqueue(0);
        f.main.action(QStringLiteral("actRestart"))->trigger();
        QCOMPARE(f.home.dialogs().shown.last().text, QStringLiteral("确定要重开软件吗?"));
        QCOMPARE(f.home.dialogs().shown.last().caption, QStringLiteral("重启软件"));
        QCOMPARE(f.main.childWindowCount(), 1);
        QVERIFY(f.main.isVisible());
    }
};

OVERPRINT_TEST(TestMainWindow)
#include "TestMainWindow.moc"
