#include "history/ui/TfrmGridConfig.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FormFace.h"
#include "core/ui/GridServices.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <exception>

namespace history::ui {

namespace {

// What a column shown again gets when it never had a width of its own.
constexpr int kShownWidth = 50;

QList<int> selectedPositions(const QListWidget& list) {
    QList<int> positions;
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->isSelected())
            positions << i;
    return positions;
}

} // namespace

TfrmGridConfig::TfrmGridConfig(core::AppContext& app, core::ui::GridServices& grids, core::ui::DataGrid& grid,
                               const QString& section, QWidget* parent)
    : QDialog(parent), m_app(app), m_grids(grids), m_grid(grid), m_section(section) {
    setObjectName(QStringLiteral("TfrmGridConfig"));
    setWindowTitle(QStringLiteral("表格栏目配置"));
    setModal(true);
    resize(420, 360);

    auto* group = new QGroupBox(QStringLiteral("表格数据列配置"), this);
    group->setObjectName(QStringLiteral("gbColumns"));
    lstShow = new QListWidget(group);
    lstShow->setObjectName(QStringLiteral("lstShow"));
    lstHide = new QListWidget(group);
    lstHide->setObjectName(QStringLiteral("lstHide"));
    for (QListWidget* list : {lstShow, lstHide}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setSortingEnabled(false);
    }
    goHidden = new QPushButton(QStringLiteral("隐藏"), group);
    goHidden->setObjectName(QStringLiteral("goHidden"));
    goShowing = new QPushButton(QStringLiteral("显示"), group);
    goShowing->setObjectName(QStringLiteral("goShowing"));
    btSaveSet = new QPushButton(QStringLiteral("应用修改"), this);
    btSaveSet->setObjectName(QStringLiteral("btSaveSet"));
    btCloseSet = new QPushButton(QStringLiteral("关 闭"), this);
    btCloseSet->setObjectName(QStringLiteral("btCloseSet"));

    auto* showSide = new QVBoxLayout;
    showSide->addWidget(new QLabel(QStringLiteral("需要的数据列："), group));
    showSide->addWidget(lstShow);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(goHidden);
    moves->addWidget(goShowing);
    moves->addStretch();
    auto* hideSide = new QVBoxLayout;
    hideSide->addWidget(new QLabel(QStringLiteral("不需要的数据列："), group));
    hideSide->addWidget(lstHide);
    auto* lists = new QHBoxLayout(group);
    lists->addLayout(showSide, 1);
    lists->addLayout(moves);
    lists->addLayout(hideSide, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btSaveSet);
    buttons->addWidget(btCloseSet);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    connect(goHidden, &QPushButton::clicked, this, &TfrmGridConfig::goHiddenClick);
    connect(goShowing, &QPushButton::clicked, this, &TfrmGridConfig::goShowingClick);
    connect(btSaveSet, &QPushButton::clicked, this, &TfrmGridConfig::btSaveSetClick);
    connect(btCloseSet, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmGridConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmGridConfig::done(int result) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

void TfrmGridConfig::FormShow() {
    QList<bool> visible;
    for (int i = 0; i < m_grid.columnCount(); ++i)
        visible << !m_grid.isColumnHidden(i);
    m_choice = ColumnChoice(m_grid.fieldNames(), visible);
    fillLists();
    core::ui::FormFace::load(m_app.userIni(), *this);
}

void TfrmGridConfig::fillLists() {
    lstShow->clear();
    lstHide->clear();
    lstShow->addItems(m_choice.shown());
    lstHide->addItems(m_choice.hidden());
}

void TfrmGridConfig::goHiddenClick() {
    m_choice.hide(selectedPositions(*lstShow));
    fillLists();
}

void TfrmGridConfig::goShowingClick() {
    m_choice.show(selectedPositions(*lstHide));
    fillLists();
}

void TfrmGridConfig::btSaveSetClick() {
    try {
        const QStringList fields = m_grid.fieldNames();
        // Shown first, hidden after: a hidden column keeps, inside the header, the width it had
        // before hiding, which is what it gets back here.
        for (int i = 0; i < fields.size(); ++i)
            if (m_choice.isShown(fields.at(i))) {
                m_grid.setColumnHidden(i, false);
                if (m_grid.columnWidth(i) < 1)
                    m_grid.setColumnWidth(i, kShownWidth);
            }
        for (int i = 0; i < fields.size(); ++i)
            if (!m_choice.isShown(fields.at(i)))
                m_grid.setColumnHidden(i, true);
        m_grids.GridColsWidthSave(m_grid, m_section);
        m_app.dialogs().message(QStringLiteral("栏目显示设置成功~"));
    } catch (const std::exception& e) {
        m_app.dialogs().message(QStringLiteral("设置出现意外错误~") + QString::fromUtf8(e.what()));
    }
}

void GridColsConfigration(core::AppContext& app, core::ui::GridServices& grids, core::ui::DataGrid& grid,
                          const QString& section, QWidget* parent) {
    TfrmGridConfig window(app, grids, grid, section, parent);
    window.exec();
}

} // namespace history::ui
