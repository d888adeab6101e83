#pragma once

#include <QFrame>
#include <QPointer>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QToolButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui

namespace entry::ui {

class NoteEditing;

// The product picker of the goods lines (PanelGoodList): a grid of the catalogue that opens
// under a goods-name box, filters as the user types and fills the line with the picked
// product. The name of the goods-name box it was opened for is its caption and decides which
// line a pick fills.
class ProductPicker final : public QFrame {
    Q_OBJECT
public:
    // checkArea is the area the picker lives in (panelCheckArea, else the boxes' container).
    ProductPicker(core::AppContext& app, core::ui::GridServices& grids, NoteEditing& editing,
                  QWidget* checkArea);
    Q_DISABLE_COPY_MOVE(ProductPicker)

    // Hooks the goods boxes of the note; call once after they exist.
    void attach();
    // Opens the product catalogue modally; the grid is refreshed afterwards.
    std::function<void()> manageProducts;

    QString caption() const { return m_caption; }
    int line() const;
    core::ui::DataGrid& grid() { return *m_grid; }
    QComboBox& classFilter() { return *m_classFilter; }

    void openFor(int line);
    void loadDataGoods(const QString& filter);
    void loadDataGoodsByClass(const QString& productClass);
    // Fills the caption's line from the grid's current row and hides the picker.
    void pick();

    // Window section of the grid's column widths.
    static const QString kSection;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* link(const QString& caption, const QString& name);
    void load(const QString& sql, const QVariantMap& params);
    void lbChooseEmptyClick();
    void lbPlusClick();
    void lbMinusClick();
    void lbSaveWidthsClick();
    void lbManageGoodsClick();
    void cbFilterClassEnter();
    void cbFilterClassSelect(const QString& productClass);
    bool goodsNameKey(int line, int key);
    int toolBarHeight() const;

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    NoteEditing& m_editing;
    QPointer<QWidget> m_area;
    core::ui::DataGrid* m_grid;
    QComboBox* m_classFilter;
    QString m_caption;
};

} // namespace entry::ui
