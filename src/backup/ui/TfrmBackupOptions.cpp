#include "backup/ui/TfrmBackupOptions.h"

#include "backup/BackupPlan.h"
#include "backup/ui/BackupRunner.h"
#include "core/AppContext.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace backup::ui {

namespace {
QSpinBox* countBox(int low, int high, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" 份"));
    return box;
}
} // namespace

TfrmBackupOptions::TfrmBackupOptions(core::AppContext& app, BackupRunner& runner, QWidget* parent)
    : QDialog(parent), m_app(app), m_runner(runner) {
    setObjectName(QStringLiteral("TfrmBackupOptions"));
    setWindowTitle(QStringLiteral("数据备份"));
    const BackupSettings settings = BackupSettings::load(app.userIni());

    cbEnabled = new QCheckBox(QStringLiteral("自动备份（每天第一次启动时，以及退出时数据有改动时）"), this);
    cbEnabled->setChecked(settings.enabled);
    edFolder = new QLineEdit(QDir::toNativeSeparators(settings.folderFor(app.getRunPath())), this);
    btBrowse = new QPushButton(QStringLiteral("浏览.."), this);
    seDaily = countBox(1, 366, settings.keep.daily, this);
    seWeekly = countBox(0, 520, settings.keep.weekly, this);
    seMonthly = countBox(0, 1200, settings.keep.monthly, this);
    btBackupNow = new QPushButton(QStringLiteral("立即备份"), this);
    pbProgress = new QProgressBar(this);
    pbProgress->setRange(0, 100);
    pbProgress->setValue(0);
    lbMessage = new QLabel(this);
    lbMessage->setWordWrap(true);
    lbMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(edFolder, 1);
    folderRow->addWidget(btBrowse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("备份文件夹："), folderRow);
    form->addRow(QStringLiteral("保留每天的备份："), seDaily);
    form->addRow(QStringLiteral("保留每周的备份："), seWeekly);
    form->addRow(QStringLiteral("保留每月的备份："), seMonthly);
    auto* hint = new QLabel(QStringLiteral("备份文件夹可以在U盘或网络共享上。每个备份是一个文件，"
                                           "含全部出货单、客户、商品、字典、模板及其图片、打印记录和设置。"),
                            this);
    hint->setWordWrap(true);
    auto* nowRow = new QHBoxLayout;
    nowRow->addWidget(btBackupNow);
    nowRow->addWidget(pbProgress, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbEnabled);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(nowRow);
    layout->addWidget(lbMessage);
    layout->addStretch();
    layout->addWidget(buttons);
    resize(560, 340);

    connect(btBrowse, &QPushButton::clicked, this, &TfrmBackupOptions::btBrowseClick);
    connect(btBackupNow, &QPushButton::clicked, this, &TfrmBackupOptions::btBackupNowClick);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        save();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_runner, &BackupRunner::progress, pbProgress, &QProgressBar::setValue);
    connect(&m_runner, &BackupRunner::finished, this, [this](bool ok, const QString& text) {
        btBackupNow->setEnabled(true);
        lbMessage->setText(ok ? QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(text))
                              : QStringLiteral("备份没有完成：%1").arg(text));
    });
}

void TfrmBackupOptions::btBrowseClick() {
    // The clerk names where a backup goes; its folder is the backup folder.
    const QString chosen =
        m_app.dialogs().saveFileName(QStringLiteral("选择备份文件夹"),
                                     QDir(edFolder->text()).filePath(QStringLiteral("overprint-备份.opbak")),
                                     QStringLiteral("备份文件 (*.opbak)"));
    if (!chosen.isEmpty())
        edFolder->setText(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()));
}

void TfrmBackupOptions::save() {
    BackupSettings settings = BackupSettings::load(m_app.userIni());
    settings.enabled = cbEnabled->isChecked();
    const QString folder = QDir::fromNativeSeparators(edFolder->text().trimmed());
    settings.folder =
        QDir::cleanPath(folder) == QDir::cleanPath(BackupSettings().folderFor(m_app.getRunPath())) ? QString()
                                                                                                   : folder;
    settings.keep = {seDaily->value(), seWeekly->value(), seMonthly->value()};
    settings.save(m_app.userIni());
}

void TfrmBackupOptions::btBackupNowClick() {
    save();
    lbMessage->setText(QStringLiteral("正在备份……可以继续开票"));
    pbProgress->setValue(0);
    if (m_runner.start(BackupRunner::Kind::ByHand))
        btBackupNow->setEnabled(false);
    else
        lbMessage->setText(QStringLiteral("已有一个备份正在进行，请稍候"));
}

} // namespace backup::ui
