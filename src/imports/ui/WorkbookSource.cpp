#include "imports/ui/WorkbookSource.h"

#include "core/AppContext.h"
#include "imports/ColumnList.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace imports::ui {

WorkbookSource::WorkbookSource(core::AppContext& app, QLineEdit* path, QPushButton* browse, QComboBox* sheets,
                               QObject* parent)
    : QObject(parent), m_app(app), m_bridge(app), m_path(path), m_sheets(sheets) {
    connect(browse, &QPushButton::clicked, this, &WorkbookSource::browse);
    // Only a choice in the list opens a sheet; typing into the chooser does nothing.
    connect(sheets, &QComboBox::activated, this, &WorkbookSource::sheetChosen);
}

WorkbookSource::~WorkbookSource() = default;

QString WorkbookSource::browseFilter() {
    return QStringLiteral("Excel(*.xls *.csv *.xlw *.et *.xlsx *.ods);;Excel(*.xlsx);;Excel(*.xls);;"
                          "Excel(*.csv);;WPS Excel(*.et);;OpenDocument(*.ods)");
}

void WorkbookSource::browse() {
    const QString file = m_app.dialogs().openFileName(QStringLiteral("打开Excel文件"), browseFilter());
    if (file.isEmpty())
        return;
    m_path->setText(file);
    openWorkbook(file);
}

bool WorkbookSource::openWorkbook(const QString& path) {
    release();
    m_workbook = m_bridge.openExcelApplication();
    if (!m_workbook)
        return false;
    try {
        m_workbook->open(path);
        const QSignalBlocker block(m_sheets);
        m_sheets->clear();
        m_sheets->addItems(m_workbook->sheetNames());
        m_sheets->setCurrentIndex(m_workbook->activeSheet());
    } catch (const SpreadsheetError& e) {
        release();
        m_app.dialogs().message(QStringLiteral("EXCEL导入错误,") + e.message());
        emit openFailed();
        return false;
    }
    readColumns();
    return true;
}

void WorkbookSource::sheetChosen(int index) {
    if (!m_workbook || !m_workbook->isOpen())
        return;
    const QString name = m_sheets->itemText(index);
    try {
        const QStringList names = m_workbook->sheetNames();
        for (int i = 0; i < names.size(); ++i)
            if (names.at(i) == name)
                m_workbook->activate(i);
    } catch (const SpreadsheetError& e) {
        m_app.dialogs().message(QStringLiteral("EXCEL导入错误,") + e.message());
        emit openFailed();
        return;
    }
    readColumns();
}

void WorkbookSource::readColumns() {
    m_columns = ColumnList::build(*m_workbook, m_app.dialogs());
    fillChoosers();
    emit columnsChanged();
}

void WorkbookSource::fillChoosers() {
    for (QComboBox* chooser : m_choosers) {
        const QSignalBlocker block(chooser);
        chooser->clear();
        chooser->addItems(m_columns);
        chooser->setCurrentIndex(0);
    }
}

void WorkbookSource::choose(QComboBox* chooser, int column) {
    const QString prefix = QStringLiteral("列") + QString::number(column) + QLatin1Char(':');
    for (int i = 0; i < chooser->count(); ++i)
        if (column > 0 ? chooser->itemText(i).startsWith(prefix) : chooser->itemText(i).isEmpty()) {
            chooser->setCurrentIndex(i);
            return;
        }
}

void WorkbookSource::release() {
    ExcelBridge::closeExcelApplication(m_workbook);
}

bool WorkbookSource::isOpen() const {
    return m_workbook && m_workbook->isOpen();
}

QString WorkbookSource::path() const {
    return m_workbook ? m_workbook->fileName() : m_path->text();
}

void WorkbookSource::activateChosen() {
    if (!isOpen())
        throw SpreadsheetError(QStringLiteral("没有打开的工作簿。"));
    const QString name = m_sheets->currentText();
    const QStringList names = m_workbook->sheetNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i) == name)
            m_workbook->activate(i);
}

} // namespace imports::ui
