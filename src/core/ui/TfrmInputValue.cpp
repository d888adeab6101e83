#include "core/ui/TfrmInputValue.h"

#include "core/Dialogs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace core::ui {

TfrmInputValue::TfrmInputValue(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_prompt(new QLabel(QStringLiteral("请输入:"), this)),
      m_message(new QLabel(this)), edtValue(new QComboBox(this)),
      btOK(new QPushButton(QStringLiteral("确 定(&Y)"), this)),
      btCancel(new QPushButton(QStringLiteral("取 消(&C)"), this)) {
    setObjectName(QStringLiteral("frmInputValue"));
    setWindowTitle(QStringLiteral("用户输入"));
    m_prompt->setObjectName(QStringLiteral("lbTitle"));
    m_message->setObjectName(QStringLiteral("lbMessage"));
    edtValue->setObjectName(QStringLiteral("edtValue"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    edtValue->setEditable(true);
    edtValue->setInsertPolicy(QComboBox::NoInsert);
    edtValue->setMinimumWidth(260);
    // The line edit of an editable combo box hands its focus to the box, which passes the keys
    // on without the line edit's event filters: the keys are filtered where they arrive.
    edtValue->installEventFilter(this);
    // Enter is handled by the box itself, so no button takes it as the default.
    btOK->setAutoDefault(false);
    btCancel->setAutoDefault(false);
    QPalette hint = m_message->palette();
    hint.setColor(QPalette::WindowText, Qt::red);
    m_message->setPalette(hint);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(edtValue);
    layout->addWidget(m_message);
    layout->addLayout(buttons);

    connect(btOK, &QPushButton::clicked, this, &TfrmInputValue::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmInputValue::btCancelClick);
}

void TfrmInputValue::setTitle(const QString& prompt) {
    setWindowTitle(QStringLiteral("用户输入"));
    m_prompt->setText(prompt);
}

void TfrmInputValue::setDefaultValue(const QString& value) {
    edtValue->setEditText(value);
}

TfrmInputValue::ValueType TfrmInputValue::typeFromText(const QString& type) {
    const QString t = type.trimmed().toUpper();
    if (t == QLatin1String("INT") || t == QLatin1String("INTEGER"))
        return ValueType::Integer;
    if (t == QLatin1String("FLOAT") || t == QLatin1String("REAL") || t == QLatin1String("DOUBLE"))
        return ValueType::Double;
    return ValueType::String;
}

void TfrmInputValue::setTypeReturn(const QString& type) {
    m_type = typeFromText(type);
    const QString text = edtValue->currentText();
    edtValue->clear();
    if (m_type == ValueType::Integer) {
        edtValue->addItems({QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("10"),
                            QStringLiteral("20"), QStringLiteral("25"), QStringLiteral("30"),
                            QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("200"),
                            QStringLiteral("500"), QStringLiteral("1000")});
        edtValue->lineEdit()->setMaxLength(7);
    } else {
        edtValue->lineEdit()->setMaxLength(32767);
    }
    // Pasted or composed text never meets the key filter; the validator holds it to the same rule.
    static const QRegularExpression integerText(QStringLiteral("[0-9]*"));
    static const QRegularExpression doubleText(QStringLiteral("[0-9.]*"));
    delete edtValue->validator();
    if (m_type != ValueType::String)
        edtValue->setValidator(new QRegularExpressionValidator(
            m_type == ValueType::Integer ? integerText : doubleText, edtValue));
    edtValue->setEditText(text);
}

bool TfrmInputValue::acceptsCharacter(ValueType type, QChar c) {
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    switch (type) {
    case ValueType::Integer:
        return digit;
    case ValueType::Double:
        return digit || c == QLatin1Char('.');
    case ValueType::String:
        break;
    }
    return true;
}

bool TfrmInputValue::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edtValue || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        btOKClick();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        btCancelClick();
        return true;
    }
    if (m_type == ValueType::String || key->key() == Qt::Key_Backspace)
        return QDialog::eventFilter(watched, event);
    const QString text = key->text();
    // Keys without a character (cursor keys, Delete, Tab) only move or edit.
    if (text.isEmpty() || !text.at(0).isPrint())
        return QDialog::eventFilter(watched, event);
    if (acceptsCharacter(m_type, text.at(0))) {
        m_message->clear();
        return QDialog::eventFilter(watched, event);
    }
    m_message->setText(m_type == ValueType::Integer ? QStringLiteral("提示：只能输入数字,谢谢！")
                                                    : QStringLiteral("提示:只能输入数字及点(如: 12.5 )！"));
    return true;
}

void TfrmInputValue::btOKClick() {
    const QString text = edtValue->currentText().trimmed();
    if (text.isEmpty()) {
        m_dialogs.message(QStringLiteral("请输入正确的值，不能为空"));
        edtValue->setFocus();
        return;
    }
    edtValue->setEditText(text);
    m_value = text;
    accept();
}

void TfrmInputValue::btCancelClick() {
    edtValue->setEditText(QString());
    reject();
}

void TfrmInputValue::done(int result) {
    if (result != QDialog::Accepted)
        m_value.clear();
    QDialog::done(result);
}

} // namespace core::ui
