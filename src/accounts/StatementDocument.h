#pragma once

#include "accounts/Ledger.h"

#include <QVector>

namespace print {
class PlanCanvas;
class PrintDevice;
} // namespace print

namespace accounts {

// A customer's statement of account laid out on A4 portrait pages: title, our unit, the
// customer and the period on every page, the table head repeated after each break, the
// opening balance on the first page, totals, the closing balance in capitals and the
// signature lines on the last. The layout is in tenths of a millimetre and independent of
// the canvas, so the screen preview and the printer break the pages in the same places.
class StatementDocument {
public:
    // One line of the table: an entry, or one goods line of the entry's note.
    struct Row {
        int entry = 0;
        int goods = -1; // -1: the entry itself
    };
    struct Page {
        QVector<Row> rows;
        bool totals = false; // the last page: totals, capitals and signatures below the table
    };

    // Sizes of the page, in tenths of a millimetre.
    static constexpr int kPageWidth = 2100;
    static constexpr int kPageHeight = 2970;
    static constexpr int kMargin = 150;
    static constexpr int kRowHeight = 55;
    // The heading (title, our unit, customer, period, opening balance) above the table head.
    static constexpr int kHeadingHeight = 330;
    static constexpr int kFooterHeight = 80;
    // The totals block takes the space of this many rows.
    static constexpr int kTotalsRows = 8;
    // Table rows (the head included) that fit on a page.
    static int rowsPerPage();

    StatementDocument(Statement statement, QString ourUnit);

    const Statement& statement() const { return m_statement; }
    const QVector<Page>& pages() const { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }

    // Draws page `index` (from 0) on the canvas, whose origin is its physical offset from the
    // paper's corner.
    void drawPage(print::PlanCanvas& canvas, int index) const;
    // Draws every page on a running job; a new page is started before each but the job's first.
    void drawAll(print::PrintDevice& device, bool jobStarted) const;

    // The summary text of an entry as the table shows it ("出货单 未发货", "收款 转账").
    static QString summary(const StatementEntry& entry);
    static QString goodsText(const GoodsLine& goods);
    // The period as the heading writes it.
    static QString periodText(const Statement& statement);

private:
    void paginate();

    Statement m_statement;
    QString m_ourUnit;
    QVector<Page> m_pages;
};

} // namespace accounts
