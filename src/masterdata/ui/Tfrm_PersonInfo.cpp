#include "masterdata/ui/Tfrm_PersonInfo.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/Lookups.h"
#include "core/ui/FormFace.h"
#include "core/ui/TypingLimit.h"
#include "masterdata/TPerson.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

const QString kTownHint = QStringLiteral("请直接输入");
constexpr int kAddressLimit = 160;

void setTextOf(QWidget* box, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(box))
        combo->setEditText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(box))
        label->setText(text);
}

// Fills a drop-down with its items, keeping the text shown. A list that holds these items
// already is left alone: emptying it while a choice from it is still on its way would turn that
// choice into nothing.
void fillOnce(QComboBox* combo, const QStringList& items) {
    if (combo->count() == items.size()) {
        bool same = true;
        for (int i = 0; same && i < items.size(); ++i)
            same = combo->itemText(i) == items.at(i);
        if (same)
            return;
    }
    const QString kept = combo->currentText();
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(items);
    combo->setEditText(kept);
}

} // namespace

Tfrm_PersonInfo::Tfrm_PersonInfo(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app.db()) {
    setObjectName(QStringLiteral("Tfrm_PersonInfo"));
    setWindowTitle(QStringLiteral("单位详细资料"));
    setModal(true);

    auto line = [this](const char* name, int limit) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        new core::ui::TypingLimit(limit, e);
        e->installEventFilter(this);
        return e;
    };
    auto combo = [this](const char* name, int limit) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        new core::ui::TypingLimit(limit, c->lineEdit());
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
        return c;
    };
    edtID = new QLabel(this);
    edtID->setObjectName(QStringLiteral("edtID"));
    edtName = line("edtName", 80);
    edtInputCode = line("edtInputCode", 24);
    edtCountry = combo("edtCountry", 24);
    edtProvince = combo("edtProvince", 32);
    edtCity = combo("edtCity", 32);
    edtTown = combo("edtTown", 32);
    edtTown->addItem(kTownHint);
    edtTown->setEditText(QString());
    edtAddress = new QPlainTextEdit(this);
    edtAddress->setObjectName(QStringLiteral("edtAddress"));
    edtAddress->setTabChangesFocus(true);
    edtAddress->setFixedHeight(52);
    edtAddress->installEventFilter(this);
    edtZipcode = line("edtZipcode", 32);
    edtContactor = line("edtContactor", 48);
    edtPhone = line("edtPhone", 32);
    edtHandset = line("edtHandset", 32);
    edtRemark = line("edtRemark", 128);
    cbAcountType = new QComboBox(this);
    cbAcountType->setObjectName(QStringLiteral("cbAcountType"));
    cbAcountType->addItems({PersonStore::kOwnUnit, PersonStore::kPartnerUnit});
    cbAcountType->setCurrentIndex(1);
    cbAcountType->installEventFilter(this);
    edtGroup = combo("edtGroup", 32);
    edtIdentity = line("edtIdentity", 32);
    edtBank = line("edtBank", 80);
    edtBankAcct = line("edtBankAcct", 32);
    edtBankAddr = line("edtBankAddr", 80);
    edtBankNo = line("edtBankNo", 24);
    edtDef1 = line("edtDef1", 64);
    edtDef2 = line("edtDef2", 64);
    edtDef3 = line("edtDef3", 64);

    lbInputCode = new QLabel(QStringLiteral("<a href=\"code\">输入助记码：</a>"), this);
    lbInputCode->setObjectName(QStringLiteral("lbInputCode"));
    ckAddNext = new QCheckBox(QStringLiteral("单位保存后立即添加下一条"), this);
    ckAddNext->setObjectName(QStringLiteral("ckAddNext"));
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btSave = button("btSave", QStringLiteral("保  存(&S)"));
    btSaveClose = button("btSaveClose", QStringLiteral("保存并关闭(&M)"));
    btClose = button("btClose", QStringLiteral("关  闭(&X)"));
    btReset = button("btReset", QStringLiteral("重 填 (&N)"));
    btCopy = button("btCopy", QStringLiteral("多头单位(&C)"));
    btCopy->setToolTip(QStringLiteral("副本保存需修改银行账号"));

    auto withNote = [this](QWidget* box, const QString& note) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(box, 1);
        auto* label = new QLabel(note, row);
        label->setStyleSheet(QStringLiteral("color: gray;"));
        layout->addWidget(label);
        return row;
    };
    auto* grid = new QGridLayout;
    int row = 0;
    auto pair = [&grid, this](int r, int c, const QString& label, QWidget* box, int span = 1) {
        grid->addWidget(new QLabel(label, this), r, c, Qt::AlignRight);
        grid->addWidget(box, r, c + 1, 1, span);
    };
    grid->addWidget(new QLabel(QStringLiteral("ID："), this), row, 0, Qt::AlignRight);
    grid->addWidget(edtID, row++, 1);
    pair(row, 0, QStringLiteral("*单位全称："), edtName, 3);
    ++row;
    grid->addWidget(lbInputCode, row, 0, Qt::AlignRight);
    grid->addWidget(edtInputCode, row, 1);
    pair(row++, 2, QStringLiteral("开户银行："), edtBank);
    pair(row++, 0, QStringLiteral("识别号："),
         withNote(edtIdentity, QStringLiteral("（企业纳税识别号或者个人身份证号）")), 3);
    pair(row, 0, QStringLiteral("开户行账号："), edtBankAcct);
    pair(row++, 2, QStringLiteral("开户行地址："), edtBankAddr);
    pair(row++, 0, QStringLiteral("银行行号："), withNote(edtBankNo, QStringLiteral("(可不填写)")));
    pair(row, 0, QStringLiteral("国家："), edtCountry);
    pair(row++, 2, QStringLiteral("省："), edtProvince);
    pair(row, 0, QStringLiteral("市县："), edtCity);
    pair(row++, 2, QStringLiteral("镇区："), edtTown);
    pair(row++, 0, QStringLiteral("单位地址："), withNote(edtAddress, QStringLiteral("(建议包含镇区)")), 3);
    pair(row, 0, QStringLiteral("邮编："), edtZipcode);
    pair(row++, 2, QStringLiteral("*联系人："), edtContactor);
    pair(row, 0, QStringLiteral("电话："), edtPhone);
    pair(row++, 2, QStringLiteral("手机："), edtHandset);
    pair(row, 0, QStringLiteral("单位类型："), cbAcountType);
    pair(row++, 2, QStringLiteral("单位分组："), withNote(edtGroup, QStringLiteral("(可直接输入新分组名)")));
    pair(row++, 0, QStringLiteral("其他备注："), edtRemark, 3);
    pair(row, 0, QStringLiteral("自定义1："), edtDef1);
    pair(row++, 2, QStringLiteral("自定义2："), edtDef2);
    pair(row++, 0, QStringLiteral("自定义3："), edtDef3);
    auto* hint = new QLabel(
        QStringLiteral("自定义1:代理行账号           自定义2:代理银行              自定义3:代理行地址"),
        this);
    hint->setObjectName(QStringLiteral("lbDefHint"));
    hint->setEnabled(false);
    grid->addWidget(hint, row++, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ckAddNext);
    buttons->addStretch();
    for (QPushButton* b : {btCopy, btReset, btSave, btSaveClose, btClose})
        buttons->addWidget(b);
    auto* status =
        new QLabel(QStringLiteral("注意:带*必填. 对于一个单位多个收件人情况，修改时点击[多头单位]按钮，"
                                  "保存后即新增一个多头单位。"),
                   this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(status);

    // Enter walks the boxes in the order a clerk fills a unit in.
    m_next = {{edtName, edtInputCode},  {edtInputCode, edtBank},    {edtIdentity, edtBank},
              {edtBank, edtProvince},   {edtBankAcct, edtProvince}, {edtBankAddr, edtProvince},
              {edtBankNo, edtProvince}, {edtRemark, edtProvince},   {edtDef1, edtProvince},
              {edtDef2, edtProvince},   {edtDef3, edtProvince},     {edtCountry, edtProvince},
              {edtProvince, edtCity},   {edtCity, edtTown},         {edtTown, edtAddress},
              {edtAddress, edtZipcode}, {edtZipcode, edtContactor}, {edtContactor, edtPhone},
              {edtPhone, edtHandset},   {edtGroup, btSave}};

    connect(btSave, &QPushButton::clicked, this, &Tfrm_PersonInfo::btSaveClick);
    connect(btSaveClose, &QPushButton::clicked, this, &Tfrm_PersonInfo::btSaveCloseClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    connect(btReset, &QPushButton::clicked, this, &Tfrm_PersonInfo::btResetClick);
    connect(btCopy, &QPushButton::clicked, this, &Tfrm_PersonInfo::btCopyClick);
    connect(lbInputCode, &QLabel::linkActivated, this, &Tfrm_PersonInfo::lbInputCodeClick);
    connect(cbAcountType, &QComboBox::activated, this, [this] { m_typeChosen = true; });
    connect(edtProvince, &QComboBox::currentTextChanged, this, &Tfrm_PersonInfo::fillCities);
    // The town's one list entry invites typing: choosing it empties the box for the clerk.
    connect(edtTown, &QComboBox::textActivated, this, [this](const QString& text) {
        if (text == kTownHint)
            edtTown->setEditText(QString());
    });
    connect(edtCountry, &QComboBox::currentTextChanged, this, &Tfrm_PersonInfo::fillCities);
    connect(edtAddress, &QPlainTextEdit::textChanged, this, [this] {
        // Typing stops at the limit; a longer stored address put in by the program stays whole.
        const QString now = edtAddress->toPlainText();
        if (now.size() > kAddressLimit && now.size() > m_addressKept.size()) {
            const QSignalBlocker quiet(edtAddress);
            edtAddress->setPlainText(m_addressKept);
            edtAddress->moveCursor(QTextCursor::End);
            return;
        }
        m_addressKept = now;
    });

    fillOnce(edtGroup, core::Lookups(m_app).loadPersonTableGroupList() << PersonStore::kDefaultIssuer);
    edtGroup->setEditText(QString());
    edtCountry->setEditText(QStringLiteral("中国"));
    markClean();
}

void Tfrm_PersonInfo::showEvent(QShowEvent* event) {
    core::ui::FormFace::load(m_app.userIni(), *this);
    QDialog::showEvent(event);
}

void Tfrm_PersonInfo::done(int result) {
    // Every way out (关闭, Esc, the title bar) ends here.
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

void Tfrm_PersonInfo::showModalFrom(bool fromManager) {
    m_fromManager = fromManager;
    markClean();
    exec();
}

QStringList Tfrm_PersonInfo::typedContent() const {
    QStringList texts;
    for (QWidget* box : boxes()) {
        if (box == edtID)
            continue;
        if (auto* line = qobject_cast<QLineEdit*>(box))
            texts << line->text();
        else if (auto* combo = qobject_cast<QComboBox*>(box))
            texts << combo->currentText();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
            texts << plain->toPlainText();
    }
    texts << cbAcountType->currentText();
    return texts;
}

void Tfrm_PersonInfo::markClean() {
    m_clean = typedContent();
}

bool Tfrm_PersonInfo::hasUnsavedChanges() const {
    return typedContent() != m_clean;
}

void Tfrm_PersonInfo::reject() {
    // Esc, 关闭 and the title bar all end here; a save closes through accept().
    if (hasUnsavedChanges() &&
        !m_app.dialogs().ask(
            QStringLiteral("当前填写的单位资料还没有保存，关闭后内容将丢失，确定要放弃它吗？"),
            QStringLiteral("确认")))
        return;
    QDialog::reject();
}

QList<QWidget*> Tfrm_PersonInfo::boxes() const {
    return {edtID,     edtName,    edtInputCode, edtCountry,   edtProvince, edtCity,
            edtTown,   edtAddress, edtZipcode,   edtContactor, edtPhone,    edtHandset,
            edtRemark, edtGroup,   edtIdentity,  edtBank,      edtBankAcct, edtBankAddr,
            edtBankNo, edtDef1,    edtDef2,      edtDef3};
}

void Tfrm_PersonInfo::btResetClick() {
    for (QWidget* box : boxes())
        setTextOf(box, QString());
    m_storedType.clear();
    m_typeChosen = false;
    markClean();
}

bool Tfrm_PersonInfo::loadByID(int id) {
    TPerson p;
    p.setId(id);
    if (p.loadByID(m_app.db()) != 1)
        return false;
    const std::pair<QWidget*, QString> fields[] = {{edtName, p.fullName()},
                                                   {edtInputCode, p.mnemonic()},
                                                   {edtCountry, p.country()},
                                                   {edtProvince, p.province()},
                                                   {edtCity, p.city()},
                                                   {edtTown, p.town()},
                                                   {edtAddress, p.address()},
                                                   {edtZipcode, p.postcode()},
                                                   {edtContactor, p.contact()},
                                                   {edtPhone, p.phone()},
                                                   {edtHandset, p.mobile()},
                                                   {edtRemark, p.extra()},
                                                   {edtGroup, p.group()},
                                                   {edtIdentity, p.taxId()},
                                                   {edtBank, p.bank()},
                                                   {edtBankAcct, p.account()},
                                                   {edtBankAddr, p.bankAddress()},
                                                   {edtBankNo, p.bankCode()},
                                                   {edtDef1, p.custom1()},
                                                   {edtDef2, p.custom2()},
                                                   {edtDef3, p.custom3()}};
    for (const auto& [box, text] : fields)
        setTextOf(box, text);
    edtID->setText(QString::number(p.id()));
    // Types written by the recipient import are no choice of the box: it shows a partner unit
    // and the stored type is kept unless the clerk picks one.
    const int type = cbAcountType->findText(p.unitType());
    cbAcountType->setCurrentIndex(type >= 0 ? type : 1);
    m_storedType = p.unitType();
    m_typeChosen = false;
    markClean();
    return true;
}

void Tfrm_PersonInfo::overwriteWith(const TPerson& r) {
    const std::pair<QWidget*, QString> fields[] = {
        {edtName, r.fullName()},        {edtCountry, r.country()}, {edtHandset, r.mobile()},
        {edtContactor, r.contact()},    {edtAddress, r.address()}, {edtPhone, r.phone()},
        {edtProvince, r.province()},    {edtCity, r.city()},       {edtTown, r.town()},
        {edtZipcode, r.postcode()},     {edtBank, r.bank()},       {edtBankAcct, r.account()},
        {edtBankAddr, r.bankAddress()}, {edtBankNo, r.bankCode()}, {edtDef1, r.custom1()},
        {edtDef2, r.custom2()},         {edtDef3, r.custom3()}};
    for (const auto& [box, text] : fields)
        if (!text.isEmpty())
            setTextOf(box, text);
}

void Tfrm_PersonInfo::setUnitType(const QString& type) {
    cbAcountType->setCurrentIndex(type == PersonStore::kOwnUnit ? 0 : 1);
    m_typeChosen = true;
}

void Tfrm_PersonInfo::setGroup(const QString& group) {
    edtGroup->setEditText(group);
}

TPerson Tfrm_PersonInfo::person() const {
    TPerson p;
    if (!edtID->text().isEmpty())
        p.setId(edtID->text().toInt());
    p.setFullName(edtName->text());
    p.setMnemonic(edtInputCode->text().trimmed());
    p.setCountry(edtCountry->currentText());
    p.setProvince(edtProvince->currentText());
    p.setCity(edtCity->currentText());
    p.setTown(edtTown->currentText() == kTownHint ? QString() : edtTown->currentText());
    p.setAddress(edtAddress->toPlainText());
    p.setPostcode(edtZipcode->text());
    p.setContact(edtContactor->text());
    p.setPhone(edtPhone->text());
    p.setMobile(edtHandset->text());
    p.setExtra(edtRemark->text());
    p.setGroup(edtGroup->currentText());
    p.setTaxId(edtIdentity->text());
    p.setBank(edtBank->text().trimmed());
    p.setAccount(edtBankAcct->text().trimmed());
    p.setBankAddress(edtBankAddr->text());
    p.setBankCode(edtBankNo->text());
    p.setCustom1(edtDef1->text());
    p.setCustom2(edtDef2->text());
    p.setCustom3(edtDef3->text());
    const bool keepStored =
        !m_typeChosen && !m_storedType.isEmpty() && cbAcountType->findText(m_storedType) < 0;
    p.setUnitType(keepStored
                      ? m_storedType
                      : (cbAcountType->currentText() == PersonStore::kOwnUnit ? PersonStore::kOwnUnit
                                                                              : PersonStore::kPartnerUnit));
    return p;
}

bool Tfrm_PersonInfo::save() {
    TPerson p = person();
    const bool hadId = !edtID->text().isEmpty();
    int result = 0;
    try {
        result = m_store.save(p);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("添加更新失败，Error=") + e.message());
        return false;
    }
    if (result <= 0) {
        m_app.dialogs().message(QStringLiteral("数据添加或更新失败！"));
        return false;
    }
    m_app.dialogs().message(hadId ? QStringLiteral("历史单位资料资料更新成功！")
                                  : QStringLiteral("新增单位资料添加成功！"));
    // The key of the stored row, so that saving again updates it.
    edtID->setText(QString::number(p.id()));
    m_storedType = p.unitType();
    if (p.group() == PersonStore::kDefaultIssuer)
        cbAcountType->setCurrentIndex(0);
    markClean();
    if (onSaved)
        onSaved(p, m_fromManager);
    btCopy->setFocus();
    if (ckAddNext->isChecked())
        btResetClick();
    return true;
}

void Tfrm_PersonInfo::btSaveClick() {
    save();
}

void Tfrm_PersonInfo::btSaveCloseClick() {
    if (save())
        accept();
}

void Tfrm_PersonInfo::btCopyClick() {
    edtID->clear();
    edtContactor->setFocus();
}

void Tfrm_PersonInfo::lbInputCodeClick() {
    m_app.dialogs().notice(
        QStringLiteral("助记码不是必填项目，该项目主要用来辅助输入。\n\n"
                       "例如：在收方单位输入\"kfz01\"按回车键,调入助记码等于\"kfz01\"的第1个单位;\n"
                       "例如：在收方单位输入\"kfz%\"或\"kfz*\"按回车键,调入助记码含有\"kfz\"的第1个单位;"),
        QStringLiteral("message"));
}

void Tfrm_PersonInfo::provinceEnter() {
    if (m_provincesFilled)
        return;
    m_provincesFilled = true;
    const QSignalBlocker quiet(edtProvince);
    fillOnce(edtProvince, core::Lookups(m_app).loadProvinces());
    const int height = screen() ? screen()->geometry().height() : 768;
    edtProvince->setMaxVisibleItems(height <= 700 ? 18 : height <= 900 ? 25 : 35);
}

void Tfrm_PersonInfo::cityEnter() {
    const QString province = edtProvince->currentText().trimmed();
    if (!province.isEmpty())
        fillOnce(edtCity, core::Lookups(m_app).loadCitysByProvince(province));
}

void Tfrm_PersonInfo::fillCities() {
    fillOnce(edtCity, m_store.citiesOfProvince(edtProvince->currentText()));
}

void Tfrm_PersonInfo::countryEnter() {
    fillOnce(edtCountry, core::Lookups(m_app).loadDMListByName(QStringLiteral("国家"), {0}));
}

void Tfrm_PersonInfo::groupEnter() {
    if (edtGroup->count() == 0)
        fillOnce(edtGroup, core::Lookups(m_app).loadPersonTableGroupList());
}

void Tfrm_PersonInfo::townExit() {
    if (edtTown->currentText() == kTownHint)
        edtTown->setEditText(QString());
    const QString town = edtTown->currentText();
    if (!town.isEmpty() && !edtAddress->toPlainText().contains(town))
        setTextOf(edtAddress, town + edtAddress->toPlainText());
}

void Tfrm_PersonInfo::focusNext(QWidget* from) {
    if (QWidget* next = m_next.value(from))
        next->setFocus(Qt::TabFocusReason);
}

bool Tfrm_PersonInfo::eventFilter(QObject* watched, QEvent* event) {
    // A combo's own line edit reports for its combo.
    QObject* box = watched;
    if (auto* edit = qobject_cast<QLineEdit*>(watched))
        if (auto* owner = qobject_cast<QComboBox*>(edit->parentWidget()))
            box = owner;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (box == cbAcountType) {
            // Arrows still change the type; Enter or a character moves on to the group.
            if (enter || (!key->text().isEmpty() && key->text().at(0).isPrint())) {
                edtGroup->setFocus(Qt::TabFocusReason);
                return true;
            }
            return false;
        }
        if (enter && m_next.contains(box)) {
            focusNext(qobject_cast<QWidget*>(box));
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        // Focus coming back from the box's own list is no entry into the box: the choice just
        // made is still being applied to the items the list showed.
        if (watched != box || static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
            break;
        if (box == edtProvince)
            provinceEnter();
        else if (box == edtCity)
            cityEnter();
        else if (box == edtCountry)
            countryEnter();
        else if (box == edtGroup)
            groupEnter();
        if (auto* line = qobject_cast<QLineEdit*>(box))
            QTimer::singleShot(0, line, &QLineEdit::selectAll);
        else if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
            QTimer::singleShot(0, combo->lineEdit(), &QLineEdit::selectAll);
        else if (box == edtAddress)
            QTimer::singleShot(0, edtAddress, &QPlainTextEdit::selectAll);
        break;
    case QEvent::FocusOut:
        if (box == edtTown && watched == box &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            townExit();
        break;
    case QEvent::MouseButtonDblClick:
        if (auto* line = qobject_cast<QLineEdit*>(watched)) {
            line->selectAll();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace masterdata::ui
