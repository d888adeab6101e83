#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;

namespace core {
class AppContext;
}

namespace templates::ui {

// "固定票据打印机": stores the bill printer as DefaultPrinter and makes it current; opens the
// calibration for it.
class TfmLockPrinter final : public QDialog {
    Q_OBJECT
public:
    // printers: the main window's list; setDefaultPrinter makes a listed printer current;
    // installedNow: the printers the platform offers at this moment.
    TfmLockPrinter(core::AppContext& app, const QStringList& printers,
                   std::function<void(const QString&)> setDefaultPrinter,
                   std::function<QStringList()> installedNow, QWidget* parent = nullptr);

    void btLockClick();
    void btShiPeiClick();
    // Made by btShiPeiClick; tests answer it before it runs.
    std::function<void(QDialog&)> runCalibration;

private:
    core::AppContext& m_app;
    QStringList m_printers;
    std::function<void(const QString&)> m_setDefaultPrinter;
    std::function<QStringList()> m_installedNow;
    QComboBox* cbPrinters;
    QPushButton* btLock;
    QPushButton* btShiPei;
};

} // namespace templates::ui
