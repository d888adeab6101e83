#pragma once

#include "imports/ExcelBridge.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace imports {
class Spreadsheet;
}

namespace imports::ui {

// One workbook of an import window: its path box, browse button and sheet chooser, the
// application object that holds it open, its column list and the column choosers it fills.
// The recipient import has one, the order import two (orders and goods lines).
class WorkbookSource final : public QObject {
    Q_OBJECT
public:
    WorkbookSource(core::AppContext& app, QLineEdit* path, QPushButton* browse, QComboBox* sheets,
                   QObject* parent = nullptr);
    ~WorkbookSource() override;

    void setChoosers(const QVector<QComboBox*>& choosers) { m_choosers = choosers; }
    // "EXCEL导入错误," + reason is shown here when opening fails.
    bool openWorkbook(const QString& path);
    void browse();
    // Releases the application object with its workbook (failures ignored).
    void release();

    bool isOpen() const;
    imports::Spreadsheet* workbook() const { return m_workbook.get(); }
    QString path() const;
    QStringList columnList() const { return m_columns; }
    // Activates the sheet named in the sheet chooser; throws SpreadsheetError without a workbook.
    void activateChosen();
    // Fills every chooser with the column list, nothing chosen.
    void fillChoosers();
    // Selects a column in a chooser (-1: the empty entry).
    static void choose(QComboBox* chooser, int column);

    static QString browseFilter();

signals:
    // A workbook or another sheet was opened: the choosers hold its columns, to be matched.
    void columnsChanged();
    void openFailed();

private:
    void sheetChosen(int index);
    void readColumns();

    core::AppContext& m_app;
    imports::ExcelBridge m_bridge;
    QPointer<QLineEdit> m_path;
    QPointer<QComboBox> m_sheets;
    QVector<QComboBox*> m_choosers;
    std::unique_ptr<imports::Spreadsheet> m_workbook;
    QStringList m_columns;
};

} // namespace imports::ui
