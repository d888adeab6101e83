#include "masterdata/ui/Tfm_DMConfig.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FormFace.h"
#include "masterdata/ui/WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

const QString kAllTemplates = QStringLiteral("<适用所有单据>");
const QString kValue = QStringLiteral("字典内容");
const QString kTemplate = QStringLiteral("单据号");

} // namespace

Tfm_DMConfig::Tfm_DMConfig(core::AppContext& app, int templateId, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app.db()) {
    setObjectName(QStringLiteral("Tfm_DMConfig"));
    setWindowTitle(QStringLiteral("青木鸟软件-字典管理"));
    setModal(true);
    resize(760, 560);

    Co_CheckType = new QComboBox(this);
    Co_CheckType->setObjectName(QStringLiteral("Co_CheckType"));
    listBoxNames = new QListWidget(this);
    listBoxNames->setObjectName(QStringLiteral("listBoxNames"));
    lbValues = new QLabel(this);
    lbValues->setObjectName(QStringLiteral("lbValues"));
    DBGrid1 = new core::ui::DataGrid(app.db(), this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditable(true);
    DBGrid1->setFieldSource(kValue, QStringLiteral("DMValue"));
    DBGrid1->setFieldSource(kTemplate, QStringLiteral("CheckTypeId"));
    DBGrid1->setInsertOnlyFields({kTemplate, QStringLiteral("ID"), QStringLiteral("DMName")});
    DBGrid1->setColumnColor(kTemplate, QColor(Qt::yellow));
    edtNewName = new QComboBox(this);
    edtNewName->setObjectName(QStringLiteral("edtNewName"));
    edtNewName->setEditable(true);
    edtNewName->addItems({QStringLiteral("计量单位"), QStringLiteral("收费内容"), QStringLiteral("开票人"),
                          QStringLiteral("收款人"), QStringLiteral("始发站"), QStringLiteral("发件人签名"),
                          QStringLiteral("国家"), QStringLiteral("备注"), QStringLiteral("物品内容"),
                          QStringLiteral("自定义1"), QStringLiteral("自定义2")});
    edtNewName->setCurrentIndex(-1);
    btAddName = new QPushButton(QStringLiteral("2.1增加"), this);
    btAddName->setObjectName(QStringLiteral("btAddName"));
    ckShowCommon = new QCheckBox(QStringLiteral("显示公共字典内容"), this);
    ckShowCommon->setObjectName(QStringLiteral("ckShowCommon"));
    ckShowCommon->setChecked(true);
    btAppend = new QPushButton(QStringLiteral("+添加"), this);
    btAppend->setObjectName(QStringLiteral("btAppend"));
    btEdit = new QPushButton(QStringLiteral("E 修改"), this);
    btEdit->setObjectName(QStringLiteral("btEdit"));
    btDelete = new QPushButton(QStringLiteral("- 删除"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btSave = new QPushButton(QStringLiteral("保存并刷新"), this);
    btSave->setObjectName(QStringLiteral("btSave"));
    btClose = new QPushButton(QStringLiteral("4、关  闭 (&X)"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("1、选择适用单据类型："), this));
    top->addWidget(Co_CheckType, 1);
    top->addWidget(new QLabel(QStringLiteral("(若用于所有单据，请选择[适用所有单据])"), this));
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("2、选择字典名称："), this));
    left->addWidget(listBoxNames, 1);
    auto* addName = new QHBoxLayout;
    addName->addWidget(edtNewName, 1);
    addName->addWidget(btAddName);
    left->addLayout(addName);
    auto* right = new QVBoxLayout;
    right->addWidget(lbValues);
    right->addWidget(DBGrid1, 1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(ckShowCommon);
    commands->addStretch();
    for (QPushButton* b : {btAppend, btEdit, btDelete, btSave})
        commands->addWidget(b);
    right->addLayout(commands);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 1);
    middle->addLayout(right, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    Co_CheckType->addItem(kAllTemplates);
    Co_CheckType->addItems(app.templates().loadCheckTypeFullNameList(QString()));
    const int index =
        templateId > 0 ? Co_CheckType->findText(app.templates().loadCheckTypeFullNameByID(templateId)) : -1;
    Co_CheckType->setCurrentIndex(index > 0 ? index : 0);
    Co_CheckTypeChange();

    connect(Co_CheckType, &QComboBox::currentIndexChanged, this, &Tfm_DMConfig::Co_CheckTypeChange);
    connect(listBoxNames, &QListWidget::itemClicked, this, &Tfm_DMConfig::listBoxNamesClick);
    connect(ckShowCommon, &QCheckBox::toggled, this, &Tfm_DMConfig::loadValues);
    connect(btAddName, &QPushButton::clicked, this, &Tfm_DMConfig::btAddNameClick);
    connect(btAppend, &QPushButton::clicked, this, &Tfm_DMConfig::btAppendClick);
    connect(btEdit, &QPushButton::clicked, this, &Tfm_DMConfig::btEditClick);
    connect(btDelete, &QPushButton::clicked, this, &Tfm_DMConfig::btDeleteClick);
    connect(btSave, &QPushButton::clicked, this, &Tfm_DMConfig::btSaveClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    // A click in a cell starts editing it.
    connect(DBGrid1, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& cell) { DBGrid1->edit(cell); });
    connect(DBGrid1, &core::ui::DataGrid::writeFailed, this,
            [this](const QString& message) { m_app.dialogs().error(message); });
}

void Tfm_DMConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tfm_DMConfig::done(int result) {
    DBGrid1->postPending();
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

void Tfm_DMConfig::FormShow() {
    const int screenHeight = screen() ? screen()->size().height() : 768;
    Co_CheckType->setMaxVisibleItems(screenHeight < 800 ? 23 : screenHeight < 900 ? 30 : 35);
    core::ui::FormFace::load(m_app.userIni(), *this);
    placeAtTop(*this);
}

void Tfm_DMConfig::Co_CheckTypeChange() {
    const QString fullName = Co_CheckType->currentText();
    m_templateId =
        fullName == kAllTemplates ? 0 : m_app.templates().loadCheckTypeIDByTypeFullName(fullName).toInt();
    setWindowTitle(QStringLiteral("字典设置-") + fullName + QStringLiteral("(单据号=") +
                   QString::number(m_templateId) + QLatin1Char(')'));
    loadNames();
}

QString Tfm_DMConfig::currentName() const {
    const QListWidgetItem* item = listBoxNames->currentItem();
    return item ? item->text() : QString();
}

void Tfm_DMConfig::loadNames() {
    listBoxNames->clear();
    try {
        listBoxNames->addItems(m_store.names(m_templateId));
    } catch (const core::DbError&) {
        // The list stays as read; the values below report their own statement.
    }
    if (listBoxNames->count() > 0)
        listBoxNames->setCurrentRow(0);
    loadValues();
}

void Tfm_DMConfig::listBoxNamesClick() {
    loadValues();
}

void Tfm_DMConfig::loadValues() {
    const QString name = currentName();
    edtNewName->setEditText(name);
    lbValues->setText(QStringLiteral("3、[") + name +
                      QStringLiteral("]已有字典内容：(\"单据号=0\"表示公用内容)"));
    if (name.isEmpty()) {
        DBGrid1->close();
        return;
    }
    const QString sql = DictionaryStore::valuesSql(ckShowCommon->isChecked());
    try {
        DBGrid1->setQuery(sql, DictionaryStore::valuesParams(m_templateId, name));
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("错误,sql=") + sql);
        return;
    }
    DBGrid1->setColumnHidden(DBGrid1->fieldIndex(QStringLiteral("ID")), true);
    DBGrid1->setColumnHidden(DBGrid1->fieldIndex(QStringLiteral("DMName")), true);
    DBGrid1->setColumnWidth(DBGrid1->fieldIndex(kValue), 290);
    DBGrid1->setColumnWidth(DBGrid1->fieldIndex(kTemplate), 50);
}

void Tfm_DMConfig::btAddNameClick() {
    const QString name = edtNewName->currentText().trimmed();
    if (name.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请输入字典名称"));
        edtNewName->setFocus();
        return;
    }
    // Such a name would be a template setting, which this window never lists again.
    if (DictionaryStore::isSettingName(name)) {
        m_app.dialogs().message(QStringLiteral("字典名称不能以\"cfg\"开头，请换一个名称"));
        edtNewName->setFocus();
        return;
    }
    try {
        if (m_store.exists(m_templateId, name)) {
            m_app.dialogs().message(QStringLiteral("字典项目【") + name + QStringLiteral("】已经存在"));
            return;
        }
        m_store.addName(m_templateId, name);
    } catch (const core::DbError& e) {
        m_app.dialogs().error(e.message());
        return;
    }
    loadNames();
}

void Tfm_DMConfig::btAppendClick() {
    const QString name = currentName();
    if (name.isEmpty() || !DBGrid1->isOpen())
        return;
    DBGrid1->appendRow(
        {{QStringLiteral("DMName"), name}, {kValue, QStringLiteral(" ")}, {kTemplate, m_templateId}});
    btEditClick();
}

void Tfm_DMConfig::btEditClick() {
    const int row = DBGrid1->currentRow();
    if (row < 0)
        return;
    const QModelIndex cell = DBGrid1->model()->index(row, DBGrid1->fieldIndex(kValue));
    DBGrid1->setCurrentIndex(cell);
    DBGrid1->setFocus();
    DBGrid1->edit(cell);
}

void Tfm_DMConfig::btSaveClick() {
    if (DBGrid1->postPending())
        loadValues();
}

void Tfm_DMConfig::btDeleteClick() {
    if (!m_app.dialogs().ask(QStringLiteral("确认删除字典项目吗？"), QStringLiteral("确认")))
        return;
    if (DBGrid1->rowCount() == 0) {
        m_app.dialogs().message(QStringLiteral("对不起，没有内容可删除！"));
        return;
    }
    try {
        DBGrid1->deleteCurrentRow();
    } catch (const core::DbError& e) {
        m_app.dialogs().error(e.message());
    }
    if (DBGrid1->rowCount() == 0)
        loadNames();
    else
        loadValues();
}

void openDictionaries(core::AppContext& app, QWidget* parent) {
    Tfm_DMConfig window(app, app.currentCheckTypeId, parent);
    window.exec();
}

} // namespace masterdata::ui
