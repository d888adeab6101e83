#include "print/ItemPlan.h"
#include "print/ItemRenderer.h"
#include "print/RecordingPrintDevice.h"
#include "print/ScreenCanvas.h"
#include "print/TextBreaking.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>

using print::DrawOp;
using print::ItemPlan;

namespace {

// The conversion a printer context does, written out here so that the renderer's use of the
// plan is checked against arithmetic it does not share: rnd(tenths × dpi / 254), halves to
// even, offsets crossed, y floored at −3.
int pixels(int tenths, int dpi) {
    const double v = tenths * double(dpi) / 254.0;
    const double f = std::floor(v);
    const double frac = v - f;
    qint64 r = qint64(f);
    if (frac > 0.5 + 1e-9 || (std::fabs(frac - 0.5) < 1e-9 && (r % 2 != 0)))
        ++r;
    return int(r);
}

QString expectedCall(const DrawOp& op, const print::RecordingPrintDevice& d) {
    const int x = pixels(op.x, d.dpiX) - d.offsetY;
    int y = pixels(op.y, d.dpiY) - d.offsetX;
    if (y < -2)
        y = -3;
    if (op.kind == DrawOp::Kind::Line) {
        const int end = op.vertical ? y + pixels(op.length, d.dpiY) : x + pixels(op.length, d.dpiX);
        return op.vertical
                   ? QStringLiteral("line %1,%2-%1,%3 pen %4").arg(x).arg(y).arg(end).arg(op.penWidth)
                   : QStringLiteral("line %1,%2-%3,%2 pen %4").arg(x).arg(y).arg(end).arg(op.penWidth);
    }
    // The recorder's text is half an em per byte wide.
    const int textWidth =
        int(std::lround(print::TextBreaking::byteLength(op.text) * op.size * d.dpiX / 144.0));
    const int box = pixels(op.boxWidth, d.dpiX);
    int ax = x;
    if (op.align == 2)
        ax += box - textWidth;
    else if (op.align == 1)
        ax += int(std::nearbyint((box - textWidth) / 2.0));
    return QStringLiteral("text %1,%2 %3 %4pt b%5 i%6 u%7 %8:%9")
        .arg(ax)
        .arg(y)
        .arg(op.font)
        .arg(op.size)
        .arg(op.bold)
        .arg(op.italic)
        .arg(op.underline)
        .arg(op.color.name())
        .arg(op.text);
}

QStringList recordedCalls(const print::RecordingPrintDevice& d) {
    QStringList out;
    for (const auto& t : d.texts)
        out << QStringLiteral("text %1,%2 %3 %4pt b%5 i%6 u%7 %8:%9")
                   .arg(t.x)
                   .arg(t.y)
                   .arg(t.font)
                   .arg(t.size)
                   .arg(t.bold)
                   .arg(t.italic)
                   .arg(t.underline)
                   .arg(t.color.name())
                   .arg(t.text);
    for (const auto& l : d.lines)
        out << QStringLiteral("line %1,%2-%3,%4 pen %5")
                   .arg(l.x1)
                   .arg(l.y1)
                   .arg(l.x2)
                   .arg(l.y2)
                   .arg(l.penWidth);
    return out;
}

} // namespace

