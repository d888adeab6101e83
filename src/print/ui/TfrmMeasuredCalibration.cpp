#include "print/ui/TfrmMeasuredCalibration.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/IniFile.h"
#include "core/Recordset.h"
#include "print/TestPage.h"
#include "print/scan/ScanFile.h"
#include "print/scan/ScanMeasure.h"
#include "print/scan/TemplateForm.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace print::ui {

namespace {

using Path = MeasuredCalibration::Path;

const QString kSizeSection = QStringLiteral("WindowSize");

QString mm(double v) {
    return QString::number(v, 'f', 1);
}

// A reading as the clerk typed it: full-width digits and a comma for the point are fine.
std::optional<double> reading(const QLineEdit* box) {
    QString text = box->text().normalized(QString::NormalizationForm_KC).trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

} // namespace

TfrmMeasuredCalibration::TfrmMeasuredCalibration(core::AppContext& app, PrintDevice& device, QWidget* parent)
    : QDialog(parent), m_app(app), m_device(device) {
    setObjectName(QStringLiteral("TfrmMeasuredCalibration"));
    setWindowTitle(QStringLiteral("打印校准"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("模板："), this));
    m_template = new QComboBox(this);
    m_template->setObjectName(QStringLiteral("cbTemplate"));
    try {
        core::Recordset rs =
            app.db().query(QStringLiteral("select CheckTypeID, TypeName from CKTypeTable where "
                                          "Visiable='启用' order by ShowOrd, CheckTypeID"));
        for (rs.first(); !rs.eof(); rs.next())
            m_template->addItem(rs.text(QStringLiteral("TypeName")),
                                int(rs.integer(QStringLiteral("CheckTypeID"))));
    } catch (const core::DbError& e) {
        app.dialogs().error(QStringLiteral("读取模板出错：") + e.message());
    }
    const int current = m_template->findData(app.currentCheckTypeId);
    if (current >= 0)
        m_template->setCurrentIndex(current);
    top->addWidget(m_template, 1);
    layout->addLayout(top);
    m_printer = new QLabel(this);
    m_printer->setObjectName(QStringLiteral("lbPrinter"));
    layout->addWidget(m_printer);
    auto* forceRow = new QHBoxLayout;
    m_inForce = new QLabel(this);
    m_inForce->setObjectName(QStringLiteral("lbInForce"));
    m_inForce->setWordWrap(true);
    forceRow->addWidget(m_inForce, 1);
    auto* clear = new QPushButton(QStringLiteral("不用校准"), this);
    clear->setObjectName(QStringLiteral("btClear"));
    forceRow->addWidget(clear);
    layout->addLayout(forceRow);

    auto* pageRow = new QHBoxLayout;
    auto* printPage = new QPushButton(QStringLiteral("打印校准页"), this);
    printPage->setObjectName(QStringLiteral("btPrintPage"));
    pageRow->addWidget(printPage);
    m_code = new QLabel(this);
    m_code->setObjectName(QStringLiteral("lbCode"));
    pageRow->addWidget(m_code, 1);
    layout->addLayout(pageRow);

    layout->addWidget(
        new QLabel(QStringLiteral("用直尺量出校准页上每个十字中心距纸张左边、上边的毫米数，按编号填入"
                                  "（量不到的十字留空，至少量四个）："),
                   this));
    auto* grid = new QGridLayout;
    const QStringList heads{QStringLiteral("十字"), QStringLiteral("应在（左，上）"),
                            QStringLiteral("距左边"), QStringLiteral("距上边"), QStringLiteral("残差")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads[c], this), 0, c);
    auto* validator = new QDoubleValidator(0, 999.9, 2, this);
    validator->setNotation(QDoubleValidator::StandardNotation);
    for (int i = 0; i < MeasuredCalibration::kCrossCount; ++i) {
        const QString n = QString::number(i + 1);
        grid->addWidget(new QLabel(n, this), i + 1, 0);
        auto* nominal = new QLabel(this);
        nominal->setObjectName(QStringLiteral("lbNominal") + n);
        m_nominal << nominal;
        grid->addWidget(nominal, i + 1, 1);
        for (int axis = 0; axis < 2; ++axis) {
            auto* box = new QLineEdit(this);
            box->setObjectName((axis == 0 ? QStringLiteral("edX") : QStringLiteral("edY")) + n);
            box->setValidator(validator);
            box->setPlaceholderText(QStringLiteral("毫米"));
            box->setMaximumWidth(90);
            (axis == 0 ? m_x : m_y) << box;
            grid->addWidget(box, i + 1, axis + 2);
            connect(box, &QLineEdit::textEdited, this, [this] {
                if (m_fitPath == Path::Ruler)
                    forgetFit();
            });
        }
        auto* residual = new QLabel(this);
        residual->setObjectName(QStringLiteral("lbResidual") + n);
        m_residual << residual;
        grid->addWidget(residual, i + 1, 4);
    }
    auto* body = new QHBoxLayout;
    body->addLayout(grid);
    m_scan = new QLabel(this);
    m_scan->setObjectName(QStringLiteral("lbScan"));
    m_scan->setAlignment(Qt::AlignCenter);
    m_scan->setMinimumSize(320, 200);
    m_scan->setText(QStringLiteral("没有尺子？把校准页打印在表格纸上，扫描后按“从扫描图校准”。"));
    m_scan->setWordWrap(true);
    body->addWidget(m_scan, 1);
    layout->addLayout(body);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lbResult"));
    m_result->setWordWrap(true);
    m_result->setMinimumHeight(48);
    layout->addWidget(m_result);

