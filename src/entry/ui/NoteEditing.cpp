#include "entry/ui/NoteEditing.h"

#include "core/AppContext.h"
#include "core/Lookups.h"
#include "entry/BillDate.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteText.h"
#include "entry/TypedNumber.h"
#include "entry/ui/NoteWindow.h"
#include "masterdata/TIdType.h"
#include "masterdata/TPerson.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextEdit>

namespace entry::ui {

const QString NoteEditing::kNumberMessage = QStringLiteral("非法的数量或单价(必须是英文半角的数字和.)！");

namespace {
const QString kPartner = QStringLiteral("往来单位");

QString freeFieldDictionary(const QWidget* field) {
    if (!field->toolTip().trimmed().isEmpty())
        return field->toolTip().trimmed();
    const QString name = field->objectName();
    if (name.compare(QLatin1String("zdSumSL"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("自定义10");
    return QStringLiteral("自定义") + name.mid(5);
}
} // namespace

NoteEditing::NoteEditing(core::AppContext& app, NoteWindow& window, QObject* parent)
    : QObject(parent), m_app(app), m_window(window) {}

NoteEditing::~NoteEditing() {
    delete m_numberMenu;
}

QString NoteEditing::lineBox(const char* prefix, int line) {
    return QLatin1String(prefix) + QString::number(line);
}

QWidget* NoteEditing::box(const QString& name) const {
    const QString key = name.toLower();
    auto it = m_boxes.constFind(key);
    if (it != m_boxes.constEnd() && it.value())
        return it.value();
    QWidget* scope = m_window.noteForm();
    if (!scope)
        return nullptr;
    // Boxes may sit on sub-panels of the container or beside it on the window.
    const QList<QWidget*> all = scope->findChildren<QWidget*>();
    for (QWidget* w : all)
        if (w->objectName().compare(name, Qt::CaseInsensitive) == 0) {
            m_boxes.insert(key, w);
            return w;
        }
    return nullptr;
}

QString NoteEditing::textOf(const QWidget* w) {
    if (!w)
        return {};
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w))
        return t->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    return w->property("text").toString();
}

void NoteEditing::setTextOf(QWidget* w, const QString& value) {
    if (!w)
        return;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != value)
            e->setText(value);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable()) {
            c->setEditText(value);
        } else {
            int at = c->findText(value);
            if (at < 0 && !value.isEmpty()) {
                c->addItem(value);
                at = c->count() - 1;
            }
            c->setCurrentIndex(at);
        }
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        p->setPlainText(value);
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        t->setPlainText(value);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(value);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(value);
    } else {
        w->setProperty("text", value);
    }
}

QString NoteEditing::text(const QString& name) const {
    return textOf(box(name));
}

void NoteEditing::setText(const QString& name, const QString& value) {
    setTextOf(box(name), value);
}

bool NoteEditing::isShown(const QString& name) const {
    QWidget* w = box(name);
    return w && w->isVisibleTo(m_window.noteForm());
}

