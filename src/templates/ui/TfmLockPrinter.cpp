#include "templates/ui/TfmLockPrinter.h"

#include "core/AppContext.h"
#include "templates/ui/TfrmPrinterParam.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace templates::ui {

TfmLockPrinter::TfmLockPrinter(core::AppContext& app, const QStringList& printers,
                               std::function<void(const QString&)> setDefaultPrinter,
                               std::function<QStringList()> installedNow, QWidget* parent)
    : QDialog(parent), m_app(app), m_printers(printers), m_setDefaultPrinter(std::move(setDefaultPrinter)),
      m_installedNow(std::move(installedNow)) {
    setObjectName(QStringLiteral("TfmLockPrinter"));
    setWindowTitle(QStringLiteral("固定票据打印机"));
    cbPrinters = new QComboBox(this);
    cbPrinters->setObjectName(QStringLiteral("cbPrinters"));
    cbPrinters->addItems(printers);
    cbPrinters->setMinimumWidth(260);
    btLock = new QPushButton(QStringLiteral("锁定该打印机为票据打印机"), this);
    btLock->setObjectName(QStringLiteral("btLock"));
    btShiPei = new QPushButton(QStringLiteral("适配打印机整体偏移参数"), this);
    btShiPei->setObjectName(QStringLiteral("btShiPei"));
    for (QPushButton* b : {btLock, btShiPei})
        b->setAutoDefault(false);
    auto* note = new QLabel(
        QStringLiteral("说明：固定某个票据打印机后，所有的票据打印都会自动选用你所选定的打印机来执行"
                       "打印任务，除非你打印前手动选择。"),
        this);
    note->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("选择要固定的票据打印机："), this));
    row->addWidget(cbPrinters, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btLock);
    buttons->addWidget(btShiPei);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    layout->addWidget(note);

    connect(cbPrinters, &QComboBox::currentIndexChanged, this,
            [this] { btLock->setEnabled(!cbPrinters->currentText().trimmed().isEmpty()); });
    connect(btLock, &QPushButton::clicked, this, &TfmLockPrinter::btLockClick);
    connect(btShiPei, &QPushButton::clicked, this, &TfmLockPrinter::btShiPeiClick);
    runCalibration = [](QDialog& d) { d.exec(); };

    if (printers.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("没有检测到打印机！请安装打印机并重启动本软件！"));
        btShiPei->setEnabled(false);
    }
    const int stored = printers.indexOf(m_app.getConfigByname(QStringLiteral("DefaultPrinter")));
    cbPrinters->setCurrentIndex(stored);
    btLock->setEnabled(stored >= 0);
}

void TfmLockPrinter::btLockClick() {
    const QString name = cbPrinters->currentText().trimmed();
    if (name.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请选择票据打印机！"));
        return;
    }
    if (m_installedNow && !m_installedNow().contains(name)) {
        m_app.dialogs().message(
            QStringLiteral("打印机【") + name +
            QStringLiteral("】现在不可用，请检查它是否已被删除或离线，重启本软件后再试！"));
        return;
    }
    m_app.setConfigByname(QStringLiteral("DefaultPrinter"), name);
    if (m_app.getConfigByname(QStringLiteral("DefaultPrinter")) != name) {
        m_app.dialogs().message(QStringLiteral("默认票据打印机保存失败，请检查数据库是否可写！"));
        return;
    }
    if (m_setDefaultPrinter)
        m_setDefaultPrinter(name);
    m_app.dialogs().message(QStringLiteral("默认票据打印机设置成功！"));
}

void TfmLockPrinter::btShiPeiClick() {
    const QString name = cbPrinters->currentText();
    if (name.trimmed().isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请选择要固定的票据打印机！"));
        return;
    }
    TfrmPrinterParam calibration(m_app, m_printers, m_installedNow, this);
    calibration.lockPrinter(name);
    runCalibration(calibration);
    close();
}

} // namespace templates::ui
