#include "FakeNoteWindow.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/DeliveryNoteStore.h"
#include "entry/NoteText.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/NoteEditing.h"
#include "print/BillPrinter.h"
#include "print/RecordingPrintDevice.h"

#include "core/Recordset.h"

#include <QMenu>
#include <QTest>

using entry::ui::NoteCommands;
using entry::ui::NoteEditing;

namespace {
const QString kGoodsMissing =
    QStringLiteral("保存失败,请选取或填写物品信息！\n\n（技巧:点击商品名输入框，可选取商品）");
const QString kCustomerMissing = QStringLiteral("保存失败,客户信息不能为空！");
const QString kNumberMissing = QStringLiteral(
    "保存失败,单据编号不能为空,请重新填写单据编号！\n\n（技巧:双击空白的编号可自动生成一个最大编号）");
const QString kNewSaved = QStringLiteral("新出货单保存成功！ ");

struct Note {
    TestHome home;
    FakeNoteWindow window;
    print::RecordingPrintDevice device;
    NoteEditing editing{home.app(), window};
    print::BillPrinter printer{home.app(), device, &window.form};
    NoteCommands commands{home.app(), window, editing, printer};
    entry::DeliveryNoteStore store{home.db()};
    Note() {
        window.editing = &editing;
        editing.attach();
        commands.attach();
    }
    void set(const QString& name, const QString& value) { window.setText(name, value); }
    void line(int n, const QString& goods, const QString& quantity, const QString& price) {
        set(QStringLiteral("zdSFNR%1").arg(n), goods);
        set(QStringLiteral("zdDJ%1").arg(n), price);
        set(QStringLiteral("zdSL%1").arg(n), quantity);
    }
    // Both history tables as text, to prove that a failed save changed nothing.
    QString tables() {
        QString out;
        for (const QString& table :
             {entry::DeliveryNoteStore::kHeaderTable, entry::DeliveryNoteStore::kDetailTable}) {
            core::Recordset rs = home.db().query(QStringLiteral("select * from ") + table);
            for (rs.first(); !rs.eof(); rs.next()) {
                for (int c = 0; c < rs.fieldCount(); ++c)
                    out += rs.text(c) + QLatin1Char('|');
                out += QLatin1Char('\n');
            }
        }
        return out;
    }
    QStringList savedGoods(const QString& number) {
        QStringList out;
        for (const entry::NoteLine& l : store.loadLines(number))
            out << QString::number(l.line) + QLatin1Char(':') + l.name + QLatin1Char('=') +
                       l.amount.value_or("-");
        return out;
    }
};
} // namespace

class TestNoteCommands : public QObject {
    Q_OBJECT
private slots:
    void validation_data() {
        QTest::addColumn<QString>("goods");
        QTest::addColumn<QString>("typedTotal");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("detailRows");
        QTest::newRow("nothing to save") << ""
                                         << ""
                                         << "甲"
                                         << ""
                                         << "N1" << kGoodsMissing << -1;
        QTest::newRow("placeholder is no customer") << "纸"
                                                    << "" << entry::NoteText::kCustomerPlaceholder << ""
                                                    << "N1" << kCustomerMissing << -1;
        QTest::newRow("contact only passes") << "纸"
                                             << ""
                                             << ""
                                             << "O'Brien"
                                             << "N1" << kNewSaved << 1;
        QTest::newRow("blank number") << "纸"
                                      << ""
                                      << "甲"
                                      << ""
                                      << "  " << kNumberMissing << -1;
        QTest::newRow("typed total only") << ""
                                          << "88"
                                          << "甲"
                                          << ""
                                          << "N1" << kNewSaved << 0;
    }
    void validation() {
        QFETCH(QString, goods);
        QFETCH(QString, typedTotal);
        QFETCH(QString, customer);
        QFETCH(QString, contact);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(int, detailRows);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        // A priced line has a raw amount, which alone makes it part of the note.
        if (!goods.isEmpty())
            note.line(1, goods, QStringLiteral("2"), QStringLiteral("3"));
        if (!typedTotal.isEmpty())
            note.window.commitTypedTotal(typedTotal);
        note.set(QStringLiteral("zdGKMC"), customer);
        note.set(QStringLiteral("zdGKLXR"), contact);
        note.set(QStringLiteral("zdPJBH"), number);
        QCOMPARE(note.commands.Save(), detailRows >= 0);
        QCOMPARE(note.home.dialogs().lastText(), message);
        const bool stored = note.store.exists(number.trimmed());
        QCOMPARE(stored, detailRows >= 0);
        if (stored)
            QCOMPARE(note.store.loadLines(QStringLiteral("N1")).size(), detailRows);
    }

