#pragma once

#include "core/Dialogs.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

class QFileDialog;

namespace core::ui {

// The dialogs of the running program: message boxes with the system's captions, file choices
// and the typed input dialog, centred on the main window once it is set as parent.
class WidgetDialogs final : public Dialogs {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    bool alert(const QString& message, const QString& caption, bool ask) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    int yesNoCancel(const QString& message, const QString& caption) override;
    bool inputValue(const QString& title, const QString& defaultValue, const QString& type,
                    QString& value) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedName,
                         const QString& filter) override;

    // Sizes a file dialog (the remembered size, else a roomy first one) and, in Qt's own
    // dialog, its size and date columns for what the system's locale writes there.
    static void fitFileDialog(QFileDialog& dialog, const QSize& remembered);

private:
    QPointer<QWidget> m_parent;
};

} // namespace core::ui
