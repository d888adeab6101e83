#pragma once

#include "print/TestPage.h"

#include <QDialog>

class QRadioButton;

namespace core {
class AppContext;
}

namespace print::ui {

// "打印测试页" of a template: its test values or the frames of its items, on one sheet.
class TfrmTestPage final : public QDialog {
    Q_OBJECT
public:
    TfrmTestPage(core::AppContext& app, PrintDevice& device, int checkTypeId, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmTestPage)

    void btPrintClick();

private:
    core::AppContext& m_app;
    PrintDevice& m_device;
    int m_id;
    QRadioButton* m_values;
};

} // namespace print::ui
