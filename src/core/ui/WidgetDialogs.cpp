#include "core/ui/WidgetDialogs.h"

#include "core/ui/StartupRules.h"
#include "core/ui/TfrmInputValue.h"

#include <QFileDialog>
#include <QMessageBox>

namespace core::ui {

bool WidgetDialogs::alert(const QString& message, const QString& caption, bool ask) {
    if (caption.isEmpty())
        return false;
    if (!ask) {
        QMessageBox::information(m_parent, caption, message);
        return false;
    }
    return QMessageBox::question(m_parent, caption, message, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void WidgetDialogs::message(const QString& text) {
    QMessageBox::information(m_parent, StartupRules::applicationTitle(), text);
}

void WidgetDialogs::error(const QString& text) {
    QMessageBox::critical(m_parent, StartupRules::applicationTitle(), text);
}

int WidgetDialogs::yesNoCancel(const QString& message, const QString& caption) {
    switch (QMessageBox::question(m_parent, caption, message,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return 1;
    case QMessageBox::No:
        return 0;
    default:
        return -1;
    }
}

bool WidgetDialogs::inputValue(const QString& title, const QString& defaultValue, const QString& type,
                               QString& value) {
    TfrmInputValue dialog(*this, m_parent);
    dialog.setTitle(title);
    dialog.setDefaultValue(defaultValue);
    dialog.setTypeReturn(type);
    if (dialog.exec() != QDialog::Accepted) {
        value = defaultValue;
        return false;
    }
    value = dialog.value();
    return true;
}

QString WidgetDialogs::openFileName(const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, caption, QString(), filter);
}

QString WidgetDialogs::saveFileName(const QString& caption, const QString& suggestedName,
                                    const QString& filter) {
    return QFileDialog::getSaveFileName(m_parent, caption, suggestedName, filter);
}

} // namespace core::ui