class TestItemPlan : public QObject {
    Q_OBJECT

private slots:
    // Every printable item of each shipped template, with its test value, through the renderer
    // on an odd printer (180 × 203 dpi, printable area offset) and a template offset: the
    // recorded calls are exactly the item's plan, converted. The kinds met are counted, so the
    // shipped templates keep exercising every way an item prints.
    void shippedItemsPrintTheirPlan_data() {
        QTest::addColumn<int>("templateId");
        QTest::newRow("标准") << 1;
        QTest::newRow("三联241") << 2;
    }
    void shippedItemsPrintTheirPlan() {
        QFETCH(int, templateId);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        print::RecordingPrintDevice device;
        device.dpiX = 180;
        device.dpiY = 203;
        device.offsetX = 13;
        device.offsetY = 7;
        device.beginDocument();
        // The shipped lines are off and the shipped address fits one line: turn two lines on (one
        // vertical and bold) and give the address two lines' worth, so every kind prints.
        home.db().exec(
            QStringLiteral("update ckControl set NeedShow=1, CtlX=400, CtlY=500, CtlW=10, CtlH=300, "
                           "Bold=1 where CtlName='zdLine1'"));
        home.db().exec(QStringLiteral("update ckControl set NeedShow=1 where CtlName='zdLine2'"));
        home.db().exec(QStringLiteral("update NameDict set CtlData=CtlData||'第二行的门牌号码与楼层' "
                                      "where CtlName='zdGKAddr'"));
        core::AppContext& app = home.app();
        app.moneyCode = QStringLiteral("RMB");
        app.cellWidth = 35;
        print::ItemRenderer renderer(app, device);
        const print::PlanContext context{-20, 15, app.moneyCode, app.cellWidth};

        core::Recordset items = home.db().query(
            QStringLiteral(
                "select a.*, b.CtlData, b.CtlLabel, b.CtlType as kind from ckControl a, NameDict b "
                "where a.CtlName=b.CtlName and b.CheckTypeName=:kind and b.PrintItem=1 and "
                "a.NeedPrint=1 and a.NeedShow=1 and a.CheckTypeID=:id"),
            {{QStringLiteral("kind"), QStringLiteral("出货单")}, {QStringLiteral("id"), templateId}});
        QVERIFY(items.recordCount() > 10);
        QSet<QString> kinds;
        for (items.first(); !items.eof(); items.next()) {
            const QString name = items.text(QStringLiteral("CtlName"));
            const QString kind = items.text(QStringLiteral("kind")).toUpper();
            QString value = items.text(QStringLiteral("CtlData"));
            if (value.trimmed().isEmpty())
                value = items.text(QStringLiteral("CtlLabel"));
            const QString marker = kind == QLatin1String("TEXT") ? ItemPlan::kBreakMarker : QString();
            if (kind == QLatin1String("LINE"))
                value = QStringLiteral("-");
            const print::ItemLayout layout = print::ItemLayout::fromRecord(items);
            const QVector<DrawOp> plan = ItemPlan::plan(layout, value, marker, context);

            device.clearDrawing();
            QVERIFY(renderer.printCheckItem(templateId, -20, 15, name, value, marker));
            QStringList expected;
            for (const DrawOp& op : plan)
                if (op.kind == DrawOp::Kind::Text)
                    expected << expectedCall(op, device);
            for (const DrawOp& op : plan)
                if (op.kind == DrawOp::Kind::Line)
                    expected << expectedCall(op, device);
            QCOMPARE(recordedCalls(device), expected);

            kinds << kind;
            if (layout.type == QLatin1String("LINE"))
                kinds << (plan.value(0).vertical ? QStringLiteral("vertical line") : QStringLiteral("line"));
            QSet<int> rows;
            for (const DrawOp& op : plan) {
                rows << op.y;
                if (op.align != 0)
                    kinds << QStringLiteral("aligned");
            }
            if (rows.size() > 1)
                kinds << QStringLiteral("broken");
        }
        const QStringList wanted =
            templateId == 1 ? QStringList{"TEXT", "LINE", "line", "vertical line", "broken", "aligned"}
                            : QStringList{"TEXT", "CHECKBOX", "aligned", "broken"};
        for (const QString& k : wanted)
            QVERIFY2(kinds.contains(k), qPrintable(k + QStringLiteral(" is not among ") +
                                                   QStringList(kinds.values()).join(QLatin1Char(' '))));
    }

