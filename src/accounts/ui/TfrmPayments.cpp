#include "accounts/ui/TfrmPayments.h"

#include "accounts/Ledger.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/Dialogs.h"
#include "core/IniFile.h"
#include "core/Lookups.h"
#include "core/ui/DataGrid.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace accounts::ui {

namespace {

const QString kSizeSection = QStringLiteral("WindowSize");
const QString kCaption = QStringLiteral("收款登记");

// Cents shown as the statements write money.
class CentsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return centsText(value.toLongLong());
    }
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

QComboBox* customerBox(const QStringList& customers, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems(customers);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setFilterMode(Qt::MatchContains);
    box->setMinimumContentsLength(18);
    return box;
}

} // namespace

PaymentEditor::PaymentEditor(PaymentStore& store, const QStringList& customers, const Payment& payment,
                             QWidget* parent)
    : QDialog(parent), m_store(store), m_payment(payment) {
    setWindowTitle(payment.id ? QStringLiteral("修改收款") : QStringLiteral("登记收款"));
    setObjectName(QStringLiteral("PaymentEditor"));
    auto* form = new QFormLayout;
    m_date = new QDateEdit(payment.date.isValid() ? payment.date : QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("edtDate"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_customer = customerBox(customers, this);
    m_customer->setObjectName(QStringLiteral("cbCustomer"));
    m_customer->setEditText(payment.customer);
    m_amount = new QLineEdit(payment.id ? centsText(payment.cents) : QString(), this);
    m_amount->setObjectName(QStringLiteral("edtAmount"));
    m_amount->setPlaceholderText(QStringLiteral("退款填负数"));
    m_method = new QComboBox(this);
    m_method->setObjectName(QStringLiteral("cbMethod"));
    m_method->addItems(store.methods());
    if (!payment.method.isEmpty() && m_method->findText(payment.method) < 0)
        m_method->addItem(payment.method);
    m_method->setCurrentText(payment.method.isEmpty() ? m_method->itemText(0) : payment.method);
    m_method->setToolTip(QStringLiteral("收款方式可在“数据字典”的“收款方式”中增加"));
    m_note = new QLineEdit(payment.note, this);
    m_note->setObjectName(QStringLiteral("edtNote"));
    m_note->setPlaceholderText(QStringLiteral("所付的送货单号，可不填"));
    m_remark = new QLineEdit(payment.remark, this);
    m_remark->setObjectName(QStringLiteral("edtRemark"));
    form->addRow(QStringLiteral("收款日期(&D)"), m_date);
    form->addRow(QStringLiteral("客户名称(&C)"), m_customer);
    form->addRow(QStringLiteral("金额(&M)"), m_amount);
    form->addRow(QStringLiteral("收款方式(&W)"), m_method);
    form->addRow(QStringLiteral("票据编号(&N)"), m_note);
    form->addRow(QStringLiteral("备注(&R)"), m_remark);
    m_fault = new QLabel(this);
    m_fault->setObjectName(QStringLiteral("lblFault"));
    m_fault->setStyleSheet(QStringLiteral("color: #b00000"));
    m_fault->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("保存"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PaymentEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PaymentEditor::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_fault);
    column->addWidget(buttons);
    (payment.id ? static_cast<QWidget*>(m_amount) : static_cast<QWidget*>(m_customer))->setFocus();
}

void PaymentEditor::accept() {
    // The clerk's mistakes are said beside the boxes; the editor stays open on them.
    const std::optional<qint64> cents = PaymentStore::typedCents(m_amount->text());
    if (!cents) {
        m_fault->setText(
            QStringLiteral("金额“%1”不是有效的金额（不能为零，退款填负数）。").arg(m_amount->text()));
        m_amount->setFocus();
        m_amount->selectAll();
        return;
    }
    const QString customer = m_store.knownCustomer(m_customer->currentText());
    if (customer.isEmpty()) {
        m_fault->setText(QStringLiteral("客户“%1”不在通讯录中，也没有开过送货单。")
                             .arg(m_customer->currentText().trimmed()));
        m_customer->setFocus();
        return;
    }
    m_payment.date = m_date->date();
    m_payment.customer = customer;
    m_payment.cents = *cents;
    m_payment.method = m_method->currentText();
    m_payment.note = m_note->text();
    m_payment.remark = m_remark->text();
    QDialog::accept();
}

TfrmPayments::TfrmPayments(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app) {
    setObjectName(QStringLiteral("TfrmPayments"));
    setWindowTitle(kCaption);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    m_customers = core::Lookups(app).loadCompanyList(QStringLiteral("往来单位"));

    const QDate today = QDate::currentDate();
    m_from = new QDateEdit(QDate(today.year(), today.month(), 1), this);
    m_from->setObjectName(QStringLiteral("edtFrom"));
    m_to = new QDateEdit(QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1), this);
    m_to->setObjectName(QStringLiteral("edtTo"));
    for (QDateEdit* d : {m_from, m_to}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    m_customer = customerBox(QStringList{QString()} + m_customers, this);
    m_customer->setObjectName(QStringLiteral("cbFilterCustomer"));
    m_customer->lineEdit()->setPlaceholderText(QStringLiteral("全部客户"));
    auto* find = new QPushButton(QStringLiteral("查询(&Q)"), this);
    find->setObjectName(QStringLiteral("btQuery"));
    auto* filters = new QHBoxLayout;
    auto* fromLabel = new QLabel(QStringLiteral("收款日期 从(&F)"), this);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("到(&T)"), this);
    toLabel->setBuddy(m_to);
    auto* customerLabel = new QLabel(QStringLiteral("客户(&K)"), this);
    customerLabel->setBuddy(m_customer);
    filters->addWidget(fromLabel);
    filters->addWidget(m_from);
    filters->addWidget(toLabel);
    filters->addWidget(m_to);
    filters->addSpacing(12);
    filters->addWidget(customerLabel);
    filters->addWidget(m_customer, 1);
    filters->addWidget(find);

    m_grid = new core::ui::DataGrid(app.db(), this);
    m_grid->setObjectName(QStringLiteral("gridPayments"));
    m_grid->setItemDelegateForColumn(3, new CentsDelegate(m_grid));
    m_grid->installEventFilter(this);

    m_sum = new QLabel(this);
    m_sum->setObjectName(QStringLiteral("lblSum"));
    m_add = new QPushButton(QStringLiteral("登记(&A)"), this);
    m_add->setObjectName(QStringLiteral("btAdd"));
    m_add->setToolTip(QStringLiteral("Insert"));
    m_change = new QPushButton(QStringLiteral("修改(&E)"), this);
    m_change->setObjectName(QStringLiteral("btChange"));
    m_change->setToolTip(QStringLiteral("Enter"));
    m_delete = new QPushButton(QStringLiteral("删除(&D)"), this);
    m_delete->setObjectName(QStringLiteral("btDelete"));
    m_delete->setToolTip(QStringLiteral("Delete"));
    auto* close = new QPushButton(QStringLiteral("关闭(&X)"), this);
    close->setObjectName(QStringLiteral("btClose"));
    for (QPushButton* b : {find, m_add, m_change, m_delete, close})
        b->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_sum, 1);
    bottom->addWidget(m_add);
    bottom->addWidget(m_change);
    bottom->addWidget(m_delete);
    bottom->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->addLayout(filters);
    column->addWidget(m_grid, 1);
    column->addLayout(bottom);

    connect(find, &QPushButton::clicked, this, &TfrmPayments::query);
    connect(m_add, &QPushButton::clicked, this, &TfrmPayments::addPayment);
    connect(m_change, &QPushButton::clicked, this, &TfrmPayments::changePayment);
    connect(m_delete, &QPushButton::clicked, this, &TfrmPayments::deletePayment);
    connect(close, &QPushButton::clicked, this, &TfrmPayments::reject);
    connect(m_grid, &QTableView::doubleClicked, this, &TfrmPayments::changePayment);
    connect(m_customer->lineEdit(), &QLineEdit::returnPressed, this, &TfrmPayments::query);
    m_add->setEnabled(m_store.refusal(PaymentStore::Action::Add).isEmpty());
    m_change->setEnabled(m_store.refusal(PaymentStore::Action::Change).isEmpty());
    m_delete->setEnabled(m_store.refusal(PaymentStore::Action::Delete).isEmpty());

    const QStringList size = app.userIni().readString(kSizeSection, objectName()).split(QLatin1Char(','));
    resize(size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()).expandedTo(QSize(640, 400))
                            : QSize(960, 600));
    query();
    m_grid->setFocus();
}

