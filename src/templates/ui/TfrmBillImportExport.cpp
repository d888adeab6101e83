#include "templates/ui/TfrmBillImportExport.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/IniFile.h"
#include "core/Recordset.h"
#include "core/ui/FormFace.h"
#include "templates/TemplatePackage.h"
#include "templates/ui/TfrmImageShow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace templates::ui {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QListWidget* list(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// "->": the selected name, else the first one, from left to right.
bool moveOne(QListWidget* from, QListWidget* to) {
    if (from->count() == 0)
        return false;
    QListWidgetItem* item = from->currentItem() ? from->currentItem() : from->item(0);
    to->addItem(from->takeItem(from->row(item))->text());
    return true;
}

bool moveAll(QListWidget* from, QListWidget* to) {
    while (from->count() > 0)
        to->addItem(from->takeItem(0)->text());
    return true;
}

QStringList texts(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

QString countMessage(const QString& head, int succeeded, int failed) {
    if (failed == 0)
        return head + QStringLiteral("成功导入单据") + QString::number(succeeded) + QStringLiteral("个!");
    if (succeeded == 0)
        return head + QStringLiteral("失败") + QString::number(failed) + QStringLiteral("个!");
    return head + QStringLiteral("成功导入单据") + QString::number(succeeded) + QStringLiteral("个，失败") +
           QString::number(failed) + QStringLiteral("个!");
}

void storeLastError(core::AppContext& app, const QString& text) {
    core::IniFile& ini = app.userIni();
    ini.writeString(QStringLiteral("ERROR"), QStringLiteral("LASTERROR"), text);
    ini.flush();
}

} // namespace

TfrmBillImportExport::TfrmBillImportExport(core::AppContext& app, Pages pages, QWidget* parent)
    : QDialog(parent), m_app(app), m_pages(new QTabWidget(this)) {
    setObjectName(QStringLiteral("TfrmBillImportExport"));
    setWindowTitle(QStringLiteral("导入、导出票据格式"));
    if (pages != Pages::ExportOnly)
        m_pages->addTab(buildImportPage(), QStringLiteral("导入青木鸟票据模板"));
    QWidget* exportPage = buildExportPage();
    if (pages != Pages::ImportOnly)
        m_pages->addTab(exportPage, QStringLiteral("导出青木鸟票据模板"));
    else
        exportPage->hide();
    if (pages == Pages::ExportOnly)
        buildImportPage()->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        if (m_pages->currentWidget() && m_pages->currentWidget()->objectName() == QLatin1String("tsExport"))
            loadExistsChecks();
    });
    if (pages == Pages::ExportOnly)
        loadExistsChecks();
    resize(760, 480);
    core::ui::FormFace::load(m_app.userIni(), *this);
}

