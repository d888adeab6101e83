#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace core {
class AppContext;
}

namespace templates {
struct PrinterCalibration;
}

namespace templates::ui {

// "打印机整体偏移参数适配": offset presets of known printer models, the clerk's calibration of
// the bill printer, applied to every template at once and remembered in Config.ini; and how the
// chosen printer is driven (graphics, or text in the dot-matrix printer's own font).
class TfrmPrinterParam final : public QDialog {
    Q_OBJECT
public:
    // printers: the installed printers as the main window lists them; installedNow: the
    // printers the platform offers at this moment (a printer may have gone since start).
    TfrmPrinterParam(core::AppContext& app, const QStringList& printers,
                     std::function<QStringList()> installedNow, QWidget* parent = nullptr);

    // Fixes the bill printer the calibration is for (from the printer lock).
    void lockPrinter(const QString& name);
    void cb_PrintersWeKnowChange();
    void BitBtn1Click();
    // Shows how the chosen printer is driven; storing is at each change of a box.
    void showPrintMode();
    void printModeChanged();

private:
    void buildWindow();
    void showPreset(const PrinterCalibration& preset);

    core::AppContext& m_app;
    std::function<QStringList()> m_installedNow;
    bool m_opening = true;
    QComboBox* cb_PrintersWeKnow;
    QLineEdit* edtOX;
    QLineEdit* edtOY;
    QComboBox* cbODirection;
    QLineEdit* edtOBoardPosition;
    QLabel* imgPreset;
    QComboBox* cb_PrintersClient;
    QLineEdit* edtUPrinter;
    QSpinBox* edtUX;
    QSpinBox* edtUY;
    QComboBox* cbUDirection;
    QLineEdit* edtUBoardPosition;
    QComboBox* cbPrintMode;
    QComboBox* cbCharset;
    QComboBox* cbVUnit;
    QComboBox* cbHUnit;
    bool m_showingMode = false;
    QPushButton* BitBtn1;
    QPushButton* Button1;
};

} // namespace templates::ui