    void existingNumber_data() {
        QTest::addColumn<bool>("takeNew");
        QTest::newRow("no overwrites, fewer lines") << false;
        QTest::newRow("yes saves under a new number") << true;
    }
    void existingNumber() {
        QFETCH(bool, takeNew);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("王's店"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        note.line(2, QStringLiteral("笔"), QStringLiteral("1"), QStringLiteral("4"));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("S7"));
        QVERIFY(note.commands.Save());
        const QStringList first{QStringLiteral("1:纸=6"), QStringLiteral("2:笔=4")};
        QCOMPARE(note.savedGoods(QStringLiteral("S7")), first);

        note.editing.clearLine(2);
        note.line(1, QStringLiteral("墨"), QStringLiteral("5"), QStringLiteral("1"));
        note.home.dialogs().answers.enqueue(takeNew ? 1 : 0);
        note.home.dialogs().clear();
        QVERIFY(note.commands.Save());
        QVERIFY(note.home.dialogs().texts().first().startsWith(QStringLiteral("编号为【S7】的票据已经存在")));
        const QString number = note.window.text(QStringLiteral("zdPJBH"));
        QCOMPARE(note.window.form.windowTitle(), QStringLiteral("出货单(测试)-编号=") + number);
        if (takeNew) {
            QVERIFY(number != QLatin1String("S7"));
            QCOMPARE(note.savedGoods(QStringLiteral("S7")), first);
            QCOMPARE(note.savedGoods(number), QStringList{QStringLiteral("1:墨=5")});
            QCOMPARE(note.home.dialogs().lastText(), kNewSaved);
        } else {
            QCOMPARE(number, QStringLiteral("S7"));
            QCOMPARE(note.savedGoods(QStringLiteral("S7")), QStringList{QStringLiteral("1:墨=5")});
            QVERIFY(note.home.dialogs().lastText().startsWith(QStringLiteral("出货单修改保存成功")));
        }
    }