QWidget* TfrmBillImportExport::buildImportPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsImport"));
    edtImportBillsFile = new QLineEdit(QStringLiteral("请选择票据包文件"), page);
    edtImportBillsFile->setObjectName(QStringLiteral("edtImportBillsFile"));
    edtImportBillsFile->setReadOnly(true);
    auto* browse = button(page, "btBrowseImport", QStringLiteral("浏览.."));
    auto* update = new QCheckBox(QStringLiteral("更新旧版本单据"), page);
    update->setObjectName(QStringLiteral("ckUpdateBill"));
    update->setChecked(true);
    update->setEnabled(false);
    lstImpFrom = list(page, "lstImpFrom");
    lstImpSel = list(page, "lstImpSel");
    btImpSel = button(page, "btImpSel", QStringLiteral("->"), QStringLiteral("选中加入导入列表"));
    btImpSelAll = button(page, "btImpSelAll", QStringLiteral("->>"), QStringLiteral("全部加入导入列表"));
    btImpClear = button(page, "btImpClear", QStringLiteral("X"), QStringLiteral("清空导入列表"));
    btImport = button(page, "btImport", QStringLiteral("3.开始导入(&D)"));
    auto* close = button(page, "btCloseImport", QStringLiteral("完成退出(&X)"));
    lbProcessIn = new QLabel(page);
    lbProcessIn->setObjectName(QStringLiteral("lbProcessIn"));
    for (QPushButton* b : {btImpSel, btImpSelAll, btImpClear, btImport})
        b->setEnabled(false);

    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("1.选择票据包:"), page), 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(edtImportBillsFile, 1);
    fileRow->addWidget(browse);
    fileRow->addWidget(update);
    grid->addLayout(fileRow, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("2.票据包中的新格式（双击查看票据）."), page), 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("3.选中了要导入的票据列表."), page), 1, 3);
    grid->addWidget(lstImpFrom, 2, 0, 1, 2);
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {btImpSel, btImpSelAll, btImpClear})
        moves->addWidget(b);
    moves->addStretch(1);
    grid->addLayout(moves, 2, 2);
    grid->addWidget(lstImpSel, 2, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lbProcessIn, 1);
    bottom->addWidget(btImport);
    bottom->addWidget(close);
    grid->addLayout(bottom, 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(browse, &QPushButton::clicked, this, &TfrmBillImportExport::btBrowseImportClick);
    connect(btImpSel, &QPushButton::clicked, this,
            [this] { btImport->setEnabled(moveOne(lstImpFrom, lstImpSel) || btImport->isEnabled()); });
    connect(btImpSelAll, &QPushButton::clicked, this,
            [this] { btImport->setEnabled(moveAll(lstImpFrom, lstImpSel)); });
    connect(btImpClear, &QPushButton::clicked, this, [this] {
        lstImpSel->clear();
        loadPackageChecks(m_package);
        lstImpSel->clear();
        btImport->setEnabled(false);
    });
    connect(btImport, &QPushButton::clicked, this, &TfrmBillImportExport::btImportClick);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    for (QListWidget* l : {lstImpFrom, lstImpSel})
        connect(l, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) { showPackageImage(item->text()); });
    return page;
}

QWidget* TfrmBillImportExport::buildExportPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("tsExport"));
    listExpExists = list(page, "listExpExists");
    ListExpSel = list(page, "ListExpSel");
    listExpExists->setSortingEnabled(true);
    ListExpSel->setSortingEnabled(true);
    auto* select = button(page, "btESelect", QStringLiteral("->"), QStringLiteral("选中导出"));
    auto* selectAll = button(page, "btESelAll", QStringLiteral("->>"), QStringLiteral("全部导出"));
    auto* clear = button(page, "btEClear", QStringLiteral("X"), QStringLiteral("清空选中列表"));
    edtExportFolder = new QLineEdit(QDir::toNativeSeparators(QDir::homePath()), page);
    edtExportFolder->setObjectName(QStringLiteral("edtExportFolder"));
    edtExportFolder->setReadOnly(true);
    auto* browse = button(page, "btBrowseExport", QStringLiteral("2.浏览.."));
    btExport = button(page, "btExport", QStringLiteral("3.开始导出(&D)"));
    btExport->setEnabled(false);
    auto* exit = button(page, "btExit", QStringLiteral("完成退出(&X)"));
    lbProcessOut = new QLabel(page);
    lbProcessOut->setObjectName(QStringLiteral("lbProcessOut"));

    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("系统已有票据列表："), page), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("1.选中的需要导出的票据："), page), 0, 2);
    grid->addWidget(listExpExists, 1, 0);
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {select, selectAll, clear})
        moves->addWidget(b);
    moves->addStretch(1);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(ListExpSel, 1, 2);
    auto* folder = new QHBoxLayout;
    folder->addWidget(new QLabel(QStringLiteral("导出到文件夹:"), page));
    folder->addWidget(edtExportFolder, 1);
    folder->addWidget(browse);
    grid->addLayout(folder, 2, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lbProcessOut, 1);
    bottom->addWidget(btExport);
    bottom->addWidget(exit);
    grid->addLayout(bottom, 3, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    connect(select, &QPushButton::clicked, this, [this] { moveOne(listExpExists, ListExpSel); });
    connect(selectAll, &QPushButton::clicked, this, [this] { moveAll(listExpExists, ListExpSel); });
    connect(clear, &QPushButton::clicked, this, [this] {
        ListExpSel->clear();
        loadExistsChecks();
    });
    connect(browse, &QPushButton::clicked, this, &TfrmBillImportExport::btBrowseExportClick);
    connect(btExport, &QPushButton::clicked, this, &TfrmBillImportExport::btExportClick);
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
    connect(listExpExists, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { showStoreImage(item->text()); });
    return page;
}

