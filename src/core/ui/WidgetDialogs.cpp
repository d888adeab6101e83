#include "core/ui/WidgetDialogs.h"

#include "core/ui/StartupRules.h"
#include "core/ui/TfrmInputValue.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

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

namespace {

// What the clerk made of the last file dialog (size, columns, view), for the next one.
struct FileDialogMemory {
    QByteArray state;
    QSize size;
};

FileDialogMemory& fileDialogMemory() {
    static FileDialogMemory memory;
    return memory;
}

QString runFileDialog(QFileDialog& dialog) {
    FileDialogMemory& memory = fileDialogMemory();
    if (!memory.state.isEmpty())
        dialog.restoreState(memory.state);
    WidgetDialogs::fitFileDialog(dialog, memory.size);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    memory.state = dialog.saveState();
    memory.size = dialog.size();
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

} // namespace

void WidgetDialogs::fitFileDialog(QFileDialog& dialog, const QSize& remembered) {
    // A first dialog is roomy enough for its four columns; a remembered size comes back, within
    // the screen.
    QSize size = remembered.isValid() ? remembered : dialog.sizeHint().expandedTo(QSize(820, 480));
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableSize());
    dialog.resize(size);
    // Qt's own dialog sizes its date column for short dates: a date in the system's format with
    // its time (12/30/26 10:22 PM) is never cut, nor the size.
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return; // the platform's own dialog sizes its columns itself
    QHeaderView* header = view->header();
    const QFontMetrics metrics(view->font());
    const QString date =
        QLocale().toString(QDateTime(QDate(2026, 12, 30), QTime(22, 22, 22)), QLocale::ShortFormat);
    const int padding = 3 * view->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    if (header->count() > 3)
        header->resizeSection(3, qMax(header->sectionSize(3), metrics.horizontalAdvance(date) + padding));
    if (header->count() > 1)
        header->resizeSection(1, qMax(header->sectionSize(1),
                                      metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")) + padding));
}

QString WidgetDialogs::openFileName(const QString& caption, const QString& filter) {
    QFileDialog dialog(m_parent, caption, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return runFileDialog(dialog);
}

QString WidgetDialogs::saveFileName(const QString& caption, const QString& suggestedName,
                                    const QString& filter) {
    QFileDialog dialog(m_parent, caption, QString(), filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!suggestedName.isEmpty()) {
        const QFileInfo suggested(suggestedName);
        if (suggested.path() != QLatin1String("."))
            dialog.setDirectory(suggested.absolutePath());
        dialog.selectFile(suggested.fileName());
    }
    return runFileDialog(dialog);
}

} // namespace core::ui
