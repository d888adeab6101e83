#pragma once

#include "masterdata/ProductStore.h"

#include <QDialog>
#include <QList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace core::ui {
class TypingLimit;
}

namespace masterdata::ui {

// "商品详细资料": the form that adds, edits and copies one product.
class Tfrm_GoodInfo final : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_GoodInfo(core::AppContext& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Tfrm_GoodInfo)

    // Fills the boxes from a stored product (an edit).
    void setProduct(const Product& product);
    // Set by the catalogue: runs after every successful save.
    void setOnSaved(std::function<void()> onSaved) { m_onSaved = std::move(onSaved); }

    void btSaveClick();
    void btSaveCloseClick();
    void btEmptyClick();
    void btCopyClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void edtNameChange();
    void edtNameExit();
    // Returns true when the product was stored.
    bool save();
    Product productFromBoxes() const;
    QLineEdit* addLine(const QString& name);
    QComboBox* addCombo(const QString& name);

    core::AppContext& m_app;
    ProductStore m_store;
    std::function<void()> m_onSaved;
    QLineEdit* edtID;
    QLineEdit* edtName;
    QLineEdit* edtInputCode;
    QLineEdit* edtBrand;
    QComboBox* cbOtherPro;
    QLineEdit* edtIdenty;
    QComboBox* cbUnit;
    QLineEdit* edtPrice;
    QLineEdit* edtSpecPrice;
    QLineEdit* edtRemark;
    // The form's length limits bind typing only: stored values longer than them load uncut.
    core::ui::TypingLimit* m_inputCodeLimit;
    core::ui::TypingLimit* m_remarkLimit;
    QComboBox* cbClassify;
    QCheckBox* ckAddNew;
    QPushButton* btSave;
    QPushButton* btSaveClose;
    QPushButton* btClose;
    QPushButton* btEmpty;
    QPushButton* btCopy;
    // Where Enter moves the focus, in order.
    QList<QWidget*> m_enterOrder;
};

} // namespace masterdata::ui
