// Draws the shipped delivery-note forms and writes the template seed from the same geometry,
// so that every input box sits on the field drawn for it and its print box is the same
// rectangle on paper. Also draws the splash and the background picture.
//
// Usage: formimage <data folder>   (writes Image/*.jpg and seed_templates.sql there)

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QStringList>
#include <QTextStream>
#include <QVector>

#include <cmath>
#include <functional>

namespace {

// Screen pixels per tenth of a millimetre: the form image is drawn at 96 dpi, so a box at
// CtlX tenths of a millimetre on paper sits at SrcX = CtlX * 96 / 254 pixels on screen.
constexpr double kPxPerTenth = 96.0 / 254.0;
constexpr double kPxPerMm = kPxPerTenth * 10.0;

const QString kKind = QStringLiteral("出货单");
const QString kSans = QStringLiteral("Noto Sans CJK SC");
const QString kSerif = QStringLiteral("Noto Serif CJK SC");

int px(double tenths) {
    return static_cast<int>(std::lround(tenths * kPxPerTenth));
}
int tenths(double mm) {
    return static_cast<int>(std::lround(mm * 10.0));
}

QString sqlText(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// One item of the kind 出货单: the row of NameDict. Its position in the list is its print order.
struct Item {
    QString name;
    QString label;
    QString type;
    QString test;
    int print;
    QString group;
};

QVector<Item> catalogue() {
    const QString text = QStringLiteral("TEXT");
    QVector<Item> items = {
        {QStringLiteral("zdTitleFirst"), QStringLiteral("标题"), text,
         QStringLiteral("青木鸟示范商贸有限公司"), 1, QStringLiteral("单据信息")},
        {QStringLiteral("zdTitleSub"), QStringLiteral("副标题"), text, QStringLiteral("出货单"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdPJBH"), QStringLiteral("票据编号"), text, QStringLiteral("00000001"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdOrderId"), QStringLiteral("订单号"), text, QStringLiteral("DD20240305001"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdNianYueRi"), QStringLiteral("出票日期"), text, QStringLiteral("2024-03-05"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("SelDate"), QStringLiteral("出票日期选择"), text, QString(), 0,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdDateOrder"), QStringLiteral("订单日期"), text, QStringLiteral("2024-03-01"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("SelDateOrder"), QStringLiteral("订单日期选择"), text, QString(), 0,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdMoneyType"), QStringLiteral("币种"), text, QStringLiteral("人民币"), 1,
         QStringLiteral("单据信息")},
        {QStringLiteral("zdGKMC"), QStringLiteral("客户名称"), text, QStringLiteral("深圳市星河电子有限公司"),
         1, QStringLiteral("客户信息")},
        {QStringLiteral("SHPSKR"), QStringLiteral("选择客户"), QStringLiteral("SHAPE"), QString(), 0,
         QStringLiteral("客户信息")},
        {QStringLiteral("zdGKLXR"), QStringLiteral("客户联系人"), text, QStringLiteral("李明"), 1,
         QStringLiteral("客户信息")},
        {QStringLiteral("zdGKAddr"), QStringLiteral("客户地址"), text,
         QStringLiteral("广东省深圳市南山区科技园南区高新南一道8号"), 1, QStringLiteral("客户信息")},
        {QStringLiteral("zdGKPhone"), QStringLiteral("客户电话"), text, QStringLiteral("0755-26000000"), 1,
         QStringLiteral("客户信息")},
        {QStringLiteral("zdGKHandset"), QStringLiteral("客户手机"), text, QStringLiteral("13800138000"), 1,
         QStringLiteral("客户信息")},
    };
    const QStringList lineTests = {
        QStringLiteral("DN-001"),   QStringLiteral("联想电脑"), QStringLiteral("ThinkCentre M720"),
        QStringLiteral("台"),       QStringLiteral("2"),        QStringLiteral("4500.00"),
        QStringLiteral("9,000.00"), QStringLiteral("9000"),     QStringLiteral("黑色")};
    for (int n = 1; n <= 8; ++n) {
        const QString no = QString::number(n);
        const QString group = QStringLiteral("商品明细");
        items
            << Item{QStringLiteral("zdHuoHao") + no,
                    QStringLiteral("货号") + no,
                    text,
                    lineTests[0],
                    1,
                    group}
            << Item{QStringLiteral("zdSFNR") + no,
                    QStringLiteral("商品名") + no,
                    text,
                    lineTests[1],
                    1,
                    group}
            << Item{QStringLiteral("zdGuiGe") + no, QStringLiteral("规格") + no, text, lineTests[2], 1, group}
            << Item{QStringLiteral("zdDW") + no, QStringLiteral("单位") + no, text, lineTests[3], 1, group}
            << Item{QStringLiteral("zdSL") + no, QStringLiteral("数量") + no, text, lineTests[4], 1, group}
            << Item{QStringLiteral("zdDJ") + no, QStringLiteral("单价") + no, text, lineTests[5], 1, group}
            << Item{QStringLiteral("zdJE") + no, QStringLiteral("金额") + no, text, lineTests[6], 1, group}
            << Item{QStringLiteral("zdJEXX") + no,
                    QStringLiteral("金额小写") + no,
                    text,
                    lineTests[7],
                    0,
                    group}
            << Item{QStringLiteral("zdPro") + no,
                    QStringLiteral("其他属性") + no,
                    text,
                    lineTests[8],
                    1,
                    group};
    }
    const QString money = QStringLiteral("金额");
    items << Item{QStringLiteral("zdSumSL"), QStringLiteral("合计数量"), text, QStringLiteral("12"), 1, money}
          << Item{QStringLiteral("zdHJJE"),
                  QStringLiteral("合计金额"),
                  text,
                  QStringLiteral("￥9,000.00"),
                  1,
                  money}
          << Item{QStringLiteral("zdHJJEXX"),
                  QStringLiteral("合计金额小写"),
                  text,
                  QStringLiteral("9000.00"),
                  1,
                  money}
          << Item{QStringLiteral("zdJEDX"),
                  QStringLiteral("合计金额大写"),
                  text,
                  QStringLiteral("玖仟元整"),
                  1,
                  money};
    const QStringList cells = {QStringLiteral("zddxYY"), QStringLiteral("zddxQW"), QStringLiteral("zddxBW"),
                               QStringLiteral("zddxSW"), QStringLiteral("zddxWY"), QStringLiteral("zddxQY"),
                               QStringLiteral("zddxBY"), QStringLiteral("zddxSY"), QStringLiteral("zddxY"),
                               QStringLiteral("zddxJ"),  QStringLiteral("zddxF")};
    const QStringList places = {QStringLiteral("亿"),   QStringLiteral("仟万"), QStringLiteral("佰万"),
                                QStringLiteral("拾万"), QStringLiteral("万"),   QStringLiteral("仟"),
                                QStringLiteral("佰"),   QStringLiteral("拾"),   QStringLiteral("元"),
                                QStringLiteral("角"),   QStringLiteral("分")};
    const QString digits = QStringLiteral("零零零零零玖零零零零零");
    for (int i = 0; i < cells.size(); ++i)
        items << Item{cells[i], QStringLiteral("大写") + places[i] + QStringLiteral("位"),
                      text,     digits.mid(i, 1),
                      1,        QStringLiteral("大写金额格")};
    items
        << Item{QStringLiteral("KPRen"), QStringLiteral("开票人"), text, QStringLiteral("王芳"), 1,
                QStringLiteral("人员")}
        << Item{QStringLiteral("SKRen"), QStringLiteral("收款人"), text, QStringLiteral("陈静"), 1,
                QStringLiteral("人员")}
        << Item{QStringLiteral("zdRemark"), QStringLiteral("备注"), text, QStringLiteral("货物请当面点清"), 1,
                QStringLiteral("单据信息")};
    for (int n = 1; n <= 10; ++n)
        items << Item{QStringLiteral("zdDef") + QString::number(n),
                      QStringLiteral("自定义") + QString::number(n),
                      text,
                      QStringLiteral("自定义") + QString::number(n),
                      1,
                      QStringLiteral("自定义")};
    // Tick items print their mark when ticked; a form without tick boxes hides them.
    for (int n = 0; n <= 5; ++n)
        items << Item{QStringLiteral("DEFCHECK") + QString::number(n),
                      QStringLiteral("勾选") + QString::number(n),
                      QStringLiteral("CHECKBOX"),
                      QStringLiteral("√"),
                      1,
                      QStringLiteral("勾选")};
    for (int n = 1; n <= 30; ++n)
        items << Item{QStringLiteral("zdLine") + QString::number(n),
                      QStringLiteral("线条") + QString::number(n),
                      QStringLiteral("LINE"),
                      QStringLiteral("-"),
                      1,
                      QStringLiteral("线条")};
    for (int n = 1; n <= 30; ++n)
        items << Item{QStringLiteral("LB_") + QString::number(n),
                      QStringLiteral("标签") + QString::number(n),
                      QStringLiteral("LABEL"),
                      QStringLiteral("标签") + QString::number(n),
                      0,
                      QStringLiteral("标签")};
    // Tool-bar commands the layout shows; they print nothing.
    items << Item{
        QStringLiteral("btMultiPrintS"), QStringLiteral("批量打印"), QStringLiteral("BUTTON"), QString(), 0,
        QStringLiteral("按钮")};
    return items;
}

// A field of one form: the rectangle of the item on paper in millimetres and how it prints.
struct Field {
    QString name;
    QRectF box;
    QRectF printBox; // where the value prints when not the input box itself (a tick's square)
    QString align = QStringLiteral("0");
    QString fit;
    QString breakNum;
    int fontSize = 10;
    int breakFontSize = 9;
    int lineHeight = 50;
};

struct Form {
    int id = 0;
    QString variant;
    double widthMm = 0;
    double heightMm = 0;
    QString checkBoxs;
    QString isDefault;
    QString isCommon;
    QColor ink;
    QVector<Field> fields;
    std::function<void(QPainter&, Form&)> draw;

    QSize imageSize() const { return {px(tenths(widthMm)), px(tenths(heightMm))}; }

    // The input box of a value inside a table cell: 1 mm in from the sides, 5 mm high and
    // centred vertically, so that the printed text sits in the middle of the cell.
    void cell(const QString& name, double x1, double y1, double x2, double y2, const QString& align = {},
              const QString& breakNum = {}, int fontSize = 10) {
        const double h = std::min(5.0, y2 - y1 - 1.0);
        Field f;
        f.name = name;
        f.box = QRectF(x1 + 1.0, y1 + (y2 - y1 - h) / 2.0, x2 - x1 - 2.0, h);
        if (!align.isEmpty())
            f.align = align;
        f.breakNum = breakNum;
        f.fontSize = fontSize;
        fields << f;
    }
    // Text of the last field that breaks into a second line prints smaller and closer, so that
    // both lines stay inside its table row.
    void twoLinesInRow() {
        fields.last().breakFontSize = 8;
        fields.last().lineHeight = 28;
    }
    void exact(const Field& f) { fields << f; }
    void place(const QString& name, const QRectF& box) {
        Field f;
        f.name = name;
        f.box = box;
        fields << f;
    }
    // A tick item: its input box covers square and caption, its mark prints centred in the square.
    void tick(const QString& name, const QRectF& box, const QRectF& square) {
        Field f;
        f.name = name;
        f.box = box;
        f.printBox = square;
        f.align = QStringLiteral("1");
        f.fontSize = 8;
        fields << f;
    }
};

// Drawing helpers in millimetres.
void hline(QPainter& p, double x1, double x2, double y) {
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
}
void vline(QPainter& p, double x, double y1, double y2) {
    p.drawLine(QPointF(x, y1), QPointF(x, y2));
}

void text(QPainter& p, const QRectF& r, const QString& s, double sizeMm, int flags = Qt::AlignCenter,
          bool bold = false, const QString& family = kSans) {
    QFont f(family);
    // The painter is scaled to millimetres and the image has 96 dpi: a point is 96/72 units.
    f.setPointSizeF(sizeMm * 72.0 / 96.0);
    f.setBold(bold);
    p.setFont(f);
    p.drawText(r, flags, s);
}

void sprocketHoles(QPainter& p, const Form& form) {
    p.save();
    p.setPen(QPen(QColor(200, 200, 200), 0.25));
    p.setBrush(QColor(246, 246, 246));
    for (double y = 6.35; y < form.heightMm; y += 12.7) {
        p.drawEllipse(QPointF(6.0, y), 2.0, 2.0);
        p.drawEllipse(QPointF(form.widthMm - 6.0, y), 2.0, 2.0);
    }
    QPen perforation(QColor(210, 210, 210), 0.2, Qt::DashLine);
    p.setPen(perforation);
    vline(p, 12.0, 0, form.heightMm);
    vline(p, form.widthMm - 12.0, 0, form.heightMm);
    p.restore();
}

void tickBox(QPainter& p, double x, double y, const QString& caption) {
    p.drawRect(QRectF(x, y + 0.8, 3.4, 3.4));
    text(p, QRectF(x + 4.2, y, 12.0, 5.0), caption, 3.0, Qt::AlignLeft | Qt::AlignVCenter);
}

void drawStandard(QPainter& p, Form& form) {
    const QColor ink = form.ink;
    const double left = 14.0, right = 227.0;
    p.setPen(QPen(ink, 0.3));
    text(p, QRectF(0, 4, form.widthMm, 7), QStringLiteral("青木鸟示范商贸有限公司"), 4.2, Qt::AlignCenter,
         true, kSerif);
    text(p, QRectF(80, 11, 81, 11), QStringLiteral("出  货  单"), 7.5, Qt::AlignCenter, true, kSerif);
    hline(p, 98, 143, 22.6);
    hline(p, 98, 143, 23.4);
    text(p, QRectF(left, 17, 14, 7), QStringLiteral("订单号:"), 3.2, Qt::AlignLeft | Qt::AlignVCenter);
    hline(p, 28, 80, 23.5);
    form.cell(QStringLiteral("zdOrderId"), 28, 17, 80, 24);
    text(p, QRectF(176, 16, 12, 8), QStringLiteral("No."), 4.2, Qt::AlignLeft | Qt::AlignVCenter, true);
    hline(p, 188, right, 23.5);
    form.cell(QStringLiteral("zdPJBH"), 188, 16, right, 24, {}, {}, 12);

    // Customer rows.
    const double r0 = 27, r1 = 34, r2 = 41;
    p.setPen(QPen(ink, 0.45));
    p.drawRect(QRectF(left, r0, right - left, 118 - r0));
    p.setPen(QPen(ink, 0.25));
    hline(p, left, right, r1);
    for (double x : {30.0, 118.0, 132.0, 165.0, 179.0})
        vline(p, x, r0, r2);
    const double labelSize = 3.1;
    text(p, QRectF(left, r0, 16, 7), QStringLiteral("客户名称"), labelSize);
    text(p, QRectF(118, r0, 14, 7), QStringLiteral("联系人"), labelSize);
    text(p, QRectF(165, r0, 14, 7), QStringLiteral("日  期"), labelSize);
    text(p, QRectF(left, r1, 16, 7), QStringLiteral("地  址"), labelSize);
    text(p, QRectF(118, r1, 14, 7), QStringLiteral("电  话"), labelSize);
    text(p, QRectF(165, r1, 14, 7), QStringLiteral("手  机"), labelSize);
    form.cell(QStringLiteral("zdGKMC"), 30, r0, 113, r1);
    form.place(QStringLiteral("SHPSKR"), QRectF(113.5, r0 + 1.2, 4.2, 4.6));
    form.cell(QStringLiteral("zdGKLXR"), 132, r0, 165, r1);
    form.cell(QStringLiteral("zdNianYueRi"), 179, r0, 222, r1);
    form.place(QStringLiteral("SelDate"), QRectF(222, r0 + 1.0, 4.8, 5.0));
    form.cell(QStringLiteral("zdGKAddr"), 30, r1, 118, r2, {}, QStringLiteral("20"));
    form.twoLinesInRow();
    form.cell(QStringLiteral("zdGKPhone"), 132, r1, 165, r2);
    form.cell(QStringLiteral("zdGKHandset"), 179, r1, right, r2);

    // Goods table: header and eight lines.
    const double head = 41, rowH = 7, first = 48;
    const double cols[] = {left, 36, 90, 124, 138, 156, 178, 208, right};
    const QStringList titles = {QStringLiteral("货  号"), QStringLiteral("商 品 名 称"),
                                QStringLiteral("规  格"), QStringLiteral("单位"),
                                QStringLiteral("数  量"), QStringLiteral("单  价"),
                                QStringLiteral("金  额"), QStringLiteral("属  性")};
    p.setPen(QPen(ink, 0.35));
    hline(p, left, right, head);
    hline(p, left, right, first);
    p.setPen(QPen(ink, 0.25));
    for (int i = 0; i < titles.size(); ++i)
        text(p, QRectF(cols[i], head, cols[i + 1] - cols[i], rowH), titles[i], labelSize, Qt::AlignCenter,
             true);
    for (int i = 1; i < 8; ++i)
        vline(p, cols[i], head, first + 8 * rowH);
    const QStringList names = {QStringLiteral("zdHuoHao"), QStringLiteral("zdSFNR"),
                               QStringLiteral("zdGuiGe"),  QStringLiteral("zdDW"),
                               QStringLiteral("zdSL"),     QStringLiteral("zdDJ"),
                               QStringLiteral("zdJE"),     QStringLiteral("zdPro")};
    for (int n = 0; n < 8; ++n) {
        const double y = first + n * rowH;
        if (n > 0) {
            p.setPen(QPen(ink.lighter(125), 0.2));
            hline(p, left, right, y);
            p.setPen(QPen(ink, 0.25));
        }
        for (int c = 0; c < names.size(); ++c) {
            const bool amount = names[c] == QStringLiteral("zdDJ") || names[c] == QStringLiteral("zdJE");
            const bool centred = names[c] == QStringLiteral("zdDW") || names[c] == QStringLiteral("zdSL");
            form.cell(names[c] + QString::number(n + 1), cols[c], y, cols[c + 1], y + rowH,
                      amount    ? QStringLiteral("2")
                      : centred ? QStringLiteral("1")
                                : QString());
        }
    }

    // Totals: capitals and figures on the left, one box per capital digit on the right.
    const double t0 = 104, t1 = 111, t2 = 118;
    p.setPen(QPen(ink, 0.35));
    hline(p, left, right, t0);
    p.setPen(QPen(ink, 0.25));
    hline(p, left, 124, t1);
    vline(p, 36, t0, t2);
    vline(p, 90, t1, t2);
    vline(p, 106, t1, t2);
    vline(p, 124, t0, t2);
    text(p, QRectF(left, t0, 22, 7), QStringLiteral("合计(大写)"), labelSize);
    text(p, QRectF(left, t1, 22, 7), QStringLiteral("合计(小写)"), labelSize);
    text(p, QRectF(90, t1, 16, 7), QStringLiteral("合计数量"), 2.8);
    form.cell(QStringLiteral("zdJEDX"), 36, t0, 124, t1);
    form.cell(QStringLiteral("zdHJJE"), 36, t1, 90, t2, QStringLiteral("2"));
    form.cell(QStringLiteral("zdSumSL"), 106, t1, 124, t2, QStringLiteral("1"));
    text(p, QRectF(124, t0, 4, t2 - t0), QStringLiteral("￥"), 3.2);
    const QStringList places = {QStringLiteral("亿"), QStringLiteral("仟"), QStringLiteral("佰"),
                                QStringLiteral("拾"), QStringLiteral("万"), QStringLiteral("仟"),
                                QStringLiteral("佰"), QStringLiteral("拾"), QStringLiteral("元"),
                                QStringLiteral("角"), QStringLiteral("分")};
    const QStringList cells = {QStringLiteral("zddxYY"), QStringLiteral("zddxQW"), QStringLiteral("zddxBW"),
                               QStringLiteral("zddxSW"), QStringLiteral("zddxWY"), QStringLiteral("zddxQY"),
                               QStringLiteral("zddxBY"), QStringLiteral("zddxSY"), QStringLiteral("zddxY"),
                               QStringLiteral("zddxJ"),  QStringLiteral("zddxF")};
    const double cellW = 9.0, cx0 = 128.0, capH = 5.0;
    vline(p, cx0, t0, t2);
    hline(p, cx0, right, t0 + capH);
    for (int i = 0; i < 11; ++i) {
        const double x = cx0 + i * cellW;
        if (i > 0) {
            p.setPen(QPen(i == 9 ? ink : ink.lighter(120), i == 9 ? 0.35 : 0.2));
            vline(p, x, t0, t2);
            p.setPen(QPen(ink, 0.25));
        }
        text(p, QRectF(x, t0, cellW, capH), places[i], 2.8);
        Field f;
        f.name = cells[i];
        f.box = QRectF(x + 0.5, t0 + capH + 0.8, cellW - 1.0, 5.0);
        f.align = QStringLiteral("1");
        f.fit = QString::number(tenths(cellW));
        f.fontSize = 11;
        form.exact(f);
    }

    // Remark and signatures.
    p.setPen(QPen(ink, 0.35));
    hline(p, left, right, t2);
    p.setPen(QPen(ink, 0.25));
    vline(p, 30, t2, 125);
    p.setPen(QPen(ink, 0.45));
    p.drawRect(QRectF(left, r0, right - left, 125 - r0));
    p.setPen(QPen(ink, 0.25));
    text(p, QRectF(left, t2, 16, 7), QStringLiteral("备  注"), labelSize);
    form.cell(QStringLiteral("zdRemark"), 30, t2, right, 125);
    form.twoLinesInRow();

    const double s0 = 127, s1 = 134;
    const struct {
        double labelX, boxX, endX;
        const char* label;
        const char* name;
    } signs[] = {{left, 27, 62, "开票人:", "KPRen"},
                 {66, 79, 114, "收款人:", "SKRen"},
                 {118, 131, 166, "送货人:", "zdDef1"},
                 {170, 187, right, "客户签收:", "zdDef2"}};
    for (const auto& s : signs) {
        text(p, QRectF(s.labelX, s0, s.boxX - s.labelX, s1 - s0), QString::fromUtf8(s.label), labelSize,
             Qt::AlignLeft | Qt::AlignVCenter);
        hline(p, s.boxX, s.endX, s1 - 0.5);
        form.cell(QString::fromUtf8(s.name), s.boxX, s0, s.endX, s1);
    }
    text(p, QRectF(left, 135, right - left, 4.5),
         QStringLiteral("第一联：存根（白）    第二联：客户（红）    第三联：财务（黄）"), 2.6);
}

void drawThird(QPainter& p, Form& form) {
    const QColor ink = form.ink;
    const double left = 14.0, right = 227.0;
    p.setPen(QPen(ink, 0.3));
    text(p, QRectF(85, 3, 71, 10), QStringLiteral("出  货  单"), 6.5, Qt::AlignCenter, true, kSerif);
    hline(p, 102, 139, 12.6);
    const QStringList ticks = QStringLiteral("现金,月结,转账").split(QLatin1Char(','));
    for (int i = 0; i < ticks.size(); ++i) {
        const double x = left + i * 17.0;
        tickBox(p, x, 6.0, ticks[i]);
        // An 8 pt mark's ink runs from 0.27 to 1.26 of its em below the top of its line: a top
        // 2.2 mm above the square's centre puts it in the middle of the square.
        form.tick(QStringLiteral("DEFCHECK") + QString::number(i), QRectF(x - 0.5, 6.0, 15.0, 5.0),
                  QRectF(x, 6.3, 3.4, 3.4));
    }
    text(p, QRectF(168, 5, 10, 7), QStringLiteral("No."), 3.8, Qt::AlignLeft | Qt::AlignVCenter, true);
    hline(p, 178, right, 11.8);
    form.cell(QStringLiteral("zdPJBH"), 178, 5, right, 12.5, {}, {}, 11);

    const double r0 = 14, r1 = 20, r2 = 26;
    p.setPen(QPen(ink, 0.25));
    hline(p, left, right, r1);
    for (double x : {28.0, 110.0, 122.0, 160.0, 172.0})
        vline(p, x, r0, r1);
    for (double x : {28.0, 160.0, 172.0})
        vline(p, x, r1, r2);
    const double labelSize = 2.9;
    text(p, QRectF(left, r0, 14, 6), QStringLiteral("客  户"), labelSize);
    text(p, QRectF(110, r0, 12, 6), QStringLiteral("电话"), labelSize);
    text(p, QRectF(160, r0, 12, 6), QStringLiteral("日期"), labelSize);
    text(p, QRectF(left, r1, 14, 6), QStringLiteral("地  址"), labelSize);
    text(p, QRectF(160, r1, 12, 6), QStringLiteral("订单号"), labelSize);
    form.cell(QStringLiteral("zdGKMC"), 28, r0, 105.5, r1);
    form.place(QStringLiteral("SHPSKR"), QRectF(105.8, r0 + 0.8, 4.0, 4.4));
    form.cell(QStringLiteral("zdGKPhone"), 122, r0, 160, r1);
    form.cell(QStringLiteral("zdNianYueRi"), 172, r0, 222, r1);
    form.place(QStringLiteral("SelDate"), QRectF(222, r0 + 0.5, 4.8, 5.0));
    form.cell(QStringLiteral("zdGKAddr"), 28, r1, 160, r2, {}, QStringLiteral("30"));
    form.twoLinesInRow();
    form.cell(QStringLiteral("zdOrderId"), 172, r1, right, r2);

    const double head = 26, rowH = 6, first = 32, lines = 5;
    const double cols[] = {left, 36, 96, 130, 144, 162, 188, right};
    const QStringList titles = {QStringLiteral("货号"), QStringLiteral("商 品 名 称"), QStringLiteral("规格"),
                                QStringLiteral("单位"), QStringLiteral("数量"),        QStringLiteral("单价"),
                                QStringLiteral("金额")};
    p.setPen(QPen(ink, 0.35));
    hline(p, left, right, head);
    hline(p, left, right, first);
    p.setPen(QPen(ink, 0.25));
    for (int i = 0; i < titles.size(); ++i)
        text(p, QRectF(cols[i], head, cols[i + 1] - cols[i], rowH), titles[i], labelSize, Qt::AlignCenter,
             true);
    for (int i = 1; i < 7; ++i)
        vline(p, cols[i], head, first + lines * rowH);
    const QStringList names = {QStringLiteral("zdHuoHao"), QStringLiteral("zdSFNR"),
                               QStringLiteral("zdGuiGe"),  QStringLiteral("zdDW"),
                               QStringLiteral("zdSL"),     QStringLiteral("zdDJ"),
                               QStringLiteral("zdJE")};
    for (int n = 0; n < lines; ++n) {
        const double y = first + n * rowH;
        if (n > 0) {
            p.setPen(QPen(ink.lighter(125), 0.2));
            hline(p, left, right, y);
            p.setPen(QPen(ink, 0.25));
        }
        for (int c = 0; c < names.size(); ++c) {
            const bool amount = names[c] == QStringLiteral("zdDJ") || names[c] == QStringLiteral("zdJE");
            const bool centred = names[c] == QStringLiteral("zdDW") || names[c] == QStringLiteral("zdSL");
            form.cell(names[c] + QString::number(n + 1), cols[c], y, cols[c + 1], y + rowH,
                      amount    ? QStringLiteral("2")
                      : centred ? QStringLiteral("1")
                                : QString());
        }
    }

    const double t0 = first + lines * rowH, t1 = t0 + 7, t2 = t1 + 6;
    p.setPen(QPen(ink, 0.35));
    hline(p, left, right, t0);
    p.setPen(QPen(ink, 0.25));
    hline(p, left, right, t1);
    for (double x : {36.0, 130.0, 144.0, 162.0, 176.0})
        vline(p, x, t0, t1);
    vline(p, 28, t1, t2);
    text(p, QRectF(left, t0, 22, 7), QStringLiteral("合计(大写)"), labelSize);
    text(p, QRectF(130, t0, 14, 7), QStringLiteral("币种"), labelSize);
    text(p, QRectF(162, t0, 14, 7), QStringLiteral("小写"), labelSize);
    text(p, QRectF(left, t1, 14, 6), QStringLiteral("备  注"), labelSize);
    form.cell(QStringLiteral("zdJEDX"), 36, t0, 130, t1);
    form.cell(QStringLiteral("zdMoneyType"), 144, t0, 162, t1, QStringLiteral("1"));
    form.cell(QStringLiteral("zdHJJE"), 176, t0, right, t1, QStringLiteral("2"));
    form.cell(QStringLiteral("zdRemark"), 28, t1, right, t2);
    form.twoLinesInRow();
    p.setPen(QPen(ink, 0.45));
    p.drawRect(QRectF(left, r0, right - left, t2 - r0));
    p.setPen(QPen(ink, 0.25));

    const double s0 = t2 + 1.5, s1 = s0 + 6.5;
    const struct {
        double labelX, boxX, endX;
        const char* label;
        const char* name;
    } signs[] = {{left, 27, 62, "开票人:", "KPRen"},
                 {66, 79, 114, "收款人:", "SKRen"},
                 {170, 187, right, "客户签收:", "zdDef2"}};
    for (const auto& s : signs) {
        text(p, QRectF(s.labelX, s0, s.boxX - s.labelX, s1 - s0), QString::fromUtf8(s.label), labelSize,
             Qt::AlignLeft | Qt::AlignVCenter);
        hline(p, s.boxX, s.endX, s1 - 0.5);
        form.cell(QString::fromUtf8(s.name), s.boxX, s0, s.endX, s1);
    }
    text(p, QRectF(left, s1 + 0.5, right - left, 4.0),
         QStringLiteral("白联：存根    红联：客户    黄联：财务"), 2.5);
}

QImage render(Form& form) {
    QImage image(form.imageSize(), QImage::Format_RGB32);
    image.fill(QColor(255, 253, 247));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(kPxPerMm, kPxPerMm);
    sprocketHoles(p, form);
    form.draw(p, form);
    return image;
}

QImage splash() {
    QImage image(370, 249, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 370, 249);
    g.setColorAt(0, QColor(38, 94, 150));
    g.setColorAt(1, QColor(20, 52, 92));
    p.fillRect(image.rect(), g);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 26));
    p.drawEllipse(QPointF(320, 40), 90, 90);
    p.drawEllipse(QPointF(40, 230), 70, 70);
    // A stylised bird: two wing strokes over a sheet of paper.
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(QRectF(40, 52, 54, 70), 4, 4);
    p.setPen(QPen(QColor(38, 94, 150), 2));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(50, 68 + i * 12), QPointF(84, 68 + i * 12));
    QPainterPath wing;
    wing.moveTo(70, 48);
    wing.quadTo(92, 20, 118, 36);
    wing.quadTo(96, 38, 84, 58);
    wing.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 200, 120));
    p.drawPath(wing);
    p.setPen(Qt::white);
    QFont title(kSans);
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(110, 60, 250, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("青木鸟票据打印"));
    QFont sub(kSans);
    sub.setPixelSize(14);
    p.setFont(sub);
    p.setPen(QColor(220, 232, 245));
    p.drawText(QRectF(112, 104, 250, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("出货单 · 送货单 · 套打专家"));
    p.setPen(QColor(190, 210, 230));
    p.drawText(QRectF(0, 206, 360, 30), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("正在启动，请稍候..."));
    return image;
}

