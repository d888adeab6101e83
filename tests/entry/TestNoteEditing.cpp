#include "FakeEntryHost.h"
#include "FakeNoteWindow.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "entry/NoteText.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/OptionBar.h"
#include "entry/ui/ProductPicker.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "masterdata/ProductStore.h"
#include "masterdata/TPerson.h"

#include <QMenu>
#include <QTest>

using entry::ui::NoteEditing;
using entry::ui::ProductPicker;

namespace {
// The window, its editing rules and the product picker, attached as the entry window does.
struct Note {
    TestHome home;
    FakeNoteWindow window;
    NoteEditing editing{home.app(), window};
    core::ui::GridServices grids{home.app()};
    ProductPicker picker{home.app(), grids, editing, window.area};
    Note() {
        window.editing = &editing;
        editing.attach();
        picker.attach();
    }
    QLineEdit* edit(const QString& name) { return qobject_cast<QLineEdit*>(window.box(name)); }
};

// The real entry window on the default template, shown and active so that focus rules run.
struct EntryWindow {
    TestHome home;
    FakeEntryHost host{home.app()};
    entry::ui::TfmCheckFHDSHD window{home.app(), host};
    bool active = false;
    EntryWindow() {
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }
    entry::ui::GoodsLine& line(int n) { return window.boxes().lines[n - 1]; }
    // Types into a box after entering it, then leaves it, as the Tab key would.
    void type(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, text);
        box->clearFocus();
    }
};
} // namespace

