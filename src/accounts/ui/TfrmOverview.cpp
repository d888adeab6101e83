#include "accounts/ui/TfrmOverview.h"

#include "accounts/SalesOverview.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/Dialogs.h"
#include "core/ui/FormFace.h"
#include "print/PrintDevice.h"
#include "print/PrintError.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cstdlib>

namespace accounts::ui {

namespace {

const char* const kTitles[] = {"每月销售额，本期与上年同期", "顾客销售额前十名", "商品销售额前十名",
                               "应收账款（按账龄）"};
const char* const kFiles[] = {"每月销售额", "顾客前十名", "商品前十名", "应收账款"};
const char* const kAges[] = {"0–30天", "31–60天", "61–90天", "90天以上"};
constexpr int kTop = 10;

// The value axis counts in 元, or in 万元 once bars reach a million 元, so labels stay short.
struct Unit {
    double cents;
    QString name;
};
Unit unitFor(qint64 largestCents) {
    return std::llabs(largestCents) >= 100000000LL ? Unit{1000000.0, QStringLiteral("万元")}
                                                   : Unit{100.0, QStringLiteral("元")};
}

QValueAxis* valueAxis(const Unit& unit) {
    auto* axis = new QValueAxis;
    axis->setTitleText(QStringLiteral("金额（") + unit.name + QStringLiteral("）"));
    axis->setLabelFormat(unit.name == QStringLiteral("元") ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    return axis;
}

QChart* freshChart(QChartView* view, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
    return chart;
}

void finish(QChart* chart, QAbstractSeries* series, QBarCategoryAxis* categories, QValueAxis* values,
            bool horizontal) {
    // Names are short enough (shortName); eliding would leave "…" alone beside a bar.
    categories->setTruncateLabels(false);
    // Ten names in a quarter of the window: the axis hides labels that would touch.
    QFont small = categories->labelsFont();
    small.setPointSizeF(horizontal ? 8 : 8.5);
    categories->setLabelsFont(small);
    chart->addSeries(series);
    chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(values);
    values->applyNiceNumbers();
    if (values->min() > 0)
        values->setMin(0);
}

QString shortName(const QString& name) {
    return name.size() > 14 ? name.left(13) + QStringLiteral("…") : name;
}

} // namespace

TfrmOverview::TfrmOverview(core::AppContext& app, print::PrintDevice& device, const QString& printer,
                           HistoryOpener opener, ReceivablesSource receivables, QWidget* parent)
    : QDialog(parent), m_app(app), m_device(device), m_printer(printer), m_opener(std::move(opener)),
      m_receivables(std::move(receivables)), m_today(QDate::currentDate()) {
    setObjectName(QStringLiteral("frmOverview"));
    setWindowTitle(QStringLiteral("经营概况"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    build();
    // Fits a 1366×768 screen with the task bar; the stored size wins.
    resize(1300, 690);
    core::ui::FormFace::load(m_app.userIni(), *this);
    setSpan(Span::ThisMonth);
}

TfrmOverview::~TfrmOverview() = default;

void TfrmOverview::build() {
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("月份数："), this));
    m_monthCount = new QComboBox(this);
    m_monthCount->setObjectName(QStringLiteral("cbMonthCount"));
    m_monthCount->addItems({QStringLiteral("近12个月"), QStringLiteral("近24个月")});
    top->addWidget(m_monthCount);
    top->addSpacing(24);
    top->addWidget(new QLabel(QStringLiteral("排名期间："), this));
    m_span = new QComboBox(this);
    m_span->setObjectName(QStringLiteral("cbSpan"));
    m_span->addItems(
        {QStringLiteral("本月"), QStringLiteral("上月"), QStringLiteral("本年"), QStringLiteral("日期范围")});
    top->addWidget(m_span);
    m_fromEdit = new QDateEdit(this);
    m_fromEdit->setObjectName(QStringLiteral("dtFrom"));
    m_fromEdit->setCalendarPopup(true);
    m_toEdit = new QDateEdit(this);
    m_toEdit->setObjectName(QStringLiteral("dtTo"));
    m_toEdit->setCalendarPopup(true);
    top->addWidget(m_fromEdit);
    top->addWidget(new QLabel(QStringLiteral("到"), this));
    top->addWidget(m_toEdit);
    auto* refreshButton = new QPushButton(QStringLiteral("刷新(&R)"), this);
    refreshButton->setObjectName(QStringLiteral("btRefresh"));
    top->addWidget(refreshButton);
    top->addStretch(1);
    auto* hint = new QLabel(QStringLiteral("点击柱条可查看对应的出货单"), this);
    hint->setStyleSheet(QStringLiteral("color: gray"));
    top->addWidget(hint);
    auto* closeButton = new QPushButton(QStringLiteral("关闭(&C)"), this);
    closeButton->setObjectName(QStringLiteral("btClose"));
    top->addWidget(closeButton);

    auto* grid = new QGridLayout;
    grid->setSpacing(6);
    for (int i = 0; i < ChartCount; ++i) {
        auto* view = new QChartView(this);
        view->setObjectName(QStringLiteral("chart%1").arg(i));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(300, 200);
        view->chart()->setAnimationOptions(QChart::NoAnimation);
        m_views[i] = view;
        auto* save = new QPushButton(QStringLiteral("保存图片"), this);
        save->setObjectName(QStringLiteral("btSave%1").arg(i));
        auto* print = new QPushButton(QStringLiteral("打印"), this);
        print->setObjectName(QStringLiteral("btPrint%1").arg(i));
        const auto which = Chart(i);
        connect(save, &QPushButton::clicked, this, [this, which] { savePng(which); });
        connect(print, &QPushButton::clicked, this, [this, which] { printChart(which); });
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(save);
        buttons->addWidget(print);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(view, 1);
        cell->addLayout(buttons);
        grid->addLayout(cell, i / 2, i % 2);
    }
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addLayout(grid, 1);

    connect(m_monthCount, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_months = index == 1 ? 24 : 12;
        drawMonths();
    });
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] { spanChosen(); });
    connect(refreshButton, &QPushButton::clicked, this, [this] {
        spanChosen();
        refresh();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

QChart* TfrmOverview::chart(Chart which) const {
    return m_views[which]->chart();
}

void TfrmOverview::setToday(QDate today) {
    m_today = today;
    spanChosen();
}

void TfrmOverview::setMonthCount(int months) {
    m_monthCount->setCurrentIndex(months == 24 ? 1 : 0);
}

void TfrmOverview::setSpan(Span span, QDate from, QDate to) {
    if (span == Span::Range) {
        const QSignalBlocker quietFrom(m_fromEdit), quietTo(m_toEdit);
        m_fromEdit->setDate(from);
        m_toEdit->setDate(to);
    }
    const QSignalBlocker quiet(m_span);
    m_span->setCurrentIndex(int(span));
    spanChosen();
    refresh();
}

void TfrmOverview::spanChosen() {
    const Span span = Span(m_span->currentIndex());
    const QDate month(m_today.year(), m_today.month(), 1);
    switch (span) {
    case Span::ThisMonth:
        m_from = month;
        m_to = month.addMonths(1).addDays(-1);
        break;
    case Span::LastMonth:
        m_from = month.addMonths(-1);
        m_to = month.addDays(-1);
        break;
    case Span::ThisYear:
        m_from = QDate(m_today.year(), 1, 1);
        m_to = QDate(m_today.year(), 12, 31);
        break;
    case Span::Range:
        m_from = m_fromEdit->date();
        m_to = m_toEdit->date();
        if (m_to < m_from)
            std::swap(m_from, m_to);
        break;
    }
    const bool range = span == Span::Range;
    m_fromEdit->setEnabled(range);
    m_toEdit->setEnabled(range);
    if (!range) {
        const QSignalBlocker quietFrom(m_fromEdit), quietTo(m_toEdit);
        m_fromEdit->setDate(m_from);
        m_toEdit->setDate(m_to);
    }
    drawTopTen(Customers);
    drawTopTen(Products);
}

void TfrmOverview::refresh() {
    drawMonths();
    drawTopTen(Customers);
    drawTopTen(Products);
    drawReceivables();
}

void TfrmOverview::drawMonths() {
    m_firstMonth = QDate(m_today.year(), m_today.month(), 1).addMonths(1 - m_months);
    const QString title = QString::fromUtf8(kTitles[Months]) + QStringLiteral("（") +
                          m_firstMonth.toString(QStringLiteral("yyyy年M月")) + QStringLiteral(" 至 ") +
                          m_firstMonth.addMonths(m_months - 1).toString(QStringLiteral("yyyy年M月")) +
                          QStringLiteral("）");
    QChart* chart = freshChart(m_views[Months], title);
    QVector<qint64> now, before;
    try {
        const SalesOverview sales(m_app.db());
        now = sales.months(m_firstMonth, m_months);
        before = sales.months(m_firstMonth.addYears(-1), m_months);
    } catch (const core::DbError& e) {
        chart->setTitle(title + QStringLiteral("：读取失败，") + e.message());
        return;
    }
    qint64 largest = 0;
    for (const QVector<qint64>* v : {&now, &before})
        for (qint64 c : *v)
            largest = std::max(largest, std::llabs(c));
    const Unit unit = unitFor(largest);
    auto* series = new QBarSeries;
    auto* current = new QBarSet(QStringLiteral("本期"));
    auto* earlier = new QBarSet(QStringLiteral("上年同期"));
    QStringList labels;
    for (int i = 0; i < m_months; ++i) {
        const QDate month = m_firstMonth.addMonths(i);
        // The month alone (the title names the years): a label wider than a bar's room, as
        // "26年1月" is at twelve months, is left out by the axis.
        labels << month.toString(QStringLiteral("M月"));
        *current << now.value(i) / unit.cents;
        *earlier << before.value(i) / unit.cents;
    }
    earlier->setColor(QColor(0xb0, 0xc4, 0xde));
    current->setColor(QColor(0x2e, 0x6d, 0xb4));
    series->append(current);
    series->append(earlier);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    finish(chart, series, categories, valueAxis(unit), false);
    chart->legend()->setAlignment(Qt::AlignTop);
    connect(series, &QBarSeries::clicked, this,
            [this, earlier](int index, QBarSet* set) { barClicked(Months, index, set == earlier); });
    for (QBarSet* set : {current, earlier}) {
        const bool isNow = set == current;
        connect(set, &QBarSet::hovered, this, [this, isNow, now, before](bool on, int index) {
            if (!on)
                return;
            const QDate month = m_firstMonth.addMonths(index).addYears(isNow ? 0 : -1);
            QToolTip::showText(QCursor::pos(), month.toString(QStringLiteral("yyyy年M月：")) +
                                                   centsText((isNow ? now : before).value(index)) +
                                                   QStringLiteral(" 元"));
        });
    }
}

namespace {

// A horizontal ranking, largest at the top (the category axis runs bottom-up).
template <typename Series>
Series* ranking(QChart* chart, const QStringList& names, const QVector<QVector<qint64>>& values,
                const QStringList& setNames, QObject* context,
                const std::function<void(int, QBarSet*)>& clicked,
                const std::function<QString(int row, int set)>& tip) {
    qint64 largest = 0;
    for (const auto& row : values) {
        qint64 sum = 0;
        for (qint64 c : row)
            sum += c;
        largest = std::max(largest, std::llabs(sum));
    }
    const Unit unit = unitFor(largest);
    auto* series = new Series;
    const int rows = int(names.size());
    for (int s = 0; s < setNames.size(); ++s) {
        auto* set = new QBarSet(setNames.at(s));
        for (int r = rows - 1; r >= 0; --r)
            *set << values.at(r).value(s) / unit.cents;
        series->append(set);
        QObject::connect(set, &QBarSet::hovered, context, [tip, rows, s](bool on, int index) {
            if (on)
                QToolTip::showText(QCursor::pos(), tip(rows - 1 - index, s));
        });
    }
    QStringList labels;
    for (int r = rows - 1; r >= 0; --r)
        labels << shortName(names.at(r));
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    finish(chart, series, categories, valueAxis(unit), true);
    QObject::connect(series, &Series::clicked, context,
                     [clicked, rows](int index, QBarSet* set) { clicked(rows - 1 - index, set); });
    return series;
}

} // namespace

void TfrmOverview::drawTopTen(Chart which) {
    const bool customers = which == Customers;
    const QString title = QString::fromUtf8(kTitles[which]) + QStringLiteral("（") +
                          m_from.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 至 ") +
                          m_to.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("）");
    QChart* chart = freshChart(m_views[which], title);
    QVector<HistoryPick>& picks = customers ? m_customerPicks : m_productPicks;
    picks.clear();
    QVector<RankedSales> top;
    try {
        const SalesOverview overview(m_app.db());
        top =
            customers ? overview.topCustomers(m_from, m_to, kTop) : overview.topProducts(m_from, m_to, kTop);
    } catch (const core::DbError& e) {
        chart->setTitle(title + QStringLiteral("：读取失败，") + e.message());
        return;
    }
    QStringList names;
    QVector<QVector<qint64>> values;
    for (const RankedSales& r : top) {
        names << r.label;
        values << QVector<qint64>{r.cents};
        picks << (customers ? HistoryPick{m_from, m_to, r.name, {}, {}}
                            : HistoryPick{m_from, m_to, {}, r.code, r.name});
    }
    ranking<QHorizontalBarSeries>(
        chart, names, values, {QStringLiteral("销售额")}, this,
        [this, which](int row, QBarSet*) { barClicked(which, row); },
        [top](int row, int) {
            const RankedSales& r = top.at(row);
            // A product's code follows its name where the two differ.
            return r.label +
                   (r.code.isEmpty() || r.code == r.label
                        ? QString()
                        : QStringLiteral("（") + r.code + QStringLiteral("）")) +
                   QStringLiteral("：") + centsText(r.cents) + QStringLiteral(" 元");
        });
    chart->legend()->hide();
    if (top.isEmpty())
        chart->setTitle(title + QStringLiteral("：没有销售"));
}

void TfrmOverview::drawReceivables() {
    const QString title = QString::fromUtf8(kTitles[Receivables]) + QStringLiteral("（截至 ") +
                          m_today.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("）");
    QChart* chart = freshChart(m_views[Receivables], title);
    m_receivablePicks.clear();
    if (!m_receivables) {
        chart->setTitle(QString::fromUtf8(kTitles[Receivables]) + QStringLiteral("：此功能尚未提供"));
        return;
    }
    QVector<AgedBalance> owing;
    try {
        for (const AgedBalance& b : m_receivables(m_today))
            if (b.totalCents > 0)
                owing << b;
    } catch (const core::DbError& e) {
        chart->setTitle(title + QStringLiteral("：读取失败，") + e.message());
        return;
    }
    std::stable_sort(owing.begin(), owing.end(),
                     [](const AgedBalance& a, const AgedBalance& b) { return a.totalCents > b.totalCents; });
    if (owing.size() > kTop)
        owing.resize(kTop);
    QStringList names;
    QVector<QVector<qint64>> values;
    for (const AgedBalance& b : owing) {
        names << b.customer;
        values << QVector<qint64>{b.ageCents[0], b.ageCents[1], b.ageCents[2], b.ageCents[3]};
        m_receivablePicks << HistoryPick{{}, {}, b.customer, {}, {}};
    }
    QStringList ages;
    for (const char* age : kAges)
        ages << QString::fromUtf8(age);
    auto* series = ranking<QHorizontalStackedBarSeries>(
        chart, names, values, ages, this, [this](int row, QBarSet*) { barClicked(Receivables, row); },
        [owing, ages](int row, int set) {
            const AgedBalance& b = owing.at(row);
            return b.customer + QStringLiteral("\n") + ages.at(set) + QStringLiteral("：") +
                   centsText(b.ageCents[set]) + QStringLiteral(" 元\n合计：") + centsText(b.totalCents) +
                   QStringLiteral(" 元");
        });
    const QColor colors[] = {QColor(0x4c, 0xaf, 0x50), QColor(0xff, 0xc1, 0x07), QColor(0xff, 0x98, 0x00),
                             QColor(0xe5, 0x39, 0x35)};
    for (int i = 0; i < 4; ++i)
        series->barSets().at(i)->setColor(colors[i]);
    // Beside the bars, so ten names keep the height they need.
    chart->legend()->setAlignment(Qt::AlignRight);
    if (owing.isEmpty())
        chart->setTitle(title + QStringLiteral("：没有欠款"));
}

void TfrmOverview::barClicked(Chart which, int index, bool earlier) {
    switch (which) {
    case Months: {
        const QDate month = m_firstMonth.addMonths(index).addYears(earlier ? -1 : 0);
        open(HistoryPick{month, month.addMonths(1).addDays(-1), {}, {}, {}});
        break;
    }
    case Customers:
        open(m_customerPicks.value(index));
        break;
    case Products:
        open(m_productPicks.value(index));
        break;
    case Receivables:
        open(m_receivablePicks.value(index));
        break;
    default:
        break;
    }
}

void TfrmOverview::open(const HistoryPick& pick) {
    if (!m_opener)
        return;
    m_opener(pick);
    // The clerk may have voided or deleted notes there. Drawn again after the click that
    // opened it has finished: its chart is replaced.
    QTimer::singleShot(0, this, &TfrmOverview::refresh);
}

QSize TfrmOverview::shownSize(Chart which) const {
    const QSize shown = m_views[which]->viewport()->size();
    return shown.isEmpty() ? QSize(640, 320) : shown;
}

QImage TfrmOverview::render(Chart which, const QSize& size) const {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QChartView* view = m_views[which];
    view->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), view->viewport()->rect());
    return image;
}

