#pragma once

#include "print/TextModeSettings.h"
#include "templates/PreviewPlan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableWidget;

namespace core {
class AppContext;
}

namespace templates::ui {

// The paper of a template drawn to scale at the screen's pixels per inch: centimetre rulers
// around the drawing area and along the paper's edges, the paper moved by the offset, and the
// item plan of every printable item with its test value.
class PreviewPaper final : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPaper(QWidget* parent = nullptr);

    void setPlan(const PreviewPlan* plan) { m_plan = plan; }
    // Draws the values as the dot-matrix printer prints them in text mode with these settings:
    // each character in its cell of the printer font, on a faint grid; no lines.
    void setTextMode(bool on, const print::TextModeSettings& settings);
    bool textMode() const { return m_textMode; }
    // The paper's shift from the drawing area's origin, tenths of a millimetre.
    void setShift(int x, int y);
    // The paper's top-left corner (where the inner rulers start) in widget pixels.
    QPoint paperOrigin() const;
    // Pixels of a length in tenths of a millimetre, at this widget's pixels per inch.
    int toPixelsX(int tenths) const;
    int toPixelsY(int tenths) const;

    static constexpr int kOriginX = 72; // the outer rulers' zero, in widget pixels
    static constexpr int kOriginY = 64;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateSize();
    void paintTextMode(QPainter& painter);

    const PreviewPlan* m_plan = nullptr;
    bool m_textMode = false;
    print::TextModeSettings m_textSettings;
    int m_shiftX = 0;
    int m_shiftY = 0;
};

// "打印预览" of one template, opened from the offset window. The offset boxes move the paper
// without storing anything; the test values are edited in the grid and stored in NameDict.
class Tfm_PrintPreview final : public QDialog {
    Q_OBJECT
public:
    Tfm_PrintPreview(core::AppContext& app, int checkTypeId, QWidget* parent = nullptr);

    // False when the template has no kind: the message has been shown and the window must
    // not open.
    bool isValid() const { return m_plan.found; }
    const PreviewPlan& plan() const { return m_plan; }
    PreviewPaper* paper() const { return m_paper; }

    void ckNoMoveXYClick();
    void ckTextModeClick();
    void btEditPreviewDataClick();
    void moveChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void loadGrid();
    void testValueEdited(int row, int column);
    void redraw();

    core::AppContext& m_app;
    PreviewPlan m_plan;
    QLabel* LbTitle;
    QSpinBox* XMove;
    QSpinBox* YMove;
    QLineEdit* edtMoveX;
    QLineEdit* edtMoveY;
    QCheckBox* ckNoMoveXY;
    QCheckBox* ckTextMode;
    QPushButton* btEditPreviewData;
    QPushButton* btClose;
    QTableWidget* dbgPreviewData;
    QScrollArea* m_scroll;
    PreviewPaper* m_paper;
    bool m_loading = false;
};

} // namespace templates::ui