TfrmPayments::~TfrmPayments() {
    m_app.userIni().writeString(kSizeSection, objectName(),
                                QStringLiteral("%1,%2").arg(width()).arg(height()));
    m_app.userIni().flush();
}

PaymentFilter TfrmPayments::filter() const {
    return {m_from->date(), m_to->date(), m_customer->currentText().trimmed()};
}

QString TfrmPayments::sumText() const {
    return m_sum->text();
}

void TfrmPayments::query() {
    const PaymentFilter f = filter();
    try {
        // The grid shows the cents as money under the title 金额.
        m_grid->setQuery(QString(PaymentStore::listSql(f))
                             .replace(QStringLiteral(" 金额分,"), QStringLiteral(" 金额分 as 金额,")),
                         PaymentStore::listParams(f));
        m_grid->setColumnHidden(m_grid->fieldIndex(QStringLiteral("ID")), true);
        m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_grid->horizontalHeader()->setStretchLastSection(true);
        m_sum->setText(QStringLiteral("本期收款 %1 笔，合计 %2 元")
                           .arg(m_grid->rowCount())
                           .arg(centsText(m_store.sum(f))));
        if (m_grid->rowCount() > 0 && m_grid->currentRow() < 0)
            m_grid->setCurrentRow(0);
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("收款列表读取失败：") + QString::fromStdString(e.what()));
    }
}