bool TfrmOverview::savePng(Chart which) {
    const QString name = QString::fromUtf8(kFiles[which]) + m_today.toString(QStringLiteral("yyyyMMdd")) +
                         QStringLiteral(".png");
    const QString path =
        m_app.dialogs().saveFileName(QStringLiteral("保存图表"), name, QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty())
        return false;
    const QSize size = shownSize(which) * 2;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !render(which, size).save(&file, "PNG") || !file.commit()) {
        m_app.dialogs().notice(QStringLiteral("图片无法保存到【") + path +
                                   QStringLiteral("】，请检查文件夹是否可写~"),
                               QStringLiteral("提示"));
        return false;
    }
    return true;
}

bool TfrmOverview::printChart(Chart which) {
    try {
        if (!m_printer.isEmpty() && m_device.printerName() != m_printer)
            m_device.selectPrinter(m_printer);
        m_device.setCopies(1);
        m_device.setTitle(QStringLiteral("经营概况 - ") + QString::fromUtf8(kTitles[which]));
        m_device.beginDocument();
        // The picture keeps the chart's proportions, as large as the printable area allows.
        const QSize area = m_device.printableSize();
        const QSize shown = shownSize(which);
        const QSize target = shown.scaled(area, Qt::KeepAspectRatio);
        const QSize pixels = shown.scaled(QSize(2400, 2400), Qt::KeepAspectRatio);
        m_device.drawImage(QRect(QPoint(0, 0), target), render(which, pixels));
        m_device.endDocument();
        return true;
    } catch (const std::exception&) {
        m_device.abort();
        m_app.dialogs().alert(QStringLiteral("打印出错，请检查打印机是否可用！"), QStringLiteral("提示"),
                              false);
        return false;
    }
}

void TfrmOverview::done(int result) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

} // namespace accounts::ui
