#include "FakeEntryHost.h"
#include "TestHome.h"
#include "TestRegistry.h"
#include "core/IniFile.h"
#include "core/ui/DataGrid.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/OptionBar.h"
#include "entry/ui/ProductPicker.h"
#include "entry/ui/TfmCheckFHDSHD.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

using entry::ui::EntryHost;
using entry::ui::TfmCheckFHDSHD;

namespace {

QString digitText(TfmCheckFHDSHD& w) {
    QString out;
    for (const QLabel* cell : w.boxes().digitCells)
        out += cell->text();
    return out;
}

// Types text that QTest::keyClicks cannot (it takes Latin-1 only): one key event per character,
// through the widget's event filters like real typing.
void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Types an amount into goods line n the way a user does: enter the amount box, type into the
// editor that covers it, press Enter.
void typeLineAmount(TfmCheckFHDSHD& w, int n, const QString& amount) {
    const entry::ui::GoodsLine& line = w.boxes().lines[n - 1];
    w.zdJE1Enter(n);
    QVERIFY(!line.zdJEXX->isHidden());
    QCOMPARE(line.zdJEXX->geometry(), line.zdJE->geometry());
    line.zdJEXX->selectAll();
    if (amount.isEmpty())
        QTest::keyClick(line.zdJEXX, Qt::Key_Delete);
    QTest::keyClicks(line.zdJEXX, amount);
    QTest::keyClick(line.zdJEXX, Qt::Key_Return);
}

// Types quantity and price of goods line n as a clerk does: click into each box and type
// into whatever has the focus, then leave the line.
void typeLine(TfmCheckFHDSHD& w, int n, const QString& quantity, const QString& price) {
    const entry::ui::GoodsLine& line = w.boxes().lines[n - 1];
    line.zdSFNR->setText(QStringLiteral("货品%1").arg(n));
    for (const auto& [box, text] : {std::pair{line.zdSL, quantity}, std::pair{line.zdDJ, price}}) {
        box->setFocus();
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    w.boxes().zdGKLXR->setFocus();
}

// The three goods lines of a note whose first line takes goods back, as the clerk types them.
const struct {
    int line;
    const char* quantity;
    const char* price;
    const char* amount;
} kReturnNote[] = {
    {1, "-2", "35.50", "-71.00"}, {2, "1200", "3.25", "3900.00"}, {3, "15", "12.80", "192.00"}};

} // namespace

class TestEntryWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<FakeEntryHost> host;

    std::unique_ptr<TfmCheckFHDSHD> open() {
        auto w = std::make_unique<TfmCheckFHDSHD>(home->app(), *host);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        return w;
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        host = std::make_unique<FakeEntryHost>(home->app());
    }

