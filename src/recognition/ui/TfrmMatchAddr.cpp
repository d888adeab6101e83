#include "recognition/ui/TfrmMatchAddr.h"

#include "core/AppContext.h"
#include "masterdata/TPerson.h"
#include "recognition/PatternSearch.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace recognition::ui {

namespace {

constexpr int kContactOnLeave = 40; // bytes of clipboard text the contact box takes when left
constexpr int kContactOnPaste = 65; // and on Ctrl+V

QComboBox* resultBox(QWidget* parent, const QString& name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(180);
    return box;
}

} // namespace

TfrmMatchAddr::TfrmMatchAddr(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_recogniser(RecognitionData::load(app.db())) {
    setObjectName(QStringLiteral("TfrmMatchAddr"));
    setWindowTitle(QStringLiteral("青木鸟软件-收发件人资料识别"));
    buildControls();
    m_recogniser.containProvinceCity =
        AddressRecogniser::optionOn(m_app.getConfigByname(QStringLiteral("checkContainSS")));
    ckContainProviceCity->setChecked(m_recogniser.containProvinceCity);
    lbAnounce->setText(explanation(SourceFormat::Other));
}

TfrmMatchAddr::~TfrmMatchAddr() = default;

void TfrmMatchAddr::buildControls() {
    auto* page = new QVBoxLayout(this);

    memoFrom = new QPlainTextEdit(this);
    memoFrom->setObjectName(QStringLiteral("memoFrom"));
    memoFrom->setMinimumHeight(150);
    connect(memoFrom, &QPlainTextEdit::textChanged, this, &TfrmMatchAddr::memoFromChange);
    page->addWidget(memoFrom);

    auto* formats = new QGroupBox(this);
    auto* formatRow = new QHBoxLayout(formats);
    auto* group = new QButtonGroup(this);
    const QList<std::tuple<const char*, const char*, SourceFormat>> kinds = {
        {"rbTaobao", "淘宝收货地址", SourceFormat::Taobao},
        {"rbEachNet", "易趣收货地址", SourceFormat::EachNet},
        {"rbPaiPai", "拍拍收货地址", SourceFormat::PaiPai},
        {"rbOther", "其他地址", SourceFormat::Other},
    };
    for (const auto& [name, caption, format] : kinds) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption), formats);
        radio->setObjectName(QString::fromLatin1(name));
        radio->setChecked(format == SourceFormat::Other);
        group->addButton(radio);
        formatRow->addWidget(radio);
        connect(radio, &QRadioButton::clicked, this, [this, f = format] { formatClick(f); });
    }
    auto* btButton2 = new QPushButton(QStringLiteral("示例地址格式测试"), formats);
    btButton2->setObjectName(QStringLiteral("Button2"));
    connect(btButton2, &QPushButton::clicked, this, &TfrmMatchAddr::Button2Click);
    formatRow->addStretch();
    formatRow->addWidget(btButton2);
    page->addWidget(formats);

    lbAnounce = new QLabel(this);
    lbAnounce->setObjectName(QStringLiteral("lbAnounce"));
    lbAnounce->setWordWrap(true);
    page->addWidget(lbAnounce);

    auto* commands = new QHBoxLayout;
    auto* btPasteClipboord = new QPushButton(QStringLiteral("1.1 粘贴剪切板并识别"), this);
    btPasteClipboord->setObjectName(QStringLiteral("btPasteClipboord"));
    connect(btPasteClipboord, &QPushButton::clicked, this, &TfrmMatchAddr::btPasteClipboordClick);
    auto* btMatch = new QPushButton(QStringLiteral("1.2 只识别以上内容>>"), this);
    btMatch->setObjectName(QStringLiteral("btMatch"));
    connect(btMatch, &QPushButton::clicked, this, &TfrmMatchAddr::btMatchClick);
    commands->addWidget(btPasteClipboord);
    commands->addWidget(btMatch);
    commands->addStretch();
    page->addLayout(commands);

    auto* grid = new QGridLayout;
    edtCompany = resultBox(this, QStringLiteral("edtCompany"));
    edtName = resultBox(this, QStringLiteral("edtName"));
    edtPhone = resultBox(this, QStringLiteral("edtPhone"));
    edtHandset = resultBox(this, QStringLiteral("edtHandset"));
    edtProvince = resultBox(this, QStringLiteral("edtProvince"));
    edtCity = resultBox(this, QStringLiteral("edtCity"));
    edtTown = resultBox(this, QStringLiteral("edtTown"));
    edtAddress = resultBox(this, QStringLiteral("edtAddress"));
    edtZipcode = resultBox(this, QStringLiteral("edtZipcode"));
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    grid->addWidget(label("单位全称:"), 0, 0);
    grid->addWidget(edtCompany, 0, 1, 1, 3);
    auto* CheckBox1 = new QCheckBox(QStringLiteral("清空单位内容"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    connect(CheckBox1, &QCheckBox::clicked, this, &TfrmMatchAddr::CheckBox1Click);
    grid->addWidget(CheckBox1, 0, 4);
    grid->addWidget(label("联系人:"), 1, 0);
    grid->addWidget(edtName, 1, 1);
    grid->addWidget(label("电话:"), 1, 2);
    grid->addWidget(edtPhone, 1, 3);
    grid->addWidget(label("手机:"), 2, 0);
    grid->addWidget(edtHandset, 2, 1);
    grid->addWidget(label("邮编:"), 2, 2);
    grid->addWidget(edtZipcode, 2, 3);
    grid->addWidget(label("省:"), 3, 0);
    grid->addWidget(edtProvince, 3, 1);
    grid->addWidget(label("市/县:"), 3, 2);
    grid->addWidget(edtCity, 3, 3);
    grid->addWidget(label("镇/区:"), 4, 0);
    grid->addWidget(edtTown, 4, 1);
    ckContainProviceCity = new QCheckBox(QStringLiteral("含省市"), this);
    ckContainProviceCity->setObjectName(QStringLiteral("ckContainProviceCity"));
    connect(ckContainProviceCity, &QCheckBox::clicked, this, &TfrmMatchAddr::ckContainProviceCityClick);
    grid->addWidget(ckContainProviceCity, 4, 4);
    grid->addWidget(label("地址:"), 5, 0);
    grid->addWidget(edtAddress, 5, 1, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    page->addLayout(grid);
    // The address rule runs when another candidate is chosen or the box is left, not at every key.
    connect(edtAddress, &QComboBox::activated, this, &TfrmMatchAddr::edtAddressExit);
    connect(edtAddress->lineEdit(), &QLineEdit::editingFinished, this, &TfrmMatchAddr::edtAddressExit);
    edtName->installEventFilter(this);
    edtName->lineEdit()->installEventFilter(this);

    auto* closing = new QHBoxLayout;
    auto* btPasteToSJR = new QPushButton(QStringLiteral("2 粘贴为收货单位(&S)"), this);
    btPasteToSJR->setObjectName(QStringLiteral("btPasteToSJR"));
    btPasteToSJR->setToolTip(QStringLiteral("粘贴为收件人，并关闭窗口"));
    connect(btPasteToSJR, &QPushButton::clicked, this, &TfrmMatchAddr::btPasteToSJRClick);
    auto* btFrmClose = new QPushButton(QStringLiteral("关  闭"), this);
    btFrmClose->setObjectName(QStringLiteral("btFrmClose"));
    connect(btFrmClose, &QPushButton::clicked, this, &QDialog::reject);
    closing->addStretch();
    closing->addWidget(btPasteToSJR);
    closing->addWidget(btFrmClose);
    page->addLayout(closing);
    resize(640, 560);
}

QString TfrmMatchAddr::explanation(SourceFormat format) {
    switch (format) {
    case SourceFormat::Taobao:
        return QStringLiteral(
            "  进入淘宝->已卖出的宝贝->鼠标移动到买主的名字：在提示框中点击【查看收货地址和留言】,"
            "复制弹出框里面的内容-粘贴过来。识别率并不能保证100%，请稍加核对~");
    case SourceFormat::PaiPai:
        return QStringLiteral(
            "  进入拍拍->已产生的销售->全部卖出的交易->交易详情：复制收货信息，粘贴到上面的输入区");
    case SourceFormat::EachNet:
        return QStringLiteral("  暂时不支持特别对待易趣的收货地址，请用其他地址匹配！");
    case SourceFormat::Other:
        break;
    }
    return QStringLiteral("  通用地址匹配格式~如有不完善请将你的“收货地址”和问题以邮件反馈给青木鸟改进。"
                          "由于软件用户量大请尽量减少电话反馈~");
}

QString TfrmMatchAddr::sample(SourceFormat format) {
    switch (format) {
    case SourceFormat::Taobao:
        return QStringLiteral(
            "淘宝新格式（商城地址格式、发货管理地址格式也支持哦）:\r\n\r\n"
            "收货地址:林晓燕，0592-5123456，13905912345，福建省 厦门市 思明区 厦禾路888号（361004）");
    case SourceFormat::PaiPai:
        return QStringLiteral("王芳 江苏省南京市鼓楼区 中山北路200号(210009) 13951234567 025-83451234");
    case SourceFormat::EachNet:
    case SourceFormat::Other:
        break;
    }
    return QStringLiteral(
        "公司:杭州云杉贸易有限公司\r\n姓名:周婷\r\n电话:0571-86012345\r\n手机:15867123456\r\n"
        "国家:中国\r\n省:浙江省\r\n市:杭州市\r\n地址:浙江省杭州市滨江区江南大道588号\r\n邮编:310051");
}

std::unique_ptr<masterdata::TPerson> TfrmMatchAddr::run() {
    m_result.reset();
    setEnabled(true);
    exec();
    return std::move(m_result);
}

void TfrmMatchAddr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    btPasteClipboordClick();
}

void TfrmMatchAddr::setMemoText(const QString& text) {
    m_settingMemo = true;
    memoFrom->setPlainText(text);
    m_memoKept = text;
    m_settingMemo = false;
}

void TfrmMatchAddr::memoFromChange() {
    if (m_settingMemo)
        return;
    // Typing stops at the box's limit; a text put in by the program is kept whole.
    const QString text = memoFrom->toPlainText();
    if (PatternSearch::bytes(text) > AddressRecogniser::kMaxSourceBytes &&
        PatternSearch::bytes(text) > PatternSearch::bytes(m_memoKept)) {
        setMemoText(m_memoKept);
        memoFrom->moveCursor(QTextCursor::End);
        return;
    }
    m_memoKept = text;
}

void TfrmMatchAddr::btPasteClipboordClick() {
    const QString clipboard = QApplication::clipboard()->text();
    const QString refusal = AddressRecogniser::pasteRefusal(clipboard);
    if (!refusal.isEmpty()) {
        // The message is no address: nothing is read out of it.
        setMemoText(refusal);
        for (ResultBox* box : {&m_recogniser.company, &m_recogniser.name, &m_recogniser.phone,
                               &m_recogniser.handset, &m_recogniser.province, &m_recogniser.city,
                               &m_recogniser.town, &m_recogniser.address, &m_recogniser.zipcode})
            box->clear();
        showResults();
        return;
    }
    setMemoText(clipboard);
    btMatchClick();
}

void TfrmMatchAddr::btMatchClick() {
    btAdjustStr();
    btDoMatch();
}

void TfrmMatchAddr::btAdjustStr() {
    setMemoText(m_recogniser.normalise(memoFrom->toPlainText()));
}

void TfrmMatchAddr::btDoMatch() {
    readBoxes();
    m_recogniser.containProvinceCity = ckContainProviceCity->isChecked();
    m_recogniser.recognise(m_memoKept);
    showResults();
}

void TfrmMatchAddr::formatClick(SourceFormat format) {
    lbAnounce->setText(explanation(format));
    if (format == SourceFormat::EachNet)
        return;
    m_recogniser.format = format;
    btDoMatch();
}

void TfrmMatchAddr::Button2Click() {
    setMemoText(sample(m_recogniser.format));
    btMatchClick();
}

void TfrmMatchAddr::CheckBox1Click() {
    edtCompany->setEditText(QString());
    m_recogniser.company.text.clear();
}

void TfrmMatchAddr::ckContainProviceCityClick() {
    edtAddressExit();
}

void TfrmMatchAddr::edtAddressExit() {
    readBoxes();
    m_recogniser.containProvinceCity = ckContainProviceCity->isChecked();
    m_recogniser.applyAddressRule();
    edtAddress->setEditText(m_recogniser.address.text);
}

void TfrmMatchAddr::readBoxes() {
    const QList<std::pair<QComboBox*, ResultBox*>> pairs = {
        {edtCompany, &m_recogniser.company},   {edtName, &m_recogniser.name},
        {edtPhone, &m_recogniser.phone},       {edtHandset, &m_recogniser.handset},
        {edtProvince, &m_recogniser.province}, {edtCity, &m_recogniser.city},
        {edtTown, &m_recogniser.town},         {edtAddress, &m_recogniser.address},
        {edtZipcode, &m_recogniser.zipcode},
    };
    for (const auto& [combo, box] : pairs)
        box->text = combo->currentText();
}

void TfrmMatchAddr::showResults() {
    const QList<std::pair<QComboBox*, const ResultBox*>> pairs = {
        {edtCompany, &m_recogniser.company},   {edtName, &m_recogniser.name},
        {edtPhone, &m_recogniser.phone},       {edtHandset, &m_recogniser.handset},
        {edtProvince, &m_recogniser.province}, {edtCity, &m_recogniser.city},
        {edtTown, &m_recogniser.town},         {edtAddress, &m_recogniser.address},
        {edtZipcode, &m_recogniser.zipcode},
    };
    for (const auto& [combo, box] : pairs) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItems(box->items);
        combo->setEditText(box->text);
    }
}

