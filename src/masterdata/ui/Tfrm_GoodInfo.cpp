#include "masterdata/ui/Tfrm_GoodInfo.h"

#include "core/AppContext.h"
#include "core/ui/TypingLimit.h"
#include "masterdata/PinyinInitials.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

QWidget* withNote(QWidget* box, const QString& note) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box, 1);
    layout->addWidget(new QLabel(note));
    return row;
}

} // namespace

Tfrm_GoodInfo::Tfrm_GoodInfo(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app.db()) {
    setObjectName(QStringLiteral("Tfrm_GoodInfo"));
    setWindowTitle(QStringLiteral("商品详细资料"));
    setModal(true);

    edtID = addLine(QStringLiteral("edtID"));
    edtID->setReadOnly(true);
    edtIdenty = addLine(QStringLiteral("edtIdenty"));
    edtName = addLine(QStringLiteral("edtName"));
    edtInputCode = addLine(QStringLiteral("edtInputCode"));
    m_inputCodeLimit = new core::ui::TypingLimit(12, edtInputCode);
    edtBrand = addLine(QStringLiteral("edtBrand"));
    cbOtherPro = addCombo(QStringLiteral("cbOtherPro"));
    cbUnit = addCombo(QStringLiteral("cbUnit"));
    edtPrice = addLine(QStringLiteral("edtPrice"));
    edtSpecPrice = addLine(QStringLiteral("edtSpecPrice"));
    edtRemark = addLine(QStringLiteral("edtRemark"));
    m_remarkLimit = new core::ui::TypingLimit(100, edtRemark);
    cbClassify = addCombo(QStringLiteral("cbClassify"));
    // Prices take digits and the decimal point only, typed or pasted.
    for (QLineEdit* price : {edtPrice, edtSpecPrice})
        price->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), price));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ID："), edtID);
    form->addRow(QStringLiteral("货号："), edtIdenty);
    form->addRow(QStringLiteral("* 商品名："), edtName);
    form->addRow(QStringLiteral("拼音简码："), edtInputCode);
    form->addRow(QStringLiteral("品牌型号："), withNote(edtBrand, QStringLiteral("（如：T60/WSDC）")));
    form->addRow(QStringLiteral("其他属性："), withNote(cbOtherPro, QStringLiteral("（如：颜色、重量）")));
    form->addRow(QStringLiteral("单位："), cbUnit);
    form->addRow(QStringLiteral("价格："), edtPrice);
    form->addRow(QStringLiteral("批价："), edtSpecPrice);
    form->addRow(QStringLiteral("其他备注："), edtRemark);
    form->addRow(QStringLiteral("分类："), cbClassify);

    ckAddNew = new QCheckBox(QStringLiteral("保存后立即新增"), this);
    ckAddNew->setObjectName(QStringLiteral("ckAddNew"));
    auto button = [this](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    btSave = button(QStringLiteral("btSave"), QStringLiteral("保  存(&S)"));
    btSaveClose = button(QStringLiteral("btSaveClose"), QStringLiteral("保存并关闭"));
    btEmpty = button(QStringLiteral("btEmpty"), QStringLiteral("置  空(&N)"));
    btCopy = button(QStringLiteral("btCopy"), QStringLiteral("副  本(&C)"));
    btCopy->setToolTip(QStringLiteral("副本保存需修改银行账号"));
    btClose = button(QStringLiteral("btClose"), QStringLiteral("关  闭(&X)"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btSave, btSaveClose, btEmpty, btCopy, btClose})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("注意:*号为必填项;"), this));
    layout->addWidget(ckAddNew);
    layout->addLayout(buttons);

    cbUnit->addItems(m_store.unitChoices());
    cbUnit->setCurrentIndex(-1);
    cbClassify->addItems(m_store.classChoices());
    cbClassify->setCurrentIndex(-1);

    m_enterOrder = {edtIdenty, edtName,      edtInputCode, edtBrand,   cbOtherPro, cbUnit,
                    edtPrice,  edtSpecPrice, edtRemark,    cbClassify, btSave};
    for (QWidget* w : m_enterOrder)
        w->installEventFilter(this);

    connect(edtName, &QLineEdit::textChanged, this, &Tfrm_GoodInfo::edtNameChange);
    connect(edtName, &QLineEdit::editingFinished, this, &Tfrm_GoodInfo::edtNameExit);
    connect(btSave, &QPushButton::clicked, this, &Tfrm_GoodInfo::btSaveClick);
    connect(btSaveClose, &QPushButton::clicked, this, &Tfrm_GoodInfo::btSaveCloseClick);
    connect(btEmpty, &QPushButton::clicked, this, &Tfrm_GoodInfo::btEmptyClick);
    connect(btCopy, &QPushButton::clicked, this, &Tfrm_GoodInfo::btCopyClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* Tfrm_GoodInfo::addLine(const QString& name) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    return edit;
}

