#include "accounts/StatementDocument.h"

#include "entry/MoneyText.h"
#include "print/PrintDevice.h"

#include <cmath>

namespace accounts {

namespace {

// Table columns: left edge and width, in tenths of a millimetre from the left margin.
struct Column {
    int left;
    int width;
    bool money;
};
constexpr Column kDate{0, 230, false};
constexpr Column kNumber{230, 330, false};
constexpr Column kSummary{560, 740, false};
constexpr Column kDelivered{1300, 250, true};
constexpr Column kReceived{1550, 250, true};
constexpr int kTableWidth = 1800;
constexpr int kCellPad = 15;
constexpr int kTextDrop = 10; // the line box's top below the row's top line

const QString kBody = QStringLiteral("宋体");
const QString kHeading = QStringLiteral("黑体");

// Converts layout units (0.1 mm from the paper's corner) to the canvas's pixels.
class Pen {
public:
    explicit Pen(print::PlanCanvas& canvas) : c(canvas) {}
    int x(int tenths) const {
        return int(std::lround(tenths * c.resolutionX() / 254.0)) - c.physicalOffsetX();
    }
    int y(int tenths) const {
        return int(std::lround(tenths * c.resolutionY() / 254.0)) - c.physicalOffsetY();
    }
    int w(int tenths) const { return int(std::lround(tenths * c.resolutionX() / 254.0)); }

    void font(const QString& face, int points, bool bold = false) {
        m_points = points;
        c.setFontName(face);
        c.setFontSize(points);
        c.setBold(bold);
    }
    void text(int left, int top, const QString& s) { c.drawText(x(left), y(top), s); }
    void rightText(int right, int top, const QString& s) { c.drawText(x(right) - c.textWidth(s), y(top), s); }
    void centredText(int centre, int top, const QString& s) {
        c.drawText(x(centre) - c.textWidth(s) / 2, y(top), s);
    }
    // The text cut with "…" to the width, so a long remark never runs into the next column.
    void fittedText(int left, int top, int width, const QString& s) {
        const int room = w(width);
        QString shown = s;
        // No glyph is wider than an em: a text that fits so is not measured (measuring on a
        // printer is the dearest part of a page).
        const qint64 em = qint64(m_points) * c.resolutionX() / 72 + 1;
        if (s.size() * em > room && c.textWidth(shown) > room) {
            while (!shown.isEmpty() && c.textWidth(shown + QStringLiteral("…")) > room)
                shown.chop(1);
            shown += QStringLiteral("…");
        }
        text(left, top, shown);
    }
    void hline(int left, int right, int at) { c.drawLine(x(left), y(at), x(right), y(at)); }
    void vline(int at, int top, int bottom) { c.drawLine(x(at), y(top), x(at), y(bottom)); }
    void thin() { c.setPenWidth(qMax(1, w(2))); }