void NoteEditing::attach() {
    auto watch = [this](const QString& name) {
        QWidget* w = box(name);
        if (w)
            w->installEventFilter(this);
        return w;
    };
    if (auto* customer = qobject_cast<QComboBox*>(watch(QStringLiteral("zdGKMC"))))
        connect(customer, &QComboBox::textActivated, this, &NoteEditing::zdGKMCSelect);
    if ((m_square = watch(QStringLiteral("shpSKR")))) {
        m_square->setMouseTracking(true);
        m_squareStyle = m_square->styleSheet();
    }
    watch(QStringLiteral("KPRen"));
    watch(QStringLiteral("SKRen"));
    for (int i = 1; i <= 10; ++i)
        watch(lineBox("zdDef", i));
    watch(QStringLiteral("zdSumSL"));
    for (int n = 1; n <= kLines; ++n) {
        watch(lineBox("zdDW", n));
        watch(lineBox("zdDJ", n));
        if (auto* quantity = qobject_cast<QLineEdit*>(watch(lineBox("zdSL", n))))
            connect(quantity, &QLineEdit::textChanged, this, [this, n] { lineTyped(n); });
    }
    if (QWidget* number = watch(QStringLiteral("zdPJBH"))) {
        m_numberMenu = new QMenu;
        m_numberMenu->addAction(QStringLiteral("新单号"), this, &NoteEditing::nNewNumberClick)
            ->setObjectName(QStringLiteral("nNewNumber"));
        m_numberMenu->addAction(QStringLiteral("清除"), this, &NoteEditing::nClearNumberClick)
            ->setObjectName(QStringLiteral("nClearNumber"));
        m_numberMenu->addAction(QStringLiteral("单号设置"), this, &NoteEditing::nNumberRulesClick)
            ->setObjectName(QStringLiteral("nNumberRules"));
        number->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(number, &QWidget::customContextMenuRequested, this,
                [this, number](const QPoint& at) { m_numberMenu->popup(number->mapToGlobal(at)); });
    }
    if (QDateTimeEdit* issue = issueDatePicker())
        connect(issue, &QDateTimeEdit::dateChanged, this,
                [this] { writeDate(issueDatePicker(), QStringLiteral("zdNianYueRi")); });
    if (QDateTimeEdit* order = orderDatePicker())
        connect(order, &QDateTimeEdit::dateChanged, this,
                [this] { writeDate(orderDatePicker(), QStringLiteral("zdDateOrder")); });
    if (auto* format = qobject_cast<QComboBox*>(box(QStringLiteral("cfgDateFormat"))))
        connect(format, &QComboBox::currentTextChanged, this, &NoteEditing::refreshDates);

    m_fetcher = qobject_cast<QComboBox*>(box(QStringLiteral("cbFetcher")));
    if (!m_fetcher) {
        m_fetcher = new QComboBox(m_window.container());
        m_fetcher->setObjectName(QStringLiteral("cbFetcher"));
        m_fetcher->setEditable(true);
        m_fetcher->hide();
    }
    m_fetcher->installEventFilter(this);
}