QImage background() {
    QImage image(1280, 800, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 800);
    g.setColorAt(0, QColor(233, 240, 246));
    g.setColorAt(1, QColor(208, 221, 233));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.2));
    for (int i = 0; i < 14; ++i) {
        QPainterPath wave;
        const double y = 420 + i * 24;
        wave.moveTo(0, y);
        wave.cubicTo(380, y - 90, 820, y + 90, 1280, y - 20);
        p.drawPath(wave);
    }
    p.setPen(QColor(180, 196, 212));
    QFont f(kSans);
    f.setPixelSize(26);
    p.setFont(f);
    p.drawText(QRectF(0, 720, 1240, 50), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("青木鸟票据打印"));
    return image;
}

struct Row {
    int x, y, w, h, srcX, srcY, srcW, srcH, show;
};

// Print box and input box of an item on a form; items the form has no field for are hidden
// and parked where the entry window puts a box it knows nothing about.
Row rowFor(const Form& form, const Item& item) {
    for (const Field& f : form.fields) {
        if (f.name.compare(item.name, Qt::CaseInsensitive) != 0)
            continue;
        const int x = tenths(f.box.x()), y = tenths(f.box.y()), w = tenths(f.box.width()),
                  h = tenths(f.box.height());
        if (f.printBox.isNull())
            return {x, y, w, h, px(x), px(y), px(w), px(h), 1};
        return {tenths(f.printBox.x()),
                tenths(f.printBox.y()),
                tenths(f.printBox.width()),
                tenths(f.printBox.height()),
                px(x),
                px(y),
                px(w),
                px(h),
                1};
    }
    // A tool-bar button sits in the tool bar, wherever its parked box says: every form shows it.
    const int shown = item.type == QLatin1String("BUTTON") ? 1 : 0;
    return {tenths(7.9), tenths(6.6), tenths(11.9), tenths(4.8), 30, 25, 45, 18, shown};
}