class TestNoteEditing : public QObject {
    Q_OBJECT
private slots:
    void lineAmount_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("typedQuantity");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("price without quantity") << "12.5"
                                                << ""
                                                << "12.5"
                                                << "12.50";
        QTest::newRow("quantity zero") << "12.5"
                                       << "0"
                                       << "0"
                                       << "0.00";
        QTest::newRow("typed with blanks") << "2.5"
                                           << " 4"
                                           << "10"
                                           << "10.00";
        QTest::newRow("decimals") << "0.1"
                                  << "3"
                                  << "0.3"
                                  << "0.30";
    }
    void lineAmount() {
        QFETCH(QString, price);
        QFETCH(QString, typedQuantity);
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.window.setText(QStringLiteral("zdSFNR2"), QStringLiteral("纸"));
        // Leaving the price computes the line even before any quantity is typed.
        note.edit(QStringLiteral("zdDJ2"))->setFocus();
        QTest::keyClicks(note.edit(QStringLiteral("zdDJ2")), price);
        note.edit(QStringLiteral("zdSL2"))->setFocus();
        QTest::keyClicks(note.edit(QStringLiteral("zdSL2")), typedQuantity);
        QCOMPARE(note.window.text(QStringLiteral("zdJEXX2")), raw);
        QCOMPARE(note.window.text(QStringLiteral("zdJE2")), shown);
        QCOMPARE(note.window.text(QStringLiteral("zdHJJEXX")), entry::roundDecimalText(raw, 2));
        QVERIFY(note.home.dialogs().shown.isEmpty());
    }

    // A quantity typed key by key into the real window, then left with Tab.
    void quantityAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refusedAtOnce");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("refusedOnLeaving");
        QTest::addColumn<QString>("total");
        QTest::newRow("return") << "-2" << false << "-2"
                                << "-6" << false << "4.00";
        QTest::newRow("thousands") << "1,200" << false << "1200"
                                   << "3600" << false << "3610.00";
        QTest::newRow("full-width") << QStringLiteral("１２００") << false << "1200"
                                    << "3600" << false << "3610.00";
        QTest::newRow("blank groups") << "1 200" << false << "1200"
                                      << "3600" << false << "3610.00";
        // A refused line is emptied: its goods stay, priced 0.
        QTest::newRow("minus left alone") << "-" << false << ""
                                          << "0" << true << "10.00";
        QTest::newRow("group left unfinished") << "1,20" << false << ""
                                               << "0" << true << "10.00";
        QTest::newRow("letters") << "2a" << true << ""
                                 << "0" << false << "10.00";
    }
    void quantityAsTyped() {
        QFETCH(QString, typed);
        QFETCH(bool, refusedAtOnce);
        QFETCH(QString, kept);
        QFETCH(QString, amount);
        QFETCH(bool, refusedOnLeaving);
        QFETCH(QString, total);
        EntryWindow entry;
        QVERIFY2(entry.home.isValid(), qPrintable(entry.home.error()));
        QVERIFY(entry.active);
        entry.line(1).zdSFNR->setText(QStringLiteral("纸"));
        entry.type(entry.line(1).zdDJ, QStringLiteral("3"));
        entry.line(2).zdSFNR->setText(QStringLiteral("笔"));
        entry.type(entry.line(2).zdDJ, QStringLiteral("10"));
        entry.home.dialogs().clear();
        entry.line(1).zdSL->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), entry.line(1).zdSL);
        typeText(QApplication::focusWidget(), typed);
        const QStringList refused{NoteEditing::kNumberMessage};
        QCOMPARE(entry.home.dialogs().texts(), refusedAtOnce ? refused : QStringList());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(entry.home.dialogs().texts(), refusedAtOnce || refusedOnLeaving ? refused : QStringList());
        QCOMPARE(entry.line(1).zdSL->text(), kept);
        QCOMPARE(entry.line(1).zdJEXX->text(), amount);
        QCOMPARE(entry.window.boxes().zdHJJEXX->text(), total);
    }

    void hiddenAmountStaysOutOfTotals() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.window.setText(QStringLiteral("cfgMoneyType"), QStringLiteral("美元"));
        note.window.setText(QStringLiteral("zdJEXX1"), QStringLiteral("10"));
        note.window.setText(QStringLiteral("zdJEXX2"), QStringLiteral("5"));
        note.window.setText(QStringLiteral("zdSL1"), QStringLiteral("1.5"));
        note.window.setText(QStringLiteral("zdSL2"), QStringLiteral("4"));
        note.window.setText(QStringLiteral("zdJEXX1"), QStringLiteral("10"));
        note.window.setText(QStringLiteral("zdJEXX2"), QStringLiteral("5"));
        note.window.box(QStringLiteral("zdJE2"))->hide();
        note.window.box(QStringLiteral("zdSL1"))->hide();
        QCOMPARE(note.editing.SumAllJE().value_or(QString()), QStringLiteral("10"));
        QCOMPARE(note.window.text(QStringLiteral("zdSumSL")), QStringLiteral("4"));
        QCOMPARE(note.window.text(QStringLiteral("zdMoneyType")), QStringLiteral("美元"));
    }

    void pickKeepsTypedQuantity_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("typed seven kept") << "7"
                                          << "7";
        QTest::newRow("zero becomes one") << "0"
                                          << "1";
        QTest::newRow("empty becomes one") << ""
                                           << "1";
    }
    void pickKeepsTypedQuantity() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.window.setText(QStringLiteral("zdSL3"), before);
        QLineEdit* name = note.edit(QStringLiteral("zdSFNR3"));
        name->setFocus();
        QVERIFY(note.picker.isVisible());
        QCOMPARE(note.picker.caption(), QStringLiteral("zdSFNR3"));
        QTest::keyClicks(name, QStringLiteral("BG-012"));
        QCOMPARE(note.picker.grid().rowCount(), 1);
        note.picker.grid().setCurrentRow(0);
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(note.picker.isHidden());
        QCOMPARE(note.window.text(QStringLiteral("zdSFNR3")), QStringLiteral("笔记本"));
        QCOMPARE(note.window.text(QStringLiteral("zdHuoHao3")), QStringLiteral("BG-012"));
        QCOMPARE(note.window.text(QStringLiteral("zdGuiGe3")), QStringLiteral("A5 80页"));
        QCOMPARE(note.window.text(QStringLiteral("zdDW3")), QStringLiteral("本"));
        QCOMPARE(note.window.text(QStringLiteral("zdPro3")), QStringLiteral("蓝色"));
        QCOMPARE(note.window.text(QStringLiteral("zdSL3")), after);
        QCOMPARE(note.window.text(QStringLiteral("zdJEXX3")),
                 entry::NoteText::lineAmount(after, QStringLiteral("6.50")).amount);
        QVERIFY(note.window.box(QStringLiteral("zdSL3"))->hasFocus());
    }

    void pickerFilter_data() {
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("mnemonic");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        QTest::newRow("article number by prefix") << "12-77"
                                                  << "QZ"
                                                  << "x"
                                                  << "垫片" << true;
        QTest::newRow("article number not inside") << "A-12"
                                                   << "QZ"
                                                   << "x"
                                                   << "垫片" << false;
        QTest::newRow("mnemonic by prefix") << "A-1"
                                            << "12QZ"
                                            << "x"
                                            << "垫片" << true;
        QTest::newRow("mnemonic not inside") << "A-1"
                                             << "QZ12"
                                             << "x"
                                             << "垫片" << false;
        QTest::newRow("model anywhere") << "A-1"
                                        << "QZ"
                                        << "M12x40"
                                        << "垫片" << true;
        QTest::newRow("name anywhere") << "A-1"
                                       << "QZ"
                                       << "x"
                                       << "垫片12号" << true;
    }
    void pickerFilter() {
        QFETCH(QString, article);
        QFETCH(QString, mnemonic);
        QFETCH(QString, model);
        QFETCH(QString, name);
        QFETCH(bool, listed);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        masterdata::Product product;
        product.identy = article;
        product.inputCode = mnemonic;
        product.brand = model;
        product.name = name;
        masterdata::ProductStore(note.home.db()).save(product);
        QLineEdit* goods = note.edit(QStringLiteral("zdSFNR1"));
        goods->setFocus();
        QTest::keyClicks(goods, QStringLiteral("12"));
        QStringList shown;
        for (int row = 0; row < note.picker.grid().rowCount(); ++row)
            shown << note.picker.grid().value(row, QStringLiteral("商品名")).toString();
        QCOMPARE(shown.contains(name), listed);
        // Of the shipped catalogue only BG-012 holds "12", inside its article number.
        QCOMPARE(shown.size(), listed ? 1 : 0);
    }

    void lineAmountInTheWindow_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("capitals");
        QTest::newRow("price without quantity") << ""
                                                << "12.5"
                                                << "12.50"
                                                << "￥12.50"
                                                << "壹拾贰元伍角整";
        // A goods line keeps its zero; a zero note has no total texts.
        QTest::newRow("quantity zero") << "0"
                                       << "0"
                                       << "0.00"
                                       << ""
                                       << "";
        QTest::newRow("quantity with decimals") << "0.4"
                                                << "5"
                                                << "5.00"
                                                << "￥5.00"
                                                << "伍元整";
    }
    void lineAmountInTheWindow() {
        QFETCH(QString, quantity);
        QFETCH(QString, raw);
        QFETCH(QString, amount);
        QFETCH(QString, total);
        QFETCH(QString, capitals);
        EntryWindow w;
        QVERIFY2(w.home.isValid(), qPrintable(w.home.error()));
        QVERIFY(w.active);
        typeText(w.line(1).zdSFNR, QStringLiteral("螺丝"));
        w.window.picker().hide();
        w.type(w.line(1).zdDJ, QStringLiteral("12.5"));
        QCOMPARE(w.line(1).zdJE->text(), QStringLiteral("12.50"));
        if (!quantity.isEmpty())
            w.type(w.line(1).zdSL, quantity);
        QCOMPARE(w.line(1).zdJEXX->text(), raw);
        QCOMPARE(w.line(1).zdJE->text(), amount);
        QCOMPARE(w.window.boxes().zdHJJE->text(), total);
        QCOMPARE(w.window.boxes().zdJEDX->text(), capitals);
        QVERIFY(w.home.dialogs().shown.isEmpty());
    }

    void hiddenAmountStaysOutOfTheWindowTotal() {
        EntryWindow w;
        QVERIFY2(w.home.isValid(), qPrintable(w.home.error()));
        QVERIFY(w.active);
        for (int n = 1; n <= 2; ++n) {
            w.type(w.line(n).zdDJ, QStringLiteral("4"));
            w.type(w.line(n).zdSL, QStringLiteral("2"));
        }
        QCOMPARE(w.window.boxes().zdHJJEXX->text(), QStringLiteral("16.00"));
        // A template without the amount box of line 2: its amount no longer counts.
        w.line(2).zdJE->hide();
        w.type(w.line(1).zdSL, QStringLiteral("3"));
        QCOMPARE(w.window.boxes().zdHJJEXX->text(), QStringLiteral("12.00"));
        QCOMPARE(w.window.boxes().zdJEDX->text(), QStringLiteral("壹拾贰元整"));
        QCOMPARE(w.window.boxes().zdSumSL->text(), QStringLiteral("5"));
    }

    void dateFormatsInTheWindow_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("slashes") << "YYYY/MM/DD"
                                 << "2024/03/05";
        QTest::newRow("dashes") << "YYYY-MM-DD"
                                << "2024-03-05";
        QTest::newRow("characters") << "YYYY年MM月DD日"
                                    << "2024年03月05日";
    }
    void dateFormatsInTheWindow() {
        QFETCH(QString, format);
        QFETCH(QString, shown);
        EntryWindow w;
        QVERIFY2(w.home.isValid(), qPrintable(w.home.error()));
        QComboBox* formats = w.window.optionBar().list(QStringLiteral("cfgDateFormat"));
        QVERIFY(formats->findText(format) >= 0);
        formats->setCurrentIndex(formats->findText(format));
        w.window.boxes().SelDate->setDate(QDate(2024, 3, 5));
        QCOMPARE(w.window.boxes().zdNianYueRi->text(), shown);
        w.window.boxes().SelDateOrder->setDate(QDate(2024, 3, 5));
        QCOMPARE(w.window.boxes().zdDateOrder->text(), shown);
    }

    void pickerHidingAndEmptyPick() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        QLineEdit* name = note.edit(QStringLiteral("zdSFNR1"));
        name->setFocus();
        QVERIFY(note.picker.isVisible());
        QCOMPARE(note.picker.grid().rowCount(), 6);
        // Placed under the box, 2 pixels into it.
        const QPoint under =
            note.window.area->mapFromGlobal(name->mapToGlobal(QPoint(0, name->height() - 2)));
        QCOMPARE(note.picker.pos(), under);
        QTest::keyClick(name, Qt::Key_Escape);
        QVERIFY(note.picker.isHidden());
        QTest::mouseClick(name, Qt::LeftButton);
        QVERIFY(note.picker.isVisible());
        note.edit(QStringLiteral("zdHuoHao1"))->setFocus();
        QVERIFY(note.picker.isHidden());

        note.window.setText(QStringLiteral("zdDJ1"), QStringLiteral("3"));
        note.window.setText(QStringLiteral("zdSL1"), QStringLiteral("2"));
        note.window.setText(QStringLiteral("zdGuiGe1"), QStringLiteral("x"));
        name->setFocus();
        QTest::mouseClick(note.picker.findChild<QWidget*>(QStringLiteral("lbChooseEmpty")), Qt::LeftButton);
        for (const char* prefix : {"zdSFNR1", "zdGuiGe1", "zdDJ1", "zdSL1", "zdJEXX1", "zdDW1"})
            QCOMPARE(note.window.text(QLatin1String(prefix)), QString());
        QCOMPARE(note.window.text(QStringLiteral("zdHJJEXX")), QStringLiteral("0.00"));
    }

    void goodsNameCycle_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("hidden");
        QTest::addColumn<int>("to");
        QTest::newRow("down wraps 5 to 1") << 5 << int(Qt::Key_Down) << 0 << 1;
        QTest::newRow("up wraps 1 to 5") << 1 << int(Qt::Key_Up) << 0 << 5;
        QTest::newRow("down 2 to 3") << 2 << int(Qt::Key_Down) << 0 << 3;
        QTest::newRow("hidden target stays") << 2 << int(Qt::Key_Down) << 3 << 2;
    }
    void goodsNameCycle() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, hidden);
        QFETCH(int, to);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        if (hidden)
            note.window.box(QStringLiteral("zdSFNR%1").arg(hidden))->hide();
        QLineEdit* start = note.edit(QStringLiteral("zdSFNR%1").arg(from));
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Escape); // the picker is hidden: arrows move between lines
        QTest::keyClick(start, Qt::Key(key));
        QVERIFY(note.window.box(QStringLiteral("zdSFNR%1").arg(to))->hasFocus());
    }

    void customerPhones_data() {
        QTest::addColumn<bool>("phoneShown");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("handset");
        QTest::newRow("lone mobile box") << false << ""
                                         << "139\\0755-1";
        QTest::newRow("both boxes") << true << "0755-1"
                                    << "139";
    }
    void customerPhones() {
        QFETCH(bool, phoneShown);
        QFETCH(QString, phone);
        QFETCH(QString, handset);
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        note.window.box(QStringLiteral("zdGKPhone"))->setVisible(phoneShown);
        auto person = std::make_unique<masterdata::TPerson>();
        person->setFullName(QStringLiteral("王's店"));
        person->setContact(QStringLiteral("O'Brien"));
        person->setPhone(QStringLiteral("0755-1"));
        person->setMobile(QStringLiteral("139"));
        person->setUnitType(QStringLiteral("往来单位"));
        person->save(note.home.db());

        // Choosing the name in the list looks the record up.
        auto* names = qobject_cast<QComboBox*>(note.window.box(QStringLiteral("zdGKMC")));
        names->setFocus();
        QVERIFY(names->findText(QStringLiteral("王's店")) >= 0);
        names->setCurrentIndex(names->findText(QStringLiteral("王's店")));
        emit names->textActivated(QStringLiteral(" 王's店 "));
        QCOMPARE(note.window.text(QStringLiteral("zdGKMC")), QStringLiteral("王's店"));
        QCOMPARE(note.window.text(QStringLiteral("zdGKLXR")), QStringLiteral("O'Brien"));
        QCOMPARE(note.window.text(QStringLiteral("zdGKPhone")), phone);
        QCOMPARE(note.window.text(QStringLiteral("zdGKHandset")), handset);
    }

    void squarePicksCustomer() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        int asked = 0;
        note.editing.fetchCustomer = [&asked] {
            ++asked;
            auto p = std::make_unique<masterdata::TPerson>();
            p->setFullName(QStringLiteral("甲"));
            return p;
        };
        QTest::mouseClick(note.window.box(QStringLiteral("shpSKR")), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(note.window.text(QStringLiteral("zdGKMC")), QStringLiteral("甲"));
        note.editing.fetchCustomer = [] { return std::unique_ptr<masterdata::TPerson>(); };
        QTest::mouseClick(note.window.box(QStringLiteral("shpSKR")), Qt::LeftButton);
        QCOMPARE(note.window.text(QStringLiteral("zdGKMC")), QStringLiteral("甲"));
    }

    void datesFollowFormat() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        auto* picker = qobject_cast<QDateTimeEdit*>(note.window.box(QStringLiteral("SelDate")));
        auto* format = qobject_cast<QComboBox*>(note.window.box(QStringLiteral("cfgDateFormat")));
        format->addItems({QStringLiteral("YYYY-MM-DD"), QStringLiteral("YYYY/MM/DD")});
        picker->setDate(QDate(2024, 3, 5));
        QCOMPARE(note.window.text(QStringLiteral("zdNianYueRi")), QStringLiteral("2024-03-05"));
        format->setCurrentIndex(1);
        QCOMPARE(note.window.text(QStringLiteral("zdNianYueRi")), QStringLiteral("2024/03/05"));
    }

    void freeFieldEditor() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        for (const auto& [value, id] : {std::pair{"本模板值", 900}, std::pair{"其他模板值", 901}})
            note.home.db().exec(QStringLiteral("insert into DMTable (DMName, DMValue, CheckTypeId) values "
                                               "('自定义3', :v, :id)"),
                                {{"v", QString::fromUtf8(value)}, {"id", id}});
        QLineEdit* field = note.edit(QStringLiteral("zdDef3"));
        field->setText(QStringLiteral("旧"));
        field->setFocus();
        auto* fetcher = qobject_cast<QComboBox*>(note.window.box(QStringLiteral("cbFetcher")));
        QVERIFY(fetcher && fetcher->isVisible());
        QCOMPARE(fetcher->geometry(), field->geometry());
        QCOMPARE(fetcher->count(), 1);
        QCOMPARE(fetcher->itemText(0), QStringLiteral("本模板值"));
        QCOMPARE(fetcher->currentText(), QStringLiteral("旧"));
        fetcher->setEditText(QStringLiteral("  新值 "));
        note.edit(QStringLiteral("zdOrderId"))->setFocus();
        QVERIFY(fetcher->isHidden());
        QCOMPARE(field->text(), QStringLiteral("新值"));
    }

    void billNumber() {
        Note note;
        QVERIFY2(note.home.isValid(), qPrintable(note.home.error()));
        QLineEdit* number = note.edit(QStringLiteral("zdPJBH"));
        QTest::mouseDClick(number, Qt::LeftButton);
        const QString first = number->text();
        QVERIFY(!first.isEmpty());
        QTest::mouseDClick(number, Qt::LeftButton);
        QCOMPARE(number->text(), first);
        QMenu* menu = note.editing.numberMenu();
        // Nothing was saved under the first number, so it is still the next one.
        number->setText(QStringLiteral("typed"));
        menu->findChild<QAction*>(QStringLiteral("nNewNumber"))->trigger();
        QCOMPARE(number->text(), first);
        menu->findChild<QAction*>(QStringLiteral("nClearNumber"))->trigger();
        QCOMPARE(number->text(), QString());
        QString caption;
        note.editing.openNumberRules = [&caption](int id, const QString& c) {
            caption = QString::number(id) + c;
        };
        menu->findChild<QAction*>(QStringLiteral("nNumberRules"))->trigger();
        QCOMPARE(caption, QStringLiteral("900测试-单号设置"));
    }
};

OVERPRINT_TEST(TestNoteEditing)
#include "TestNoteEditing.moc"
