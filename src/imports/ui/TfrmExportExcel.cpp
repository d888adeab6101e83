#include "imports/ui/TfrmExportExcel.h"

#include "core/AppContext.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace imports {

namespace {
constexpr qint64 progressInterval = 100; // ms
}

TfrmExportExcel::TfrmExportExcel(core::AppContext& app, QAbstractItemModel* model, QVector<int> columns,
                                 const QString& title, QWidget* grid, QWidget* parent)
    : QDialog(parent), m_app(app), m_model(model), m_columns(std::move(columns)), m_title(title),
      m_grid(grid) {
    setObjectName(QStringLiteral("TfrmExportExcel"));
    setWindowTitle(QStringLiteral("青木鸟软件-导出-") + title);

    lbHead = new QLabel(QStringLiteral("准备要导出:"), this);
    lbHead->setObjectName(QStringLiteral("lbHead"));
    lbN = new QLabel(QStringLiteral("0"), this);
    lbN->setObjectName(QStringLiteral("lbN"));
    lbALL = new QLabel(QStringLiteral("0"), this);
    lbALL->setObjectName(QStringLiteral("lbALL"));
    btStart = new QPushButton(QStringLiteral("开始导出"), this);
    btStart->setObjectName(QStringLiteral("btStart"));
    btAbort = new QPushButton(QStringLiteral("中止导出"), this);
    btAbort->setObjectName(QStringLiteral("btAbort"));
    btClose = new QPushButton(QStringLiteral("关  闭"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* counters = new QHBoxLayout;
    counters->addWidget(lbHead);
    counters->addWidget(lbN);
    counters->addWidget(new QLabel(QStringLiteral("/"), this));
    counters->addWidget(lbALL);
    counters->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btStart);
    buttons->addWidget(btAbort);
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(counters);
    layout->addLayout(buttons);

    connect(btStart, &QPushButton::clicked, this, &TfrmExportExcel::btStartClick);
    connect(btAbort, &QPushButton::clicked, this, &TfrmExportExcel::btAbortClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmExportExcel::btCloseClick);
}

void TfrmExportExcel::btStartClick() {
    m_abort = false;
    m_running = true;
    m_done = 0;
    lbHead->setText(QStringLiteral("正在导出第:"));
    btStart->setEnabled(false);
    GridExport exporter(m_app.dialogs(), m_model, m_columns, m_title);
    if (m_opener)
        exporter.setOpener(m_opener);
    if (m_grid)
        m_grid->setUpdatesEnabled(false);
    m_outcome = exporter.run([this](int total) { lbALL->setText(QString::number(total)); },
                             [this](int done) { return rowDone(done); });
    lbN->setText(QString::number(m_done));
    if (m_grid)
        m_grid->setUpdatesEnabled(true);
    m_savedPath = exporter.savedPath();
    m_running = false;
    close();
}

bool TfrmExportExcel::rowDone(int done) {
    // Showing every row and serving events every few rows cost as much as writing the rows; the
    // count and the abort button are served from the first row on, then ten times a second.
    m_done = done;
    if (done == 1 || m_sinceShown.hasExpired(progressInterval)) {
        lbN->setText(QString::number(done));
        QCoreApplication::processEvents();
        m_sinceShown.start();
    }
    return !m_abort;
}

void TfrmExportExcel::btAbortClick() {
    m_abort = true;
}

void TfrmExportExcel::btCloseClick() {
    close();
}

void TfrmExportExcel::closeEvent(QCloseEvent* event) {
    // Closing during a run stops it; the run closes the window once the workbook is saved.
    if (m_running) {
        m_abort = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace imports
