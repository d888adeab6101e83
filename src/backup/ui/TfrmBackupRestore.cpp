#include "backup/ui/TfrmBackupRestore.h"

#include "backup/BackupFile.h"
#include "backup/BackupPlan.h"
#include "backup/BackupRestore.h"
#include "core/AppContext.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace backup::ui {

TfrmBackupRestore::TfrmBackupRestore(core::AppContext& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmBackupRestore"));
    setWindowTitle(QStringLiteral("从备份恢复"));
    m_folder = BackupSettings::load(app.userIni()).folderFor(app.getRunPath());
    lbFolder = new QLabel(this);
    lbFolder->setWordWrap(true);
    grid = new QTableWidget(0, 7, this);
    grid->setHorizontalHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("大小"),
                                     QStringLiteral("出货单"), QStringLiteral("客户"), QStringLiteral("模板"),
                                     QStringLiteral("状态"), QStringLiteral("文件")});
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    btOtherFile = new QPushButton(QStringLiteral("其他备份文件.."), this);
    btRestore = new QPushButton(QStringLiteral("恢复所选备份"), this);
    btClose = new QPushButton(QStringLiteral("关闭"), this);
    auto* note =
        new QLabel(QStringLiteral("恢复会用所选备份替换全部数据（出货单、客户、商品、模板及图片、设置）。"
                                  "恢复前先自动备份现在的数据，恢复后软件重新启动。"),
                   this);
    note->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btOtherFile);
    buttons->addStretch();
    buttons->addWidget(btRestore);
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbFolder);
    layout->addWidget(grid, 1);
    layout->addWidget(note);
    layout->addLayout(buttons);
    resize(900, 480);
    connect(btOtherFile, &QPushButton::clicked, this, &TfrmBackupRestore::btOtherFileClick);
    connect(btRestore, &QPushButton::clicked, this, &TfrmBackupRestore::btRestoreClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid, &QTableWidget::cellDoubleClicked, this, &TfrmBackupRestore::btRestoreClick);
    reload();
}

void TfrmBackupRestore::reload() {
    lbFolder->setText(QStringLiteral("备份文件夹：%1").arg(QDir::toNativeSeparators(m_folder)));
    const QStringList names = BackupFile::list(m_folder);
    grid->setRowCount(names.size());
    const QLocale locale;
    for (int row = 0; row < names.size(); ++row) {
        const QString path = QDir(m_folder).filePath(names.at(row));
        const Inspection seen = BackupFile::inspect(path, false);
        const Manifest& m = seen.manifest;
        const QDateTime when = seen.ok ? m.taken : BackupFile::timeOfName(names.at(row));
        // The row names its file already; the full reason is the cell's tip.
        QString status = seen.error;
        status.remove(QDir::toNativeSeparators(path) + QLatin1Char(' '))
            .remove(QDir::toNativeSeparators(path));
        const QStringList cells = {when.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                   locale.formattedDataSize(seen.size, 1, QLocale::DataSizeTraditionalFormat),
                                   seen.ok ? QString::number(m.notes()) : QString(),
                                   seen.ok ? QString::number(m.customers()) : QString(),
                                   seen.ok ? QString::number(m.templates()) : QString(),
                                   seen.ok ? QStringLiteral("可用") : status,
                                   names.at(row)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            item->setData(Qt::UserRole, path);
            if (!seen.ok)
                item->setToolTip(seen.error);
            if (column >= 1 && column <= 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(row, column, item);
        }
    }
    grid->resizeColumnsToContents();
    grid->setColumnWidth(5, qMin(grid->columnWidth(5), 260));
    if (!names.isEmpty())
        grid->selectRow(0);
    btRestore->setEnabled(!names.isEmpty());
}

void TfrmBackupRestore::btOtherFileClick() {
    const QString path = m_app.dialogs().openFileName(QStringLiteral("选择备份文件"),
                                                      QStringLiteral("备份文件 (*.opbak);;所有文件 (*)"));
    if (!path.isEmpty())
        restoreFile(path);
}

void TfrmBackupRestore::btRestoreClick() {
    const int row = grid->currentRow();
    if (row < 0 || !grid->item(row, 0))
        return;
    restoreFile(grid->item(row, 0)->data(Qt::UserRole).toString());
}

void TfrmBackupRestore::restoreFile(const QString& path) {
    const Inspection seen = BackupFile::inspect(path, false);
    if (!seen.ok) {
        m_app.dialogs().error(seen.error + QStringLiteral("；数据没有改变"));
        return;
    }
    const Manifest& m = seen.manifest;
    if (!m_app.dialogs().ask(
            QStringLiteral("用 %1 时的备份（出货单 %2 张，客户 %3 个，模板 %4 个）替换现在的全部数据吗？\n"
                           "现在的数据会先备份一份，恢复后软件重新启动。")
                .arg(m.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                .arg(m.notes())
                .arg(m.customers())
                .arg(m.templates()),
            QStringLiteral("从备份恢复")))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const RestoreResult result = restore(m_app, path, m_folder);
    QApplication::restoreOverrideCursor();
    if (!result.ok) {
        m_app.dialogs().error(result.error);
        reload();
        return;
    }
    m_app.dialogs().message(QStringLiteral("已从备份恢复数据。恢复前的数据已备份到\n%1")
                                .arg(QDir::toNativeSeparators(result.safety)));
    accept();
    if (restored)
        restored();
}

} // namespace backup::ui
