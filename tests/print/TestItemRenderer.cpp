#include "PrintFixture.h"
#include "print/ItemPlan.h"
#include "print/ItemRenderer.h"
#include "support/TestRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>

using print::ItemRenderer;

namespace {

QVariantMap row(std::initializer_list<std::pair<QString, QVariant>> values) {
    QVariantMap out;
    for (const auto& [key, value] : values)
        out.insert(key, value);
    return out;
}

} // namespace

class TestItemRenderer : public QObject {
    Q_OBJECT

private slots:
    // One item through printCheckItem; geometry at 254 dpi, so pixels are tenths of a millimetre.
    void printCheckItem_data() {
        QTest::addColumn<QVariantMap>("layout");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("moneyCode");
        QTest::addColumn<QStringList>("expected");
        const QString marker = QStringLiteral("##");

        QTest::newRow("plain") << QVariantMap() << QStringLiteral("  O'Brien  ") << marker << QString()
                               << QStringList{QStringLiteral("100,200,10:O'Brien")};
        QTest::newRow("address by 5 in the break size")
            << row({{QStringLiteral("BreakNum"), QStringLiteral("5")}})
            << QStringLiteral("广东省深圳市南山区科技园南路") << marker << QString()
            << QStringList{QStringLiteral("100,200,8:广东省深圳"), QStringLiteral("100,245,8:市南山区科"),
                           QStringLiteral("100,290,8:技园南路")};
        QTest::newRow("A to K by 3") << row({{QStringLiteral("BreakNum"), QStringLiteral("3")}})
                                     << QStringLiteral("ABCDEFGHIJK") << marker << QString()
                                     << QStringList{QStringLiteral("100,200,8:ABCDEF"),
                                                    QStringLiteral("100,245,8:GHIJK")};
        QTest::newRow("5 and a blank: no breaking")
            << row({{QStringLiteral("BreakNum"), QStringLiteral("5 ")}})
            << QStringLiteral("广东省深圳市南山区科技园南路") << marker << QString()
            << QStringList{QStringLiteral("100,200,10:广东省深圳市南山区科技园南路")};
        QTest::newRow("break size never below 6")
            << row({{QStringLiteral("BreakNum"), QStringLiteral("1")}, {QStringLiteral("BreakFontSize"), 3}})
            << QStringLiteral("中文") << marker << QString()
            << QStringList{QStringLiteral("100,200,6:中"), QStringLiteral("100,245,6:文")};
        QTest::newRow("pitch below 1 means 50")
            << row({{QStringLiteral("ctlLH"), 0}}) << QStringLiteral("A##B") << marker << QString()
            << QStringList{QStringLiteral("100,200,8:A"), QStringLiteral("100,250,8:B")};
        QTest::newRow("consecutive markers print no blank line")
            << QVariantMap() << QStringLiteral("A####B") << marker << QString()
            << QStringList{QStringLiteral("100,200,8:A"), QStringLiteral("100,245,8:B")};
        QTest::newRow("a blank piece keeps its line")
            << QVariantMap() << QStringLiteral("A## ##B") << marker << QString()
            << QStringList{QStringLiteral("100,200,8:A"), QStringLiteral("100,290,8:B")};
        QTest::newRow("no marker given") << QVariantMap() << QStringLiteral("A##B") << QString() << QString()
                                         << QStringList{QStringLiteral("100,200,10:A##B")};
        QTest::newRow("equal width 40")
            << row({{QStringLiteral("FitParam"), QStringLiteral("40")}}) << QStringLiteral("1234") << marker
            << QString()
            << QStringList{QStringLiteral("100,200,10:1"), QStringLiteral("140,200,10:2"),
                           QStringLiteral("180,200,10:3"), QStringLiteral("220,200,10:4")};
        QTest::newRow("equal width counts a Chinese character once")
            << row({{QStringLiteral("FitParam"), QStringLiteral("25")}}) << QStringLiteral("壹A") << marker
            << QString() << QStringList{QStringLiteral("100,200,10:壹"), QStringLiteral("125,200,10:A")};
        QTest::newRow("letters as pitch print normally")
            << row({{QStringLiteral("FitParam"), QStringLiteral("ab")}}) << QStringLiteral("1234") << marker
            << QString() << QStringList{QStringLiteral("100,200,10:1234")};
        // Recorded text is 18 px per byte at 10 pt and 254 dpi: "AB" is 35 px.
        QTest::newRow("centred in 30 mm, half to even")
            << row({{QStringLiteral("Align"), QStringLiteral("1")}}) << QStringLiteral("AB") << marker
            << QString() << QStringList{QStringLiteral("232,200,10:AB")};
        QTest::newRow("right in 30 mm")
            << row({{QStringLiteral("Align"), QStringLiteral("2")}}) << QStringLiteral("AB") << marker
            << QString() << QStringList{QStringLiteral("365,200,10:AB")};
        QTest::newRow("equal width aligns each character")
            << row({{QStringLiteral("FitParam"), QStringLiteral("40")},
                    {QStringLiteral("Align"), QStringLiteral("1")},
                    {QStringLiteral("CtlW"), 40}})
            << QStringLiteral("12") << marker << QString()
            << QStringList{QStringLiteral("111,200,10:1"), QStringLiteral("151,200,10:2")};
        QTest::newRow("USD moves 31 left")
            << row({{QStringLiteral("CtlX"), 500}}) << QStringLiteral("USD") << marker
            << QStringLiteral("USD") << QStringList{QStringLiteral("469,200,10:USD")};
        QTest::newRow("full-width sign moves 10 left")
            << row({{QStringLiteral("CtlX"), 500}}) << QStringLiteral("￥") << marker << QStringLiteral("￥")
            << QStringList{QStringLiteral("490,200,10:￥")};
        QTest::newRow("two letters move 4 right")
            << row({{QStringLiteral("CtlX"), 500}}) << QStringLiteral("US") << marker << QStringLiteral("US")
            << QStringList{QStringLiteral("504,200,10:US")};
        QTest::newRow("other currency stays")
            << row({{QStringLiteral("CtlX"), 500}}) << QStringLiteral("USD") << marker
            << QStringLiteral("EUR") << QStringList{QStringLiteral("500,200,10:USD")};
        QTest::newRow("NeedShow 0 never prints")
            << row({{QStringLiteral("NeedShow"), 0}}) << QStringLiteral("X") << marker << QString()
            << QStringList{};
        QTest::newRow("NeedPrint 0") << row({{QStringLiteral("NeedPrint"), 0}}) << QStringLiteral("X")
                                     << marker << QString() << QStringList{};
        QTest::newRow("blank value") << QVariantMap() << QStringLiteral(" \t ") << marker << QString()
                                     << QStringList{};
    }
    void printCheckItem() {
        QFETCH(QVariantMap, layout);
        QFETCH(QString, value);
        QFETCH(QString, marker);
        QFETCH(QString, moneyCode);
        QFETCH(QStringList, expected);
        PrintFixture f;
        QVERIFY2(f.home.isValid(), qPrintable(f.home.error()));
        f.addLayout(QStringLiteral("zdItem"), layout);
        f.home.app().moneyCode = moneyCode;
        f.home.app().cellWidth = 35;
        f.device.beginDocument();
        ItemRenderer renderer(f.home.app(), f.device);
        QVERIFY(
            renderer.printCheckItem(PrintFixture::kTemplate, 0, 0, QStringLiteral("ZDITEM"), value, marker));
        QCOMPARE(f.drawn(), expected);
        QVERIFY(f.home.dialogs().shown.isEmpty());
    }