    auto* buttons = new QHBoxLayout;
    auto* solve = new QPushButton(QStringLiteral("计算"), this);
    solve->setObjectName(QStringLiteral("btSolve"));
    auto* scan = new QPushButton(QStringLiteral("从扫描图校准"), this);
    scan->setObjectName(QStringLiteral("btScan"));
    m_save = new QPushButton(QStringLiteral("保存校准"), this);
    m_save->setObjectName(QStringLiteral("btSave"));
    m_save->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btClose"));
    buttons->addWidget(solve);
    buttons->addWidget(scan);
    buttons->addWidget(m_save);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(printPage, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btPrintPageClick);
    connect(solve, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btSolveClick);
    connect(scan, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btScanClick);
    connect(m_save, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btSaveClick);
    connect(clear, &QPushButton::clicked, this, &TfrmMeasuredCalibration::btClearClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_template, &QComboBox::currentIndexChanged, this, [this] {
        forgetFit();
        preparePage();
    });

    const QStringList size = app.userIni().readString(kSizeSection, objectName()).split(QLatin1Char(','));
    resize(size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()).expandedTo(QSize(640, 480))
                            : QSize(900, 600));
    preparePage();
}

TfrmMeasuredCalibration::~TfrmMeasuredCalibration() {
    m_app.userIni().writeString(kSizeSection, objectName(),
                                QStringLiteral("%1,%2").arg(width()).arg(height()));
    m_app.userIni().flush();
}

int TfrmMeasuredCalibration::templateId() const {
    return m_template->currentData().toInt();
}

void TfrmMeasuredCalibration::preparePage() {
    PrintDevice::Paper printerPaper;
    try {
        if (!m_device.printerNames().isEmpty()) {
            printerPaper = TestPage::setUpLikeBill(m_app, m_device, templateId());
            m_page = MeasuredCalibration::layout(m_device, templateId(), m_template->currentText());
            TestPage::restorePaper(m_device, printerPaper);
        }
    } catch (const std::exception&) {
        m_page = {};
    }
    m_printer->setText(
        QStringLiteral("打印机：%1　纸张来源：%2　方向：%3　纸张：%4×%5 毫米")
            .arg(m_page.printer, m_page.source < 0 ? QStringLiteral("默认") : QString::number(m_page.source),
                 m_page.orientation == PrintDevice::Orientation::Landscape ? QStringLiteral("横向")
                                                                           : QStringLiteral("纵向"),
                 mm(m_page.paperMm.width()), mm(m_page.paperMm.height())));
    m_code->setText(
        m_page.crosses.isEmpty()
            ? QStringLiteral("没有可用的打印机。")
            : QStringLiteral("校准页代码 %1：量的、扫描的应是印有这个代码的校准页。").arg(m_page.code()));
    for (int i = 0; i < m_nominal.size(); ++i)
        m_nominal[i]->setText(
            i < m_page.crosses.size()
                ? QStringLiteral("%1，%2").arg(mm(m_page.crosses[i].x()), mm(m_page.crosses[i].y()))
                : QString());
    showInForce();
}