void TfrmBillImportExport::btBrowseImportClick() {
    const QString path = m_app.dialogs().openFileName(QStringLiteral("选择票据包"),
                                                      QStringLiteral("青木鸟票据包(*.qpk *.zrx)"));
    edtImportBillsFile->setText(path);
    const bool package = path.contains(QLatin1String(".qpk"), Qt::CaseInsensitive) ||
                         path.contains(QLatin1String(".zrx"), Qt::CaseInsensitive);
    for (QPushButton* b : {btImpSel, btImpSelAll, btImpClear, btImport})
        b->setEnabled(false);
    if (!package) {
        edtImportBillsFile->clear();
        m_app.dialogs().message(QStringLiteral("请选择标准的青木鸟票据包，例如：中国银行进账单.qpk"));
        return;
    }
    lstImpSel->clear();
    loadPackageChecks(path);
    if (lstImpFrom->count() > 0) {
        for (QPushButton* b : {btImpSel, btImpSelAll, btImpClear})
            b->setEnabled(true);
        btImport->setEnabled(moveOne(lstImpFrom, lstImpSel));
    }
}

void TfrmBillImportExport::loadPackageChecks(QString path) {
    lstImpFrom->clear();
    m_package.clear();
    if (path.isEmpty())
        return;
    try {
        const TemplatePackage package(path);
        lstImpFrom->addItems(package.names());
        m_package = path;
    } catch (const core::DbError& e) {
        storeLastError(m_app, e.message());
        m_app.dialogs().message(TemplatePackage::kAccessError);
        return;
    }
    if (lstImpFrom->count() == 0)
        m_app.dialogs().message(QStringLiteral("抱歉,青木鸟从包里找不到可用于导入的票据！"));
}

void TfrmBillImportExport::btImportClick() {
    const QStringList names = texts(lstImpSel);
    if (names.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请选择要导入的票据！"));
        return;
    }
    lbProcessIn->setText(QStringLiteral("0/") + QString::number(names.size()));
    PackageTransfer::Report report;
    try {
        report = PackageTransfer(m_app).importTemplates(m_package, names);
    } catch (const core::DbError& e) {
        storeLastError(m_app, e.message());
        m_app.dialogs().message(TemplatePackage::kAccessError);
        return;
    }
    lbProcessIn->setText(QString::number(names.size()) + QLatin1Char('/') + QString::number(names.size()));
    m_importedAny = m_importedAny || report.succeeded > 0;
    QString text = countMessage(QStringLiteral("导入结束，"), report.succeeded, report.failed);
    if (!report.notes.isEmpty())
        text += QStringLiteral("\n\n") + report.notes.join(QLatin1Char('\n'));
    m_app.dialogs().message(text);
    if (report.succeeded > 0)
        emit templatesChanged();
}

void TfrmBillImportExport::loadExistsChecks() {
    listExpExists->clear();
    try {
        core::Recordset rs = m_app.db().query(QStringLiteral("select checktypeid,typename from ckTypeTable"));
        const QStringList chosen = texts(ListExpSel);
        for (rs.first(); !rs.eof(); rs.next())
            if (!chosen.contains(rs.text(1)))
                listExpExists->addItem(rs.text(1));
        if (rs.isEmpty())
            m_app.dialogs().message(QStringLiteral("系统还没有导入任何的可用票据！"));
    } catch (const core::DbError& e) {
        storeLastError(m_app, e.message());
        m_app.dialogs().message(TemplatePackage::kAccessError);
    }
}