void TfrmPayments::refused(const std::exception& e) {
    if (const auto* r = dynamic_cast<const PaymentRefused*>(&e))
        m_app.dialogs().message(r->text());
    else
        m_app.dialogs().error(QStringLiteral("收款没有保存：") + QString::fromStdString(e.what()));
}

bool TfrmPayments::edit(Payment& payment) {
    PaymentEditor editor(m_store, m_customers, payment, this);
    if (editor.exec() != QDialog::Accepted)
        return false;
    payment = editor.payment();
    return true;
}

void TfrmPayments::addPayment() {
    if (const QString no = m_store.refusal(PaymentStore::Action::Add); !no.isEmpty()) {
        m_app.dialogs().message(no);
        return;
    }
    Payment p;
    p.date = std::clamp(QDate::currentDate(), m_from->date(), m_to->date());
    p.customer = m_customer->currentText().trimmed();
    if (!edit(p))
        return;
    try {
        const qint64 id = m_store.add(p);
        // A payment outside the shown period widens it, so the clerk sees what was saved.
        if (p.date < m_from->date())
            m_from->setDate(p.date);
        if (p.date > m_to->date())
            m_to->setDate(p.date);
        query();
        for (int row = 0; row < m_grid->rowCount(); ++row)
            if (m_grid->value(row, QStringLiteral("ID")).toLongLong() == id)
                m_grid->setCurrentRow(row);
    } catch (const std::exception& e) {
        refused(e);
    }
}

void TfrmPayments::changePayment() {
    if (m_grid->currentRow() < 0)
        return;
    if (const QString no = m_store.refusal(PaymentStore::Action::Change); !no.isEmpty()) {
        m_app.dialogs().message(no);
        return;
    }
    const qint64 id = m_grid->currentValue(QStringLiteral("ID")).toLongLong();
    try {
        std::optional<Payment> p = m_store.find(id);
        if (!p) {
            m_app.dialogs().message(QStringLiteral("这笔收款已被其他用户删除。"));
            query();
            return;
        }
        if (!edit(*p))
            return;
        m_store.change(*p);
    } catch (const std::exception& e) {
        refused(e);
    }
    query();
}

void TfrmPayments::deletePayment() {
    if (m_grid->currentRow() < 0)
        return;
    if (const QString no = m_store.refusal(PaymentStore::Action::Delete); !no.isEmpty()) {
        m_app.dialogs().message(no);
        return;
    }
    const qint64 id = m_grid->currentValue(QStringLiteral("ID")).toLongLong();
    const QString what = QStringLiteral("%1 %2 %3 元")
                             .arg(m_grid->currentValue(QStringLiteral("收款日期")).toString(),
                                  m_grid->currentValue(QStringLiteral("顾客名称")).toString(),
                                  centsText(m_grid->currentValue(QStringLiteral("金额")).toLongLong()));
    if (!m_app.dialogs().alert(QStringLiteral("删除这笔收款吗？\n") + what, kCaption, true))
        return;
    const int row = m_grid->currentRow();
    try {
        m_store.remove(id);
    } catch (const std::exception& e) {
        refused(e);
    }
    query();
    if (m_grid->rowCount() > 0)
        m_grid->setCurrentRow(std::min(row, m_grid->rowCount() - 1));
}

bool TfrmPayments::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Insert:
            addPayment();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            changePayment();
            return true;
        case Qt::Key_Delete:
            deletePayment();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace accounts::ui