const Field* fieldFor(const Form& form, const QString& name) {
    for (const Field& f : form.fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

void writeSeed(const QString& path, const QVector<Form>& forms, const QVector<Item>& items) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(path));
    QTextStream out(&file);
    out << "-- Generated by scripts/formimage from the same geometry as the form images; edit the\n"
           "-- generator, not this file. Print boxes in tenths of a millimetre, input boxes in pixels\n"
           "-- of the 96 dpi image: SrcX = CtlX * 96 / 254.\n\n";
    for (const Form& f : forms) {
        const QSize size = f.imageSize();
        out << "INSERT INTO CKTypeTable (CheckTypeID, TypeName, TypeFirstName, TypeDescribe, XMove, YMove, "
               "THeight, TWidth, PWidth, PHeight, HVPrint, ImgFile, Visiable, CheckBoxs, IsDefault, "
               "IsCommon, "
               "ShowOrd, IniFile, PreImgURL, InputBgColor, InputFtColor) VALUES ("
            << f.id << ", " << sqlText(kKind + QStringLiteral("（") + f.variant + QStringLiteral("）"))
            << ", " << sqlText(kKind) << ", " << sqlText(f.variant) << ", 0, 0, " << size.height() << ", "
            << size.width() << ", " << tenths(f.widthMm) << ", " << tenths(f.heightMm) << ", '0', "
            << sqlText(QStringLiteral("shd%1.jpg").arg(f.id)) << ", '启用', " << sqlText(f.checkBoxs) << ", "
            << sqlText(f.isDefault) << ", " << sqlText(f.isCommon) << ", " << f.id << ", '', '', '', '');\n";
    }
    out << "\n";
    for (int i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        out << "INSERT INTO NameDict (CheckTypeName, CtlName, CtlLabel, CtlType, CtlData, PrintItem, "
               "ShowOrd, "
               "Groups) VALUES ("
            << sqlText(kKind) << ", " << sqlText(it.name) << ", " << sqlText(it.label) << ", "
            << sqlText(it.type) << ", " << sqlText(it.test) << ", " << it.print << ", " << (i + 1) * 10
            << ", " << sqlText(it.group) << ");\n";
    }
    for (const Form& f : forms) {
        out << "\n-- " << kKind << "（" << f.variant << "）\n";
        for (int i = 0; i < items.size(); ++i) {
            const Item& it = items[i];
            const Row r = rowFor(f, it);
            const Field* field = fieldFor(f, it.name);
            const Field plain;
            const Field& opt = field ? *field : plain;
            out << "INSERT INTO ckControl (CheckTypeID, CtlName, CtlCName, CtlType, CtlX, CtlY, CtlW, CtlH, "
                   "ctlLH, "
                   "SrcX, SrcY, SrcW, SrcH, NeedShow, NeedPrint, CtlFontName, CtlFontSize, BreakFontSize, "
                   "BreakNum, FitParam, Align, CtlFontColor, Bold, Italic, UnderLine, InitValue, ShowOrd) "
                   "VALUES ("
                << f.id << ", " << sqlText(it.name) << ", " << sqlText(it.label) << ", " << sqlText(it.type)
                << ", " << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ", " << opt.lineHeight << ", "
                << r.srcX << ", " << r.srcY << ", " << r.srcW << ", " << r.srcH << ", " << r.show
                << ", 1, '宋体', " << opt.fontSize << ", " << opt.breakFontSize << ", "
                << sqlText(opt.breakNum) << ", " << sqlText(opt.fit) << ", " << sqlText(opt.align)
                << ", '0', 0, 0, 0, '', " << (i + 1) * 10 << ");\n";
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2)
        qFatal("usage: formimage <data folder>");
    const QDir data(QString::fromLocal8Bit(argv[1]));
    data.mkpath(QStringLiteral("Image"));

    QVector<Form> forms(2);
    forms[0].id = 1;
    forms[0].variant = QStringLiteral("标准");
    forms[0].widthMm = 241;
    forms[0].heightMm = 140;
    forms[0].isDefault = QStringLiteral("默认");
    forms[0].isCommon = QStringLiteral("是");
    forms[0].ink = QColor(214, 92, 92);
    forms[0].draw = drawStandard;
    forms[1].id = 2;
    forms[1].variant = QStringLiteral("三联241");
    forms[1].widthMm = 241;
    forms[1].heightMm = 93;
    forms[1].checkBoxs = QStringLiteral("现金,月结,转账");
    forms[1].isDefault = QStringLiteral("0");
    forms[1].isCommon = QStringLiteral("是");
    forms[1].ink = QColor(72, 122, 196);
    forms[1].draw = drawThird;

    for (Form& f : forms) {
        const QString file = data.filePath(QStringLiteral("Image/shd%1.jpg").arg(f.id));
        if (!render(f).save(file, "JPG", 90))
            qFatal("cannot write %s", qPrintable(file));
    }
    splash().save(data.filePath(QStringLiteral("Image/Sys_boot.jpg")), "JPG", 92);
    background().save(data.filePath(QStringLiteral("Image/sys_bg.jpg")), "JPG", 88);
    writeSeed(data.filePath(QStringLiteral("seed_templates.sql")), forms, catalogue());
    return 0;
}
