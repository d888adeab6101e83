#include "print/ControlValues.h"

#include "core/AppContext.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace print {

namespace {

QWidget* findByName(QWidget* parent, const QString& name, Qt::FindChildOptions options) {
    // The name as written first: a walk without a list, which a bill of 180 items repeats on
    // every page; letter case is ignored only when that finds nothing.
    if (QWidget* exact = parent->findChild<QWidget*>(name, options))
        return exact;
    const QList<QWidget*> children = parent->findChildren<QWidget*>(QString(), options);
    for (QWidget* child : children)
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

bool isInputControl(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w);
}

} // namespace

ControlValues::ControlValues(core::AppContext& app) : m_app(app) {}

bool ControlValues::isForm(const QWidget* widget) {
    return widget->isWindow() || qobject_cast<const QDialog*>(widget) ||
           qobject_cast<const QMainWindow*>(widget) ||
           qobject_cast<const QMdiSubWindow*>(widget->parentWidget());
}

bool ControlValues::isShown(const QWidget* control) {
    return !control->isHidden();
}

QWidget* ControlValues::findControl(QWidget* container, const QString& name) const {
    if (!container || name.isEmpty())
        return nullptr;
    if (isInputControl(container)) {
        m_app.dialogs().message(QStringLiteral("取打印值时不支持以") +
                                QString::fromLatin1(container->metaObject()->className()) +
                                QStringLiteral("作为容器查找输入框"));
        return nullptr;
    }
    if (isForm(container))
        return findByName(container, name, Qt::FindChildrenRecursively);
    if (QWidget* found = findByName(container, name, Qt::FindDirectChildrenOnly))
        return found;
    QWidget* parent = container->parentWidget();
    if (!parent)
        return nullptr;
    if (isForm(parent))
        return findByName(parent, name, Qt::FindChildrenRecursively);
    QWidget* grandparent = parent->parentWidget();
    if (grandparent && isForm(grandparent))
        return findByName(grandparent, name, Qt::FindChildrenRecursively);
    return nullptr;
}

QString ControlValues::getControlValue(QWidget* container, const QString& name) const {
    if (name.isEmpty() || !container)
        return QString();
    return valueOf(findControl(container, name), name);
}

QString ControlValues::valueOf(QWidget* control, const QString& name) const {
    if (!control) {
        m_app.DebugOutN(QStringLiteral("getControlValue"), name + QStringLiteral("=nil  not found."));
        return QString();
    }
    if (!isShown(control))
        return QString();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<QTextEdit*>(control))
        return rich->toPlainText();
    if (auto* check = qobject_cast<QCheckBox*>(control))
        return check->isChecked() ? QStringLiteral("√") : QString();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return spin->text();
    if (auto* label = qobject_cast<QLabel*>(control)) {
        const QPixmap picture = label->pixmap();
        if (label->text().isEmpty() && !picture.isNull())
            return QStringLiteral("[图片 %1×%2]").arg(picture.width()).arg(picture.height());
        return label->text();
    }
    m_app.dialogs().message(QString::fromLatin1(control->metaObject()->className()) +
                            QStringLiteral(" 类的控件没有可打印的值：") + name);
    return QString();
}

ControlIndex::ControlIndex(const ControlValues& values, QWidget* container)
    : m_values(values), m_container(container) {
    if (!container)
        return;
    if (isInputControl(container)) {
        m_delegate = true;
        return;
    }
    if (ControlValues::isForm(container)) {
        m_form = container;
        return;
    }
    addDirect(m_direct, container);
    QWidget* parent = container->parentWidget();
    if (parent && ControlValues::isForm(parent))
        m_form = parent;
    else if (QWidget* grandparent = parent ? parent->parentWidget() : nullptr;
             grandparent && ControlValues::isForm(grandparent))
        m_form = grandparent;
}

QWidget* ControlIndex::Names::find(const QString& name) const {
    if (QWidget* w = exact.value(name))
        return w;
    return folded.value(name.toCaseFolded());
}

namespace {

// The first control of a name is the one a search finds; later ones do not replace it.
void addFirst(QHash<QString, QWidget*>& names, const QString& name, QWidget* w) {
    if (!names.contains(name))
        names.insert(name, w);
}

} // namespace

void ControlIndex::addDirect(Names& names, const QObject* parent) {
    for (QObject* child : parent->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->objectName().isEmpty()) {
            addFirst(names.exact, w->objectName(), w);
            addFirst(names.folded, w->objectName().toCaseFolded(), w);
        }
}

// In the order of QObject::findChild: every child of a level before the levels below each.
void ControlIndex::addExact(Names& names, const QObject* parent) {
    const QObjectList& children = parent->children();
    for (QObject* child : children)
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->objectName().isEmpty())
            addFirst(names.exact, w->objectName(), w);
    for (QObject* child : children)
        addExact(names, child);
}

// In the order of QObject::findChildren: each child, then what it holds.
void ControlIndex::addFolded(Names& names, const QObject* parent) {
    for (QObject* child : parent->children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->objectName().isEmpty())
            addFirst(names.folded, w->objectName().toCaseFolded(), w);
        addFolded(names, child);
    }
}

const ControlIndex::Names& ControlIndex::formNames() const {
    if (!m_formIndexed) {
        m_formIndexed = true;
        if (m_form) {
            addExact(m_formNames, m_form);
            addFolded(m_formNames, m_form);
        }
    }
    return m_formNames;
}

QWidget* ControlIndex::findControl(const QString& name) const {
    if (!m_container || name.isEmpty())
        return nullptr;
    if (m_delegate)
        return m_values.findControl(m_container, name);
    if (m_form != m_container)
        if (QWidget* w = m_direct.find(name))
            return w;
    return formNames().find(name);
}

QString ControlIndex::getControlValue(const QString& name) const {
    if (name.isEmpty() || !m_container)
        return QString();
    return m_values.valueOf(findControl(name), name);
}

} // namespace print
