#pragma once

#include "designer/LayoutStore.h"

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;

namespace core {
class AppContext;
}

namespace designer::ui {

class LayoutSurface;

// "打印预览": the print layout of one template on a picture of its paper. Every change is
// written at once to the item's ckControl row (only what the clerk changed; a box's range
// includes the stored value, so opening and saving never moves an item). Drags and moves are
// stored as the old value plus the moved distance converted at the surface's scale.
//
// Opened for one template: TfmTemplateDesigner window(app, id, parent); if (window.isValid())
// window.exec(); or simply TfmTemplateDesigner::run(app, id, parent).
class TfmTemplateDesigner final : public QDialog {
    Q_OBJECT
public:
    TfmTemplateDesigner(core::AppContext& app, int checkTypeId, QWidget* parent = nullptr);
    ~TfmTemplateDesigner() override;

    // Opens the designer modally for a template; does nothing more than the message when the
    // template has no kind.
    static void run(core::AppContext& app, int checkTypeId, QWidget* parent);

    // False when the template has no kind: the message has been shown and the window must not open.
    bool isValid() const { return m_valid; }
    LayoutSurface* surface() const { return m_surface; }
    LayoutStore& store() { return m_store; }
    // Name parts of the selection, in selection order.
    QStringList selectedNames() const;
    QString currentName() const;
    bool isLoading() const { return m_loading; }

    void btLoadCheckItemClick();
    void selectItem(const QString& name); // as a click on one of its parts
    void selectGroup(const QString& groupOrPattern);
    void setMultiple(bool multiple);
    void selectAll();
    void invertSelection();
    void clearSelection();
    void moveSelected(const QString& column, int sign);
    void btSaveXYClick();
    void btSaveXYWHClick();
    void btMaxVeiwClick();
    void btUpdateTestDataClick();
    QString statusMessage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    QWidget* buildPaperPanel();
    QWidget* buildToolPanel();
    QWidget* buildPropertyPanel();
    QTabWidget* buildBatchPages();
    QSpinBox* spin(const QString& name, int min, int max);
    void connectField(QSpinBox* box, const QString& column);
    void fillFonts();
    void openTemplate(int checkTypeId);
    void loadImage(const QString& path);

    QString entryFor(const QString& name);
    void addEntry(const QString& entry);
    void selectionChanged();
    void ALoadDataByCtlName(const QString& name);
    void ARePaintItem(const QString& name);
    void repaintSelected();
    void ASaveCtlDataField(const QString& column, const QVariant& value);
    void report(const Outcome& outcome);
    void setMessage(const QString& text);
    void setRange(QSpinBox* box, int min, int max, int value);
    void updateBreakControls();
    void updateCellControls();
    void stepChanged(int step);
    void zoomChanged();
    void surfacePressed(const QString& item);
    void surfaceDoubleClicked(const QString& item);
    void dragMoved(const QString& item, const QPoint& delta);
    void dragFinished(const QString& item, const QPoint& delta);
    void batch(const std::function<Outcome(const QStringList&)>& command);

    core::AppContext& m_app;
    LayoutStore m_store;
    bool m_valid = false;
    bool m_placed = false;
    bool m_loading = false;
    bool m_multiple = false;
    int m_screenDpi = 96;
    QStringList m_selection;             // "label=name" entries
    std::optional<LayoutItem> m_current; // the item whose properties the panel shows

    QWidget* pnlPaper;
    QWidget* pnlTool;
    QWidget* pnlProperty;
    QScrollArea* m_scroll;
    LayoutSurface* m_surface;
    QDoubleSpinBox* edtPWidth;
    QDoubleSpinBox* edtPHeight;
    QPushButton* btSaveXY;
    QLineEdit* edtPreImage;
    QPushButton* btPicBrowse;
    QGroupBox* RadioGrpSel;
    QRadioButton* rbSingle;
    QRadioButton* rbMultiple;
    QComboBox* cbSelGroup;
    QPushButton* btMoveUp;
    QPushButton* btMoveDown;
    QPushButton* btMoveLeft;
    QPushButton* btMoveRight;
    QSpinBox* StepLenth;
    QLabel* lbStepWidth;
    QComboBox* cbZoom;
    QCheckBox* ckTransportColor;
    QListWidget* lstAllCtlNames;
    QListWidget* lstSelectedNames;
    QSpinBox* edtCtlX;
    QSpinBox* edtCtlY;
    QSpinBox* edtCtlH;
    QSpinBox* edtCtlW;
    QComboBox* cbFontName;
    QSpinBox* edtFontSize;
    QCheckBox* ckBold;
    QCheckBox* ckItalic;
    QCheckBox* ckUnderLine;
    QCheckBox* ckMutiLineOn;
    QSpinBox* edtBreakNum;
    QSpinBox* edtFontSizeBreak;
    QSpinBox* edtLineH;
    QCheckBox* ckWidthAveOn;
    QSpinBox* edtAveWidth;
    QRadioButton* alLeft;
    QRadioButton* alCenter;
    QRadioButton* alRight;
    QLineEdit* edtDefaultValue;
    QComboBox* cbTestData;
    QPushButton* btUpdateTestData;
    QPushButton* btSaveXYWH;
    QTabWidget* PageControlUpdate;
    QComboBox* cbBatchFontSize;
    QComboBox* cbBatchFontName;
    QSpinBox* edtIncreaseX;
    QSpinBox* edtIncreaseY;
    QPushButton* btMaxVeiw;
    QLabel* m_panels[4];
    int m_maxTop = 3000;
};

} // namespace designer::ui