    print::PlanCanvas& c;

private:
    int m_points = 9;
};

QString money(qint64 cents) {
    return centsText(cents) + QStringLiteral(" 元");
}

} // namespace

int StatementDocument::rowsPerPage() {
    const int body = kPageHeight - kMargin - kFooterHeight - (kMargin + kHeadingHeight);
    return body / kRowHeight - 1; // the head takes one
}

StatementDocument::StatementDocument(Statement statement, QString ourUnit)
    : m_statement(std::move(statement)), m_ourUnit(std::move(ourUnit)) {
    paginate();
}

void StatementDocument::paginate() {
    const int perPage = rowsPerPage();
    m_pages.clear();
    Page page;
    auto add = [&](Row row) {
        if (page.rows.size() == perPage) {
            m_pages << page;
            page = Page();
        }
        page.rows << row;
    };
    for (int e = 0; e < m_statement.entries.size(); ++e) {
        add({e, -1});
        for (int g = 0; g < m_statement.entries.at(e).goods.size(); ++g)
            add({e, g});
    }
    // The totals stay whole on the last page; where they do not fit they open a page of their own.
    if (page.rows.size() + kTotalsRows > perPage) {
        m_pages << page;
        page = Page();
    }
    page.totals = true;
    m_pages << page;
}

QString StatementDocument::summary(const StatementEntry& entry) {
    QString text;
    switch (entry.kind) {
    case StatementEntry::Kind::Note:
        text = QStringLiteral("出货单");
        if (entry.notShipped)
            text += QStringLiteral(" 未发货");
        break;
    case StatementEntry::Kind::PrintedOrder:
        text = QStringLiteral("打印订单");
        break;
    case StatementEntry::Kind::Payment:
        text = entry.cents < 0 ? QStringLiteral("退款") : QStringLiteral("收款");
        if (!entry.method.isEmpty())
            text += QLatin1Char(' ') + entry.method;
        break;
    }
    if (!entry.remark.trimmed().isEmpty())
        text += QStringLiteral("  ") + entry.remark.simplified();
    return text;
}

QString StatementDocument::goodsText(const GoodsLine& goods) {
    QStringList parts;
    for (const QString& part : {goods.code, goods.name, goods.spec})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    QString text = parts.join(QLatin1Char(' '));
    if (!goods.quantity.isEmpty())
        text += QStringLiteral("  ") + goods.quantity + goods.unit;
    if (!goods.price.isEmpty())
        text += QStringLiteral(" × ") + goods.price;
    if (!goods.amount.isEmpty())
        text += QStringLiteral(" = ") + goods.amount;
    return text;
}

QString StatementDocument::periodText(const Statement& statement) {
    const QString format = QStringLiteral("yyyy-MM-dd");
    return statement.from.toString(format) + QStringLiteral(" 至 ") + statement.to.toString(format);
}

void StatementDocument::drawPage(print::PlanCanvas& canvas, int index) const {
    if (index < 0 || index >= m_pages.size())
        return;
    const Page& page = m_pages.at(index);
    const Statement& s = m_statement;
    Pen pen(canvas);
    canvas.setColor(Qt::black);
    canvas.setItalic(false);
    canvas.setUnderline(false);
    pen.thin();
    const int left = kMargin;
    const int right = kMargin + kTableWidth;

    // Heading, on every page so a loose sheet still says whose it is.
    pen.font(kHeading, 18, true);
    pen.centredText(kPageWidth / 2, kMargin, QStringLiteral("对账单"));
    pen.font(kBody, 10);
    int y = kMargin + 110;
    pen.fittedText(left, y, kTableWidth, QStringLiteral("对账单位：") + m_ourUnit);
    y += 60;
    pen.fittedText(left, y, 1150, QStringLiteral("客户：") + s.customer);
    pen.rightText(right, y, QStringLiteral("期间：") + periodText(s));
    y += 60;
    if (index == 0)
        pen.text(left, y, QStringLiteral("期初余额：") + money(s.openingCents));
    pen.rightText(right, y, QStringLiteral("金额单位：元"));

    // Table head, repeated after every break.
    int top = kMargin + kHeadingHeight;
    const int tableTop = top;
    pen.hline(left, right, top);
    pen.font(kHeading, 10, true);
    for (const auto& [column, title] :
         {std::pair{kDate, QStringLiteral("日期")}, std::pair{kNumber, QStringLiteral("单号")},
          std::pair{kSummary, QStringLiteral("摘要")}, std::pair{kDelivered, QStringLiteral("发货金额")},
          std::pair{kReceived, QStringLiteral("收款金额")}})
        pen.centredText(left + column.left + column.width / 2, top + kTextDrop, title);
    top += kRowHeight;
    pen.hline(left, right, top);

    for (const Row& row : page.rows) {
        const StatementEntry& e = s.entries.at(row.entry);
        if (row.goods >= 0) {
            pen.font(kBody, 8);
            pen.fittedText(left + kSummary.left + kCellPad + 30, top + kTextDrop + 5,
                           kSummary.width - 2 * kCellPad - 30, goodsText(e.goods.at(row.goods)));
        } else {
            pen.font(kBody, 9);
            pen.text(left + kDate.left + kCellPad, top + kTextDrop,
                     e.date.toString(QStringLiteral("yyyy-MM-dd")));
            pen.fittedText(left + kNumber.left + kCellPad, top + kTextDrop, kNumber.width - 2 * kCellPad,
                           e.number);
            pen.fittedText(left + kSummary.left + kCellPad, top + kTextDrop, kSummary.width - 2 * kCellPad,
                           summary(e));
            const Column& column = e.kind == StatementEntry::Kind::Payment ? kReceived : kDelivered;
            pen.rightText(left + column.left + column.width - kCellPad, top + kTextDrop, centsText(e.cents));
        }
        top += kRowHeight;
        // Goods lines sit under their note without a rule between them.
        const bool nextIsGoods = &row != &page.rows.constLast() && (&row + 1)->goods >= 0;
        if (!nextIsGoods)
            pen.hline(left, right, top);
    }
    for (const Column& column : {kNumber, kSummary, kDelivered, kReceived})
        pen.vline(left + column.left, tableTop, top);
    pen.vline(left, tableTop, top);
    pen.vline(right, tableTop, top);

    if (page.totals) {
        int t = top + 40;
        pen.font(kBody, 10);
        pen.text(left, t, QStringLiteral("期初余额：") + money(s.openingCents));
        pen.text(left + 620, t, QStringLiteral("本期发货：") + money(s.deliveredCents));
        pen.text(left + 1240, t, QStringLiteral("本期收款：") + money(s.receivedCents));
        t += kRowHeight + 10;
        pen.font(kHeading, 11, true);
        pen.text(left, t, QStringLiteral("期末应收余额：") + money(s.closingCents));
        t += kRowHeight + 10;
        pen.font(kBody, 10);
        pen.fittedText(left, t, kTableWidth,
                       QStringLiteral("大写：") + entry::AmountToChineseCapitals(centsText(s.closingCents)));
        t += 2 * kRowHeight + 20;
        const int signRight = left + 900;
        pen.text(left, t, QStringLiteral("对账单位（盖章）："));
        pen.text(signRight, t, QStringLiteral("客户确认（盖章）："));
        pen.hline(left + 380, left + 820, t + 50);
        pen.hline(signRight + 380, right, t + 50);
        t += kRowHeight + 25;
        pen.text(left, t, QStringLiteral("日期："));
        pen.text(signRight, t, QStringLiteral("日期："));
        pen.hline(left + 130, left + 820, t + 50);
        pen.hline(signRight + 130, right, t + 50);
    }

    pen.font(kBody, 9);
    pen.centredText(kPageWidth / 2, kPageHeight - kMargin - 50,
                    QStringLiteral("第 %1 页 共 %2 页").arg(index + 1).arg(pageCount()));
}

void StatementDocument::drawAll(print::PrintDevice& device, bool jobStarted) const {
    for (int i = 0; i < pageCount(); ++i) {
        if (jobStarted || i > 0)
            device.newPage();
        drawPage(device, i);
    }
}

} // namespace accounts