    void opensTheDefaultTemplate() {
        auto w = open();
        QVERIFY(w->isBound());
        QCOMPARE(w->property("tag").toInt(), 1);
        QCOMPARE(home->app().currentCheckTypeId, 1);
        auto* variants = w->findChild<QComboBox*>(QStringLiteral("cbFirstTypeName"));
        QCOMPARE(variants->currentText(), QStringLiteral("标准"));
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("标准"));
        QCOMPARE(tabs->tabText(tabs->count() - 1), QStringLiteral("配置常用模板"));
        QVERIFY(!tabs->isTabEnabled(tabs->count() - 1));
        QCOMPARE(w->windowTitle(), QStringLiteral("出货单（标准）-ID=") + w->boxes().zdPJBH->text());
        // The bill number box sits where the layout puts it; hidden items stay hidden.
        QCOMPARE(w->boxes().zdPJBH->geometry(), QRect(714, 66, 140, 19));
        QVERIFY(!w->boxes().zdPJBH->isHidden());
        QVERIFY(w->boxes().lines[0].zdJEXX->isHidden());
        QCOMPARE(w->fullSize().width(), 911 + 8);
        w.reset();
        QCOMPARE(home->app().currentCheckTypeId, -1);
    }

    void defaultsWhenNothingIsStored() {
        auto w = open();
        entry::ui::OptionBar& bar = w->optionBar();
        QVERIFY(!bar.isChecked(QStringLiteral("cfgPrintRemark")));
        QVERIFY(bar.isChecked(QStringLiteral("cfgPrintDH")));
        QVERIFY(bar.isChecked(QStringLiteral("cfgTotalJEWithSheep")));
        QVERIFY(!bar.isChecked(QStringLiteral("cfgJEXXNeedQianFF")));
        QCOMPARE(bar.list(QStringLiteral("cfgJEDXFormat"))->currentText(),
                 QStringLiteral("    00000.00 万位"));
        QCOMPARE(bar.list(QStringLiteral("cfgDateFormat"))->currentIndex(), -1);
        QCOMPARE(bar.cfgMoneyType()->currentText(), QStringLiteral("人民币"));
        QCOMPARE(w->boxes().zdHJJEXX->text(), QStringLiteral("0.00"));
    }

    void lineAmountFillsTheTotals() {
        auto w = open();
        typeLineAmount(*w, 1, QStringLiteral("1234.5"));
        entry::ui::BillBoxes& b = w->boxes();
        QCOMPARE(b.lines[0].zdJE->text(), QStringLiteral("1234.50"));
        QVERIFY(b.lines[0].zdJEXX->isHidden());
        QCOMPARE(b.zdHJJEXX->text(), QStringLiteral("1234.50"));
        QCOMPARE(b.zdHJJE->text(), QStringLiteral("￥1,234.50"));
        QCOMPARE(b.zdJEDX->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(digitText(*w), QStringLiteral("零零零零零壹贰叁肆伍零"));

        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgJEDXRMBChecked")), Qt::LeftButton);
        QCOMPARE(b.zdJEDX->text(), QStringLiteral("人民币壹仟贰佰叁拾肆元伍角整"));

        typeLineAmount(*w, 2, QStringLiteral("1000"));
        QCOMPARE(b.zdHJJE->text(), QStringLiteral("￥2,234.50"));
    }

    void totalBoundaries_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("lowerCase");
        QTest::addColumn<QString>("capitals");
        QTest::addColumn<QString>("digits");
        QTest::newRow("zero") << "0"
                              << ""
                              << "0.00"
                              << ""
                              << "";
        QTest::newRow("largest") << "999999999.99"
                                 << ""
                                 << "999999999.99"
                                 << "玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"
                                 << "玖玖玖玖玖玖玖玖玖玖玖";
        // The refused amount leaves the line: nothing of it stays to be saved or printed.
        QTest::newRow("too large") << "1000000000"
                                   << "金额值必须介于0~1,000,000,000之间！"
                                   << "0.00"
                                   << ""
                                   << "";
    }
    void totalBoundaries() {
        QFETCH(QString, amount);
        QFETCH(QString, message);
        QFETCH(QString, lowerCase);
        QFETCH(QString, capitals);
        QFETCH(QString, digits);
        auto w = open();
        typeLineAmount(*w, 1, QStringLiteral("12"));
        home->dialogs().clear();
        typeLineAmount(*w, 1, amount);
        const entry::ui::BillBoxes& b = w->boxes();
        QCOMPARE(b.zdHJJEXX->text(), lowerCase);
        QCOMPARE(b.zdJEDX->text(), capitals);
        QCOMPARE(digitText(*w), digits);
        if (message.isEmpty()) {
            QVERIFY(home->dialogs().shown.isEmpty());
        } else {
            QCOMPARE(home->dialogs().lastText(), message);
            QCOMPARE(home->dialogs().shown.last().caption, QStringLiteral("金额输入"));
            QVERIFY(b.lines[0].zdJE->text().isEmpty());
            QVERIFY(b.lines[0].zdJEXX->text().isEmpty());
        }
        if (amount == QLatin1String("0"))
            QVERIFY(b.zdHJJE->text().isEmpty());
    }

    void zeroLineShowsOnlyWithGoods() {
        auto w = open();
        entry::ui::GoodsLine& line = w->boxes().lines[2];
        typeLineAmount(*w, 3, QStringLiteral("0"));
        QVERIFY(line.zdJE->text().isEmpty());
        typeText(line.zdSFNR, QStringLiteral("螺丝"));
        typeLineAmount(*w, 3, QStringLiteral("0"));
        QCOMPARE(line.zdJE->text(), QStringLiteral("0.00"));
    }

    // A line amount that is no amount stays on its line and the total box says so; the note is
    // then neither saved nor printed, naming the line, until the line is mended.
    void invalidLineAmountStopsSaveAndPrint_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("mended");
        QTest::addColumn<QString>("total");
        QTest::newRow("letters, line emptied") << "1x"
                                               << ""
                                               << "￥12.00";
        QTest::newRow("two points, line corrected") << "1.2.3"
                                                    << "3"
                                                    << "￥15.00";
        QTest::newRow("only letters") << "abc"
                                      << "0"
                                      << "￥12.00";
    }
    void invalidLineAmountStopsSaveAndPrint() {
        QFETCH(QString, typed);
        QFETCH(QString, mended);
        QFETCH(QString, total);
        auto w = open();
        const entry::ui::BillBoxes& b = w->boxes();
        b.zdGKLXR->setText(QStringLiteral("李明"));
        b.zdPJBH->setText(QStringLiteral("FH-30"));
        b.lines[0].zdSFNR->setText(QStringLiteral("扳手"));
        b.lines[1].zdSFNR->setText(QStringLiteral("钳子"));
        typeLineAmount(*w, 1, QStringLiteral("12"));
        typeLineAmount(*w, 2, typed);
        QCOMPARE(b.zdHJJE->text(), QStringLiteral("错误,非法的数值或溢出！"));
        QVERIFY(b.zdJEDX->text().isEmpty());
        QCOMPARE(b.lines[1].zdJE->text(), typed);

        home->dialogs().clear();
        QVERIFY(!w->commands().Save());
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btPrint1")), Qt::LeftButton);
        const QString fault =
            QStringLiteral("第2行金额“") + typed + QStringLiteral("”不是有效的金额，请修改后再试！");
        QCOMPARE(home->dialogs().texts(),
                 (QStringList{QStringLiteral("保存失败,") + fault, QStringLiteral("打印取消,") + fault}));
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 0);
        QCOMPARE(host->device.documents, 0);

        // Mended, the total box shows the total again, also when it equals the one before.
        typeLineAmount(*w, 2, mended);
        QCOMPARE(b.zdHJJE->text(), total);
        home->dialogs().clear();
        QVERIFY(w->commands().Save());
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btPrint1")), Qt::LeftButton);
        QCOMPARE(host->device.documents, 1);
    }

    void lineThousandsOnEveryLine() {
        auto w = open();
        typeLineAmount(*w, 1, QStringLiteral("12345.6"));
        typeLineAmount(*w, 2, QStringLiteral("12345.6"));
        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgJEXXNeedQianFF")), Qt::LeftButton);
        QCOMPARE(w->boxes().lines[0].zdJE->text(), QStringLiteral("12,345.60"));
        QCOMPARE(w->boxes().lines[1].zdJE->text(), QStringLiteral("12,345.60"));
        QVERIFY(w->boxes().lines[2].zdJE->text().isEmpty());
        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgJENeedSheep")), Qt::LeftButton);
        QCOMPARE(w->boxes().lines[0].zdJE->text(), QStringLiteral("￥12,345.60"));
    }

    // A currency added while the window is open is offered the next time the list is opened.
    void currencyListReadOnOpening() {
        auto w = open();
        QComboBox* money = w->optionBar().cfgMoneyType();
        home->db().exec(QStringLiteral("insert into coins (币种,缩写,顺序) values('新元','S$',0)"));
        QCOMPARE(money->findText(QStringLiteral("新元")), -1);
        QTest::mousePress(money, Qt::LeftButton);
        money->hidePopup();
        QVERIFY(money->findText(QStringLiteral("新元")) >= 0);
        QCOMPARE(money->currentText(), QStringLiteral("人民币"));
    }

    // The boxes show the whole text however long the currency code and separators make it; only
    // typing into an editor is limited to 15 characters.
    void longAmountsAreNeverCut() {
        auto w = open();
        QComboBox* money = w->optionBar().cfgMoneyType();
        money->setCurrentIndex(money->findText(QStringLiteral("日元")));
        w->cfgMoneyTypeChange();
        w->optionBar().check(QStringLiteral("cfgJENeedSheep"))->setChecked(true);
        w->optionBar().check(QStringLiteral("cfgJEXXNeedQianFF"))->setChecked(true);
        typeLineAmount(*w, 1, QStringLiteral("12345678"));
        QCOMPARE(w->boxes().lines[0].zdJE->text(), QStringLiteral("JPY12,345,678.00"));
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("JPY12,345,678.00"));

        QLineEdit* editor = w->boxes().lines[1].zdJEXX;
        w->zdJE1Enter(2);
        QTest::keyClicks(editor, QStringLiteral("12345678901234567890"));
        QCOMPARE(editor->text(), QStringLiteral("123456789012345"));
        editor->setText(QStringLiteral("1234567890123456789"));
        editor->end(false);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(editor->text(), QStringLiteral("123456789012345678"));
    }

    void otherCurrencyIsAlwaysNamed() {
        auto w = open();
        typeLineAmount(*w, 1, QStringLiteral("1234.5"));
        QComboBox* money = w->optionBar().cfgMoneyType();
        money->setCurrentIndex(money->findText(QStringLiteral("美元")));
        w->cfgMoneyTypeChange();
        QCOMPARE(w->boxes().zdJEDX->text(), QStringLiteral("美元壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("$1,234.50"));
        QCOMPARE(w->boxes().zdMoneyType->text(), QStringLiteral("美元"));
    }

    void repeatedTotalWorksOnce() {
        auto w = open();
        w->setJEXX(QStringLiteral("88"));
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("￥88.00"));
        w->boxes().zdHJJE->setText(QStringLiteral("marker"));
        w->setJEXX(QStringLiteral("88"));
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("marker"));
        // An option change forces the recomputation.
        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgHJJEXXWithYuan")), Qt::LeftButton);
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("￥88.00元"));
    }

    void typedTotalIsCleaned() {
        auto w = open();
        entry::ui::BillBoxes& b = w->boxes();
        // A template without goods lines lets the user type the total over the capitals box.
        for (const entry::ui::GoodsLine& line : b.lines) {
            line.zdJE->hide();
            line.zdDJ->hide();
        }
        w->zdJEDXEnter();
        QVERIFY(!b.inputJEXX->isHidden());
        QCOMPARE(b.inputJEXX->geometry(), b.zdJEDX->geometry());
        typeText(b.inputJEXX, QStringLiteral("a-１２３．５ b"));
        QCOMPARE(b.inputJEXX->text(), QStringLiteral("１２３．５"));
        QTest::keyClick(b.inputJEXX, Qt::Key_Return);
        QCOMPARE(b.inputJEXX->text(), QStringLiteral("123.5"));
        QVERIFY(b.inputJEXX->isHidden());
        QCOMPARE(b.zdHJJEXX->text(), QStringLiteral("123.50"));
        QCOMPARE(b.zdJEDX->text(), QStringLiteral("壹佰贰拾叁元伍角整"));
    }

    void capitalsBoxIsReadOnlyWithGoodsLines() {
        auto w = open();
        w->zdJEDXEnter();
        QVERIFY(w->boxes().zdJEDX->isReadOnly());
        QVERIFY(w->boxes().inputJEXX->isHidden());
        QCOMPARE(w->boxes().zdJEDX->toolTip(),
                 QStringLiteral("大写无需输入,只需输入项目单价金额，自动汇总!"));
    }

    void loadedTotalIsShown() {
        auto w = open();
        w->boxes().zdHJJEXX->setText(QStringLiteral("20000.02"));
        QCOMPARE(w->boxes().zdJEDX->text(), QStringLiteral("贰万元零贰分"));
        w->boxes().zdHJJEXX->setText(QStringLiteral("0"));
        QVERIFY(w->boxes().zdJEDX->text().isEmpty());
        QVERIFY(w->boxes().zdHJJE->text().isEmpty());
    }

    void tickItemsReuseTheWindowsBoxes() {
        auto w = open();
        w->loadCheckBox(QStringLiteral("现金,月结, 转账 "));
        QCOMPARE(w->tickItems().size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w->tickItems()[i], w->boxes().defChecks[i]);
        QCOMPARE(w->tickItems()[2]->text(), QStringLiteral("转账"));
        w->loadCheckBox(QStringLiteral("1,2,3,4,5,6,7"));
        QCheckBox* seventh = w->tickItems()[6];
        QCOMPARE(seventh->objectName(), QStringLiteral("defCheck6"));
        QVERIFY(!w->boxes().defChecks.contains(seventh));
        QCOMPARE(seventh->pos(), QPoint(120, 180));
        w->loadCheckBox(QString());
        QCOMPARE(w->tickItems().size(), 1);
    }

    void tickCaptionsRoundTrip() {
        auto w = open();
        w->loadCheckBox(QStringLiteral("现金,月结,转账"));
        QVERIFY(w->getItemCheckTitle().isEmpty());
        w->setItemCheckTitle(QStringLiteral("转账,现金"));
        QCOMPARE(w->getItemCheckTitle(), QStringLiteral("现金,转账"));
        w->setItemCheckTitle(QStringLiteral("月结"));
        QCOMPARE(w->getItemCheckTitle(), QStringLiteral("现金,月结,转账"));
        w->setItemCheckTitle(QString());
        QVERIFY(w->getItemCheckTitle().isEmpty());
    }

    // The sub-window follows the form's size both ways, leaving no empty band.
    void frameFollowsTheVariant() {
        QMdiArea area;
        area.resize(1200, 900);
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        QMdiSubWindow* sub = area.addSubWindow(w);
        area.show();
        sub->show();
        const QSize margins = sub->size() - w->size();
        auto* scroll = w->findChild<QScrollArea*>(QStringLiteral("panelCheckArea"));
        for (const char* variant : {"三联241", "标准"}) {
            QVERIFY(w->selectVariant(QString::fromUtf8(variant)));
            QCOMPARE(sub->size(), w->fullSize() + margins);
            QCoreApplication::processEvents();
            QCOMPARE(w->optionBar().mapTo(w, QPoint(0, w->optionBar().height())).y(), w->height());
            QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        }
    }

    // A variant without a tab leaves the tab of the one before current; clicking that tab must
    // still bring its variant back.
    void clickOnTheCurrentTabSelectsItsVariant() {
        home->db().exec(QStringLiteral("update CKTypeTable set IsCommon='否' where CheckTypeID=2"));
        auto w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        auto* variants = w->findChild<QComboBox*>(QStringLiteral("cbFirstTypeName"));
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("标准"));
        variants->setCurrentIndex(variants->findText(QStringLiteral("三联241")));
        w->cbFirstTypeNameChange();
        QCOMPARE(w->currentCheckTypeId(), 2);
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("标准"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tabs->currentIndex()).center());
        QCOMPARE(w->currentCheckTypeId(), 1);
        QCOMPARE(variants->currentText(), QStringLiteral("标准"));
    }

    // Restoring a minimised window shows it again: the dates the clerk set must stay.
    void showingAgainKeepsTheDates() {
        auto w = open();
        w->show();
        const QDate earlier = QDate::currentDate().addDays(-10);
        w->boxes().SelDate->setDate(earlier);
        w->hide();
        w->show();
        QCOMPARE(w->boxes().SelDate->date(), earlier);
        QCOMPARE(w->boxes().zdNianYueRi->text(), earlier.toString(QStringLiteral("yyyy-MM-dd")));
    }

    void variantTabSwitchesTemplate() {
        auto w = open();
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        int other = -1;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == QStringLiteral("三联241"))
                other = i;
        QVERIFY(other >= 0);
        tabs->setCurrentIndex(other);
        QCOMPARE(w->currentCheckTypeId(), 2);
        QCOMPARE(home->app().currentCheckTypeId, 2);
        QCOMPARE(w->tag(), 2);
        QCOMPARE(w->tickItems().size(), 3);
        QCOMPARE(w->tickItems()[0], w->boxes().defChecks[0]);
        QCOMPARE(w->maximumHeight(), w->fullSize().height());
    }

    void sameVariantDoesNotRelayout() {
        auto w = open();
        QLineEdit* number = w->boxes().zdPJBH;
        number->move(1, 1);
        w->cbFirstTypeNameChange();
        QCOMPARE(number->pos(), QPoint(1, 1));
        QVERIFY(!w->setCurrentCheckType(QStringLiteral("标准")));
        QVERIFY(w->setCurrentCheckType(QStringLiteral("三联241")));
        QVERIFY(!w->setCurrentCheckType(QStringLiteral("不存在")));
        w->cbFirstTypeNameChange();
        QCOMPARE(number->pos(), QPoint(677, 24));
    }

    void missingTabVariantIsReported() {
        auto w = open();
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        tabs->setTabText(0, QStringLiteral("改名"));
        tabs->setCurrentIndex(1);
        home->dialogs().clear();
        tabs->setCurrentIndex(0);
        QCOMPARE(home->dialogs().lastText(),
                 QStringLiteral("模板(改名)不存在或被重命名了，请关闭填单界面并重新填开,以刷新模板列表！"));
    }

    void rememberedOptionsComeBack() {
        {
            auto w = open();
            entry::ui::OptionBar& bar = w->optionBar();
            bar.list(QStringLiteral("cfgJEDXFormat"))->setCurrentIndex(4);
            QTest::mouseClick(bar.check(QStringLiteral("cfgPrintRemark")), Qt::LeftButton);
            QTest::mouseClick(bar.check(QStringLiteral("cfgPrintDH")), Qt::LeftButton);
            bar.cfgMoneyType()->setCurrentIndex(bar.cfgMoneyType()->findText(QStringLiteral("港币")));
            QTest::mouseClick(bar.btRemember(), Qt::LeftButton);
            QCOMPARE(home->dialogs().lastText(), QStringLiteral("打印勾选及选项已记住！"));
        }
        auto w = open();
        entry::ui::OptionBar& bar = w->optionBar();
        QCOMPARE(bar.list(QStringLiteral("cfgJEDXFormat"))->currentText(),
                 QStringLiteral("   000000.00 十万位"));
        QVERIFY(bar.isChecked(QStringLiteral("cfgPrintRemark")));
        QVERIFY(!bar.isChecked(QStringLiteral("cfgPrintDH")));
        QCOMPARE(w->currencyName(), QStringLiteral("港币"));
        QCOMPARE(bar.cfgMoneyType()->currentText(), QStringLiteral("港币"));
    }

    void untickedDateIsHidden() {
        auto w = open();
        QVERIFY(!w->boxes().SelDate->isHidden());
        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgWantPrintRQ")), Qt::LeftButton);
        QVERIFY(w->boxes().SelDate->isHidden());
        QVERIFY(w->boxes().zdNianYueRi->isHidden());
        QTest::mouseClick(w->optionBar().check(QStringLiteral("cfgWantPrintRQ")), Qt::LeftButton);
        QCOMPARE(w->boxes().zdNianYueRi->geometry(), QRect(680, 106, 155, 19));
        QVERIFY(!w->boxes().zdNianYueRi->isHidden());
    }

    void toolBarPositionIsRemembered() {
        {
            auto w = open();
            w->show();
            auto* upDown = w->findChild<QToolButton*>(QStringLiteral("btUpOrDown"));
            QCOMPARE(upDown->text(), QStringLiteral("下"));
            QTest::mouseClick(upDown, Qt::LeftButton);
            QCOMPARE(upDown->text(), QStringLiteral("上"));
            QVERIFY(!w->toolBarAtTop());
            QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btClose")), Qt::LeftButton);
            QCOMPARE(host->backgroundMenu, (QList<bool>{false, true}));
            QCOMPARE(host->sizesSaved, 1);
        }
        QCOMPARE(
            home->app().userIni().readString(QStringLiteral("FMCHECKFHDSHD"), QStringLiteral("PositionBar")),
            QStringLiteral("bottom"));
        auto w = open();
        w->show();
        QVERIFY(!w->toolBarAtTop());
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("btUpOrDown"))->text(), QStringLiteral("上"));
    }

    void designerRelaysTheWindow() {
        host->offered.insert(EntryHost::Command::Designer);
        auto w = open();
        auto* design = w->findChild<QToolButton*>(QStringLiteral("btDesign"));
        QVERIFY(design->isEnabled());
        QVERIFY(!w->findChild<QToolButton*>(QStringLiteral("btMoveXY"))->isEnabled());
        w->boxes().zdPJBH->move(1, 1);
        host->onRun = [this](EntryHost::Command) { QCOMPARE(home->app().currentCheckTypeId, 1); };
        QTest::mouseClick(design, Qt::LeftButton);
        QCOMPARE(host->ran, (QList<EntryHost::Command>{EntryHost::Command::Designer}));
        QCOMPARE(w->boxes().zdPJBH->pos(), QPoint(714, 66));
    }

    void variantListDropsByScreenHeight() {
        auto w = open();
        auto* variants = w->findChild<QComboBox*>(QStringLiteral("cbFirstTypeName"));
        variants->setMaxVisibleItems(5);
        w->cbFirstTypeNameEnter();
        const int height = w->screen()->geometry().height();
        QCOMPARE(variants->maxVisibleItems(), height <= 1000 ? 26 : 35);
    }

    void rolesForTheNoteCommands() {
        auto w = open();
        entry::ui::NoteWindow& note = *w;
        QVERIFY(!note.selectVariant(QStringLiteral("不存在")));
        QCOMPARE(note.templateId(), 1);
        w->boxes().zdPJBH->move(1, 1);
        QVERIFY(note.selectVariant(QStringLiteral("标准")));
        QCOMPARE(w->boxes().zdPJBH->pos(), QPoint(714, 66)); // a reload always lays out afresh
        note.setCurrency(QStringLiteral("美元"));
        note.commitTypedTotal(QStringLiteral("１，２３４．５"));
        QCOMPARE(w->boxes().zdHJJEXX->text(), QStringLiteral("1234.50"));
        QCOMPARE(w->boxes().zdJEDX->text(), QStringLiteral("美元壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(w->optionBar().cfgMoneyType()->currentText(), QStringLiteral("美元"));
        QVERIFY(note.selectVariant(QStringLiteral("三联241")));
        QCOMPARE(note.variant(), QStringLiteral("三联241"));
        QCOMPARE(w->tag(), 2);
    }

    void printButtonPrintsTheNote() {
        auto w = open();
        typeLineAmount(*w, 1, QStringLiteral("1234.5"));
        QTest::keyClicks(w->boxes().lines[0].zdSFNR, QStringLiteral("O'Brien bolts"));
        auto* print = w->findChild<QToolButton*>(QStringLiteral("btPrint1"));
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY(print->isEnabled());
        QCOMPARE(host->device.documents, 1);
        QStringList printed;
        for (const auto& text : host->device.texts)
            printed << text.text;
        QVERIFY2(printed.contains(QStringLiteral("￥1,234.50")), qPrintable(printed.join(QLatin1Char('|'))));
        QVERIFY(printed.contains(QStringLiteral("O'Brien bolts")));
        QVERIFY(printed.contains(QStringLiteral("壹仟贰佰叁拾肆元伍角整")));
    }

    // "发送给客户" is there for a saved note only, and writes the note as saved: typed changes
    // since are refused, and "复制" (a new note) turns it off again.
    void sendCopyFollowsTheSavedNote() {
        auto w = open();
        auto* send = w->findChild<QToolButton*>(QStringLiteral("btSendCopy"));
        QVERIFY(send && !send->isEnabled());
        w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
        w->boxes().zdPJBH->setText(QStringLiteral("00000001"));
        typeLineAmount(*w, 1, QStringLiteral("30"));
        QVERIFY2(w->commands().Save(), qPrintable(home->dialogs().texts().join(QLatin1Char('|'))));
        QVERIFY(send->isEnabled());

        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("copy.png"));
        home->dialogs().clear();
        w->boxes().zdGKLXR->setText(QStringLiteral("王五"));
        home->dialogs().files.enqueue(path);
        send->click();
        QVERIFY(home->dialogs().sawText(QStringLiteral("请先保存")));
        QVERIFY(!QFile::exists(path));

        QVERIFY(w->commands().Save());
        home->dialogs().clear();
        send->click();
        QVERIFY2(home->dialogs().sawText(path), qPrintable(home->dialogs().texts().join(QLatin1Char('|'))));
        QCOMPARE(QImage(path).size(), QSize(1423, 827)); // 出货单（标准） at 150 dpi

        w->findChild<QToolButton*>(QStringLiteral("btSaveAs"))->click();
        QVERIFY(!send->isEnabled());
    }

    // Another window of the program may hold boxes and buttons of the same names: the note's
    // commands must take only the entry window's own, and a click must run its command once.
    void toolBarCommandsUseTheirOwnWindow() {
        QMdiArea area;
        auto* other = new QWidget;
        auto* decoyNumber = new QLineEdit(QStringLiteral("WRONG"), other);
        decoyNumber->setObjectName(QStringLiteral("zdPJBH"));
        auto* decoySave = new QToolButton(other);
        decoySave->setObjectName(QStringLiteral("btSave"));
        area.addSubWindow(other)->show();
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        area.addSubWindow(w)->show();
        area.show();

        w->boxes().zdGKLXR->setText(QStringLiteral("O'Brien"));
        w->boxes().lines[0].zdSFNR->setText(QStringLiteral("螺丝 50%"));
        w->boxes().zdPJBH->setText(QStringLiteral("FH-1"));
        QTest::mouseClick(decoySave, Qt::LeftButton);
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 0);
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btSave")), Qt::LeftButton);
        QCOMPARE(home->dialogs().texts(), QStringList{QStringLiteral("新出货单保存成功！ ")});
        QCOMPARE(home->db().scalar(QStringLiteral("select 票据编号 from DataCheckFHDSHD")).toString(),
                 QStringLiteral("FH-1"));
        QCOMPARE(home->db().scalar(QStringLiteral("select 商品名 from DataCheckFHDSHDDetail")).toString(),
                 QStringLiteral("螺丝 50%"));
        QCOMPARE(w->windowTitle(), QStringLiteral("出货单(标准)-编号=FH-1"));
    }

    // After a pick the quantity box holds 1, selected, so typing the real quantity replaces it.
    void typedQuantityReplacesThePickedOne() {
        home->db().exec(QStringLiteral("delete from Products"));
        home->db().exec(
            QStringLiteral("insert into Products (商品名, 货号, 单价) values ('扳手', 'BS-1', '8')"));
        auto w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        entry::ui::ProductPicker& picker = w->picker();
        picker.openFor(1);
        QVERIFY(!picker.isHidden());
        QVERIFY(picker.grid().rowCount() > 0);
        picker.grid().setCurrentRow(0);
        picker.pick();
        QCOMPARE(w->boxes().lines[0].zdSL->text(), QStringLiteral("1"));
        QTest::keyClicks(w->boxes().lines[0].zdSL, QStringLiteral("7"));
        QCOMPARE(w->boxes().lines[0].zdSL->text(), QStringLiteral("7"));
        QCOMPARE(w->boxes().lines[0].zdJEXX->text(), QStringLiteral("56"));
    }

    std::unique_ptr<TfmCheckFHDSHD> openActive() {
        auto w = open();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
        return w;
    }

    // A click on a tool button takes no focus: what is being typed must still count.
    void commandsTakeTheBoxBeingEdited_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("save") << "btSave";
        QTest::newRow("print") << "btPrint1";
    }
    void commandsTakeTheBoxBeingEdited() {
        QFETCH(QString, command);
        auto w = openActive();
        QVERIFY(w);
        entry::ui::GoodsLine& line = w->boxes().lines[0];
        w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
        w->boxes().zdPJBH->setText(QStringLiteral("FH-9"));
        line.zdSFNR->setText(QStringLiteral("扳手"));
        line.zdSL->setText(QStringLiteral("2"));
        line.zdDJ->setFocus();
        QTest::keyClicks(line.zdDJ, QStringLiteral("5"));
        QTest::mouseClick(w->findChild<QToolButton*>(command), Qt::LeftButton);
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("￥10.00"));
        if (command == QLatin1String("btSave")) {
            QCOMPARE(home->db().scalar(QStringLiteral("select 合计金额 from DataCheckFHDSHD")).toString(),
                     QStringLiteral("10.00"));
        } else {
            QStringList printed;
            for (const auto& text : host->device.texts)
                printed << text.text;
            QVERIFY2(printed.contains(QStringLiteral("壹拾元整")),
                     qPrintable(printed.join(QLatin1Char('|'))));
        }
    }

    // Enter in the goods box takes the first product the filter lists.
    void enterPicksTheFirstListedProduct() {
        home->db().exec(QStringLiteral("delete from Products"));
        home->db().exec(
            QStringLiteral("insert into Products (商品名, 货号, 单价) values ('扳手', 'BS-1', '8'), "
                           "('板凳', 'BD-2', '30')"));
        auto w = openActive();
        QVERIFY(w);
        QLineEdit* name = w->boxes().lines[0].zdSFNR;
        name->setFocus();
        QVERIFY(!w->picker().isHidden());
        QTest::keyClicks(name, QStringLiteral("BS"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(name->text(), QStringLiteral("扳手"));
        QCOMPARE(w->boxes().lines[0].zdSL->text(), QStringLiteral("1"));
        QVERIFY(w->picker().isHidden());
    }

    // Tabbing through an empty line leaves no amount in it, so saving adds no goods row.
    void passingAnEmptyLineLeavesNoAmount() {
        auto w = openActive();
        QVERIFY(w);
        w->boxes().lines[1].zdDJ->setFocus();
        w->boxes().lines[1].zdSL->setFocus();
        w->boxes().lines[0].zdSFNR->setFocus();
        QVERIFY(w->boxes().lines[1].zdJEXX->text().isEmpty());
        w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
        w->boxes().zdPJBH->setText(QStringLiteral("FH-10"));
        w->boxes().lines[0].zdSFNR->setText(QStringLiteral("扳手"));
        QVERIFY(w->commands().Save());
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHDDetail")).toInt(), 1);
    }

    // A note with a typed total and no goods comes back with its total; a note of a template
    // disabled since comes back on that template.
    void reloadKeepsTypedTotalAndTemplate() {
        entry::DeliveryNote note;
        note.number = QStringLiteral("FH-11");
        note.variant = QStringLiteral("三联241");
        note.currency = QStringLiteral("人民币");
        note.total = QStringLiteral("123.50");
        note.contact = QStringLiteral("李明");
        note.issueDate = note.orderDate = QDateTime::currentDateTime();
        entry::DeliveryNoteStore(home->db()).save(note);
        home->db().exec(QStringLiteral("update CKTypeTable set Visiable='停用隐藏' where CheckTypeID=2"));
        auto w = open();
        w->commands().BrowseOldCheck(QStringLiteral("三联241"), QStringLiteral("FH-11"));
        QCOMPARE(w->currentCheckTypeId(), 2);
        QCOMPARE(w->boxes().zdHJJEXX->text(), QStringLiteral("123.50"));
        QCOMPARE(w->boxes().zdJEDX->text(), QStringLiteral("壹佰贰拾叁元伍角整"));
    }

    // A note may begin with a negative line: the sum so far is no note's total. It is typed, saved
    // and reloaded from the history exactly as the clerk typed it, without a word; printed, or
    // set again line by line for another currency, it keeps its total.
    void negativeFirstLineRoundTrips_data() {
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("capitals");
        QTest::newRow("print") << "print"
                               << "￥4,021.00"
                               << "肆仟零贰拾壹元整";
        QTest::newRow("currency") << "美元"
                                  << "$4,021.00"
                                  << "美元肆仟零贰拾壹元整";
    }
    void negativeFirstLineRoundTrips() {
        QFETCH(QString, then);
        QFETCH(QString, total);
        QFETCH(QString, capitals);
        {
            auto w = openActive();
            QVERIFY(w);
            w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
            w->boxes().zdPJBH->setText(QStringLiteral("00000001"));
            for (const auto& l : kReturnNote)
                typeLine(*w, l.line, QString::fromLatin1(l.quantity), QString::fromLatin1(l.price));
            QCOMPARE(home->dialogs().texts(), QStringList());
            QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("￥4,021.00"));
            QVERIFY(w->commands().Save());
        }
        QCOMPARE(home->db().scalar(QStringLiteral("select 合计金额 from DataCheckFHDSHD")).toString(),
                 QStringLiteral("4021.00"));
        home->dialogs().clear();
        auto w = open();
        QVERIFY(w->commands().BrowseOldCheck(w->variant(), QStringLiteral("00000001")));
        const entry::ui::BillBoxes& b = w->boxes();
        QCOMPARE(b.zdHJJEXX->text(), QStringLiteral("4021.00"));
        QCOMPARE(b.zdJEDX->text(), QStringLiteral("肆仟零贰拾壹元整"));
        if (then == QLatin1String("print")) {
            QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btPrint1")), Qt::LeftButton);
            QCOMPARE(host->device.documents, 1);
            QStringList printed;
            for (const auto& text : host->device.texts)
                printed << text.text;
            QVERIFY2(printed.contains(capitals), qPrintable(printed.join(QLatin1Char('|'))));
        } else {
            QComboBox* money = w->optionBar().cfgMoneyType();
            money->setCurrentIndex(money->findText(then));
            w->cfgMoneyTypeChange();
        }
        for (const auto& l : kReturnNote) {
            const entry::ui::GoodsLine& line = b.lines[l.line - 1];
            QCOMPARE(line.zdSL->text(), QString::fromLatin1(l.quantity));
            QCOMPARE(line.zdDJ->text(), QString::fromLatin1(l.price));
            QCOMPARE(line.zdJE->text(), QString::fromLatin1(l.amount));
        }
        QCOMPARE(b.zdHJJEXX->text(), QStringLiteral("4021.00"));
        QCOMPARE(b.zdHJJE->text(), total);
        QCOMPARE(b.zdJEDX->text(), capitals);
        QCOMPARE(home->dialogs().texts(), QStringList());
    }

    // The line stays while it is typed; a note whose total ends negative is neither saved nor printed.
    void negativeTotalIsRefusedWhenSavedOrPrinted() {
        auto w = openActive();
        QVERIFY(w);
        w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
        w->boxes().zdPJBH->setText(QStringLiteral("00000002"));
        typeLine(*w, 1, QStringLiteral("-2"), QStringLiteral("35.50"));
        QCOMPARE(w->boxes().lines[0].zdJE->text(), QStringLiteral("-71.00"));
        QCOMPARE(w->boxes().zdHJJE->text(), QStringLiteral("-￥71.00"));
        QVERIFY(w->boxes().zdJEDX->text().isEmpty());
        QCOMPARE(home->dialogs().texts(), QStringList());
        QVERIFY(!w->commands().Save());
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("btPrint1")), Qt::LeftButton);
        const QString range = QStringLiteral("金额超出范围：每行金额及合计金额必须小于1,000,000,000，"
                                             "合计金额不能为负数，请修改后再试！");
        QCOMPARE(home->dialogs().texts(),
                 (QStringList{QStringLiteral("保存失败,") + range, QStringLiteral("打印取消,") + range}));
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 0);
        QCOMPARE(host->device.documents, 0);
    }

    // Closing the window while a price box has the focus must not run the rules on a window
    // that is half gone.
    void closingWhileEditingIsSafe() {
        auto w = openActive();
        QVERIFY(w);
        w->boxes().lines[0].zdSL->setText(QStringLiteral("3"));
        w->boxes().lines[0].zdDJ->setFocus();
        w.reset();
    }

    // A price the total refuses leaves the line with nothing of it, the other lines' total intact.
    void refusedPriceLeavesTheLine() {
        auto w = openActive();
        QVERIFY(w);
        typeLineAmount(*w, 1, QStringLiteral("12"));
        entry::ui::GoodsLine& line = w->boxes().lines[1];
        line.zdDJ->setFocus();
        QTest::keyClicks(line.zdDJ, QStringLiteral("1000000000"));
        line.zdSFNR->setFocus();
        QVERIFY(home->dialogs().sawText(QStringLiteral("金额值必须介于0~1,000,000,000之间！")));
        QVERIFY(line.zdDJ->text().isEmpty() && line.zdJEXX->text().isEmpty() && line.zdJE->text().isEmpty());
        QCOMPARE(w->boxes().zdHJJEXX->text(), QStringLiteral("12.00"));
        // The tab of the variant on screen selects nothing and says nothing.
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        home->dialogs().clear();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tabs->currentIndex()).center());
        QVERIFY(home->dialogs().shown.isEmpty());
    }

    // Every hand-out passes over numbers that saved notes carry, whichever series gave them, and
    // gives the same number again until a note is saved under it.
    void handedOutNumbersSkipSavedNotes_data() {
        QTest::addColumn<QString>("handOut");
        QTest::addColumn<bool>("saveBetween");
        QTest::newRow("double-click") << "dblclick" << true;
        QTest::newRow("新单号") << "nNewNumber" << true;
        QTest::newRow("新建") << "btNew" << true;
        QTest::newRow("新建, nothing saved") << "btNew" << false;
        QTest::newRow("新单号, nothing saved") << "nNewNumber" << false;
    }
    void handedOutNumbersSkipSavedNotes() {
        QFETCH(QString, handOut);
        QFETCH(bool, saveBetween);
        for (const char* number : {"00000001", "00000002", "00000004"}) {
            entry::DeliveryNote note;
            note.number = QString::fromLatin1(number);
            entry::DeliveryNoteStore(home->db()).save(note);
        }
        auto w = openActive();
        QVERIFY(w && w->selectVariant(QStringLiteral("三联241")));
        QLineEdit* number = w->boxes().zdPJBH;
        QStringList got;
        for (int i = 0; i < 2; ++i) {
            if (handOut == QLatin1String("dblclick")) {
                number->clear();
                QTest::mouseDClick(number, Qt::LeftButton);
            } else if (auto* action = w->editing().numberMenu()->findChild<QAction*>(handOut))
                action->trigger();
            else
                QTest::mouseClick(w->findChild<QToolButton*>(handOut), Qt::LeftButton);
            got << number->text();
            if (saveBetween) {
                w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
                w->boxes().lines[0].zdSFNR->setText(QStringLiteral("扳手"));
                QVERIFY(w->commands().Save());
            }
        }
        QCOMPARE(got, (QStringList{QStringLiteral("00000003"),
                                   saveBetween ? QStringLiteral("00000005") : QStringLiteral("00000003")}));
    }

    // The 批量打印 button is an item of the shipped layouts, but its place is the tool bar's:
    // however often the template changes, it never lands on another tool button.
    void toolBarButtonsKeepTheirPlace() {
        auto w = openActive();
        QVERIFY(w);
        auto* batch = w->findChild<QToolButton*>(QStringLiteral("btMultiPrintS"));
        auto* newNote = w->findChild<QToolButton*>(QStringLiteral("btNew"));
        for (const char* variant : {"三联241", "标准", "三联241"}) {
            QVERIFY(w->selectVariant(QString::fromUtf8(variant)));
            QCoreApplication::processEvents();
            QVERIFY(!batch->isHidden()); // the layouts show it
            QVERIFY2(!batch->geometry().intersects(newNote->geometry()),
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(batch->x())
                                    .arg(batch->y())
                                    .arg(batch->width())
                                    .arg(batch->height())));
            QCOMPARE(newNote->parentWidget()->childAt(newNote->geometry().center()), newNote);
            QCOMPARE(batch->size(), batch->sizeHint());
        }
    }

    // A batch run asks before its first fill; the order it leaves on screen was printed, not
    // typed, so closing afterwards does not ask about it.
    void batchFillAsksOnceAndLeavesAKeptNote() {
        QMdiArea area;
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        QPointer<QMdiSubWindow> sub = area.addSubWindow(w);
        area.show();
        sub->show();
        w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
        w->boxes().lines[0].zdSFNR->setText(QStringLiteral("扳手"));
        home->dialogs().answers.enqueue(0);
        QVERIFY(!w->confirmDiscard(QStringLiteral("批量打印")));
        QCOMPARE(home->dialogs().texts(),
                 QStringList{
                     QStringLiteral("当前填写的出货单还没有保存，批量打印后内容将丢失，确定要放弃它吗？")});
        QCOMPARE(w->boxes().lines[0].zdSFNR->text(), QStringLiteral("扳手"));
        home->dialogs().answers.enqueue(1);
        QVERIFY(w->confirmDiscard(QStringLiteral("批量打印")));
        w->setBatchRunning(true);
        w->boxes().lines[0].zdSFNR->setText(QStringLiteral("订单货物"));
        w->setBatchRunning(false);
        home->dialogs().clear();
        QVERIFY(sub->close());
        QVERIFY(home->dialogs().texts().isEmpty());
    }

    // Closing with a typed note asks; nothing typed, or everything saved, closes at once.
    void closingAsksForAnUnsavedNote_data() {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("answer"); // -1: no question expected
        QTest::newRow("nothing typed") << false << false << -1;
        QTest::newRow("typed, keep it") << true << false << 0;
        QTest::newRow("typed, discard it") << true << false << 1;
        QTest::newRow("typed and saved") << true << true << -1;
    }
    void closingAsksForAnUnsavedNote() {
        QFETCH(bool, typed);
        QFETCH(bool, saved);
        QFETCH(int, answer);
        QMdiArea area;
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        QPointer<QMdiSubWindow> sub = area.addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        area.show();
        sub->show();
        if (typed) {
            w->boxes().zdGKLXR->setText(QStringLiteral("李明"));
            w->boxes().lines[0].zdSFNR->setText(QStringLiteral("扳手"));
            w->boxes().zdPJBH->setText(QStringLiteral("FH-20"));
        }
        QVERIFY(!saved || w->commands().Save());
        home->dialogs().clear();
        home->dialogs().answers.enqueue(answer);
        QCOMPARE(sub->close(), answer != 0);
        QCOMPARE(home->dialogs().texts(),
                 answer < 0 ? QStringList()
                            : QStringList{QStringLiteral(
                                  "当前填写的出货单还没有保存，关闭后内容将丢失，确定要放弃它吗？")});
    }

    // Lines the new template does not show would be neither saved nor printed: the switch asks,
    // naming them; No keeps the template they were typed on, Yes clears them.
    void switchingTemplateAsksBeforeDroppingLines_data() {
        QTest::addColumn<QList<int>>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("named");
        QTest::newRow("seven lines, keep them")
            << QList<int>{1, 2, 3, 4, 5, 6, 7} << 0 << QStringLiteral("第6、7行");
        QTest::newRow("seven lines, drop two")
            << QList<int>{1, 2, 3, 4, 5, 6, 7} << 1 << QStringLiteral("第6、7行");
        QTest::newRow("only lines 6-8, keep them")
            << QList<int>{6, 7, 8} << 0 << QStringLiteral("第6、7、8行");
        QTest::newRow("only lines 6-8, drop them")
            << QList<int>{6, 7, 8} << 1 << QStringLiteral("第6、7、8行");
        QTest::newRow("lines the new template shows") << QList<int>{1, 2} << -1 << QString();
    }
    void switchingTemplateAsksBeforeDroppingLines() {
        QFETCH(QList<int>, typed);
        QFETCH(int, answer);
        QFETCH(QString, named);
        auto w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        for (const int n : typed)
            typeLine(*w, n, QStringLiteral("2"), QStringLiteral("1.50"));
        QCOMPARE(w->commands().noteFromBoxes().lines.size(), typed.size());
        home->dialogs().clear();
        home->dialogs().answers.enqueue(answer);
        auto* tabs = w->findChild<QTabBar*>(QStringLiteral("tbcCheckTypeName"));
        int other = -1;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == QStringLiteral("三联241"))
                other = i;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(other).center());
        QCOMPARE(home->dialogs().texts().size(), answer < 0 ? 0 : 1);
        if (answer >= 0)
            QVERIFY2(home->dialogs().texts().first().contains(named),
                     qPrintable(home->dialogs().texts().first()));
        const qsizetype shown = std::count_if(typed.begin(), typed.end(), [](int n) { return n <= 5; });
        if (answer == 0) {
            QCOMPARE(w->variant(), QStringLiteral("标准"));
            QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("标准"));
            QCOMPARE(w->commands().noteFromBoxes().lines.size(), typed.size());
        } else {
            QCOMPARE(w->variant(), QStringLiteral("三联241"));
            QCOMPARE(w->commands().noteFromBoxes().lines.size(), shown);
            if (shown)
                QCOMPARE(w->boxes().zdHJJEXX->text(), QStringLiteral("%1.00").arg(shown * 3));
        }
        // What is kept on screen is what the discard question weighs.
        QCOMPARE(w->commands().hasUnsavedNote(), answer == 0 || shown > 0);
    }

    // Ctrl+S, Ctrl+P and the window's Alt letters reach its buttons, also where the main menu
    // has a title on the same letter.
    void keysReachTheWindowsButtons_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier);
        QTest::newRow("Alt+S") << int(Qt::Key_S) << int(Qt::AltModifier);
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier);
        QTest::newRow("Alt+P") << int(Qt::Key_P) << int(Qt::AltModifier);
    }
    void keysReachTheWindowsButtons() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QMainWindow main;
        main.menuBar()->addMenu(QStringLiteral("系统(&S)"));
        main.menuBar()->addMenu(QStringLiteral("打印(&P)"));
        auto* area = new QMdiArea;
        main.setCentralWidget(area);
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        area->addSubWindow(w)->show();
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        w->boxes().zdGKLXR->setFocus();
        QTest::keyClick(w->boxes().zdGKLXR, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (key == Qt::Key_P)
            QCOMPARE(host->device.documents, 1);
        else
            QVERIFY(home->dialogs().sawText(QStringLiteral("保存失败,请选取或填写物品信息！")));
    }

    // In a small area the window stays inside and its form scrolls: the tool bar at the bottom
    // and the whole option bar stay reachable.
    void windowFitsASmallArea() {
        QMdiArea area;
        area.resize(1300, 560);
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        QMdiSubWindow* sub = area.addSubWindow(w);
        area.show();
        sub->show();
        w->btUpOrDownClick();
        QVERIFY(area.viewport()->rect().contains(sub->geometry()));
        // Both option rows whole without scrolling, each at its full height.
        QCoreApplication::processEvents();
        const QPoint at = w->optionBar().mapTo(w, QPoint(0, 0));
        QVERIFY(w->rect().contains(QRect(at, w->optionBar().size())));
        QVERIFY(w->optionBar().height() >= w->optionBar().sizeHint().height());
    }

    // The remark box shows a whole line of text at the heights forms give it; a roomy box
    // keeps its frame and its scroll bar.
    void remarkLineIsWhole_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("roomy");
        QTest::newRow("shipped forms") << 19 << false;
        QTest::newRow("a little taller") << 24 << false;
        QTest::newRow("several lines") << 80 << true;
    }
    void remarkLineIsWhole() {
        QFETCH(int, height);
        QFETCH(bool, roomy);
        auto w = open();
        w->show();
        QPlainTextEdit* remark = w->boxes().zdRemark;
        remark->setPlainText(QStringLiteral("货物请当面点清 gjpqy"));
        remark->setGeometry(remark->x(), remark->y(), 600, height);
        QCoreApplication::processEvents();
        const int margins = 2 * int(remark->document()->documentMargin());
        QVERIFY2(QFontMetrics(remark->font()).lineSpacing() + margins <= remark->viewport()->height(),
                 qPrintable(QStringLiteral("line %1, room %2")
                                .arg(QFontMetrics(remark->font()).lineSpacing())
                                .arg(remark->viewport()->height() - margins)));
        if (roomy)
            QCOMPARE(remark->frameShape(), QFrame::StyledPanel);
        QCOMPARE(remark->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded, roomy);
    }

    // Switching variants re-places the remark box on the shown window; its fit settles.
    void remarkFitSettlesOnAShownWindow() {
        QMdiArea area;
        area.resize(1300, 700);
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        area.addSubWindow(w)->show();
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QPlainTextEdit* remark = w->boxes().zdRemark;
        for (const char* variant : {"三联241", "标准"}) {
            QVERIFY(w->selectVariant(QString::fromUtf8(variant)));
            for (int height : {10, 19, 40}) {
                remark->resize(remark->width(), height);
                QCoreApplication::processEvents();
                QCOMPARE(remark->height(), height);
            }
        }
    }

    // The red frame of the customer square survives the mouse passing over it.
    void customerSquareKeepsItsFrame() {
        auto w = open();
        QFrame* square = w->boxes().shpSKR;
        const QString frame = square->styleSheet();
        const QPointF inside = square->rect().center();
        QMouseEvent move(QEvent::MouseMove, inside, square->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(square, &move);
        QVERIFY(square->styleSheet().startsWith(frame) && square->styleSheet() != frame);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(square, &leave);
        QCOMPARE(square->styleSheet(), frame);
    }

    void disabledDefaultTemplateStillOpens() {
        home->db().exec(QStringLiteral("update CKTypeTable set Visiable='停用隐藏' where CheckTypeID=1"));
        auto w = open();
        QCOMPARE(w->currentCheckTypeId(), 1);
        QCOMPARE(w->variant(), QStringLiteral("标准"));
        QVERIFY(!w->boxes().zdPJBH->isHidden());
    }

    void noTemplateClosesTheWindow() {
        home->db().exec(QStringLiteral("update CKTypeTable set IsDefault='0', Visiable='停用隐藏'"));
        auto* w = new TfmCheckFHDSHD(home->app(), *host);
        QPointer<TfmCheckFHDSHD> guard(w);
        w->show();
        QVERIFY(!w->isBound());
        QTRY_VERIFY(guard.isNull());
        QVERIFY(home->dialogs().sawText(QStringLiteral("没有找到任何启用的【出货单】模板！")));
    }
};

OVERPRINT_TEST(TestEntryWindow)
#include "TestEntryWindow.moc"
