#include "templates/ui/Tfm_PrintPreview.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "print/ItemPlan.h"
#include "print/PrintGeometry.h"
#include "print/ScreenCanvas.h"
#include "print/TextCellCanvas.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace templates::ui {

namespace {

constexpr int kOuterCmX = 15;
constexpr int kOuterCmY = 10;
constexpr int kInnerCmX = 24;
constexpr int kInnerCmY = 20;
constexpr int kTick = 6;

QSpinBox* moveBox(const QString& name, int stored, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(qMin(-1500, stored), qMax(1500, stored));
    box->setSingleStep(5);
    box->setValue(stored);
    return box;
}

} // namespace

PreviewPaper::PreviewPaper(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreviewPaper"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xD8, 0xD8, 0xD8));
    setPalette(p);
    updateSize();
}

int PreviewPaper::toPixelsX(int tenths) const {
    return print::PrintGeometry::tenthsToPixels(tenths, logicalDpiX());
}

int PreviewPaper::toPixelsY(int tenths) const {
    return print::PrintGeometry::tenthsToPixels(tenths, logicalDpiY());
}

void PreviewPaper::setShift(int x, int y) {
    m_shiftX = x;
    m_shiftY = y;
    updateSize();
    update();
}

QPoint PreviewPaper::paperOrigin() const {
    return {kOriginX + toPixelsX(m_shiftX), kOriginY + toPixelsY(m_shiftY)};
}

void PreviewPaper::updateSize() {
    const int w = m_plan ? qMax(m_plan->paperWidth, kInnerCmX * 100) : kInnerCmX * 100;
    const int h = m_plan ? qMax(m_plan->paperHeight, kInnerCmY * 100) : kInnerCmY * 100;
    const QPoint o = paperOrigin();
    setMinimumSize(qMax(kOriginX + toPixelsX(kOuterCmX * 100) + 120, o.x() + toPixelsX(w) + 40),
                   qMax(kOriginY + toPixelsY(kOuterCmY * 100) + 40, o.y() + toPixelsY(h) + 40));
    resize(minimumSize());
}

void PreviewPaper::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    const QPoint o = paperOrigin();

    // Outer rulers: the drawing area, from which the offset moves the paper.
    painter.setPen(Qt::darkBlue);
    painter.drawLine(kOriginX, 16, kOriginX + toPixelsX(kOuterCmX * 100), 16);
    for (int cm = 0; cm <= kOuterCmX; ++cm) {
        const int x = kOriginX + toPixelsX(cm * 100);
        painter.drawLine(x, 16, x, 16 + kTick);
        QString label = QString::number(cm);
        if (cm == 0)
            label += QStringLiteral("cm");
        else if (cm == kOuterCmX)
            label += QStringLiteral("cm(整体偏移)");
        painter.drawText(x + 2, 12, label);
    }
    painter.drawLine(20, kOriginY, 20, kOriginY + toPixelsY(kOuterCmY * 100));
    for (int cm = 0; cm <= kOuterCmY; ++cm) {
        const int y = kOriginY + toPixelsY(cm * 100);
        painter.drawLine(20, y, 20 + kTick, y);
        painter.drawText(2, y + 4, QString::number(cm));
    }

    if (!m_plan)
        return;
    // The paper, and the inner rulers along its top and left edges: items sit relative to them.
    const QSize paper(toPixelsX(m_plan->paperWidth), toPixelsY(m_plan->paperHeight));
    if (!paper.isEmpty())
        painter.fillRect(QRect(o, paper), Qt::white);
    painter.setPen(Qt::darkRed);
    for (int cm = 0; cm <= kInnerCmX; ++cm) {
        const int x = o.x() + toPixelsX(cm * 100);
        painter.drawLine(x, o.y() - kTick, x, o.y());
        painter.drawText(x + 2, o.y() - kTick - 1, cm == 0 ? QStringLiteral("0cm") : QString::number(cm));
    }
    for (int cm = 0; cm <= kInnerCmY; ++cm) {
        const int y = o.y() + toPixelsY(cm * 100);
        painter.drawLine(o.x() - kTick, y, o.x(), y);
        if (cm > 0)
            painter.drawText(o.x() - kTick - 16, y + 4, QString::number(cm));
    }

    painter.translate(o);
    if (m_textMode) {
        paintTextMode(painter);
        return;
    }
    print::ScreenCanvas canvas(painter, logicalDpiX(), logicalDpiY());
    print::ItemPlan::draw(m_plan->ops, canvas);
}