    // How an item lays out: what each layout column does to the marks, in tenths of a mm.
    void plan_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("breakNum");
        QTest::addColumn<QString>("fitParam");
        QTest::addColumn<QString>("moneyCode");
        QTest::addColumn<QStringList>("marks"); // "x,y,size:text"
        QTest::newRow("one line in the item's size") << "甲乙"
                                                     << ""
                                                     << ""
                                                     << "" << QStringList{"100,200,10:甲乙"};
        QTest::newRow("broken lines at the pitch in the break size")
            << "甲乙丙"
            << "1"
            << ""
            << "" << QStringList{"100,200,8:甲", "100,245,8:乙", "100,290,8:丙"};
        QTest::newRow("marker pieces, consecutive markers no blank line")
            << "A####B"
            << ""
            << ""
            << "" << QStringList{"100,200,8:A", "100,245,8:B"};
        QTest::newRow("cells at the pitch, blanks skipped")
            << "1 3"
            << ""
            << "40"
            << "" << QStringList{"100,200,10:1", "180,200,10:3"};
        QTest::newRow("Latin currency ends before the first cell") << "USD"
                                                                   << ""
                                                                   << ""
                                                                   << "USD" << QStringList{"69,200,10:USD"};
        QTest::newRow("full-width currency one millimetre left") << "￥"
                                                                 << ""
                                                                 << ""
                                                                 << "￥" << QStringList{"90,200,10:￥"};
        QTest::newRow("blank value, no marks") << "  "
                                               << ""
                                               << ""
                                               << "" << QStringList{};
    }
    void plan() {
        QFETCH(QString, value);
        QFETCH(QString, breakNum);
        QFETCH(QString, fitParam);
        QFETCH(QString, moneyCode);
        QFETCH(QStringList, marks);
        print::ItemLayout item;
        item.x = 100;
        item.y = 200;
        item.width = 300;
        item.fontSize = 10;
        item.breakFontSize = 8;
        item.lineHeight = 45;
        item.breakNum = breakNum;
        item.fitParam = fitParam;
        QStringList got;
        for (const DrawOp& op : ItemPlan::plan(item, value, ItemPlan::kBreakMarker, {0, 0, moneyCode, 35}))
            got << QStringLiteral("%1,%2,%3:%4").arg(op.x).arg(op.y).arg(op.size).arg(op.text);
        QCOMPARE(got, marks);
    }

    // An address broken in two stays inside its box (5 mm high, 2.8 mm pitch): the second line
    // no longer sits on the cell's rule, and the house number is not cut.
    void brokenLinesStayInTheBox() {
        print::ItemLayout item;
        item.x = 100;
        item.y = 200;
        item.width = 860;
        item.height = 50;
        item.fontSize = 10;
        item.breakFontSize = 8;
        item.lineHeight = 28;
        item.breakNum = QStringLiteral("10");
        QStringList got;
        for (const DrawOp& op :
             ItemPlan::plan(item, QStringLiteral("杭州市西湖区文三路502室"), ItemPlan::kBreakMarker, {}))
            got << QStringLiteral("%1,%2,%3:%4").arg(op.x).arg(op.y).arg(op.size).arg(op.text);
        QCOMPARE(got, (QStringList{QStringLiteral("100,200,7:杭州市西湖区文三路"),
                                   QStringLiteral("100,225,7:502室")}));
        QVERIFY(225 + 7 * 254 / 72 <= item.y + item.height);
    }

    // On screen the plan keeps its alignment and styles: the ink of a right-aligned value ends
    // at its box's right edge, a centred one sits in the middle, bold is heavier.
    void screenKeepsAlignmentAndBold() {
        auto ink = [](int align, bool bold) {
            QImage image(400, 100, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            print::ScreenCanvas canvas(painter, 96, 96);
            print::ItemLayout item;
            item.x = 100; // 38 px at 96 dpi
            item.y = 50;
            item.width = 600; // 227 px
            item.fontSize = 12;
            item.align = QString::number(align);
            item.bold = bold ? 1 : 0;
            ItemPlan::draw(ItemPlan::plan(item, QStringLiteral("8888"), {}, {}), canvas);
            painter.end();
            int left = image.width(), right = -1, dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 128) {
                        left = qMin(left, x);
                        right = qMax(right, x);
                        ++dark;
                    }
            return std::make_tuple(left, right, dark);
        };
        const auto [l0, r0, d0] = ink(0, false);
        const auto [l2, r2, d2] = ink(2, false);
        const auto [l1, r1, d1] = ink(1, false);
        const auto [lb, rb, db] = ink(0, true);
        QVERIFY2(qAbs(l0 - 38) <= 2, qPrintable(QString::number(l0)));
        QVERIFY2(qAbs(r2 - (38 + 227)) <= 3, qPrintable(QString::number(r2)));
        QVERIFY(qAbs((l1 + r1) / 2 - (38 + 227 / 2)) <= 3);
        QCOMPARE(r2 - l2, r0 - l0);
        QVERIFY(db > d0);
        Q_UNUSED(d1);
        Q_UNUSED(d2);
        Q_UNUSED(lb);
        Q_UNUSED(rb);
    }

    void unprintableLayoutThrows() {
        print::ItemLayout item;
        item.fitParam = QStringLiteral("12.5");
        QVERIFY_THROWS_EXCEPTION(std::exception, ItemPlan::plan(item, QStringLiteral("1"), {}, {}));
        item.fitParam.clear();
        item.align = QStringLiteral("centre");
        QVERIFY_THROWS_EXCEPTION(std::exception, ItemPlan::plan(item, QStringLiteral("1"), {}, {}));
    }
};

OVERPRINT_TEST(TestItemPlan)
#include "TestItemPlan.moc"
