#include "print/ui/TfrmMeasuredCalibration.h"

#include "core/AppContext.h"
#include "print/PaperMemory.h"
#include "print/PrintGeometry.h"
#include "print/PrintLookups.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace print::ui {

TfrmMeasuredCalibration::TfrmMeasuredCalibration(core::AppContext& app, PrintDevice& device, QWidget* parent)
    : QDialog(parent), m_app(app), m_device(device) {
    setObjectName(QStringLiteral("TfrmMeasuredCalibration"));
    setWindowTitle(QStringLiteral("打印校准"));
    auto* layout = new QVBoxLayout(this);

    m_printer = new QLabel(this);
    m_printer->setObjectName(QStringLiteral("lbPrinter"));
    layout->addWidget(m_printer);
    auto* directionRow = new QHBoxLayout;
    directionRow->addWidget(new QLabel(QStringLiteral("打印方向："), this));
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("cbDirection"));
    m_direction->addItems({QStringLiteral("纵向"), QStringLiteral("横向")});
    if (app.currentCheckTypeId > 0 &&
        PrintGeometry::isLandscape(PrintLookups::getHXPaperIn(app.db(), app.currentCheckTypeId)))
        m_direction->setCurrentIndex(1);
    directionRow->addWidget(m_direction);
    auto* printPage = new QPushButton(QStringLiteral("打印校准页"), this);
    printPage->setObjectName(QStringLiteral("btPrintPage"));
    directionRow->addWidget(printPage);
    directionRow->addStretch();
    layout->addLayout(directionRow);
    m_stored = new QLabel(this);
    m_stored->setObjectName(QStringLiteral("lbStored"));
    layout->addWidget(m_stored);

    layout->addWidget(new QLabel(
        QStringLiteral("用直尺量出校准页上每个十字中心距纸张左边、上边的距离（毫米），按编号填入："), this));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("十字"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("距左边"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("距上边"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("残差"), this), 0, 3);
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::number(i + 1), this), i + 1, 0);
        for (int axis = 0; axis < 2; ++axis) {
            auto* box = new QDoubleSpinBox(this);
            box->setObjectName((axis == 0 ? QStringLiteral("edX") : QStringLiteral("edY")) +
                               QString::number(i + 1));
            box->setRange(0, 999.9);
            box->setDecimals(1);
            box->setSingleStep(0.5);
            box->setSuffix(QStringLiteral(" 毫米"));
            // Start from where the cross should be: the clerk corrects what the ruler says.
            const QPointF k = MeasuredCalibration::kCrosses[i];
            box->setValue(axis == 0 ? k.x() : k.y());
            m_measured[i * 2 + axis] = box;
            grid->addWidget(box, i + 1, axis + 1);
        }
        m_residual[i] = new QLabel(this);
        m_residual[i]->setObjectName(QStringLiteral("lbResidual") + QString::number(i + 1));
        grid->addWidget(m_residual[i], i + 1, 3);
    }
    layout->addLayout(grid);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lbResult"));
    m_result->setWordWrap(true);
    m_result->setMinimumHeight(60);
    layout->addWidget(m_result);

    auto* buttons = new QHBoxLayout;
    auto* solve = new QPushButton(QStringLiteral("计算"), this);
    solve->setObjectName(QStringLiteral("btSolve"));
    m_save = new QPushButton(QStringLiteral("保存校准"), this);
    m_save->setObjectName(QStringLiteral("btSave"));
    m_save->setEnabled(false);
    auto* clear = new QPushButton(QStringLiteral("清除校准"), this);
    clear->setObjectName(QStringLiteral("btClear"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btClose"));
    buttons->addWidget(solve);
    buttons->addWidget(m_save);
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(printPage, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btPrintPageClick);
    connect(solve, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btSolveClick);
    connect(m_save, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btSaveClick);
    connect(clear, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btClearClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_direction, &QComboBox::currentIndexChanged, this, [this] {
        m_save->setEnabled(false);
        showStored();
    });
    for (QDoubleSpinBox* box : m_measured)
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { m_save->setEnabled(false); });
    showStored();
}