void PreviewPaper::setTextMode(bool on, const print::TextModeSettings& settings) {
    m_textMode = on;
    m_textSettings = settings;
    update();
}

void PreviewPaper::paintTextMode(QPainter& painter) {
    print::TextCellCanvas cells(m_textSettings);
    print::ItemPlan::draw(m_plan->ops, cells);
    const double px = logicalDpiX() / 3600.0;
    const double py = logicalDpiY() / 3600.0;
    // A character of the normal size fills a cell of 1/6 inch high; other sizes scale it.
    QFont face(QStringLiteral("Noto Sans Mono CJK SC"));
    face.setStyleHint(QFont::Monospace);
    const double lineHeight = 600 * py;
    face.setPixelSize(qMax(4, int(lineHeight * 0.8)));
    painter.setFont(face);
    const QColor grid(0x70, 0x90, 0xC0, 70);
    for (const print::TextCellCanvas::Cell& c : cells.cells()) {
        const QRectF cell(c.x * px, c.y * py, c.width * px, c.height * py);
        painter.setPen(QPen(grid, 0));
        painter.drawRect(cell);
        const bool wide = c.character.at(0).unicode() > 0x7f || c.character.size() > 1;
        const double normalWidth =
            print::EscpTextDevice::cellWidth3600(print::EscpTextDevice::Size::Normal, wide) * px;
        painter.save();
        painter.translate(cell.topLeft());
        painter.scale(cell.width() / normalWidth, cell.height() / lineHeight);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, normalWidth, lineHeight), Qt::AlignCenter, c.character);
        painter.restore();
    }
}

Tfm_PrintPreview::Tfm_PrintPreview(core::AppContext& app, int checkTypeId, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("Tfm_PrintPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    try {
        m_plan = PreviewPlan::load(app.db(), checkTypeId);
    } catch (const core::DbError& e) {
        app.dialogs().message(e.message());
    }
    if (!m_plan.found) {
        app.dialogs().message(QStringLiteral("没有找到对应的单据信息~"));
    }
    buildWindow();
    loadGrid();
    moveChanged();
    // Opens as the current printer prints.
    const print::TextModeSettings printer =
        print::TextModeSettings::read(app.userIni(), app.currentPrinter());
    ckTextMode->setChecked(printer.mode == print::TextModeSettings::Mode::Text);
}

void Tfm_PrintPreview::buildWindow() {
    LbTitle = new QLabel(QStringLiteral("【") + m_plan.fullName + QStringLiteral("】打印预览"), this);
    LbTitle->setObjectName(QStringLiteral("LbTitle"));
    QFont big = LbTitle->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    LbTitle->setFont(big);

    XMove = moveBox(QStringLiteral("XMove"), m_plan.xMove, this);
    YMove = moveBox(QStringLiteral("YMove"), m_plan.yMove, this);
    edtMoveX = new QLineEdit(this);
    edtMoveX->setObjectName(QStringLiteral("edtMoveX"));
    edtMoveY = new QLineEdit(this);
    edtMoveY->setObjectName(QStringLiteral("edtMoveY"));
    for (QLineEdit* e : {edtMoveX, edtMoveY}) {
        e->setReadOnly(true);
        e->setMaximumWidth(60);
    }
    ckNoMoveXY = new QCheckBox(QStringLiteral("忽略整体偏移预览"), this);
    ckNoMoveXY->setObjectName(QStringLiteral("ckNoMoveXY"));
    // Offered for every printer: a clerk choosing text mode sees first how the form will look.
    ckTextMode = new QCheckBox(QStringLiteral("文本模式效果"), this);
    ckTextMode->setObjectName(QStringLiteral("ckTextMode"));
    ckTextMode->setToolTip(QStringLiteral("按针式打印机文本方式显示：每个字在打印机字库的固定格子里，"
                                          "不打印表格线和图片"));
    btEditPreviewData = new QPushButton(QStringLiteral("修改预览数据"), this);
    btEditPreviewData->setObjectName(QStringLiteral("btEditPreviewData"));
    btClose = new QPushButton(QStringLiteral("关  闭"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    dbgPreviewData = new QTableWidget(0, 4, this);
    dbgPreviewData->setObjectName(QStringLiteral("dbgPreviewData"));
    dbgPreviewData->setHorizontalHeaderLabels(
        {QStringLiteral("ID"), QStringLiteral("CtlName"), QStringLiteral("项目名"), QStringLiteral("内容")});
    dbgPreviewData->setColumnHidden(0, true);
    dbgPreviewData->setColumnHidden(1, true);
    dbgPreviewData->setColumnWidth(2, 80);
    dbgPreviewData->setColumnWidth(3, 400);
    dbgPreviewData->verticalHeader()->hide();
    dbgPreviewData->setMinimumWidth(500);
    dbgPreviewData->hide();
    dbgPreviewData->installEventFilter(this);

    m_paper = new PreviewPaper;
    m_paper->setPlan(&m_plan);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_paper);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("整体右移："), this));
    bar->addWidget(XMove);
    bar->addWidget(edtMoveX);
    bar->addWidget(new QLabel(QStringLiteral("厘米  整体下移："), this));
    bar->addWidget(YMove);
    bar->addWidget(edtMoveY);
    bar->addWidget(new QLabel(QStringLiteral("厘米"), this));
    bar->addWidget(ckNoMoveXY);
    bar->addWidget(ckTextMode);
    bar->addStretch();
    bar->addWidget(btEditPreviewData);
    bar->addWidget(btClose);
    auto* body = new QHBoxLayout;
    body->addWidget(dbgPreviewData);
    body->addWidget(m_scroll, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LbTitle);
    layout->addLayout(bar);
    layout->addLayout(body, 1);
    resize(1200, 720);

    connect(XMove, &QSpinBox::valueChanged, this, &Tfm_PrintPreview::moveChanged);
    connect(YMove, &QSpinBox::valueChanged, this, &Tfm_PrintPreview::moveChanged);
    connect(ckNoMoveXY, &QCheckBox::toggled, this, &Tfm_PrintPreview::ckNoMoveXYClick);
    connect(ckTextMode, &QCheckBox::toggled, this, &Tfm_PrintPreview::ckTextModeClick);
    connect(btEditPreviewData, &QPushButton::clicked, this, &Tfm_PrintPreview::btEditPreviewDataClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    connect(dbgPreviewData, &QTableWidget::cellChanged, this, &Tfm_PrintPreview::testValueEdited);
}

