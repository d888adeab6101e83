#include "templates/ui/TfrmPrinterParam.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/IniFile.h"
#include "print/TextModeSettings.h"
#include "templates/PrinterCalibration.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace templates::ui {

namespace {

QSpinBox* offsetBox(const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(-3000, 3000);
    return box;
}

QComboBox* directionBox(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems({QStringLiteral("纵向"), QStringLiteral("横向")});
    return box;
}

QLineEdit* edit(const QString& name, QWidget* parent, bool readOnly = false) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

} // namespace

TfrmPrinterParam::TfrmPrinterParam(core::AppContext& app, const QStringList& printers,
                                   std::function<QStringList()> installedNow, QWidget* parent)
    : QDialog(parent), m_app(app), m_installedNow(std::move(installedNow)) {
    setObjectName(QStringLiteral("TfrmPrinterParam"));
    setWindowTitle(QStringLiteral("打印机整体偏移参数适配"));
    buildWindow();
    core::IniFile& ini = m_app.userIni();
    cb_PrintersWeKnow->addItems(PrinterCalibration::knownModels(ini));
    if (cb_PrintersWeKnow->count() > 0)
        showPreset(PrinterCalibration::preset(ini, cb_PrintersWeKnow->currentText()));
    cb_PrintersClient->addItems(printers);
    const PrinterCalibration use = PrinterCalibration::inUse(ini);
    if (!use.model.isEmpty()) {
        edtUPrinter->setText(use.model);
        edtUBoardPosition->setText(use.board);
        bool ok = false;
        if (const int x = use.x.toInt(&ok); ok)
            edtUX->setValue(x);
        if (const int y = use.y.toInt(&ok); ok)
            edtUY->setValue(y);
        cbUDirection->setCurrentText(use.direction);
    }
    showPrintMode();
    m_opening = false;
}

