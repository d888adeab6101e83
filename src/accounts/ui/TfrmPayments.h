#pragma once

#include "accounts/PaymentStore.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
}

namespace accounts::ui {

// One payment typed or changed: date, customer, amount, method, note number, remark.
class PaymentEditor : public QDialog {
    Q_OBJECT
public:
    PaymentEditor(PaymentStore& store, const QStringList& customers, const Payment& payment, QWidget* parent);
    Payment payment() const { return m_payment; }
    void accept() override;

private:
    PaymentStore& m_store;
    Payment m_payment;
    QDateEdit* m_date;
    QComboBox* m_customer;
    QLineEdit* m_amount;
    QComboBox* m_method;
    QLineEdit* m_note;
    QLineEdit* m_remark;
    QLabel* m_fault;
};

// 收款登记: the payments of a period (and a customer), their sum, add, change, delete.
// Insert adds, Enter changes the current row, Delete deletes it; the size is kept.
class TfrmPayments : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPayments(core::AppContext& app, QWidget* parent = nullptr);
    ~TfrmPayments() override;

    void query();
    void addPayment();
    void changePayment();
    void deletePayment();
    core::ui::DataGrid& grid() { return *m_grid; }
    QString sumText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaymentFilter filter() const;
    bool edit(Payment& payment);
    void refused(const std::exception& e);

    core::AppContext& m_app;
    PaymentStore m_store;
    QStringList m_customers;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_customer;
    core::ui::DataGrid* m_grid;
    QLabel* m_sum;
    QPushButton* m_add;
    QPushButton* m_change;
    QPushButton* m_delete;
};

} // namespace accounts::ui
