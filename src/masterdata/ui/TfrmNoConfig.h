#pragma once

#include "masterdata/TIdType.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace core {
class AppContext;
}

namespace masterdata::ui {

// "单号设置": prefix, digits and counter of the bill-number series "S" of one template.
class TfrmNoConfig final : public QDialog {
    Q_OBJECT
public:
    TfrmNoConfig(core::AppContext& app, int templateId, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmNoConfig)

    void FormShow();
    void btSaveClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshExample();

    core::AppContext& m_app;
    int m_templateId;
    std::unique_ptr<TIdType> m_rule;
    QLineEdit* zdhead;
    QSpinBox* zdWidth;
    QLineEdit* zdInitNO;
    QLabel* lbExample;
    QPushButton* btSave;
    QPushButton* btClose;
};

} // namespace masterdata::ui