void TfrmMeasuredCalibration::showInForce() {
    const MeasuredCalibration::Stored stored =
        MeasuredCalibration(m_app.userIni())
            .inForce(m_page.printer, m_page.source, m_page.orientation, templateId());
    const QString since = stored.since.isValid() ? stored.since.toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
                                                       QStringLiteral(" 起")
                                                 : QStringLiteral("日期不详");
    switch (stored.path) {
    case Path::None:
        m_inForce->setText(QStringLiteral("正在使用：不校准，打印机原样输出。"));
        break;
    case Path::Ruler:
        m_inForce->setText(
            QStringLiteral("正在使用：尺量的校准（%1），用于这台打印机、这个纸张来源和方向。").arg(since));
        break;
    case Path::Scan:
        m_inForce->setText(
            QStringLiteral("正在使用：从扫描图测得的校准（%1），用于这台打印机打印模板【%2】。")
                .arg(since, m_template->currentText()));
        break;
    }
}

void TfrmMeasuredCalibration::forgetFit() {
    m_fit = {};
    m_fitPath = Path::None;
    m_save->setEnabled(false);
}

void TfrmMeasuredCalibration::btPrintPageClick() {
    const std::optional<MeasuredCalibration::Page> printed =
        MeasuredCalibration::printPage(m_app, m_device, templateId());
    if (printed) {
        m_page = *printed;
        m_result->setText(
            QStringLiteral(
                "校准页（代码 %1）已送往打印机。量好后填入读数按“计算”，或扫描后按“从扫描图校准”。")
                .arg(m_page.code()));
    }
    preparePage();
}

void TfrmMeasuredCalibration::showFit() {
    for (int i = 0; i < m_residual.size(); ++i) {
        const double r = i < m_fit.residuals.size() ? m_fit.residuals[i] : std::nan("");
        m_residual[i]->setText(std::isnan(r) ? QStringLiteral("—")
                                             : QStringLiteral("%1 毫米").arg(r, 0, 'f', 2));
        m_residual[i]->setStyleSheet(i == m_fit.refused ? QStringLiteral("color: red") : QString());
    }
    m_save->setEnabled(m_fit.ok());
    if (!m_fit.ok()) {
        m_result->setText(m_fit.error);
        m_app.dialogs().message(m_fit.error);
        return;
    }
    double worst = 0;
    for (double r : m_fit.residuals)
        if (!std::isnan(r))
            worst = std::max(worst, r);
    m_result->setText(
        QStringLiteral(
            "%1个十字：打印机把页面向%2移了 %3 毫米、向%4移了 %5 毫米；横向比例 %6%，纵向比例 %7%，"
            "歪斜 %8°，斜切 %9°；最大残差 %10 毫米。按“保存校准”后，%11打印时自动修正。")
            .arg(m_fit.used)
            .arg(m_fit.offsetX >= 0 ? QStringLiteral("右") : QStringLiteral("左"))
            .arg(std::abs(m_fit.offsetX), 0, 'f', 2)
            .arg(m_fit.offsetY >= 0 ? QStringLiteral("下") : QStringLiteral("上"))
            .arg(std::abs(m_fit.offsetY), 0, 'f', 2)
            .arg(m_fit.scaleX * 100, 0, 'f', 2)
            .arg(m_fit.scaleY * 100, 0, 'f', 2)
            .arg(m_fit.turnDegrees, 0, 'f', 2)
            .arg(m_fit.shearDegrees, 0, 'f', 2)
            .arg(worst, 0, 'f', 2)
            .arg(m_fitPath == Path::Scan
                     ? QStringLiteral("这台打印机打印模板【%1】").arg(m_template->currentText())
                     : QStringLiteral("这台打印机在这个纸张来源和方向上")));
}

