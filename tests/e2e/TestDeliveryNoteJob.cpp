#include "BillDevice.h"
#include "support/CupsPdfOutput.h"
#include "support/PdfWords.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "core/Recordset.h"
#include "core/ui/DataGrid.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/OptionBar.h"
#include "entry/ui/ProductPicker.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "masterdata/ProductStore.h"
#include "masterdata/TIdType.h"
#include "masterdata/TPerson.h"
#include "print/PrintGeometry.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

using entry::ui::TfmCheckFHDSHD;

namespace {

constexpr int kTemplate = 1; // 出货单（标准）, the default
constexpr int kXMove = -35;
constexpr int kYMove = 42;

struct Goods {
    QString article, name, model, unit, catalogPrice, other;
    QString quantity, price; // typed over what the pick filled in
    QString amount;          // quantity × price as stored
    QString shownAmount;     // zdJEn
};

const Goods kGoods[] = {
    {"E2E-A1", "六角螺栓", "M8x30", "个", "0.85", "镀锌", "12", "3.55", "42.6", "42.60"},
    {"E2E-B2", "平垫圈", "8mm", "包", "1.00", "不锈钢", "250", "0.12", "30", "30.00"},
};
const QString kCustomer = QStringLiteral("鹏城五金's 商行");
const QString kContact = QStringLiteral("O'Brien");
const QString kAddress = QStringLiteral("福田区华强北路1号");
const QString kPhone = QStringLiteral("0755-83330000");
const QString kMobile = QStringLiteral("13912345678");
const QString kRemark = QStringLiteral("O'Brien's 订单 50%");
const QString kOrderId = QStringLiteral("DD-778");
const QString kIssuer = QStringLiteral("王芳");
// The spooler's converter loses the first glyph it encodes (and every later use of it), so the
// template carries a mark in its title that prints first and is not checked.
const QString kMark = QStringLiteral("Z");

// Every item the note must put on paper: the template's shown and printed items that hold a
// value. The remark prints because its option is ticked; the title holds only the mark.
QStringList printedItems() {
    QStringList names{QStringLiteral("zdPJBH"),      QStringLiteral("zdOrderId"),
                      QStringLiteral("zdNianYueRi"), QStringLiteral("zdGKMC"),
                      QStringLiteral("zdGKLXR"),     QStringLiteral("zdGKAddr"),
                      QStringLiteral("zdGKPhone"),   QStringLiteral("zdGKHandset")};
    for (int n = 1; n <= 2; ++n)
        for (const char* prefix : {"zdHuoHao", "zdSFNR", "zdGuiGe", "zdDW", "zdSL", "zdDJ", "zdJE", "zdPro"})
            names << QLatin1String(prefix) + QString::number(n);
    names << QStringLiteral("zdSumSL") << QStringLiteral("zdHJJE") << QStringLiteral("zdJEDX");
    for (const char* cell : {"zddxYY", "zddxQW", "zddxBW", "zddxSW", "zddxWY", "zddxQY", "zddxBY", "zddxSY",
                             "zddxY", "zddxJ", "zddxF"})
        names << QLatin1String(cell);
    names << QStringLiteral("KPRen") << QStringLiteral("zdRemark");
    return names;
}

// The text of every shown box of the note, to compare the window before the save with the
// window after a reload.
QMap<QString, QString> boxTexts(QWidget* panel) {
    QMap<QString, QString> out;
    for (QWidget* w : panel->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (w->isHidden() || name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (auto* c = qobject_cast<QComboBox*>(w))
            out.insert(name, c->currentText());
        else if (auto* d = qobject_cast<QDateTimeEdit*>(w))
            out.insert(name, d->date().toString(Qt::ISODate));
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            out.insert(name, e->text());
        else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
            out.insert(name, p->toPlainText());
        else if (auto* l = qobject_cast<QLabel*>(w))
            out.insert(name, l->text());
    }
    return out;
}

// Where a value's first glyph must start on paper (mm from the paper's top-left corner), where
// its baseline runs and how far it reaches: its layout box plus the template offsets, aligned
// in the box as the layout says, in the item's font on that printer.
struct Placement {
    QString name;
    QString text;
    QPointF start;
    double baseline = 0;
    double end = 0;
    QRectF firstInk; // the first glyph's outline
};

Placement placementOf(core::Database& db, print::QtPrintDevice& device, const QString& name,
                      const QString& text) {
    core::Recordset row =
        db.query(QStringLiteral("select * from ckControl where CheckTypeID=:id and CtlName=:name"),
                 {{QStringLiteral("id"), kTemplate}, {QStringLiteral("name"), name}});
    row.first();
    const print::DeviceMetrics m = print::PrintGeometry::metrics(device);
    const QString face = row.text(QStringLiteral("CtlFontName"));
    const int points = int(row.integer(QStringLiteral("CtlFontSize")));
    device.setFontName(face);
    device.setFontSize(points);
    device.setBold(false);
    device.setItalic(false);
    device.setUnderline(false);
    // A cell pitch puts every character in a cell of its own (the capital digits hold one each).
    const bool cells = row.integer(QStringLiteral("FitParam")) > 0;
    const QString first = cells ? text.left(1) : text;
    QPoint p = print::PrintGeometry::devicePosition(row.integer(QStringLiteral("CtlX")) + kXMove,
                                                    row.integer(QStringLiteral("CtlY")) + kYMove, m);
    const int box = print::PrintGeometry::widthToPixels(row.integer(QStringLiteral("CtlW")), m);
    const int align = row.text(QStringLiteral("Align")).toInt();
    if (align == 2)
        p.rx() += box - device.textWidth(first);
    else if (align == 1)
        p.rx() += int(print::PrintGeometry::roundHalfEven((box - device.textWidth(first)) / 2.0));
    QFont font(face);
    font.setPixelSize(qRound(points * m.dpiY / 72.0));
    const QFontMetrics metrics(font, &device.printer());
    const int ascent = metrics.ascent();
    const double mmX = 25.4 / m.dpiX;
    const double mmY = 25.4 / m.dpiY;
    Placement out;
    out.name = name;
    out.text = text;
    out.start = QPointF((p.x() + m.offsetX) * mmX, (p.y() + m.offsetY) * mmY);
    out.baseline = (p.y() + ascent + m.offsetY) * mmY;
    out.end = out.start.x() + device.textWidth(text) * mmX;
    const QRect outline = metrics.tightBoundingRect(text.left(1));
    out.firstInk = QRectF(out.start.x() + outline.left() * mmX, out.baseline + outline.top() * mmY,
                          outline.width() * mmX, outline.height() * mmY);
    return out;
}

constexpr int kInkDpi = 300;

// The top (mm from the paper's top edge) of the first dark row of the page within an area
// given in mm; the area's bottom when it holds no ink.
double inkTopIn(const QImage& page, const QRectF& mm) {
    const double px = kInkDpi / 25.4;
    const int left = qMax(0, int(mm.left() * px));
    const int right = qMin(page.width() - 1, int(mm.right() * px));
    const int bottom = qMin(page.height() - 1, int(mm.bottom() * px));
    for (int y = qMax(0, int(mm.top() * px)); y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (qGray(page.pixel(x, y)) < 128)
                return y / px;
    return mm.bottom();
}

QString today() {
    return QDate::currentDate().toString(Qt::ISODate);
}

} // namespace

// The program as a clerk uses it: start, fill a note in the entry window through its boxes and
// the product picker, press 保存并打印, then find the note in the history tables, on paper and
// back in the window after 新建 and a reload.
class TestDeliveryNoteJob : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<print::QtPrintDevice> device;
    std::unique_ptr<program::Program> program;
    TfmCheckFHDSHD* window = nullptr;
    QString noQueue;
    QTemporaryDir scratch;

    void prepareData() {
        core::Database& db = home->db();
        db.exec(QStringLiteral("update CKTypeTable set XMove=:x, YMove=:y where CheckTypeID=:id"),
                {{QStringLiteral("x"), kXMove},
                 {QStringLiteral("y"), kYMove},
                 {QStringLiteral("id"), kTemplate}});
        db.exec(QStringLiteral("update ckControl set NeedShow=1, InitValue=:mark where CheckTypeID=:id and "
                               "CtlName='zdTitleFirst'"),
                {{QStringLiteral("mark"), kMark}, {QStringLiteral("id"), kTemplate}});

        masterdata::TPerson partner;
        partner.setFullName(kCustomer);
        partner.setContact(kContact);
        partner.setAddress(kAddress);
        partner.setPhone(kPhone);
        partner.setMobile(kMobile);
        partner.setUnitType(QStringLiteral("往来单位"));
        partner.save(db);
        masterdata::ProductStore products(db);
        for (const Goods& g : kGoods) {
            masterdata::Product p;
            p.identy = g.article;
            p.name = g.name;
            p.brand = g.model;
            p.unit = g.unit;
            p.price = g.catalogPrice;
            p.otherPro = g.other;
            products.save(p);
        }
    }

    void chooseCustomer() {
        QComboBox* names = window->boxes().zdGKMC;
        QTest::mouseClick(names, Qt::LeftButton); // entering the box fills its list
        const int at = names->findText(kCustomer);
        QVERIFY2(at >= 0, "the partner unit is not offered");
        names->showPopup();
        QAbstractItemView* list = names->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(at, 0)).center());
        QTRY_VERIFY(!list->isVisible());
    }

    // Goods line n from the picker, by keyboard or by mouse, then quantity and price typed over.
    void pickGoods(int n, bool byMouse) {
        const Goods& g = kGoods[n - 1];
        entry::ui::GoodsLine& line = window->boxes().lines[n - 1];
        entry::ui::ProductPicker& picker = window->picker();
        QTest::mouseClick(line.zdSFNR, Qt::LeftButton);
        QVERIFY(picker.isVisible());
        QCOMPARE(picker.caption(), line.zdSFNR->objectName());
        QTest::keyClicks(line.zdSFNR, g.article.left(5));
        QCOMPARE(picker.grid().rowCount(), 1);
        QAbstractItemView& grid = picker.grid();
        if (byMouse) {
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                              grid.visualRect(grid.model()->index(0, 0)).center());
        } else {
            QTest::keyClick(line.zdSFNR, Qt::Key_Down);
            QVERIFY(grid.hasFocus());
            QTest::keyClick(&grid, Qt::Key_Return);
        }
        QVERIFY(picker.isHidden());
        QCOMPARE(line.zdSFNR->text(), g.name);
        QCOMPARE(line.zdHuoHao->text(), g.article);
        QCOMPARE(line.zdGuiGe->text(), g.model);
        QCOMPARE(line.zdDW->currentText(), g.unit);
        QCOMPARE(line.zdPro->text(), g.other);
        QCOMPARE(line.zdDJ->text(), g.catalogPrice);
        QCOMPARE(line.zdSL->text(), QStringLiteral("1"));
        QVERIFY(line.zdSL->hasFocus());
        line.zdSL->selectAll();
        QTest::keyClicks(line.zdSL, g.quantity);
        QTest::mouseClick(line.zdDJ, Qt::LeftButton);
        line.zdDJ->selectAll();
        QTest::keyClicks(line.zdDJ, g.price);
        QTest::keyClick(line.zdDJ, Qt::Key_Tab); // leaving the price computes the line
        QCOMPARE(line.zdJE->text(), g.shownAmount);
    }

    void checkTables(const QString& number) {
        core::Database& db = home->db();
        core::Recordset header = db.query(QStringLiteral("select * from DataCheckFHDSHD"));
        QCOMPARE(header.recordCount(), 1);
        header.first();
        const QList<std::pair<const char*, QString>> columns{{"票据编号", number},
                                                             {"模板种类", QStringLiteral("标准")},
                                                             {"票据状态", QStringLiteral("正常")},
                                                             {"币种", QStringLiteral("人民币")},
                                                             {"合计金额", QStringLiteral("72.60")},
                                                             {"合计数量", QStringLiteral("262")},
                                                             {"备注", kRemark},
                                                             {"订单编号", kOrderId},
                                                             {"顾客名称", kCustomer},
                                                             {"顾客联系人", kContact},
                                                             {"顾客地址", kAddress},
                                                             {"顾客电话", kPhone},
                                                             {"顾客手机", kMobile},
                                                             {"开票人", kIssuer},
                                                             {"收款人", QString()},
                                                             {"其他选项", QString()}};
        for (const auto& [column, value] : columns)
            QVERIFY2(header.text(QString::fromUtf8(column)) == value,
                     qPrintable(QString::fromUtf8(column) + QStringLiteral(": ") +
                                header.text(QString::fromUtf8(column))));
        QVERIFY(header.text(QStringLiteral("出票日期")).startsWith(today()));

        core::Recordset lines = db.query(QStringLiteral("select * from DataCheckFHDSHDDetail order by 序号"));
        QCOMPARE(lines.recordCount(), 2);
        double sum = 0;
        int n = 1;
        for (lines.first(); !lines.eof(); lines.next(), ++n) {
            const Goods& g = kGoods[n - 1];
            QCOMPARE(lines.text(QStringLiteral("票据编号")), number);
            QCOMPARE(int(lines.integer(QStringLiteral("序号"))), n);
            QCOMPARE(lines.text(QStringLiteral("订单编号")), kOrderId);
            QCOMPARE(lines.text(QStringLiteral("货号")), g.article);
            QCOMPARE(lines.text(QStringLiteral("商品名")), g.name);
            QCOMPARE(lines.text(QStringLiteral("规格")), g.model);
            QCOMPARE(lines.text(QStringLiteral("单位")), g.unit);
            QCOMPARE(lines.text(QStringLiteral("数量")), g.quantity);
            QCOMPARE(lines.text(QStringLiteral("单价")), g.price);
            QCOMPARE(lines.text(QStringLiteral("金额")), g.amount);
            QCOMPARE(lines.text(QStringLiteral("其他属性")), g.other);
            sum += lines.number(QStringLiteral("金额"));
        }
        QCOMPARE(QString::number(sum, 'f', 2), header.text(QStringLiteral("合计金额")));
    }

    // Each value is found by the word that starts at its place (the spooler's converter keeps the
    // glyphs but not their characters): the word's left edge must be the value's. The reader's
    // tops come from the converter's one bitmap font, a fixed distance above the baselines
    // whatever the size, so the height is checked on the ink: the top of the first glyph's ink,
    // rendered from the PDF, must be where the glyph's outline puts it above the baseline.
    void checkPaper(const QString& pdf, const QMap<QString, QString>& shown) {
        const PdfWords words = PdfWords::read(pdf);
        QVERIFY2(words.error.isEmpty(), qPrintable(words.error));
        QCOMPARE(words.pages.size(), 1);
        const QString png = scratch.filePath(QStringLiteral("page"));
        QCOMPARE(QProcess::execute(QStringLiteral("pdftoppm"),
                                   {QStringLiteral("-q"), QStringLiteral("-r"), QString::number(kInkDpi),
                                    QStringLiteral("-gray"), QStringLiteral("-png"),
                                    QStringLiteral("-singlefile"), pdf, png}),
                 0);
        const QImage ink(png + QStringLiteral(".png"));
        QVERIFY(!ink.isNull());

        QVector<Placement> expected;
        for (const QString& name : printedItems()) {
            QVERIFY2(!shown.value(name).isEmpty(), qPrintable(name + QStringLiteral(" holds nothing")));
            expected << placementOf(home->db(), *device, name, shown.value(name));
        }
        QVector<double> drops; // from the reader's top to the drawn baseline
        QSet<int> used;
        for (const Placement& want : expected) {
            const QString what = want.name + QLatin1Char(' ') + want.text;
            int nearest = -1;
            double distance = 1e9;
            for (int i = 0; i < words.words.size(); ++i) {
                const PdfWords::Word& w = words.words[i];
                const double d = qAbs(w.left - want.start.x()) + qAbs(w.top - want.start.y());
                if (d < distance) {
                    distance = d;
                    nearest = i;
                }
            }
            QVERIFY2(nearest >= 0 && !used.contains(nearest),
                     qPrintable(what + QStringLiteral(" has no word")));
            used.insert(nearest);
            const PdfWords::Word& got = words.words[nearest];
            QVERIFY2(qAbs(got.left - want.start.x()) <= 0.3,
                     qPrintable(QStringLiteral("%1: left %2 mm, expected %3")
                                    .arg(what)
                                    .arg(got.left)
                                    .arg(want.start.x())));
            drops << want.baseline - got.top;

            const QRectF glyph = want.firstInk;
            const double inkTop = inkTopIn(ink, glyph.adjusted(0.1, -1.0, -0.1, 0));
            QVERIFY2(qAbs(inkTop - glyph.top()) <= 0.5,
                     qPrintable(QStringLiteral("%1: top of the ink %2 mm, expected %3")
                                    .arg(what)
                                    .arg(inkTop)
                                    .arg(glyph.top())));
        }
        const auto [low, high] = std::minmax_element(drops.cbegin(), drops.cend());
        QVERIFY2(*high - *low <= 0.3, qPrintable(QStringLiteral("baselines spread %1 mm").arg(*high - *low)));
        // Nothing else on the page: every word lies within one of the values, on its line.
        const double drop = (*high + *low) / 2;
        for (const PdfWords::Word& w : words.words) {
            bool inside = false;
            for (const Placement& p : expected)
                inside = inside || (qAbs(w.top + drop - p.baseline) <= 0.5 && w.left >= p.start.x() - 0.3 &&
                                    w.left < p.end + 0.3);
            QVERIFY2(inside, qPrintable(QStringLiteral("stray print at %1, %2 mm").arg(w.left).arg(w.top)));
        }
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        noQueue = cups_pdf::unavailableReason();
        device = billDevice(*home, noQueue, scratch);
        prepareData();
        program = std::make_unique<program::Program>(home->app(), *device);
    }
    void cleanup() {
        program.reset();
        device.reset();
        home.reset();
        window = nullptr;
    }

    // Closing the program with a note typed but not saved asks first; No keeps the program and
    // the note, Yes lets both go.
    void closingTheProgramAsksForAnUnsavedNote() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        window = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(window);
        window->boxes().zdGKLXR->setText(kContact);
        home->dialogs().clear();
        home->dialogs().answers.enqueue(0);
        QVERIFY(!main.close());
        QCOMPARE(
            home->dialogs().texts(),
            QStringList{QStringLiteral("当前填写的出货单还没有保存，关闭后内容将丢失，确定要放弃它吗？")});
        QVERIFY(main.isVisible());
        QCOMPARE(window->boxes().zdGKLXR->text(), kContact);
        QVERIFY(home->db().isOpen());
        home->dialogs().answers.enqueue(1);
        QVERIFY(main.close());
        window = nullptr;
    }

    void fillSavePrintAndReload() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        if (noQueue.isEmpty())
            QCOMPARE(home->app().currentPrinter(), cups_pdf::queue());
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        window = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(window);
        QCOMPARE(window->currentCheckTypeId(), kTemplate);
        entry::ui::BillBoxes& b = window->boxes();
        core::Database& db = home->db();

        // A number from the series, as 新建 hands it out.
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("btNew")), Qt::LeftButton);
        const QString number = b.zdPJBH->text();
        auto series = masterdata::TIdType::findRule(QStringLiteral("S"), kTemplate, db);
        QVERIFY(series);
        QVERIFY(!number.isEmpty());
        // The number handed out follows the stored counter; only a save uses it up.
        const int issued = series->IDMax() + 1;
        series->setIDMax(issued);
        QCOMPARE(series->formatNumber(), number);

        chooseCustomer();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(b.zdGKMC->currentText(), kCustomer);
        QCOMPARE(b.zdGKLXR->text(), kContact);
        QCOMPARE(b.zdGKAddr->text(), kAddress);
        QCOMPARE(b.zdGKPhone->text(), kPhone);
        QCOMPARE(b.zdGKHandset->text(), kMobile);
        pickGoods(1, false);
        if (QTest::currentTestFailed())
            return;
        pickGoods(2, true);
        if (QTest::currentTestFailed())
            return;
        QTest::mouseClick(b.zdOrderId, Qt::LeftButton);
        QTest::keyClicks(b.zdOrderId, kOrderId);
        QTest::mouseClick(b.KPRen, Qt::LeftButton);
        typeText(b.KPRen, kIssuer);
        QTest::mouseClick(b.zdRemark->viewport(), Qt::LeftButton);
        typeText(b.zdRemark, kRemark);
        QTest::mouseClick(window->optionBar().check(QStringLiteral("cfgPrintRemark")), Qt::LeftButton);

        QCOMPARE(b.zdSumSL->text(), QStringLiteral("262"));
        QCOMPARE(b.zdHJJEXX->text(), QStringLiteral("72.60"));
        QCOMPARE(b.zdHJJE->text(), QStringLiteral("￥72.60"));
        QCOMPARE(b.zdJEDX->text(), QStringLiteral("柒拾贰元陆角整"));
        QCOMPARE(b.zdTitleFirst->text(), kMark);
        const QMap<QString, QString> filled = boxTexts(window->container());
        QCOMPARE(filled.value(QStringLiteral("KPRen")), kIssuer);
        QCOMPARE(filled.value(QStringLiteral("zdRemark")), kRemark);
        if (qEnvironmentVariableIsSet("OVERPRINT_E2E_SHOTS"))
            window->window()->grab().save(QStringLiteral("/tmp/e2e-window.png"));

        const QStringList folders = cups_pdf::outputFolders();
        const QSet<QString> before = cups_pdf::pdfsIn(folders);
        home->dialogs().clear();
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("btPrintAndSave")), Qt::LeftButton);
        QVERIFY2(home->dialogs().shown.isEmpty(), qPrintable(home->dialogs().texts().join(QLatin1Char('|'))));
        QCOMPARE(window->windowTitle(), QStringLiteral("出货单(标准)-编号=") + number);
        checkTables(number);
        if (QTest::currentTestFailed())
            return;

        // 新建 empties the window under the next number of the series.
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("btNew")), Qt::LeftButton);
        series = masterdata::TIdType::findRule(QStringLiteral("S"), kTemplate, db);
        QCOMPARE(series->IDMax(), issued);
        series->setIDMax(issued + 1);
        QCOMPARE(b.zdPJBH->text(), series->formatNumber());
        QVERIFY(b.zdPJBH->text() != number);
        for (const entry::ui::GoodsLine& line : b.lines)
            QVERIFY(line.zdSFNR->text().isEmpty() && line.zdSL->text().isEmpty() &&
                    line.zdJE->text().isEmpty());
        QVERIFY(b.zdRemark->toPlainText().isEmpty());
        QVERIFY(b.zdHJJE->text().isEmpty());
        QVERIFY(b.zdJEDX->text().isEmpty());

        window->commands().BrowseOldCheck(QString(), number);
        QVERIFY2(home->dialogs().shown.isEmpty(), qPrintable(home->dialogs().texts().join(QLatin1Char('|'))));
        const QMap<QString, QString> reloaded = boxTexts(window->container());
        for (auto it = filled.cbegin(); it != filled.cend(); ++it)
            QVERIFY2(reloaded.value(it.key()) == it.value(),
                     qPrintable(it.key() + QStringLiteral(": ") + reloaded.value(it.key()) +
                                QStringLiteral(" instead of ") + it.value()));
        QCOMPARE(reloaded.keys(), filled.keys());

        if (!noQueue.isEmpty())
            QSKIP(qPrintable(noQueue));
        QCOMPARE(device->printerName(), cups_pdf::queue());
        QCOMPARE(device->title(), QStringLiteral("青木鸟打印-标准"));
        const QString pdf = cups_pdf::waitForNewPdf(folders, before, device->title(), 30000);
        QVERIFY2(!pdf.isEmpty(),
                 qPrintable(QStringLiteral("no PDF appeared in ") + folders.join(QLatin1Char(' '))));
        const auto removePdf = qScopeGuard([&pdf] { QFile::remove(pdf); });
        if (qEnvironmentVariableIsSet("OVERPRINT_E2E_SHOTS"))
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("100"),
                               QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                               QStringLiteral("/tmp/e2e-page")});
        checkPaper(pdf, filled);
    }
};

OVERPRINT_TEST(TestDeliveryNoteJob)
#include "TestDeliveryNoteJob.moc"