void TfrmBillImportExport::btBrowseExportClick() {
    QString suggested = QStringLiteral("青木鸟票据模板.qpk");
    const QStringList chosen = texts(ListExpSel);
    if (!chosen.isEmpty()) {
        QString first = chosen.first();
        if (const int at = first.indexOf(QStringLiteral("（")); at >= 0)
            first.replace(at, 1, QLatin1Char('-'));
        if (const int at = first.indexOf(QStringLiteral("）")); at >= 0)
            first.remove(at, 1);
        suggested = first + (chosen.size() == 1 ? QStringLiteral(".qpk")
                                                : QStringLiteral("等") + QString::number(chosen.size()) +
                                                      QStringLiteral("个模板.qpk"));
    }
    const QString path = m_app.dialogs().saveFileName(QStringLiteral("导出票据包"), suggested,
                                                      QStringLiteral("青木鸟票据包(*.qpk)"));
    if (path.isEmpty()) {
        btExport->setEnabled(false);
        return;
    }
    if (!path.contains(QLatin1String(".qpk"), Qt::CaseInsensitive)) {
        edtExportFolder->clear();
        btExport->setEnabled(false);
        m_app.dialogs().message(QStringLiteral("请选择或输入标准的票据包，例如：顺风快递07.qpk、天地达.qpk"));
        return;
    }
    edtExportFolder->setText(path);
    btExport->setEnabled(true);
}

void TfrmBillImportExport::btExportClick() {
    const QStringList names = texts(ListExpSel);
    if (names.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("还没有选择要导出的票据格式！"));
        return;
    }
    lbProcessOut->setText(QStringLiteral("0/") + QString::number(names.size()));
    PackageTransfer::Report report;
    try {
        report = PackageTransfer(m_app).exportTemplates(names, edtExportFolder->text());
    } catch (const core::DbError& e) {
        storeLastError(m_app, e.message());
        m_app.dialogs().message(QStringLiteral("导出失败：") + e.message());
        return;
    }
    lbProcessOut->setText(QString::number(names.size()) + QLatin1Char('/') + QString::number(names.size()));
    QString text;
    if (report.failed == 0)
        text = QStringLiteral("导出完成,成功导出") + QString::number(report.succeeded) +
               QStringLiteral("个单据！");
    else
        text = QStringLiteral("导出结束,失败") + QString::number(report.failed) + QStringLiteral("个模板！") +
               (report.succeeded == 0 ? QStringLiteral(",模板未能导出成功！")
                                      : QStringLiteral("成功导出") + QString::number(report.succeeded) +
                                            QStringLiteral("个模板")) +
               QStringLiteral("\n\n") + report.notes.join(QLatin1Char('\n'));
    m_app.dialogs().message(text);
}

void TfrmBillImportExport::showPackageImage(const QString& name) {
    QImage image;
    try {
        image = QImage::fromData(TemplatePackage(m_package).load(name).image, "JPEG");
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
        return;
    }
    auto* viewer = new TfrmImageShow(m_app, this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(QStringLiteral("青木鸟软件-模板图片查看【") + name + QStringLiteral("】"));
    viewer->picture()->setPixmap(QPixmap::fromImage(image));
    viewer->picture()->resize(image.size());
    viewer->resize(750, 400);
    viewer->show();
}

void TfrmBillImportExport::showStoreImage(const QString& name) {
    auto* viewer = new TfrmImageShow(m_app, this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->loadPictureByFullName(name);
    viewer->resize(750, 400);
    viewer->show();
}

void TfrmBillImportExport::closeEvent(QCloseEvent* event) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::closeEvent(event);
}

} // namespace templates::ui