void TfrmMeasuredCalibration::btSolveClick() {
    forgetFit();
    if (m_page.crosses.isEmpty()) {
        m_app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return;
    }
    QVector<std::optional<QPointF>> measured;
    for (int i = 0; i < m_page.crosses.size(); ++i) {
        const std::optional<double> x = reading(m_x[i]);
        const std::optional<double> y = reading(m_y[i]);
        if (x.has_value() != y.has_value()) {
            const QString message =
                QStringLiteral("第 %1 个十字只填了一个数：请填上距左边和距上边两个读数，或都留空。")
                    .arg(i + 1);
            m_result->setText(message);
            m_app.dialogs().message(message);
            return;
        }
        measured << (x ? std::optional<QPointF>(QPointF(*x, *y)) : std::nullopt);
    }
    m_fit = MeasuredCalibration::solve(m_page.crosses, measured);
    m_fitPath = m_fit.ok() ? Path::Ruler : Path::None;
    showFit();
}

void TfrmMeasuredCalibration::btScanClick() {
    const QString path = m_app.dialogs().openFileName(
        QStringLiteral("从扫描图校准：选择校准页的扫描图"),
        QStringLiteral("扫描图 (*.png *.jpg *.jpeg *.tif *.tiff *.pdf);;所有文件 (*)"));
    if (!path.isEmpty())
        measureScanFile(path);
}

void TfrmMeasuredCalibration::measureScanFile(const QString& path) {
    forgetFit();
    auto refuse = [this](const QString& message) {
        m_result->setText(message);
        m_app.dialogs().message(message);
    };
    if (m_page.crosses.isEmpty()) {
        m_app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return;
    }
    const scan::FormImage form = scan::templateForm(m_app, templateId());
    if (form.image.isNull()) {
        refuse(QStringLiteral("模板【%1】没有可用的表格图片，不能从扫描图校准。")
                   .arg(m_template->currentText()));
        return;
    }
    const scan::ScanPicture picture = scan::readScanFile(path);
    if (!picture.ok()) {
        refuse(picture.error);
        return;
    }
    const scan::ScanMeasurement measurement = scan::measureScan(picture.image, picture.dpi, form, m_page);
    if (!measurement.ok()) {
        m_scan->setPixmap(QPixmap::fromImage(
            picture.image.scaled(m_scan->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        refuse(measurement.error);
        return;
    }
    m_fit = MeasuredCalibration::solve(m_page.crosses, measurement.crossesMm);
    m_fitPath = m_fit.ok() ? Path::Scan : Path::None;
    for (int i = 0; i < m_page.crosses.size(); ++i) {
        const std::optional<QPointF>& at = measurement.crossesMm.value(i);
        m_x[i]->setText(at ? QString::number(at->x(), 'f', 2) : QString());
        m_y[i]->setText(at ? QString::number(at->y(), 'f', 2) : QString());
    }
    m_scan->setPixmap(
        QPixmap::fromImage(scan::drawMeasurement(picture.image, measurement, m_fit, m_scan->size())));
    showFit();
}

void TfrmMeasuredCalibration::btSaveClick() {
    if (!m_fit.ok() || m_fitPath == Path::None)
        return;
    MeasuredCalibration store(m_app.userIni());
    if (m_fitPath == Path::Scan)
        store.rememberScan(m_page.printer, templateId(), m_fit.correction);
    else
        store.remember(m_page.printer, m_page.source, m_page.orientation, m_fit.correction);
    // One press stores one correction; a second needs a new measurement.
    forgetFit();
    m_result->setText(QStringLiteral("校准已保存。"));
    showInForce();
}

void TfrmMeasuredCalibration::btClearClick() {
    if (!m_app.dialogs().ask(
            QStringLiteral("不再校准：这台打印机在这个纸张来源和方向上、以及打印模板【%1】时，"
                           "都按原样输出。确定吗？")
                .arg(m_template->currentText()),
            QStringLiteral("打印校准")))
        return;
    MeasuredCalibration store(m_app.userIni());
    store.remember(m_page.printer, m_page.source, m_page.orientation, QTransform());
    store.rememberScan(m_page.printer, templateId(), QTransform());
    forgetFit();
    showInForce();
}

} // namespace print::ui