void TfrmPrinterParam::buildWindow() {
    auto* presets = new QGroupBox(QStringLiteral("1.【选取】系统预置常用可参考的打印机设置"), this);
    cb_PrintersWeKnow = new QComboBox(presets);
    cb_PrintersWeKnow->setObjectName(QStringLiteral("cb_PrintersWeKnow"));
    edtOX = edit(QStringLiteral("edtOX"), presets, true);
    edtOY = edit(QStringLiteral("edtOY"), presets, true);
    cbODirection = directionBox(QStringLiteral("cbODirection"), presets);
    cbODirection->setEnabled(false);
    edtOBoardPosition = edit(QStringLiteral("edtOBoardPosition"), presets, true);
    imgPreset = new QLabel(presets);
    imgPreset->setObjectName(QStringLiteral("imgPreset"));
    imgPreset->setFixedSize(220, 160);
    imgPreset->setAlignment(Qt::AlignCenter);
    imgPreset->setWordWrap(true);
    auto* presetForm = new QFormLayout;
    presetForm->addRow(QStringLiteral("选择相近的打印机型号："), cb_PrintersWeKnow);
    auto presetUnit = [presets](QWidget* box) {
        auto* row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(new QLabel(QStringLiteral("0.1mm"), presets));
        return row;
    };
    presetForm->addRow(QStringLiteral("打印再向右偏移："), presetUnit(edtOX));
    presetForm->addRow(QStringLiteral("打印再向下偏移："), presetUnit(edtOY));
    presetForm->addRow(QStringLiteral("打印机方向:"), cbODirection);
    presetForm->addRow(QStringLiteral("打印机挡板位置说明："), edtOBoardPosition);
    auto* presetRow = new QHBoxLayout(presets);
    presetRow->addLayout(presetForm, 1);
    presetRow->addWidget(imgPreset);

    auto* mine = new QGroupBox(QStringLiteral("2.【确认】您选择的适配型号偏移参数调整"), this);
    cb_PrintersClient = new QComboBox(mine);
    cb_PrintersClient->setObjectName(QStringLiteral("cb_PrintersClient"));
    edtUPrinter = edit(QStringLiteral("edtUPrinter"), mine);
    edtUX = offsetBox(QStringLiteral("edtUX"), mine);
    edtUY = offsetBox(QStringLiteral("edtUY"), mine);
    cbUDirection = directionBox(QStringLiteral("cbUDirection"), mine);
    cbUDirection->setEditable(true);
    edtUBoardPosition = edit(QStringLiteral("edtUBoardPosition"), mine);
    auto* mineForm = new QFormLayout(mine);
    mineForm->addRow(QStringLiteral("您的票据打印机："), cb_PrintersClient);
    mineForm->addRow(QStringLiteral("需要设置的型号："), edtUPrinter);
    auto withUnit = [mine](QWidget* box) {
        auto* row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(new QLabel(QStringLiteral("0.1mm"), mine));
        return row;
    };
    mineForm->addRow(QStringLiteral("打印再向右偏移："), withUnit(edtUX));
    mineForm->addRow(QStringLiteral("打印再向下偏移："), withUnit(edtUY));
    mineForm->addRow(QStringLiteral("打印方向："), cbUDirection);
    mineForm->addRow(QStringLiteral("打印机挡板位置说明："), edtUBoardPosition);

    // How the printer above is driven; each box holds its value as item data.
    auto* mode = new QGroupBox(QStringLiteral("打印方式（所选打印机）"), this);
    auto choice = [mode](const QString& name, const QList<QPair<QString, int>>& items) {
        auto* box = new QComboBox(mode);
        box->setObjectName(name);
        for (const auto& item : items)
            box->addItem(item.first, item.second);
        return box;
    };
    cbPrintMode = choice(QStringLiteral("cbPrintMode"),
                         {{QStringLiteral("图形"), int(print::TextModeSettings::Mode::Graphics)},
                          {QStringLiteral("文本（针式打印机）"), int(print::TextModeSettings::Mode::Text)}});
    cbCharset = choice(QStringLiteral("cbCharset"),
                       {{QStringLiteral("GB2312"), int(print::TextModeSettings::Charset::GB2312)},
                        {QStringLiteral("GB18030"), int(print::TextModeSettings::Charset::GB18030)}});
    cbVUnit = choice(QStringLiteral("cbVUnit"),
                     {{QStringLiteral("1/180 英寸"), 180}, {QStringLiteral("1/360 英寸"), 360}});
    cbHUnit = choice(QStringLiteral("cbHUnit"), {{QStringLiteral("1/60 英寸"), 60},
                                                 {QStringLiteral("1/120 英寸"), 120},
                                                 {QStringLiteral("1/180 英寸"), 180}});
    cbPrintMode->setToolTip(QStringLiteral("文本方式用打印机自带的字库打印数值，速度快、字迹清晰；"
                                           "表格线和图片由预印的单据提供"));
    cbCharset->setToolTip(QStringLiteral("打印机字库的字符集：生僻字需要 GB18030 字库"));
    cbVUnit->setToolTip(QStringLiteral("打印机走纸的最小单位，见打印机说明书"));
    cbHUnit->setToolTip(QStringLiteral("打印头横向移动的最小单位，见打印机说明书"));
    auto* modeGrid = new QHBoxLayout(mode);
    for (const auto& [label, box] :
         {std::pair<QString, QComboBox*>{QStringLiteral("打印方式："), cbPrintMode},
          {QStringLiteral("字符集："), cbCharset},
          {QStringLiteral("纵向单位："), cbVUnit},
          {QStringLiteral("横向单位："), cbHUnit}}) {
        modeGrid->addWidget(new QLabel(label, mode));
        modeGrid->addWidget(box);
        modeGrid->addSpacing(8);
    }
    modeGrid->addStretch();

    BitBtn1 = new QPushButton(QStringLiteral("3.【应用】到所有单据"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("打印参数应用到所有的单据（打印整体偏移,打印方向等）"));
    Button1 = new QPushButton(QStringLiteral("【退出设置】"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton* b : {BitBtn1, Button1})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(presets);
    layout->addWidget(mine);
    layout->addWidget(mode);
    layout->addLayout(buttons);
    setMinimumWidth(720);

    connect(cb_PrintersWeKnow, &QComboBox::currentIndexChanged, this,
            &TfrmPrinterParam::cb_PrintersWeKnowChange);
    connect(cb_PrintersClient, &QComboBox::currentIndexChanged, this, &TfrmPrinterParam::showPrintMode);
    for (QComboBox* box : {cbPrintMode, cbCharset, cbVUnit, cbHUnit})
        connect(box, &QComboBox::currentIndexChanged, this, &TfrmPrinterParam::printModeChanged);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmPrinterParam::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmPrinterParam::lockPrinter(const QString& name) {
    cb_PrintersClient->setCurrentText(name);
    cb_PrintersClient->setEnabled(false);
    showPrintMode();
}

void TfrmPrinterParam::showPrintMode() {
    const QString printer = cb_PrintersClient->currentText();
    const print::TextModeSettings s = print::TextModeSettings::read(m_app.userIni(), printer);
    m_showingMode = true;
    auto select = [](QComboBox* box, int value) { box->setCurrentIndex(qMax(0, box->findData(value))); };
    select(cbPrintMode, int(s.mode));
    select(cbCharset, int(s.charset));
    select(cbVUnit, s.verticalUnit);
    select(cbHUnit, s.horizontalUnit);
    m_showingMode = false;
    cbPrintMode->setEnabled(!printer.isEmpty());
    const bool text = !printer.isEmpty() && s.mode == print::TextModeSettings::Mode::Text;
    for (QComboBox* box : {cbCharset, cbVUnit, cbHUnit})
        box->setEnabled(text);
}

void TfrmPrinterParam::printModeChanged() {
    const QString printer = cb_PrintersClient->currentText();
    if (m_showingMode || printer.isEmpty())
        return;
    print::TextModeSettings s;
    s.mode = print::TextModeSettings::Mode(cbPrintMode->currentData().toInt());
    s.charset = print::TextModeSettings::Charset(cbCharset->currentData().toInt());
    s.verticalUnit = cbVUnit->currentData().toInt();
    s.horizontalUnit = cbHUnit->currentData().toInt();
    // Written at once (only what differs from Config.ini): the next job reads it.
    s.write(m_app.userIni(), printer);
    const bool text = s.mode == print::TextModeSettings::Mode::Text;
    for (QComboBox* box : {cbCharset, cbVUnit, cbHUnit})
        box->setEnabled(text);
}

void TfrmPrinterParam::showPreset(const PrinterCalibration& preset) {
    edtOX->setText(preset.x);
    edtOY->setText(preset.y);
    cbODirection->setCurrentText(preset.direction);
    edtOBoardPosition->setText(preset.board);
    imgPreset->clear();
    if (preset.image.isEmpty())
        return;
    QImageReader reader(m_app.pathOf(preset.image));
    reader.setAllocationLimit(64);
    const QImage image = reader.read();
    if (image.isNull())
        imgPreset->setText(QStringLiteral("预置图片缺失：") + QFileInfo(preset.image).fileName());
    else
        imgPreset->setPixmap(QPixmap::fromImage(image.scaled(imgPreset->size(), Qt::KeepAspectRatio)));
}

void TfrmPrinterParam::cb_PrintersWeKnowChange() {
    if (m_opening)
        return;
    const PrinterCalibration preset =
        PrinterCalibration::preset(m_app.userIni(), cb_PrintersWeKnow->currentText());
    showPreset(preset);
    edtUX->setValue(preset.x.toInt());
    edtUY->setValue(preset.y.toInt());
    cbUDirection->setCurrentText(preset.direction);
    edtUBoardPosition->setText(preset.board);
    edtUPrinter->setText(cb_PrintersClient->currentText());
}

void TfrmPrinterParam::BitBtn1Click() {
    core::Dialogs& dialogs = m_app.dialogs();
    if (!dialogs.ask(QStringLiteral("你确认对所有单据应用该设置吗？\r请在打印测试前调整好挡板！-") +
                         edtUBoardPosition->text(),
                     QStringLiteral("确认")))
        return;
    const QString direction = cbUDirection->currentText();
    if (direction.isEmpty()) {
        dialogs.message(QStringLiteral("请选择打印方向！"));
        return;
    }
    const QString hv = PrinterCalibration::directionCode(direction);
    if (hv.isEmpty()) {
        dialogs.message(QStringLiteral("非法的打印方向参数！"));
        return;
    }
    // Everything the calibration needs is checked before any template is touched.
    const QString model = edtUPrinter->text().trimmed();
    if (model.isEmpty()) {
        dialogs.message(QStringLiteral("请输入适配打印机类型名！"));
        edtUPrinter->setFocus();
        return;
    }
    if (!PrinterCalibration::isUsableModelName(model)) {
        dialogs.message(QStringLiteral("适配打印机类型名不能含有 = [ ] ; 或换行，请修改！"));
        edtUPrinter->setFocus();
        return;
    }
    const QString printer = cb_PrintersClient->currentText();
    if (printer.isEmpty()) {
        dialogs.message(QStringLiteral("请选择你的票据打印机！"));
        return;
    }
    if (m_installedNow && !m_installedNow().contains(printer)) {
        dialogs.message(QStringLiteral("打印机【") + printer +
                        QStringLiteral("】现在不可用，请检查它是否已被删除或离线，重启本软件后再试！"));
        return;
    }
    try {
        if (PrinterCalibration::applyToAllTemplates(m_app.db(), edtUX->value(), edtUY->value(), hv) < 1) {
            dialogs.message(QStringLiteral("应用单据失败！！"));
            return;
        }
    } catch (const core::DbError&) {
        dialogs.message(QStringLiteral("应用单据失败！！"));
        return;
    }
    dialogs.message(QStringLiteral("应用单据成功！"));
    PrinterCalibration use;
    use.model = model;
    use.printer = printer;
    use.x = QString::number(edtUX->value());
    use.y = QString::number(edtUY->value());
    use.direction = direction;
    use.board = edtUBoardPosition->text();
    use.storeInUse(m_app.userIni());
    m_app.setCurrentPrinter(printer);
    dialogs.message(QStringLiteral("配置修改成功！"));
}

} // namespace templates::ui
