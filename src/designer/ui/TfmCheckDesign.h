#pragma once

#include "designer/FormStore.h"
#include "designer/ui/FormBox.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;

namespace core {
class AppContext;
}

namespace designer::ui {

// "模板设计": the entry-form designer. The input boxes of a template's items lie over its
// scanned image at natural size, placed by the entry window's own placement code, so a box here
// and in the entry window sit on the same pixel. The clerk selects a box from the list or on the
// image, moves it (buttons, Ctrl+arrow keys, dragging, the position boxes), sizes it, hides it,
// gives it a default value, and edits the captions of the tick items.
//
// Saved state: every change marks the current item unsaved; selecting another item, switching
// template, opening the print-layout designer or the offsets, and closing save it quietly.
// Closing rebuilds the layout cache of every template saved to.
class TfmCheckDesign final : public QDialog {
    Q_OBJECT
public:
    TfmCheckDesign(core::AppContext& app, int checkTypeId, QWidget* parent = nullptr);
    ~TfmCheckDesign() override;

    // False when there is no template at all (the message has been shown).
    bool isValid() const { return m_id > 0; }
    int templateId() const { return m_id; }

    // "设置打印参数": the print-layout designer for a template, handed in by the program; while
    // it is not set the button is disabled and says it is not available yet.
    using PrintLayoutOpener = std::function<void(QWidget* parent, int checkTypeId)>;
    void setPrintLayoutOpener(PrintLayoutOpener open);
    // The page "整体打印偏移": the offset window for a template, handed in by the program.
    using OffsetOpener = std::function<void(int checkTypeId)>;
    void setOffsetOpener(OffsetOpener open);

    // Handlers, named after their controls.
    void cbCheckTypeNameListChange();
    void cbTypeLastNameChange();
    void cbTypeLastNameEnter();
    void btRefreshCheckClick();
    void listCtlLabelClick(QListWidgetItem* entry);
    void btSaveCheckClick();
    void btPreviewClick();
    void btRunClick(int dx, int dy);
    void ckHiddenClick();
    void edtDefaultValChange();
    void nSelectAllClick();
    void nInvertClick();
    void nCheckBoxsClick();

    // Selects an item by name (letter case ignored), as a click on its list entry does.
    void selectItem(const QString& name);
    QString currentItem() const;
    bool isSaved() const { return m_saved; }
    FormBox* box(const QString& name) const;
    QString messageText() const;
    QString statusText(int panel) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    enum class SaveMode { Button, Quiet, Silent };

    void buildWindow();
    QSpinBox* numberBox(const QString& name);
    void fillKinds();
    void fillVariants();
    void fillItemList();
    void loadTemplate(int id, bool force);
    void createBoxes();
    void placeBox(FormBox* box, const FormLayout& layout);
    // The number boxes' ranges for the current image, widened to hold these stored values.
    void setRanges(int x, int y, int w, int h);
    void setLoading(bool loading) { m_loading = loading; }
    void showLayout(const FormItem& item, const FormLayout& layout);
    void showFont(const FormLayout& layout);
    bool saveCurrent(SaveMode mode);
    void saveIfPending(SaveMode mode = SaveMode::Quiet);
    void markUnsaved() { m_saved = false; }
    BoxValues currentValues() const;
    void applyBoxValues();
    void numberBoxChange();
    void numberBoxExit();
    void moveCurrentTo(int x, int y);
    bool keyPress(const QKeyEvent* key);
    void boxPressed(FormBox* box, QPoint globalPos);
    void boxDragged(QPoint globalPos);
    void boxReleased();
    void endDrag();
    void setMessage(const QString& text);
    void blink();
    void setStatus(int panel, const QString& text);
    void reloadCurrentItem();
    void offsetPageShown(int index);
    void finish();
    const FormItem* itemOf(const QString& name) const;
    QString templateKind() const;

    core::AppContext& m_app;
    FormStore m_store;
    int m_id = 0;
    int m_loadedId = 0;
    QString m_kind;
    QSize m_imageSize;
    QString m_checkBoxes;
    QList<FormItem> m_items;
    QHash<QString, FormBox*> m_boxes;
    QPointer<FormBox> m_current;
    QPointer<FormBox> m_previous;
    bool m_saved = true;
    bool m_loading = false;
    bool m_finished = false;
    QPointer<FormBox> m_dragged;
    QPoint m_grab;
    bool m_blinkOn = false;
    PrintLayoutOpener m_openLayout;
    OffsetOpener m_openOffsets;

    QTabWidget* pageControl = nullptr;
    QComboBox* cbCheckTypeNameList = nullptr;
    QComboBox* cbTypeLastName = nullptr;
    QPushButton* btRefreshCheck = nullptr;
    QListWidget* listCtlLabel = nullptr;
    QSpinBox* SrcX = nullptr;
    QSpinBox* SrcY = nullptr;
    QSpinBox* SrcW = nullptr;
    QSpinBox* SrcH = nullptr;
    QSlider* barMM = nullptr;
    QLabel* lbStep = nullptr;
    QToolButton* btRunU = nullptr;
    QToolButton* btRunL = nullptr;
    QToolButton* btRunR = nullptr;
    QToolButton* btRunD = nullptr;
    QCheckBox* ckHidden = nullptr;
    QLineEdit* edtDefaultVal = nullptr;
    QLabel* lbFont = nullptr;
    QPushButton* btSaveCheck = nullptr;
    QPushButton* btPreview = nullptr;
    QLabel* lbMessage = nullptr;
    QTimer* m_blinkTimer = nullptr;
    QScrollArea* panelCheckArea = nullptr;
    QWidget* panelImgBg = nullptr;
    QLabel* bgImage = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* m_panels[3] = {nullptr, nullptr, nullptr};
};

} // namespace designer::ui
