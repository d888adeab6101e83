#pragma once

#include "templates/TemplateWhole.h"
#include "templates/ui/TfrmImageShow.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace core {
class AppContext;
}

namespace templates::ui {

// "打印整体偏移调整": the whole-template settings of one template at a time — print offset with
// arrows, feed direction, entry-screen size and paper size — and the preview.
//
// Saving writes only what the clerk changed: leaving an offset or paper box and every arrow
// click store that one column at once (the caption says whether it changed); "保存整体设置"
// stores every changed column in one transaction and says how it went. A box's range includes
// the stored value, so a template outside the usual ranges shows as it is and stays so.
class TfrmPrintOffset final : public QDialog {
    Q_OBJECT
public:
    TfrmPrintOffset(core::AppContext& app, int checkTypeId, QWidget* parent = nullptr);
    ~TfrmPrintOffset() override;

    // The entry-form designer of the main window, run by "整体上差不多，我要调整某单项的打印位置"
    // for the current template; without it that button is disabled.
    void setDesignerCommand(std::function<void()> open);

    int currentId() const { return m_stored.found ? m_stored.id : 0; }
    void loadParam();
    void btSaveMoveClick();
    void btPreviewItClick();
    void btPrintItemSetClick();
    // The arrows: dx, dy in tenths of a millimetre (±10).
    void moveBy(int dx, int dy);
    void showFeedPicture(bool landscape);
    TfrmImageShow* imageWindow() const { return m_image; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void fillList(int checkTypeId);
    QSpinBox* numberBox(const QString& name, TemplateWhole::Field field);
    void showValues();
    void updateLabels();
    TemplateWhole wanted() const;
    // The automatic save of one box when it is left or moved by an arrow.
    void autoSave(TemplateWhole::Field field);

    core::AppContext& m_app;
    TemplateWhole m_stored;
    // A box already saved itself since the template was shown or last saved by the button.
    bool m_autoSaved = false;
    std::function<void()> m_openDesigner;
    QPointer<TfrmImageShow> m_image;
    bool m_showing = false;

    QListWidget* listCheckTypeName;
    QLabel* lbTypeName;
    QRadioButton* rdHX;
    QRadioButton* rdZX;
    QLabel* lbPictureZX;
    QLabel* lbPictureHX;
    QSpinBox* m_boxes[TemplateWhole::FieldCount];
    QLabel* lbMoveX;
    QLabel* lbMoveY;
    QLabel* lbWidth;
    QLabel* lbHeight;
    QToolButton* btLeft;
    QToolButton* btRight;
    QToolButton* btUp;
    QToolButton* btDown;
    QPushButton* btSaveMove;
    QPushButton* btPreviewIt;
    QPushButton* btPrintItemSet;
    QPushButton* Button1;
};

} // namespace templates::ui