void TfrmMatchAddr::takeContactFromClipboard(int limitBytes, bool onlyWhenEmpty) {
    if (onlyWhenEmpty && !edtName->currentText().trimmed().isEmpty())
        return;
    const QString text =
        AddressRecogniser::contactFromClipboard(QApplication::clipboard()->text(), limitBytes);
    if (text.isEmpty())
        return;
    QApplication::clipboard()->setText(text);
    edtName->setEditText(text);
}

bool TfrmMatchAddr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == edtName->lineEdit()) {
        // A contact the clerk typed is never overwritten by whatever the clipboard holds.
        takeContactFromClipboard(kContactOnLeave, true);
    } else if (event->type() == QEvent::KeyPress && watched == edtName->lineEdit()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            const QString clipboard = QApplication::clipboard()->text();
            if (!clipboard.isEmpty() && PatternSearch::bytes(clipboard) <= kContactOnPaste) {
                takeContactFromClipboard(kContactOnPaste, false);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmMatchAddr::btPasteToSJRClick() {
    readBoxes();
    auto person = std::make_unique<masterdata::TPerson>();
    person->setFullName(m_recogniser.company.text);
    person->setContact(m_recogniser.name.text);
    person->setAddress(m_recogniser.address.text);
    person->setPhone(m_recogniser.phone.text);
    person->setMobile(m_recogniser.handset.text);
    person->setPostcode(m_recogniser.zipcode.text);
    person->setProvince(m_recogniser.province.text);
    person->setCity(m_recogniser.city.text);
    person->setTown(m_recogniser.town.text);
    m_result = std::move(person);
    accept();
}

} // namespace recognition::ui