void Tfm_PrintPreview::loadGrid() {
    if (!m_plan.found)
        return;
    m_loading = true;
    dbgPreviewData->setRowCount(0);
    try {
        core::Recordset rs = m_app.db().query(
            QStringLiteral("select ID,CtlName,CtlLabel as 项目名,ctlData as 内容 from NameDict where "
                           "CheckTypeName=:kind order by ShowOrd DESC"),
            {{QStringLiteral("kind"), m_plan.kind}});
        dbgPreviewData->setRowCount(rs.recordCount());
        int row = 0;
        for (rs.first(); !rs.eof(); rs.next(), ++row) {
            for (int c = 0; c < 4; ++c) {
                auto* cell = new QTableWidgetItem(rs.text(c));
                if (c != 3)
                    cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
                dbgPreviewData->setItem(row, c, cell);
            }
        }
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
    }
    m_loading = false;
}

void Tfm_PrintPreview::testValueEdited(int row, int column) {
    if (m_loading || column != 3)
        return;
    try {
        m_app.db().exec(QStringLiteral("update NameDict set CtlData=:v where ID=:id"),
                        {{QStringLiteral("v"), dbgPreviewData->item(row, 3)->text()},
                         {QStringLiteral("id"), dbgPreviewData->item(row, 0)->text().toLongLong()}});
        redraw();
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
    }
}

bool Tfm_PrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dbgPreviewData && event->type() == QEvent::FocusOut)
        redraw();
    return QDialog::eventFilter(watched, event);
}

void Tfm_PrintPreview::redraw() {
    try {
        m_plan.replan(m_app.db());
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
    }
    m_paper->update();
}

void Tfm_PrintPreview::moveChanged() {
    edtMoveX->setText(QString::number(XMove->value() / 100.0));
    edtMoveY->setText(QString::number(YMove->value() / 100.0));
    if (ckNoMoveXY->isChecked())
        m_paper->setShift(0, 0);
    else
        m_paper->setShift(XMove->value(), YMove->value());
}

void Tfm_PrintPreview::ckNoMoveXYClick() {
    moveChanged();
}

void Tfm_PrintPreview::ckTextModeClick() {
    // The current printer's units and character set; a printer in graphics mode shows the
    // default text settings.
    m_paper->setTextMode(ckTextMode->isChecked(),
                         print::TextModeSettings::read(m_app.userIni(), m_app.currentPrinter()));
}

void Tfm_PrintPreview::btEditPreviewDataClick() {
    dbgPreviewData->setVisible(!dbgPreviewData->isVisible());
    if (!dbgPreviewData->isVisible())
        redraw();
}

} // namespace templates::ui
