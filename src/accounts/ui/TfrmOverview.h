#pragma once

#include "accounts/Ledger.h"

#include <QDate>
#include <QDialog>
#include <QImage>
#include <QString>
#include <QVector>

#include <array>
#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QChart;
class QChartView;
class QBarSet;

namespace core {
class AppContext;
}
namespace print {
class PrintDevice;
}

namespace accounts::ui {

// What a clicked bar stands for, as the history filters notes: the days (an invalid `from`:
// any day), a customer, a product (货号, else 商品名).
struct HistoryPick {
    QDate from, to;
    QString customer;
    QString productCode;
    QString productName;
};

// A customer's receivable split by age (0–30, 31–60, 61–90, over 90 days), in cents.
using AgedBalance = Ledger::Receivable;

// "经营概况": four charts of the business — sales per month against the year before, the top
// ten customers and products of a period, and who owes most by age. Every figure comes from the
// kept totals (SalesOverview) and the receivables the program hands in, so opening it never
// reads the notes. Each chart saves as PNG and prints as a picture on the program's printer; a
// bar opens the history on what it stands for.
class TfrmOverview final : public QDialog {
    Q_OBJECT
public:
    enum Chart { Months, Customers, Products, Receivables, ChartCount };
    enum class Span { ThisMonth, LastMonth, ThisYear, Range };

    using HistoryOpener = std::function<void(const HistoryPick&)>;
    using ReceivablesSource = std::function<QVector<AgedBalance>(QDate asOf)>;

    // Without an opener bars open nothing; without receivables the fourth chart says so. The
    // program hands in Ledger::receivables.
    TfrmOverview(core::AppContext& app, print::PrintDevice& device, const QString& printer,
                 HistoryOpener opener, ReceivablesSource receivables, QWidget* parent = nullptr);
    ~TfrmOverview() override;
    Q_DISABLE_COPY_MOVE(TfrmOverview)

    QChart* chart(Chart which) const;
    QChartView* view(Chart which) const { return m_views[which]; }
    // The period of the customer and product charts; the range is used with Span::Range.
    void setSpan(Span span, QDate from = {}, QDate to = {});
    void setMonthCount(int months); // 12 or 24
    // "Today" of the periods and ages; the current date unless a test fixes it.
    void setToday(QDate today);
    // Reads every figure again and draws the four charts.
    void refresh();
    // The days of the current period (inclusive).
    QDate spanFrom() const { return m_from; }
    QDate spanTo() const { return m_to; }

    QImage render(Chart which, const QSize& size) const;
    // "保存图片": a PNG through the program's file dialog; false when cancelled or not written.
    bool savePng(Chart which);
    // "打印": the chart as a picture filling the printable area, one page.
    bool printChart(Chart which);

protected:
    void done(int result) override;

private:
    void build();
    void spanChosen();
    void drawMonths();
    // The top ten customers or products of the period.
    void drawTopTen(Chart which);
    void drawReceivables();
    // `earlier`: the month chart's bar of the year before.
    void barClicked(Chart which, int index, bool earlier = false);
    QSize shownSize(Chart which) const;
    void open(const HistoryPick& pick);

    core::AppContext& m_app;
    print::PrintDevice& m_device;
    QString m_printer;
    HistoryOpener m_opener;
    ReceivablesSource m_receivables;

    QComboBox* m_span = nullptr;
    QComboBox* m_monthCount = nullptr;
    QDateEdit* m_fromEdit = nullptr;
    QDateEdit* m_toEdit = nullptr;
    std::array<QChartView*, ChartCount> m_views{};

    QDate m_today;
    QDate m_from, m_to;
    int m_months = 12;
    QDate m_firstMonth;
    // What each bar stands for, by chart, in the order of the categories.
    QVector<HistoryPick> m_customerPicks, m_productPicks, m_receivablePicks;
};

} // namespace accounts::ui