QComboBox* Tfrm_GoodInfo::addCombo(const QString& name) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

void Tfrm_GoodInfo::setProduct(const Product& product) {
    edtID->setText(product.id > 0 ? QString::number(product.id) : QString());
    edtName->setText(product.name);
    // The stored code wins over the one the name change just computed.
    m_inputCodeLimit->setText(product.inputCode);
    edtIdenty->setText(product.identy);
    cbOtherPro->setEditText(product.otherPro);
    edtBrand->setText(product.brand);
    edtPrice->setText(product.price);
    edtSpecPrice->setText(product.specPrice);
    cbUnit->setEditText(product.unit);
    cbClassify->setEditText(product.classify);
    m_remarkLimit->setText(product.remark);
}

void Tfrm_GoodInfo::edtNameChange() {
    m_inputCodeLimit->setText(PinyinInitials(edtName->text().trimmed()));
}

void Tfrm_GoodInfo::edtNameExit() {
    // Trimmed when the box is left, so that a space between two words can still be typed.
    const QString trimmed = edtName->text().trimmed();
    if (trimmed != edtName->text())
        edtName->setText(trimmed);
}

bool Tfrm_GoodInfo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int at = m_enterOrder.indexOf(static_cast<QWidget*>(watched));
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && at >= 0 && watched != btSave) {
            for (int i = at + 1; i < m_enterOrder.size(); ++i) {
                if (m_enterOrder.at(i)->isVisibleTo(this)) {
                    m_enterOrder.at(i)->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

Product Tfrm_GoodInfo::productFromBoxes() const {
    Product p;
    p.id = edtID->text().trimmed().toInt();
    p.name = edtName->text();
    p.brand = edtBrand->text();
    p.otherPro = cbOtherPro->currentText();
    p.identy = edtIdenty->text();
    p.unit = cbUnit->currentText();
    p.price = edtPrice->text();
    p.specPrice = edtSpecPrice->text();
    p.inputCode = edtInputCode->text();
    p.classify = cbClassify->currentText();
    p.remark = edtRemark->text();
    return p;
}

bool Tfrm_GoodInfo::save() {
    edtNameExit();
    Product p = productFromBoxes();
    ProductStore::SaveResult result;
    try {
        result = m_store.saveChecked(p);
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("保存失败,") + e.message());
        return false;
    }
    // The form shows what the check normalised.
    edtPrice->setText(p.price);
    cbClassify->setEditText(p.classify);
    edtIdenty->setText(p.identy);
    edtID->setText(edtID->text().trimmed());
    switch (result) {
    case ProductStore::SaveResult::NameMissing:
        m_app.dialogs().message(QStringLiteral("商品名不能为空！"));
        edtName->setFocus();
        return false;
    case ProductStore::SaveResult::ArticleTaken:
        m_app.dialogs().message(QStringLiteral("货号必须唯一，已经存在商品货号:") + p.identy);
        edtIdenty->setFocus();
        return false;
    case ProductStore::SaveResult::Saved:
        break;
    }
    if (m_onSaved)
        m_onSaved();
    if (ckAddNew->isChecked()) {
        btEmptyClick();
        edtID->clear();
    }
    return true;
}

void Tfrm_GoodInfo::btSaveClick() {
    save();
}

void Tfrm_GoodInfo::btSaveCloseClick() {
    if (save())
        accept();
}

void Tfrm_GoodInfo::btEmptyClick() {
    edtName->clear();
    edtInputCode->clear();
    edtBrand->clear();
    edtRemark->clear();
    edtPrice->clear();
    edtSpecPrice->clear();
    cbUnit->setEditText(QString());
    edtIdenty->clear();
}

void Tfrm_GoodInfo::btCopyClick() {
    edtID->clear();
}

} // namespace masterdata::ui