    void fontAndStyle() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.addLayout(QStringLiteral("zdA"), row({{QStringLiteral("CtlFontName"), QString()},
                                                {QStringLiteral("Bold"), 1},
                                                {QStringLiteral("UnderLine"), 2},
                                                {QStringLiteral("CtlFontColor"), QStringLiteral("255")}}));
        f.addLayout(QStringLiteral("zdB"),
                    row({{QStringLiteral("CtlFontName"), QStringLiteral("黑体")},
                         {QStringLiteral("Italic"), 1},
                         {QStringLiteral("CtlFontColor"), QStringLiteral("-2147483640")}}));
        f.device.beginDocument();
        ItemRenderer renderer(f.home.app(), f.device);
        renderer.printCheckItem(PrintFixture::kTemplate, 0, 0, QStringLiteral("zdA"), QStringLiteral("a"),
                                {});
        renderer.printCheckItem(PrintFixture::kTemplate, 0, 0, QStringLiteral("zdB"), QStringLiteral("b"),
                                {});
        QCOMPARE(f.device.texts.size(), 2);
        const auto& a = f.device.texts.at(0);
        QCOMPARE(a.font, QStringLiteral("宋体"));
        QVERIFY(a.bold && !a.italic && a.underline);
        QCOMPARE(a.color, QColor(255, 0, 0));
        const auto& b = f.device.texts.at(1);
        QCOMPARE(b.font, QStringLiteral("黑体"));
        QVERIFY(!b.bold && b.italic && !b.underline);
        QCOMPARE(b.color, QColor(Qt::black));
        QCOMPARE(print::ItemPlan::colorFromText(QStringLiteral("65280")), QColor(0, 255, 0));
        QCOMPARE(print::ItemPlan::colorFromText(QStringLiteral("blue")), QColor(Qt::black));
    }

    void lines_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bold");
        QTest::addColumn<QList<int>>("expected"); // x1, y1, x2, y2, pen
        QTest::newRow("horizontal") << 500 << 10 << 0 << QList<int>{100, 200, 600, 200, 1};
        QTest::newRow("vertical") << 10 << 500 << 0 << QList<int>{100, 200, 100, 700, 1};
        QTest::newRow("square is horizontal") << 100 << 100 << 0 << QList<int>{100, 200, 200, 200, 1};
        QTest::newRow("bold") << 500 << 10 << 1 << QList<int>{100, 200, 600, 200, 2};
    }
    void lines() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bold);
        QFETCH(QList<int>, expected);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.addLayout(QStringLiteral("zdLine"), row({{QStringLiteral("CtlType"), QStringLiteral("LINE")},
                                                   {QStringLiteral("CtlW"), width},
                                                   {QStringLiteral("CtlH"), height},
                                                   {QStringLiteral("Bold"), bold}}));
        f.addItem(QStringLiteral("zdLine"), 1, QStringLiteral("LINE"));
        f.device.beginDocument();
        QWidget form;
        ItemRenderer(f.home.app(), f.device)
            .printBill(&form, QStringLiteral("出货单"), PrintFixture::kTemplate, 0, 0);
        QCOMPARE(f.device.lines.size(), 1);
        const auto& l = f.device.lines.first();
        QCOMPARE((QList<int>{l.x1, l.y1, l.x2, l.y2, l.penWidth}), expected);
        QVERIFY(f.device.texts.isEmpty());
    }

    // A whole bill from a form's boxes, in print order, with the template offsets.
    void printBill() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QWidget form;
        auto* panel = new QWidget(&form);
        panel->setObjectName(QStringLiteral("panelImgBg"));
        auto addEdit = [&](QWidget* parent, const QString& name, const QString& text) {
            auto* e = new QLineEdit(text, parent);
            e->setObjectName(name);
            return e;
        };
        addEdit(panel, QStringLiteral("zdGKMC"), QStringLiteral("王's店"));
        addEdit(panel, QStringLiteral("zdHidden"), QStringLiteral("secret"))->hide();
        addEdit(&form, QStringLiteral("zdOnForm"), QStringLiteral("F"));
        auto* memo = new QPlainTextEdit(QStringLiteral("第一行\r\n\r\n第二行"), panel);
        memo->setObjectName(QStringLiteral("zdRemark"));
        // Tick items: only the ticked and shown one prints its mark.
        auto addTick = [&](const QString& name, bool ticked) {
            auto* box = new QCheckBox(panel);
            box->setObjectName(name);
            box->setChecked(ticked);
            return box;
        };
        addTick(QStringLiteral("ckTick"), false);
        addTick(QStringLiteral("ckTicked"), true);
        addTick(QStringLiteral("ckTickedHidden"), true)->hide();
        auto* picture = new QLabel(panel);
        picture->setObjectName(QStringLiteral("imgLogo"));

        f.addItem(QStringLiteral("ZDREMARK"), 3);
        f.addItem(QStringLiteral("ZDGKMC"), 1);
        f.addItem(QStringLiteral("ZDHIDDEN"), 2);
        f.addItem(QStringLiteral("ZDONFORM"), 4, QString());
        f.addItem(QStringLiteral("CKTICK"), 5, QStringLiteral("checkbox"));
        f.addItem(QStringLiteral("CKTICKED"), 7, QStringLiteral("CHECKBOX"));
        f.addItem(QStringLiteral("CKTICKEDHIDDEN"), 8, QStringLiteral("CHECKBOX"));
        f.addItem(QStringLiteral("IMGLOGO"), 6, QStringLiteral("IMAGE"));
        f.addItem(QStringLiteral("ZDOFF"), 0, QStringLiteral("TEXT"), 0);
        f.addLayout(QStringLiteral("zdGKMC"),
                    row({{QStringLiteral("CtlX"), 10}, {QStringLiteral("CtlY"), 20}}));
        f.addLayout(QStringLiteral("zdHidden"));
        f.addLayout(QStringLiteral("zdRemark"),
                    row({{QStringLiteral("CtlX"), 30}, {QStringLiteral("CtlY"), 40}}));
        f.addLayout(QStringLiteral("zdOnForm"),
                    row({{QStringLiteral("CtlX"), 50}, {QStringLiteral("CtlY"), 60}}));
        f.addLayout(QStringLiteral("ckTick"),
                    row({{QStringLiteral("CtlX"), 70}, {QStringLiteral("CtlY"), 80}}));
        f.addLayout(QStringLiteral("ckTicked"),
                    row({{QStringLiteral("CtlX"), 90}, {QStringLiteral("CtlY"), 100}}));
        f.addLayout(QStringLiteral("ckTickedHidden"));
        f.addLayout(QStringLiteral("imgLogo"));
        f.device.beginDocument();
        ItemRenderer(f.home.app(), f.device)
            .printBill(panel, QStringLiteral("出货单"), PrintFixture::kTemplate, -5, 7);
        QCOMPARE(f.drawn(), (QStringList{QStringLiteral("5,27,10:王's店"), QStringLiteral("25,47,8:第一行"),
                                         QStringLiteral("25,92,8:第二行"), QStringLiteral("45,67,10:F"),
                                         QStringLiteral("85,107,10:√")}));
    }

    void failingItemDoesNotEndTheBill_data() {
        QTest::addColumn<QVariantMap>("broken");
        QTest::newRow("decimal pitch") << row({{QStringLiteral("FitParam"), QStringLiteral("12.5")}});
        QTest::newRow("align no number") << row({{QStringLiteral("Align"), QStringLiteral("centre")}});
    }
    void failingItemDoesNotEndTheBill() {
        QFETCH(QVariantMap, broken);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QWidget form;
        for (const QString& name : {QStringLiteral("zdA"), QStringLiteral("zdB")}) {
            auto* e = new QLineEdit(QStringLiteral("12"), &form);
            e->setObjectName(name);
        }
        f.addItem(QStringLiteral("zdA"), 1);
        f.addItem(QStringLiteral("zdB"), 2);
        f.addLayout(QStringLiteral("zdA"), broken);
        f.addLayout(QStringLiteral("zdB"));
        f.device.beginDocument();
        ItemRenderer(f.home.app(), f.device)
            .printBill(&form, QStringLiteral("出货单"), PrintFixture::kTemplate, 0, 0);
        QCOMPARE(f.drawn(), QStringList{QStringLiteral("100,200,10:12")});
        QCOMPARE(f.home.dialogs().shown.size(), 1);
        QCOMPARE(f.home.dialogs().shown.first().text, QStringLiteral("打印zdA出现错误！"));
        QCOMPARE(f.home.dialogs().shown.first().caption, QStringLiteral("错误"));
    }

    void noPageIsAnItemError() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.addLayout(QStringLiteral("zdA"));
        ItemRenderer renderer(f.home.app(), f.device);
        QVERIFY(!renderer.printCheckItem(PrintFixture::kTemplate, 0, 0, QStringLiteral("zdA"),
                                         QStringLiteral("x"), {}));
        QVERIFY(f.home.dialogs().sawText(QStringLiteral("打印zdA出现错误！")));
    }

    void controlValue_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("line edit, other case")
            << QStringLiteral("ZDEDIT") << QStringLiteral("O'Brien") << QString();
        QTest::newRow("combo box") << QStringLiteral("cbUnit") << QStringLiteral("箱") << QString();
        QTest::newRow("multi-line") << QStringLiteral("zdMemo") << QStringLiteral("a\nb") << QString();
        QTest::newRow("label") << QStringLiteral("lbTitle") << QStringLiteral("标题") << QString();
        QTest::newRow("ticked") << QStringLiteral("ckOn") << QStringLiteral("√") << QString();
        QTest::newRow("not ticked") << QStringLiteral("ckOff") << QString() << QString();
        QTest::newRow("date") << QStringLiteral("SelDate") << QStringLiteral("2024-03-05") << QString();
        QTest::newRow("hidden") << QStringLiteral("zdHidden") << QString() << QString();
        QTest::newRow("on the form, not the panel")
            << QStringLiteral("zdOutside") << QStringLiteral("out") << QString();
        QTest::newRow("missing") << QStringLiteral("zdNone") << QString() << QString();
        QTest::newRow("no name") << QString() << QString() << QString();
        QTest::newRow("unsupported class")
            << QStringLiteral("slider") << QString() << QStringLiteral("QSlider");
    }
    void controlValue() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, message);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QWidget form;
        auto* panel = new QWidget(&form);
        auto* other = new QWidget(&form);
        auto named = [](QWidget* w, const char* n) { w->setObjectName(QString::fromLatin1(n)); };
        named(new QLineEdit(QStringLiteral("O'Brien"), panel), "zdEdit");
        auto* combo = new QComboBox(panel);
        combo->addItems({QStringLiteral("件"), QStringLiteral("箱")});
        combo->setCurrentIndex(1);
        named(combo, "cbUnit");
        named(new QPlainTextEdit(QStringLiteral("a\nb"), panel), "zdMemo");
        named(new QLabel(QStringLiteral("标题"), panel), "lbTitle");
        auto* on = new QCheckBox(panel);
        on->setChecked(true);
        named(on, "ckOn");
        named(new QCheckBox(panel), "ckOff");
        auto* date = new QDateEdit(QDate(2024, 3, 5), panel);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        named(date, "SelDate");
        auto* hidden = new QLineEdit(QStringLiteral("x"), panel);
        hidden->hide();
        named(hidden, "zdHidden");
        named(new QLineEdit(QStringLiteral("out"), other), "zdOutside");
        named(new QSlider(panel), "slider");
        const print::ControlValues values(f.home.app());
        QCOMPARE(values.getControlValue(panel, name), value);
        QCOMPARE(print::ControlIndex(values, panel).getControlValue(name), value);
        if (message.isEmpty())
            QVERIFY(f.home.dialogs().shown.isEmpty());
        else
            QVERIFY(f.home.dialogs().lastText().startsWith(message));
    }

    // The index of a bill's controls finds, from every kind of container, the control a search
    // of its own finds: a name as written before one in other letter case, the first of two
    // alike in the order of the search, the panel's own before the form's.
    void indexFindsWhatTheSearchFinds_data() {
        QTest::addColumn<QString>("container");
        QTest::newRow("form") << QStringLiteral("form");
        QTest::newRow("panel") << QStringLiteral("a");
        QTest::newRow("panel in a panel") << QStringLiteral("inner");
        QTest::newRow("too deep for a form") << QStringLiteral("deep");
        QTest::newRow("panel with a twin") << QStringLiteral("b");
    }
    void indexFindsWhatTheSearchFinds() {
        QFETCH(QString, container);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QWidget form;
        form.setObjectName(QStringLiteral("form"));
        const auto add = [](QWidget* parent, const char* name) {
            auto* w = new QLineEdit(QString::fromLatin1(name), parent);
            w->setObjectName(QString::fromLatin1(name));
            return w;
        };
        QWidget* a = add(&form, "a");
        add(a, "zdDeep");
        add(a, "ZDX");
        add(a, "zdOwn");
        QWidget* inner = add(a, "inner");
        add(inner, "zdX");
        add(inner, "zdOwn");
        QWidget* deep = add(inner, "deep");
        add(deep, "zdY");
        add(&form, "zdDeep");
        add(&form, "ZDDEEP2");
        QWidget* b = add(&form, "b");
        add(b, "zddeep2");
        add(b, "ZDOWN");
        add(&form, "zdOwn");
        for (QLineEdit* edit : form.findChildren<QLineEdit*>())
            edit->setText(edit->objectName() + QLatin1Char('@') + edit->parentWidget()->objectName());
        auto* start = form.objectName() == container ? &form : form.findChild<QWidget*>(container);
        QVERIFY(start);
        const print::ControlValues values(f.home.app());
        const print::ControlIndex index(values, start);
        for (const char* name : {"zdDeep", "zdX", "zdx", "ZDX", "zdDeep2", "zddeep2", "zdY", "zdOwn", "zdown",
                                 "inner", "zdNone"}) {
            const QString n = QString::fromLatin1(name);
            QCOMPARE(index.findControl(n), values.findControl(start, n));
            QCOMPARE(index.getControlValue(n), values.getControlValue(start, n));
        }
    }

    void controlAsContainerIsRefused() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        QLineEdit edit;
        const print::ControlValues values(f.home.app());
        QCOMPARE(values.getControlValue(&edit, QStringLiteral("x")), QString());
        QCOMPARE(f.home.dialogs().shown.size(), 1);
        QCOMPARE(print::ControlIndex(values, &edit).getControlValue(QStringLiteral("x")), QString());
        QCOMPARE(f.home.dialogs().shown.size(), 2);
    }
};

OVERPRINT_TEST(TestItemRenderer)
#include "TestItemRenderer.moc"
