#pragma once

#include "print/MeasuredCalibration.h"

#include <QDialog>
#include <QVector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace print::ui {

// "打印校准": prints the calibration page of a template on the current printer, takes the
// crosses the clerk measured with a ruler (blank boxes skipped) or measures them on a scan of the
// page printed on the form, shows the fit and each cross's residual, and stores the correction:
// the ruler's for the printer, paper source and direction, the scan's for the printer and the
// template. Says which correction is in force and since when; one button returns to none.
class TfrmMeasuredCalibration final : public QDialog {
    Q_OBJECT
public:
    TfrmMeasuredCalibration(core::AppContext& app, PrintDevice& device, QWidget* parent = nullptr);
    ~TfrmMeasuredCalibration() override;
    Q_DISABLE_COPY_MOVE(TfrmMeasuredCalibration)

    void btPrintPageClick();
    // "计算": the ruler's readings fitted; "保存校准" stores the last accepted fit once.
    void btSolveClick();
    void btSaveClick();
    // "从扫描图校准": a scan file chosen through the dialogs service, measured and fitted.
    void btScanClick();
    void measureScanFile(const QString& path);
    void btClearClick();

    // The page the window fits against: the template's, on the printer as it is set up now.
    const MeasuredCalibration::Page& page() const { return m_page; }

private:
    int templateId() const;
    void preparePage();
    void showInForce();
    void showFit();
    void forgetFit();

    core::AppContext& m_app;
    PrintDevice& m_device;
    QComboBox* m_template;
    QLabel* m_printer;
    QLabel* m_inForce;
    QLabel* m_code;
    QVector<QLineEdit*> m_x;
    QVector<QLineEdit*> m_y;
    QVector<QLabel*> m_nominal;
    QVector<QLabel*> m_residual;
    QLabel* m_result;
    QLabel* m_scan;
    QPushButton* m_save;
    MeasuredCalibration::Page m_page;
    MeasuredCalibration::Fit m_fit;
    MeasuredCalibration::Path m_fitPath = MeasuredCalibration::Path::None;
};

} // namespace print::ui