PrintDevice::Orientation TfrmMeasuredCalibration::orientation() const {
    return m_direction->currentIndex() == 1 ? PrintDevice::Orientation::Landscape
                                            : PrintDevice::Orientation::Portrait;
}

QString TfrmMeasuredCalibration::printer() const {
    const QString current = m_app.currentPrinter();
    return current.isEmpty() ? m_device.printerName() : current;
}

int TfrmMeasuredCalibration::source() const {
    // The source a job on this printer uses: the kept paper's, else the device's own.
    const PrintDevice::Paper kept = PaperMemory(m_app.userIni()).recall(printer());
    return kept.isValid() ? kept.source : m_device.paper().source;
}

void TfrmMeasuredCalibration::showStored() {
    m_printer->setText(
        QStringLiteral("打印机：%1　纸张来源：%2")
            .arg(printer(), source() < 0 ? QStringLiteral("默认") : QString::number(source())));
    const QTransform stored = MeasuredCalibration(m_app.userIni()).recall(printer(), source(), orientation());
    m_stored->setText(stored.isIdentity()
                          ? QStringLiteral("这台打印机在这个方向上还没有校准。")
                          : QStringLiteral("已有校准：打印时自动修正。再次校准会在它的基础上细调。"));
}

void TfrmMeasuredCalibration::btPrintPageClick() {
    if (MeasuredCalibration::printPage(m_app, m_device, orientation()))
        m_result->setText(QStringLiteral("校准页已送往打印机。量好后填入六个数，再按“计算”。"));
    showStored();
}

void TfrmMeasuredCalibration::btSolveClick() {
    std::array<QPointF, 3> measured;
    for (int i = 0; i < 3; ++i)
        measured[i] = {m_measured[i * 2]->value(), m_measured[i * 2 + 1]->value()};
    const QTransform previous =
        MeasuredCalibration(m_app.userIni()).recall(printer(), source(), orientation());
    m_fit = MeasuredCalibration::solve(measured, previous);
    for (int i = 0; i < 3; ++i)
        m_residual[i]->setText(m_fit.error.isEmpty() || m_fit.residuals[i] > 0
                                   ? QStringLiteral("%1 毫米").arg(m_fit.residuals[i], 0, 'f', 2)
                                   : QString());
    m_save->setEnabled(m_fit.ok());
    if (!m_fit.ok()) {
        m_result->setText(m_fit.error);
        m_app.dialogs().message(m_fit.error);
        return;
    }
    m_result->setText(
        QStringLiteral(
            "打印机把校准页向%1移了 %2 毫米、向%3移了 %4 毫米；横向比例 %5%，纵向比例 %6%，歪斜 %7°。"
            "按“保存校准”后，打印时自动修正。")
            .arg(m_fit.offsetX >= 0 ? QStringLiteral("右") : QStringLiteral("左"))
            .arg(qAbs(m_fit.offsetX), 0, 'f', 1)
            .arg(m_fit.offsetY >= 0 ? QStringLiteral("下") : QStringLiteral("上"))
            .arg(qAbs(m_fit.offsetY), 0, 'f', 1)
            .arg(m_fit.scaleX * 100, 0, 'f', 2)
            .arg(m_fit.scaleY * 100, 0, 'f', 2)
            .arg(m_fit.skewDegrees, 0, 'f', 2));
}

void TfrmMeasuredCalibration::btSaveClick() {
    if (!m_fit.ok())
        return;
    MeasuredCalibration(m_app.userIni()).remember(printer(), source(), orientation(), m_fit.correction);
    m_save->setEnabled(false);
    m_result->setText(QStringLiteral("校准已保存。"));
    showStored();
}

void TfrmMeasuredCalibration::btClearClick() {
    if (!m_app.dialogs().ask(QStringLiteral("清除这台打印机在这个方向上的校准吗？"),
                             QStringLiteral("打印校准")))
        return;
    MeasuredCalibration(m_app.userIni()).remember(printer(), source(), orientation(), QTransform());
    m_save->setEnabled(false);
    showStored();
}

} // namespace print::ui