    // A saved note this window neither reloaded nor saved is replaced only after a second yes
    // to a question naming it; one reloaded here is edited on the first No, as before.
    void overwritingAnotherSavedNote_data() {
        QTest::addColumn<bool>("reloaded");
        QTest::addColumn<int>("secondAnswer"); // -1: no second question
        QTest::newRow("typed anew, second no keeps it") << false << 0;
        QTest::newRow("typed anew, second yes replaces it") << false << 1;
        QTest::newRow("reloaded, no edits it") << true << -1;
    }
    void overwritingAnotherSavedNote() {
        QFETCH(bool, reloaded);
        QFETCH(int, secondAnswer);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        entry::DeliveryNote saved;
        saved.number = QStringLiteral("S7");
        saved.customerName = QStringLiteral("王五");
        saved.total = QStringLiteral("88.00");
        saved.issueDate = saved.orderDate = QDateTime(QDate::currentDate(), QTime(9, 0));
        note.store.save(saved);
        if (reloaded)
            note.commands.BrowseOldCheck(QString(), QStringLiteral("S7"));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("李四"));
        note.line(1, QStringLiteral("新货"), QStringLiteral("1"), QStringLiteral("5"));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("S7"));
        note.home.dialogs().clear();
        note.home.dialogs().answers << 0 << secondAnswer;
        QCOMPARE(note.commands.Save(), secondAnswer != 0);
        const QString second =
            QStringLiteral("编号为【S7】的历史票据（客户：王五，合计金额：88.00，出票日期：") +
            QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
            QStringLiteral("）将被当前票据覆盖，覆盖后不能恢复！\n确定要覆盖它吗？");
        QCOMPARE(note.home.dialogs().texts().contains(second), secondAnswer >= 0);
        QCOMPARE(note.savedGoods(QStringLiteral("S7")).size(), secondAnswer != 0 ? 1 : 0);
    }

    // Amounts the money texts cannot write stop both the save and the print, with a message.
    void oversizedAmountsAreNeitherSavedNorPrinted_data() {
        QTest::addColumn<QStringList>("prices");
        QTest::addColumn<bool>("fits");
        QTest::newRow("largest total") << QStringList{QStringLiteral("999999999.99")} << true;
        QTest::newRow("one line") << QStringList{QStringLiteral("1000000000")} << false;
        QTest::newRow("lines together")
            << QStringList{QStringLiteral("600000000"), QStringLiteral("400000000")} << false;
    }
    void oversizedAmountsAreNeitherSavedNorPrinted() {
        QFETCH(QStringList, prices);
        QFETCH(bool, fits);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("B1"));
        for (int i = 0; i < prices.size(); ++i)
            note.line(i + 1, QStringLiteral("金条"), QStringLiteral("1"), prices[i]);
        QCOMPARE(note.commands.Save(), fits);
        note.commands.btPrint1Click();
        QCOMPARE(note.home.dialogs().sawText(QStringLiteral("保存失败,金额超出范围")), !fits);
        QCOMPARE(note.home.dialogs().sawText(QStringLiteral("打印取消,金额超出范围")), !fits);
        QVERIFY(fits || note.device.documents == 0);
    }

    void hiddenBoxesNotSaved() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("H1"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        note.line(4, QStringLiteral("藏"), QStringLiteral("2"), QStringLiteral("3"));
        note.set(QStringLiteral("zdDef2"), QStringLiteral("隐"));
        note.window.box(QStringLiteral("zdSFNR4"))->hide();
        note.window.box(QStringLiteral("zdDef2"))->hide();
        note.window.box(QStringLiteral("zdDJ1"))->hide();
        note.window.box(QStringLiteral("zdJE1"))->hide();
        QVERIFY(note.commands.Save());
        const entry::DeliveryNote saved = *note.store.load(QStringLiteral("H1"));
        QCOMPARE(saved.lines.size(), 1);
        QCOMPARE(saved.lines[0].line, 1);
        QCOMPARE(saved.lines[0].price.value_or(QString()), QString());
        QCOMPARE(saved.lines[0].amount.value_or(QString()), QString());
        QCOMPARE(saved.custom[1].value_or(QString()), QString());
    }

    void failedSaveChangesNothing_data() {
        QTest::addColumn<QString>("sabotage");
        QTest::addColumn<QString>("repair");
        QTest::addColumn<bool>("printButton");
        QTest::newRow("second goods line refused")
            << "create trigger refuse before insert on DataCheckFHDSHDDetail when new.商品名='坏' begin "
               "select raise(abort, 'line refused'); end"
            << "drop trigger refuse" << false;
        QTest::newRow("detail table gone")
            << "alter table DataCheckFHDSHDDetail rename to DetailAside"
            << "alter table DetailAside rename to DataCheckFHDSHDDetail" << false;
        QTest::newRow("save and print, line refused")
            << "create trigger refuse before insert on DataCheckFHDSHDDetail when new.商品名='坏' begin "
               "select raise(abort, 'line refused'); end"
            << "drop trigger refuse" << true;
    }
    void failedSaveChangesNothing() {
        QFETCH(QString, sabotage);
        QFETCH(QString, repair);
        QFETCH(bool, printButton);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("F1"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        note.line(2, QStringLiteral("笔"), QStringLiteral("1"), QStringLiteral("4"));
        note.line(3, QStringLiteral("墨"), QStringLiteral("1"), QStringLiteral("5"));
        QVERIFY(note.commands.Save());
        const QString before = note.tables();

        // The same number again (the unanswered question keeps it): header edited, lines replaced.
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("乙"));
        note.editing.clearLine(3);
        note.line(2, QStringLiteral("坏"), QStringLiteral("1"), QStringLiteral("9"));
        note.home.db().exec(sabotage);
        note.home.dialogs().clear();
        if (printButton)
            QTest::mouseClick(note.window.box(QStringLiteral("btPrintAndSave")), Qt::LeftButton);
        else
            QVERIFY(!note.commands.Save());
        const QStringList shown = note.home.dialogs().texts();
        QVERIFY2(shown.size() >= 2, qPrintable(shown.join(QLatin1Char('|'))));
        QVERIFY(shown.at(0).startsWith(QStringLiteral("编号为【F1】的票据已经存在")));
        QVERIFY2(shown.at(1).startsWith(QStringLiteral("保存失败！")), qPrintable(shown.at(1)));
        if (printButton) {
            QCOMPARE(shown.size(), 2);
            QVERIFY(shown.last().endsWith(QStringLiteral("\n\n保存未完成，打印取消~")));
            QCOMPARE(note.device.documents, 0);
        }
        QVERIFY(!note.home.db().inTransaction());
        note.home.db().exec(repair);
        QCOMPARE(note.tables(), before);
        // The connection takes the next save.
        note.line(2, QStringLiteral("笔"), QStringLiteral("1"), QStringLiteral("4"));
        note.home.dialogs().clear();
        QVERIFY(note.commands.Save());
        QCOMPARE(note.savedGoods(QStringLiteral("F1")),
                 (QStringList{QStringLiteral("1:纸=6"), QStringLiteral("2:笔=4")}));
    }

    void saveAndPrintWithoutNumber() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        QTest::mouseClick(note.window.box(QStringLiteral("btPrintAndSave")), Qt::LeftButton);
        // One box: the save's own reason, which also says that nothing is printed.
        QCOMPARE(note.home.dialogs().texts(),
                 (QStringList{kNumberMissing + QStringLiteral("\n\n保存未完成，打印取消~")}));
        QCOMPARE(note.device.documents, 0);
        QVERIFY(note.device.events.isEmpty());
        QVERIFY(note.window.box(QStringLiteral("btPrintAndSave"))->isEnabled());
        QVERIFY(note.commands.reportOnSave());
    }

    void repeatedPrintCount_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("cancelled") << "\x1b" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("not a number") << "3张" << QStringList{QStringLiteral("输入错误的数字！")};
    }
    void repeatedPrintCount() {
        QFETCH(QString, answer);
        QFETCH(QStringList, messages);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.home.dialogs().inputs.enqueue(answer);
        QTest::mouseClick(note.window.box(QStringLiteral("btMultiPrintF")), Qt::LeftButton);
        QStringList shown = note.home.dialogs().texts();
        QCOMPARE(note.home.dialogs().shown.first().text, QStringLiteral("输入重复打印的张数"));
        shown.removeFirst();
        QCOMPARE(shown, messages);
        QCOMPARE(note.device.documents, 0);
    }

    void saveThenReload() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        const QString odd = QStringLiteral("O'Brien 100% 王's店");
        note.set(QStringLiteral("zdGKMC"), odd);
        note.set(QStringLiteral("zdGKAddr"), odd);
        note.set(QStringLiteral("zdRemark"), odd);
        note.set(QStringLiteral("zdDef1"), odd);
        note.set(QStringLiteral("cfgMoneyType"), QStringLiteral("人民币"));
        note.window.ticked = QStringLiteral("加急,送货");
        note.set(QStringLiteral("zdPJBH"), odd);
        note.line(1, odd, QStringLiteral("2"), QStringLiteral("3"));
        note.line(7, QStringLiteral("七"), QStringLiteral("1"), QStringLiteral("1"));
        // A stored amount that differs from quantity × price must come back as stored.
        note.set(QStringLiteral("zdJEXX1"), QStringLiteral("5.5"));
        note.window.lineAmountRule(1);
        QVERIFY(note.commands.Save());

        note.commands.btNewClick();
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR1")), QString());
        QCOMPARE(note.window.text(QStringLiteral("zdHJJEXX")), QStringLiteral("0.00"));
        QVERIFY(note.window.form.windowTitle().startsWith(QStringLiteral("新单据-ID=")));
        note.line(8, QStringLiteral("残留"), QStringLiteral("1"), QStringLiteral("9"));
        note.set(QStringLiteral("zdGKMC"), QString());
        note.window.ticked.clear();

        note.home.dialogs().clear();
        note.home.dialogs().answers.enqueue(1); // the leftover line is given up
        QVERIFY(note.commands.BrowseOldCheck(QStringLiteral("测试"), odd));
        QCOMPARE(note.home.dialogs().texts(),
                 QStringList{QStringLiteral(
                     "当前填写的出货单还没有保存，调入历史票据后内容将丢失，确定要放弃它吗？")});
        QCOMPARE(note.window.text(QStringLiteral("zdPJBH")), odd);
        // The caption names the note shown, not the new number handed out before.
        QCOMPARE(note.window.form.windowTitle(), QStringLiteral("出货单(测试)-编号=") + odd);
        QCOMPARE(note.window.text(QStringLiteral("zdGKMC")), odd);
        QCOMPARE(note.window.text(QStringLiteral("zdGKAddr")), odd);
        QCOMPARE(note.window.text(QStringLiteral("zdRemark")), odd);
        QCOMPARE(note.window.text(QStringLiteral("zdDef1")), odd);
        QCOMPARE(note.window.ticked, QStringLiteral("加急,送货"));
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR1")), odd);
        QCOMPARE(note.window.text(QStringLiteral("zdJEXX1")), QStringLiteral("5.5"));
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR7")), QStringLiteral("七"));
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR8")), QString());
        QCOMPARE(note.window.text(QStringLiteral("zdHJJEXX")), QStringLiteral("6.50"));
        QCOMPARE(note.window.typedTotals.last(), QStringLiteral("6.50"));
        QVERIFY(note.window.selected.isEmpty());

        note.commands.BrowseOldCheck(QString(), QStringLiteral("gone"));
        QCOMPARE(note.home.dialogs().lastText(), QStringLiteral("调入失败，票据信息没有找到-gone"));
        QCOMPARE(note.window.form.windowTitle(), QStringLiteral("新单据-ID=gone"));
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR1")), QString());
    }

    // A number series that cannot be read shows its failure and leaves the number as it was.
    void failedNumberKeepsTheBox() {
        Note n;
        n.set(QStringLiteral("zdPJBH"), QStringLiteral("FH-7"));
        n.home.db().exec(QStringLiteral("drop table IDBuilder"));
        n.commands.btNewClick();
        QCOMPARE(n.window.text(QStringLiteral("zdPJBH")), QStringLiteral("FH-7"));
        QVERIFY(n.home.dialogs().sawText(QStringLiteral("ID序列检查失败")));
        n.home.dialogs().clear();
        n.editing.numberMenu()->actions().first()->trigger();
        QCOMPARE(n.window.text(QStringLiteral("zdPJBH")), QStringLiteral("FH-7"));
        QVERIFY(n.home.dialogs().sawText(QStringLiteral("ID序列检查失败")));
    }

    // Whatever would replace a typed, unsaved note asks first; No keeps the note and stops.
    void replacingAnUnsavedNoteAsks_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("typed"); // false: typed and saved
        QTest::addColumn<int>("answer"); // -1: no question expected
        QTest::newRow("新建, keep") << "btNew" << true << 0;
        QTest::newRow("新建, discard") << "btNew" << true << 1;
        QTest::newRow("新建 after saving") << "btNew" << false << -1;
        QTest::newRow("reload, keep") << "reload" << true << 0;
        QTest::newRow("reload, discard") << "reload" << true << 1;
        QTest::newRow("reload after saving") << "reload" << false << -1;
    }
    void replacingAnUnsavedNoteAsks() {
        QFETCH(QString, action);
        QFETCH(bool, typed);
        QFETCH(int, answer);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        entry::DeliveryNote old;
        old.number = QStringLiteral("R1");
        old.customerName = QStringLiteral("旧客户");
        note.store.save(old);
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("T1"));
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        if (!typed)
            QVERIFY(note.commands.Save());
        note.home.dialogs().clear();
        note.home.dialogs().answers.enqueue(answer);
        const bool replaced = answer != 0;
        if (action == QLatin1String("btNew"))
            QTest::mouseClick(note.window.box(QStringLiteral("btNew")), Qt::LeftButton);
        else
            QCOMPARE(note.commands.BrowseOldCheck(QString(), QStringLiteral("R1")), replaced);
        const QString question =
            QStringLiteral("当前填写的出货单还没有保存，") +
            (action == QLatin1String("btNew") ? QStringLiteral("新建") : QStringLiteral("调入历史票据")) +
            QStringLiteral("后内容将丢失，确定要放弃它吗？");
        QCOMPARE(note.home.dialogs().texts().contains(question), answer >= 0);
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR1")), replaced ? QString() : QStringLiteral("纸"));
        QCOMPARE(note.window.text(QStringLiteral("zdGKMC")), !replaced ? QStringLiteral("甲")
                                                             : action == QLatin1String("reload")
                                                                 ? QStringLiteral("旧客户")
                                                                 : QStringLiteral("甲"));
        QCOMPARE(note.window.text(QStringLiteral("zdPJBH")) == QLatin1String("T1"), !replaced);
    }

    // "新建" hands out the next number; only a note saved under it uses it up.
    void newNoteNumbers_data() {
        QTest::addColumn<QString>("between");
        QTest::addColumn<bool>("advances");
        QTest::newRow("dropped") << "drop" << false;
        QTest::newRow("saved") << "save" << true;
        QTest::newRow("save failed") << "fail" << false;
    }
    void newNoteNumbers() {
        QFETCH(QString, between);
        QFETCH(bool, advances);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.commands.btNewClick();
        const QString first = note.window.text(QStringLiteral("zdPJBH"));
        QVERIFY(!first.isEmpty());
        note.set(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        note.line(1, QStringLiteral("纸"), QStringLiteral("2"), QStringLiteral("3"));
        if (between == QLatin1String("fail"))
            note.home.db().exec(QStringLiteral("create trigger refuse before insert on DataCheckFHDSHDDetail "
                                               "begin select raise(abort, 'refused'); end"));
        if (between != QLatin1String("drop"))
            QCOMPARE(note.commands.Save(), advances);
        note.home.dialogs().answers.enqueue(1); // discard what was not saved
        note.commands.btNewClick();
        const QString second = note.window.text(QStringLiteral("zdPJBH"));
        QCOMPARE(second == first, !advances);
        QVERIFY(second.compare(first) >= 0);
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR1")), QString());
    }

    void copyCaption() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.set(QStringLiteral("zdPJBH"), QStringLiteral("S9"));
        QTest::mouseClick(note.window.box(QStringLiteral("btSaveAs")), Qt::LeftButton);
        QCOMPARE(note.window.captions, (QStringList{QStringLiteral("出货单-测试 ID=S9"),
                                                    QStringLiteral("已复制保存过的单据为一张新单~")}));
    }
};

OVERPRINT_TEST(TestNoteCommands)
#include "TestNoteCommands.moc"
