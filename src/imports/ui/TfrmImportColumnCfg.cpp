#include "imports/ui/TfrmImportColumnCfg.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "imports/ColumnMatching.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace imports::ui {

namespace {
const QString kRules =
    QStringLiteral("Select Id as ID, ItemName as 项目名, SourceName as [Excel/CSV源列名], ShowOrd "
                   "from MatchColumn where MatchType=:MatchType order by Id");
}

TfrmImportColumnCfg::TfrmImportColumnCfg(core::AppContext& app, const QString& matchType, QWidget* parent)
    : QDialog(parent), m_app(app), m_matchType(matchType.isEmpty() ? matchtype::recipients : matchType) {
    setObjectName(QStringLiteral("TfrmImportColumnCfg"));
    setWindowTitle(QStringLiteral("导入列匹配-设置"));
    resize(720, 460);

    cbMatchType = new QComboBox(this);
    cbMatchType->setObjectName(QStringLiteral("cbMatchType"));
    QStringList types{matchtype::recipients, matchtype::orders, matchtype::orderLines, matchtype::products,
                      matchtype::accounts};
    try {
        core::Recordset known = app.db().query(QStringLiteral("select distinct MatchType from MatchColumn"));
        for (known.first(); !known.eof(); known.next())
            types << known.text(0);
    } catch (const core::DbError&) {
        // The five kinds are enough to show the one being edited.
    }
    cbMatchType->addItems(types);
    cbMatchType->setCurrentText(m_matchType);
    cbMatchType->setEnabled(false);

    DBGrid1 = new core::ui::DataGrid(app.db(), this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    dbShowOrder = new QLineEdit(this);
    dbShowOrder->setObjectName(QStringLiteral("dbShowOrder"));
    dbItemName = new QLineEdit(this);
    dbItemName->setObjectName(QStringLiteral("dbItemName"));
    dbItemName->setEnabled(false);
    dbItemName->setReadOnly(true);
    dbColumns = new QLineEdit(this);
    dbColumns->setObjectName(QStringLiteral("dbColumns"));
    btSubmit = new QPushButton(QStringLiteral("提交修改"), this);
    btSubmit->setObjectName(QStringLiteral("btSubmit"));
    btAdd = new QPushButton(QStringLiteral("添加"), this);
    btAdd->setObjectName(QStringLiteral("btAdd"));
    btAdd->setVisible(false);
    btDelete = new QPushButton(QStringLiteral("删除"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btDelete->setVisible(false);
    btClose = new QPushButton(QStringLiteral("关  闭"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    for (QPushButton* button : {btSubmit, btAdd, btDelete, btClose})
        button->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("配置场景："), this));
    top->addWidget(cbMatchType);
    top->addStretch();
    auto* edit = new QGridLayout;
    edit->addWidget(new QLabel(QStringLiteral("顺序号："), this), 0, 0);
    edit->addWidget(dbShowOrder, 0, 1);
    edit->addWidget(new QLabel(QStringLiteral("项目名："), this), 1, 0);
    edit->addWidget(dbItemName, 1, 1);
    edit->addWidget(new QLabel(QStringLiteral("Excel、CSV对应列名："), this), 2, 0);
    edit->addWidget(dbColumns, 2, 1);
    auto* hint =
        new QLabel(QStringLiteral("提示：多个列名以逗号分隔(例如： 联系人,收货人,收件人 ) 。"), this);
    hint->setObjectName(QStringLiteral("lbHint"));
    edit->addWidget(hint, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btAdd);
    buttons->addWidget(btDelete);
    buttons->addStretch();
    buttons->addWidget(btSubmit);
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(edit);
    layout->addLayout(buttons);

    connect(btSubmit, &QPushButton::clicked, this, &TfrmImportColumnCfg::btSubmitClick);
    connect(btAdd, &QPushButton::clicked, this, &TfrmImportColumnCfg::btAddClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmImportColumnCfg::btDeleteClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    connect(dbShowOrder, &QLineEdit::textEdited, this, &TfrmImportColumnCfg::dbShowOrderChange);
    openRules(0);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showCurrent(); });
}

void TfrmImportColumnCfg::openRules(int keepRow) {
    try {
        DBGrid1->setQuery(kRules, {{QStringLiteral("MatchType"), m_matchType}});
        DBGrid1->setColumnHidden(DBGrid1->fieldIndex(QStringLiteral("ShowOrd")), true);
        DBGrid1->setColumnWidth(DBGrid1->fieldIndex(QStringLiteral("Excel/CSV源列名")), 420);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
    }
    if (DBGrid1->rowCount() > 0)
        DBGrid1->setCurrentRow(qBound(0, keepRow, DBGrid1->rowCount() - 1));
    showCurrent();
}

void TfrmImportColumnCfg::showCurrent() {
    const bool any = DBGrid1->currentRow() >= 0;
    dbShowOrder->setText(any ? DBGrid1->currentValue(QStringLiteral("ShowOrd")).toString() : QString());
    dbItemName->setText(any ? DBGrid1->currentValue(QStringLiteral("项目名")).toString() : QString());
    dbColumns->setText(any ? DBGrid1->currentValue(QStringLiteral("Excel/CSV源列名")).toString() : QString());
}

void TfrmImportColumnCfg::dbShowOrderChange(const QString& text) {
    if (text == QLatin1String(serviceCode)) {
        btAdd->setVisible(true);
        btDelete->setVisible(true);
        dbItemName->setEnabled(true);
        dbItemName->setReadOnly(false);
    } else {
        dbItemName->setEnabled(false);
        dbItemName->setReadOnly(true);
    }
}

void TfrmImportColumnCfg::btSubmitClick() {
    const int row = DBGrid1->currentRow();
    if (row < 0 || dbItemName->text().trimmed().isEmpty())
        return;
    const QString sources = ColumnMatching::cleanSourceNames(dbColumns->text());
    // A list of commas alone accepts no title either.
    if (sources.split(QLatin1Char(','), Qt::SkipEmptyParts).isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请输入有效的Excel/csv列名"));
        dbColumns->setFocus();
        return;
    }
    bool numeric = false;
    const int order = dbShowOrder->text().trimmed().toInt(&numeric);
    try {
        m_app.db().exec(
            QStringLiteral("update MatchColumn set SourceName=:sources, ItemName=:item, ShowOrd=:ord "
                           "where Id=:id"),
            {{QStringLiteral("sources"), sources},
             {QStringLiteral("item"), dbItemName->text().trimmed()},
             {QStringLiteral("ord"), numeric ? order : DBGrid1->currentValue(QStringLiteral("ShowOrd"))},
             {QStringLiteral("id"), DBGrid1->currentValue(QStringLiteral("ID"))}});
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
        return;
    }
    openRules(row);
}

void TfrmImportColumnCfg::btAddClick() {
    try {
        m_app.db().exec(QStringLiteral("insert into MatchColumn (MatchType,ItemName,SourceName,ShowOrd) "
                                       "values (:type,'','',0)"),
                        {{QStringLiteral("type"), m_matchType}});
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
        return;
    }
    openRules(DBGrid1->rowCount());
}

void TfrmImportColumnCfg::btDeleteClick() {
    const int row = DBGrid1->currentRow();
    if (row < 0)
        return;
    try {
        m_app.db().exec(QStringLiteral("delete from MatchColumn where Id=:id"),
                        {{QStringLiteral("id"), DBGrid1->currentValue(QStringLiteral("ID"))}});
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
        return;
    }
    openRules(row);
}

} // namespace imports::ui
