#include "masterdata/ui/TfrmNoConfig.h"

#include "core/AppContext.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

const QString kSeries = QStringLiteral("S");

} // namespace

TfrmNoConfig::TfrmNoConfig(core::AppContext& app, int templateId, QWidget* parent)
    : QDialog(parent), m_app(app), m_templateId(templateId) {
    setObjectName(QStringLiteral("TfrmNoConfig"));
    setWindowTitle(QStringLiteral("单号设置"));
    setModal(true);

    zdhead = new QLineEdit(this);
    zdhead->setObjectName(QStringLiteral("zdhead"));
    zdWidth = new QSpinBox(this);
    zdWidth->setObjectName(QStringLiteral("zdWidth"));
    zdWidth->setRange(4, 20);
    zdInitNO = new QLineEdit(this);
    zdInitNO->setObjectName(QStringLiteral("zdInitNO"));
    zdInitNO->setValidator(new QIntValidator(0, 2147483647, zdInitNO));
    lbExample = new QLabel(this);
    lbExample->setObjectName(QStringLiteral("lbExample"));
    btSave = new QPushButton(QStringLiteral("设 置(&S)"), this);
    btSave->setObjectName(QStringLiteral("btSave"));
    btClose = new QPushButton(QStringLiteral("关 闭(&X)"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* head = new QHBoxLayout;
    head->addWidget(zdhead, 1);
    head->addWidget(new QLabel(QStringLiteral("(没有就不需要填写)"), this));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("单号前缀:"), head);
    form->addRow(QStringLiteral("单号位数:"), zdWidth);
    form->addRow(QStringLiteral("单号起始:"), zdInitNO);
    form->addRow(QStringLiteral("示例:"), lbExample);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btSave);
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(zdhead, &QLineEdit::textChanged, this, &TfrmNoConfig::refreshExample);
    connect(zdInitNO, &QLineEdit::textChanged, this, &TfrmNoConfig::refreshExample);
    connect(zdWidth, &QSpinBox::valueChanged, this, &TfrmNoConfig::refreshExample);
    connect(btSave, &QPushButton::clicked, this, &TfrmNoConfig::btSaveClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmNoConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmNoConfig::FormShow() {
    try {
        m_rule = TIdType::findRule(kSeries, m_templateId, m_app.db());
    } catch (const core::DbError& e) {
        m_rule.reset();
        m_app.dialogs().error(e.message());
    }
    zdhead->setText(m_rule ? m_rule->IDHead() : QString());
    zdInitNO->setText(QString::number(m_rule ? m_rule->IDMax() : 0));
    zdWidth->setValue(m_rule ? m_rule->IDLen() : 8);
    refreshExample();
}

void TfrmNoConfig::refreshExample() {
    // The stored counter itself: the next number issued is one more.
    QString counter = zdInitNO->text();
    if (counter.size() < zdWidth->value())
        counter.prepend(QString(zdWidth->value() - counter.size(), QLatin1Char('0')));
    lbExample->setText(zdhead->text() + counter);
}

void TfrmNoConfig::btSaveClick() {
    bool numberOk = false;
    const int counter = zdInitNO->text().isEmpty() ? 0 : zdInitNO->text().toInt(&numberOk);
    if (!zdInitNO->text().isEmpty() && !numberOk) {
        m_app.dialogs().message(QStringLiteral("保存设置失败！"));
        return;
    }
    TIdType rule = m_rule ? *m_rule : TIdType(m_app.db());
    rule.setCheckTypeID(m_templateId);
    rule.setIDType(kSeries);
    rule.setIDMax(counter);
    rule.setIDLen(zdWidth->value());
    rule.setIDHead(zdhead->text().trimmed());
    rule.setIDStep(1);
    try {
        rule.save();
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("保存设置失败！"));
        return;
    }
    // A second save from the same window updates the row just written.
    m_rule = std::make_unique<TIdType>(rule);
    m_app.dialogs().message(QStringLiteral("保存设置成功！"));
}

} // namespace masterdata::ui