int NoteEditing::lineOf(const QObject* watched, const char* prefix) const {
    const QString name = watched->objectName();
    const QLatin1String p(prefix);
    if (!name.startsWith(p, Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = name.mid(p.size()).toInt(&ok);
    return ok && n >= 1 && n <= kLines ? n : 0;
}

bool NoteEditing::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return false;
    const QString name = w->objectName();
    auto is = [&name](const char* other) {
        return name.compare(QLatin1String(other), Qt::CaseInsensitive) == 0;
    };
    switch (event->type()) {
    case QEvent::FocusIn:
        if (is("zdGKMC"))
            zdGKMCEnter();
        else if (is("KPRen"))
            peopleEnter(qobject_cast<QComboBox*>(w), QStringLiteral("开票人"));
        else if (is("SKRen"))
            peopleEnter(qobject_cast<QComboBox*>(w), QStringLiteral("收款人"));
        else if (is("zdSumSL") ||
                 (name.startsWith(QLatin1String("zdDef"), Qt::CaseInsensitive) && w != m_fetcher))
            freeFieldEnter(w);
        else if (lineOf(w, "zdDW"))
            unitEnter(qobject_cast<QComboBox*>(w));
        break;
    case QEvent::FocusOut:
        if (w == m_fetcher) {
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                cbFetcherExit();
        } else if (int n = lineOf(w, "zdDJ") + lineOf(w, "zdSL")) {
            // A message box or menu taking the focus is no leaving of the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                lineLeft(n);
        }
        break;
    case QEvent::MouseButtonPress:
        if (w == m_square && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            shpSKRClick();
        break;
    case QEvent::MouseButtonDblClick:
        if (is("zdPJBH"))
            zdPJBHDblClick();
        break;
    case QEvent::MouseMove:
        if (w == m_square) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            const bool inner = w->rect().adjusted(5, 5, -5, -5).contains(at);
            // The hover fill comes on top of the square's own look, whose red frame stays.
            const QString hover = m_squareStyle + QStringLiteral("\n*#") + w->objectName() +
                                  QStringLiteral(" { background-color: red; }");
            const QString wanted = inner ? hover : m_squareStyle;
            if (w->styleSheet() != wanted)
                w->setStyleSheet(wanted);
        }
        break;
    case QEvent::Leave:
        if (w == m_square)
            w->setStyleSheet(m_squareStyle);
        break;
    default:
        break;
    }
    return false;
}

void NoteEditing::fillList(QComboBox* combo, const QStringList& items) {
    if (!combo || items.isEmpty())
        return;
    // Filling a list must not replace what the user already typed.
    const QString kept = combo->currentText();
    const QSignalBlocker quiet(combo);
    combo->addItems(items);
    if (combo->isEditable())
        combo->setEditText(kept);
    else
        combo->setCurrentIndex(combo->findText(kept));
}

void NoteEditing::zdGKMCEnter() {
    auto* combo = qobject_cast<QComboBox*>(box(QStringLiteral("zdGKMC")));
    if (combo && combo->count() == 0)
        fillList(combo, core::Lookups(m_app).loadCompanyList(kPartner));
}

void NoteEditing::reloadCustomerList() {
    auto* combo = qobject_cast<QComboBox*>(box(QStringLiteral("zdGKMC")));
    // A list never read is read when the box is entered.
    if (!combo || combo->count() == 0)
        return;
    const QString kept = combo->currentText();
    {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->setEditText(kept);
    }
    fillList(combo, core::Lookups(m_app).loadCompanyList(kPartner));
}

void NoteEditing::zdGKMCSelect(const QString& chosen) {
    const QString name = chosen.trimmed();
    setText(QStringLiteral("zdGKMC"), name);
    if (name.isEmpty())
        return;
    const std::unique_ptr<masterdata::TPerson> person = masterdata::TPerson::findByFullName(m_app.db(), name);
    setCustomer(person.get());
}

void NoteEditing::setCustomer(const masterdata::TPerson* person) {
    if (!person)
        return;
    setText(QStringLiteral("zdGKMC"), person->fullName());
    setText(QStringLiteral("zdGKLXR"), person->contact());
    setText(QStringLiteral("zdGKAddr"), person->address());
    const NoteText::PhoneBoxes phones =
        NoteText::phoneBoxes(person->phone(), person->mobile(), person->phoneText(true),
                             isShown(QStringLiteral("zdGKPhone")), isShown(QStringLiteral("zdGKHandset")));
    if (phones.setPhone)
        setText(QStringLiteral("zdGKPhone"), phones.phone);
    if (phones.setHandset)
        setText(QStringLiteral("zdGKHandset"), phones.handset);
}

void NoteEditing::shpSKRClick() {
    if (!fetchCustomer)
        return;
    const std::unique_ptr<masterdata::TPerson> person = fetchCustomer();
    setCustomer(person.get());
}

void NoteEditing::peopleEnter(QComboBox* combo, const QString& dictionary) {
    if (!combo || combo->count() > 0)
        return;
    core::Lookups lookups(m_app);
    QStringList values = lookups.loadDMListByName(dictionary, {m_window.templateId()});
    if (values.isEmpty())
        values = lookups.loadDMListByName(dictionary, {0});
    fillList(combo, values);
}

void NoteEditing::unitEnter(QComboBox* combo) {
    if (combo && combo->count() == 0)
        fillList(combo, core::Lookups(m_app).loadDMListByName(QStringLiteral("计量单位"), {0}));
}

void NoteEditing::freeFieldEnter(QWidget* field) {
    if (!m_fetcher)
        return;
    m_fetcherTarget = field;
    if (m_fetcher->parentWidget() != field->parentWidget())
        m_fetcher->setParent(field->parentWidget());
    m_fetcher->setGeometry(field->geometry());
    {
        const QSignalBlocker quiet(m_fetcher);
        m_fetcher->clear();
        m_fetcher->addItems(
            core::Lookups(m_app).loadDMListByName(freeFieldDictionary(field), {m_window.templateId()}));
        m_fetcher->setEditText(textOf(field));
    }
    m_fetcher->show();
    m_fetcher->raise();
    m_fetcher->setFocus(Qt::OtherFocusReason);
}

void NoteEditing::cbFetcherExit() {
    if (m_fetcherTarget)
        setTextOf(m_fetcherTarget, m_fetcher->currentText().trimmed());
    m_fetcherTarget = nullptr;
    m_fetcher->hide();
}

void NoteEditing::lineChanged(int n) {
    if (m_lineRuleSuspended || m_inLineRule)
        return;
    m_inLineRule = true;
    QWidget* quantity = box(lineBox("zdSL", n));
    QWidget* price = box(lineBox("zdDJ", n));
    setTextOf(quantity, textOf(quantity).trimmed());
    setTextOf(price, textOf(price).trimmed());
    const NoteText::LineAmount amount = NoteText::lineAmount(textOf(quantity), textOf(price));
    m_inLineRule = false;
    if (!amount.valid) {
        showNumberMessage(n);
        return;
    }
    // Passing through an empty line must not leave an amount of 0 behind, which would save a
    // goods row without goods.
    const bool emptyLine = textOf(quantity).isEmpty() && textOf(price).isEmpty() &&
                           text(lineBox("zdSFNR", n)).trimmed().isEmpty();
    setText(lineBox("zdJEXX", n), emptyLine ? QString() : amount.amount);
    if (!m_window.lineAmountRule(n)) {
        // The amount was out of range (its message shown): the values that made it go too.
        m_lineRuleSuspended = true;
        setText(lineBox("zdDJ", n), QString());
        setText(lineBox("zdSL", n), QString());
        m_lineRuleSuspended = false;
    }
    SumSL();
}

void NoteEditing::lineTyped(int n) {
    // "-", "1," or "." are on their way to a number: the rule waits until the box is left.
    using State = TypedNumber::State;
    if (TypedNumber::read(text(lineBox("zdSL", n))).state == State::Unfinished ||
        TypedNumber::read(text(lineBox("zdDJ", n))).state == State::Unfinished)
        return;
    lineChanged(n);
}

void NoteEditing::lineLeft(int n) {
    // What was read as a number is kept as the number itself ("1,200" becomes "1200"), which
    // is what saving, printing and the history's sums read.
    const bool wasSuspended = m_lineRuleSuspended;
    m_lineRuleSuspended = true;
    for (const char* prefix : {"zdSL", "zdDJ"}) {
        QWidget* w = box(lineBox(prefix, n));
        const QString plain = TypedNumber::plainOr(textOf(w));
        if (w && plain != textOf(w))
            setTextOf(w, plain);
    }
    m_lineRuleSuspended = wasSuspended;
    lineChanged(n);
}

void NoteEditing::showNumberMessage(int n) {
    m_app.dialogs().message(kNumberMessage);
    m_lineRuleSuspended = true;
    setText(lineBox("zdDJ", n), QString());
    setText(lineBox("zdSL", n), QString());
    m_lineRuleSuspended = false;
    // The emptied line is recomputed, so no stale amount stays in the total.
    lineChanged(n);
    if (QWidget* quantity = box(lineBox("zdSL", n)))
        quantity->setFocus(Qt::OtherFocusReason);
}

bool NoteEditing::lineHoldsValues(int n) const {
    for (const char* prefix : {"zdSFNR", "zdSL", "zdDJ", "zdJEXX"})
        if (!text(lineBox(prefix, n)).trimmed().isEmpty())
            return true;
    return false;
}

void NoteEditing::clearLine(int n) {
    for (const char* prefix : {"zdSFNR", "zdHuoHao", "zdGuiGe", "zdDJ", "zdPro"})
        setText(lineBox(prefix, n), QString());
    if (auto* unit = qobject_cast<QComboBox*>(box(lineBox("zdDW", n)))) {
        unit->clear();
        unit->setEditText(QString());
    } else {
        setText(lineBox("zdDW", n), QString());
    }
    const bool wasSuspended = m_lineRuleSuspended;
    m_lineRuleSuspended = true;
    setText(lineBox("zdSL", n), QString());
    m_lineRuleSuspended = wasSuspended;
    lineChanged(n);
    setText(lineBox("zdJEXX", n), QString());
}

std::optional<QString> NoteEditing::SumAllJE() {
    QVector<NoteText::LineValue> lines;
    for (int n = 1; n <= kLines; ++n)
        lines.append({text(lineBox("zdJEXX", n)), isShown(lineBox("zdJE", n))});
    QString total, error;
    if (!NoteText::sumLines(lines, total, error)) {
        m_app.dialogs().message(QStringLiteral("金额汇总合计失败-") + error);
        return std::nullopt;
    }
    setText(QStringLiteral("zdMoneyType"), text(QStringLiteral("cfgMoneyType")));
    SumSL();
    return total;
}

void NoteEditing::SumSL() {
    QVector<NoteText::LineValue> lines;
    for (int n = 1; n <= kLines; ++n)
        lines.append({text(lineBox("zdSL", n)), isShown(lineBox("zdSL", n))});
    QString total, error;
    if (!NoteText::sumLines(lines, total, error)) {
        m_app.dialogs().message(QStringLiteral("数量汇总失败-") + error);
        return;
    }
    setText(QStringLiteral("zdSumSL"), total);
}

QDateTimeEdit* NoteEditing::issueDatePicker() const {
    return qobject_cast<QDateTimeEdit*>(box(QStringLiteral("SelDate")));
}

QDateTimeEdit* NoteEditing::orderDatePicker() const {
    return qobject_cast<QDateTimeEdit*>(box(QStringLiteral("SelDateOrder")));
}

void NoteEditing::writeDate(QDateTimeEdit* picker, const QString& boxName) {
    if (!picker)
        return;
    {
        const QSignalBlocker quiet(picker);
        picker->setTime(QTime::currentTime());
    }
    setText(boxName, formatBillDate(picker->dateTime(), text(QStringLiteral("cfgDateFormat"))));
}

void NoteEditing::refreshDates() {
    writeDate(issueDatePicker(), QStringLiteral("zdNianYueRi"));
    writeDate(orderDatePicker(), QStringLiteral("zdDateOrder"));
}

QString NoteEditing::buildMaxCheckNO() {
    // Every template has its own series, but the saved notes share one key: a number another
    // series (or a number typed by hand) already gave a saved note is passed over, or saving
    // under it would replace that note.
    DeliveryNoteStore saved(m_app.db());
    return masterdata::TIdType::nextNumber(QStringLiteral("S"), m_window.templateId(), m_app,
                                           [&saved](const QString& number) { return saved.exists(number); });
}

void NoteEditing::settleNumbers() {
    DeliveryNoteStore saved(m_app.db());
    masterdata::TIdType::settle(QStringLiteral("S"), m_window.templateId(), m_app.db(),
                                [&saved](const QString& number) { return saved.exists(number); });
}

void NoteEditing::zdPJBHDblClick() {
    if (text(QStringLiteral("zdPJBH")).trimmed().isEmpty())
        setText(QStringLiteral("zdPJBH"), buildMaxCheckNO());
}

void NoteEditing::nNewNumberClick() {
    // After a failed request (its message shown) the box keeps the number it had.
    if (const QString number = buildMaxCheckNO(); !number.isEmpty())
        setText(QStringLiteral("zdPJBH"), number);
}

void NoteEditing::nClearNumberClick() {
    setText(QStringLiteral("zdPJBH"), QString());
}

void NoteEditing::nNumberRulesClick() {
    if (openNumberRules)
        openNumberRules(m_window.templateId(), m_window.variant() + QStringLiteral("-单号设置"));
}

bool NoteEditing::moveGoodsFocus(int line, bool down) {
    if (line < 1 || line > 5)
        return false;
    const int target = down ? line % 5 + 1 : (line + 3) % 5 + 1;
    QWidget* next = box(lineBox("zdSFNR", target));
    if (!next || !isShown(next->objectName()))
        return false;
    next->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace entry::ui
