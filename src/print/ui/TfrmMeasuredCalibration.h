#pragma once

#include "print/MeasuredCalibration.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace core {
class AppContext;
}

namespace print::ui {

// "打印校准": prints the calibration page on the current printer, takes the six numbers the
// clerk measured, shows the fit and the residual of each cross, and stores the correction for
// the printer, its paper source and the direction. The fit starts from the correction stored
// now, which the page was printed under, so calibrating again refines.
class TfrmMeasuredCalibration final : public QDialog {
    Q_OBJECT
public:
    TfrmMeasuredCalibration(core::AppContext& app, PrintDevice& device, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmMeasuredCalibration)

    // Press "计算" (btSolve); the fit shown, stored by "保存校准" (btSave) when accepted.
    void btPrintPageClick();
    void btSolveClick();
    void btSaveClick();
    void btClearClick();

private:
    PrintDevice::Orientation orientation() const;
    QString printer() const;
    int source() const;
    void showStored();

    core::AppContext& m_app;
    PrintDevice& m_device;
    QComboBox* m_direction;
    QLabel* m_printer;
    QLabel* m_stored;
    std::array<QDoubleSpinBox*, 6> m_measured{};
    std::array<QLabel*, 3> m_residual{};
    QLabel* m_result;
    QPushButton* m_save;
    MeasuredCalibration::Fit m_fit;
};

} // namespace print::ui
