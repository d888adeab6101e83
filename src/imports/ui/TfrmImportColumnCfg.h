#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
}

namespace imports::ui {

// "导入列匹配-设置": the rules of one import kind, each item with the column titles it accepts.
// The titles are edited and submitted; adding and deleting items is for the service code.
class TfrmImportColumnCfg final : public QDialog {
    Q_OBJECT
public:
    TfrmImportColumnCfg(core::AppContext& app, const QString& matchType, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmImportColumnCfg)

    static constexpr const char* serviceCode = "6083952";

    core::ui::DataGrid& grid() { return *DBGrid1; }

    void btSubmitClick();
    void btAddClick();
    void btDeleteClick();
    void dbShowOrderChange(const QString& text);

private:
    void openRules(int keepRow);
    void showCurrent();

    core::AppContext& m_app;
    QString m_matchType;

    QComboBox* cbMatchType;
    core::ui::DataGrid* DBGrid1;
    QLineEdit* dbShowOrder;
    QLineEdit* dbItemName;
    QLineEdit* dbColumns;
    QPushButton* btSubmit;
    QPushButton* btAdd;
    QPushButton* btDelete;
    QPushButton* btClose;
};

} // namespace imports::ui
